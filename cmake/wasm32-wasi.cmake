# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-compiling for WebAssembly (wasm32-wasi) with Debian's clang 14, its
# wasm32 libc++ (libc++-14-dev-wasm32), compiler runtime
# (libclang-rt-14-dev-wasm32), wasi-libc and wasm-ld (lld-14). The programs
# are reactor modules: no main, the page calls their exported functions.
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
set(QRB_WASM_TARGET wasm32-wasi)

find_program(QRB_WASM_CLANG NAMES clang-14 clang REQUIRED)
find_program(QRB_WASM_CLANGXX NAMES clang++-14 clang++ REQUIRED)
set(CMAKE_C_COMPILER ${QRB_WASM_CLANG})
set(CMAKE_CXX_COMPILER ${QRB_WASM_CLANGXX})
set(CMAKE_C_COMPILER_TARGET ${QRB_WASM_TARGET})
set(CMAKE_CXX_COMPILER_TARGET ${QRB_WASM_TARGET})
# Archives of wasm objects need an archiver that writes their symbol index.
find_program(QRB_WASM_AR NAMES llvm-ar-14 llvm-ar REQUIRED)
find_program(QRB_WASM_RANLIB NAMES llvm-ranlib-14 llvm-ranlib REQUIRED)
set(CMAKE_AR ${QRB_WASM_AR} CACHE FILEPATH "")
set(CMAKE_RANLIB ${QRB_WASM_RANLIB} CACHE FILEPATH "")

# Debian's clang searches the host's /usr/local/include and /usr/include for
# this target as well, where a host header (expat.h, zlib.h) would be taken
# for a wasm one. Only these three are searched, in this order: libc++, the
# compiler's own headers, wasi-libc.
execute_process(COMMAND ${QRB_WASM_CLANG} -print-resource-dir
                OUTPUT_VARIABLE qrb_clang_resources OUTPUT_STRIP_TRAILING_WHITESPACE)
set(QRB_WASM_SYSROOT /usr)
set(qrb_wasm_includes
    "-nostdinc"
    "-isystem ${QRB_WASM_SYSROOT}/include/${QRB_WASM_TARGET}/c++/v1"
    "-isystem ${qrb_clang_resources}/include"
    "-isystem ${QRB_WASM_SYSROOT}/include/${QRB_WASM_TARGET}")
list(JOIN qrb_wasm_includes " " qrb_wasm_includes)
set(CMAKE_C_FLAGS_INIT "${qrb_wasm_includes}")
# Debian's wasm32 libc++ is built without exceptions: where the library would
# throw (no memory left), the module stops.
set(CMAKE_CXX_FLAGS_INIT "${qrb_wasm_includes} -fno-exceptions")
# The include options come along to the link, which has no use for them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-mexec-model=reactor -Wno-unused-command-line-argument")

# Libraries and packages are looked for among the wasm ones only, never the
# host's.
set(CMAKE_FIND_ROOT_PATH ${QRB_WASM_SYSROOT}/lib/${QRB_WASM_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
