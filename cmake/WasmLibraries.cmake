# SPDX-License-Identifier: GPL-3.0-or-later
# The C libraries the page's logbook needs, compiled for WebAssembly from
# Debian's own source packages (the same expat, zlib and libxlsxwriter the
# Linux build links), fetched once per build tree with `apt-get source`:
#
#   expat          built once with its own CMake and this toolchain into the
#                  build tree; sets EXPAT_INCLUDE_DIR and EXPAT_LIBRARY for
#                  find_package(EXPAT)
#   qrb_zlib       zlib's deflate, for the zip files of the workbook
#   qrb_xlsxwriter libxlsxwriter with the minizip it bundles, its tmpfileplus
#                  and md5
#
# Only the wasm headers are searched (cmake/wasm32-wasi.cmake), so the
# host's expat.h or zlib.h can never stand in for these.
#
# libxlsxwriter runs unchanged: it keeps every part of a workbook in a
# temporary file until it zips them, and opens the zip by name. wasi-libc has
# no tmpfile(), but it has open(), which the page answers from an in-memory
# folder (web/js/wasi.js), and tmpfileplus makes its files there.
include(${CMAKE_CURRENT_LIST_DIR}/DebianSource.cmake)
enable_language(C)

# wasi-libc has getpid() only as an emulation that must be asked for; expat
# takes it for the seed of its hash tables when no better entropy is there.
# The flags the toolchain gives (the wasm include paths only) go along.
set(qrb_wasm_expat_flags "${CMAKE_C_FLAGS} -D_WASI_EMULATED_GETPID")

# ---- expat --------------------------------------------------------------------
set(expat_root ${CMAKE_BINARY_DIR}/expat)
set(expat_prefix ${expat_root}/install)
set(expat_library ${expat_prefix}/lib/libexpat.a)

function(qrb_wasm_expat_step what)
  execute_process(${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "expat for the page: ${what} failed:\n${out}")
  endif()
endfunction()

if(NOT EXISTS ${expat_library})
  file(REMOVE_RECURSE ${expat_root}/build ${expat_prefix})
  qrb_debian_source(expat ${expat_root} expat_source)
  # Debian's source package holds the upstream tree in expat/ below its top.
  if(EXISTS ${expat_source}/expat/CMakeLists.txt)
    set(expat_source ${expat_source}/expat)
  endif()
  message(STATUS "expat for the page: building ${expat_source}")
  qrb_wasm_expat_step("configuring expat"
    COMMAND ${CMAKE_COMMAND} -S ${expat_source} -B ${expat_root}/build -G Ninja
            -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
            -DCMAKE_BUILD_TYPE=Release
            -DCMAKE_INSTALL_PREFIX=${expat_prefix}
            -DCMAKE_C_FLAGS=${qrb_wasm_expat_flags}
            # Its checks of type sizes read the sizes out of a linked test
            # program, whose unused data the linker would otherwise drop; its
            # old minimum CMake version would leave the link flags out of
            # such checks.
            "-DCMAKE_EXE_LINKER_FLAGS=${CMAKE_EXE_LINKER_FLAGS} -Wl,--no-gc-sections"
            -DCMAKE_POLICY_DEFAULT_CMP0056=NEW
            -DEXPAT_SHARED_LIBS=OFF -DEXPAT_BUILD_TOOLS=OFF -DEXPAT_BUILD_EXAMPLES=OFF
            -DEXPAT_BUILD_TESTS=OFF -DEXPAT_BUILD_DOCS=OFF -DEXPAT_BUILD_PKGCONFIG=OFF
            -DEXPAT_WITH_GETRANDOM=OFF -DEXPAT_WITH_SYS_GETRANDOM=OFF)
  # Debian builds expat with its configure script, which defines the feature
  # macros as 1, and its patches test them so (#if XML_DTD == 1); expat's CMake
  # defines them empty. Give them the value Debian's build gives them.
  file(READ ${expat_root}/build/expat_config.h config)
  string(REGEX REPLACE "#define (XML_[A-Z_]+)[ \t]*\n" "#define \\1 1\n" config "${config}")
  file(WRITE ${expat_root}/build/expat_config.h "${config}")
  qrb_wasm_expat_step("building expat"
    COMMAND ${CMAKE_COMMAND} --build ${expat_root}/build --target install -j 2)
  if(NOT EXISTS ${expat_library})
    file(GLOB_RECURSE built ${expat_prefix}/lib/*.a)
    message(FATAL_ERROR "expat for the page: no ${expat_library} after the build (found: ${built})")
  endif()
endif()
set(EXPAT_INCLUDE_DIR ${expat_prefix}/include CACHE PATH "expat headers (page build)" FORCE)
set(EXPAT_LIBRARY ${expat_library} CACHE FILEPATH "expat static library (page build)" FORCE)
# Whatever links expat links the getpid emulation with it, and libxlsxwriter
# the emulation of clock() (tmpfileplus seeds its names with it); at the end
# of the link, where what needs them has come before.
string(APPEND CMAKE_CXX_STANDARD_LIBRARIES " -lwasi-emulated-getpid -lwasi-emulated-process-clocks")

# ---- zlib ---------------------------------------------------------------------
qrb_debian_source(zlib ${CMAKE_BINARY_DIR}/zlib zlib_source)
# The library without the gz* file functions, which nothing here uses.
set(zlib_files adler32 compress crc32 deflate infback inffast inflate inftrees trees uncompr zutil)
list(TRANSFORM zlib_files PREPEND ${zlib_source}/)
list(TRANSFORM zlib_files APPEND .c)
add_library(qrb_zlib STATIC ${zlib_files})
target_include_directories(qrb_zlib SYSTEM PUBLIC ${zlib_source})
# Its code is not ours: its warnings are not turned into errors.
target_compile_options(qrb_zlib PRIVATE -w)

# ---- libxlsxwriter ------------------------------------------------------------
qrb_debian_source(libxlsxwriter ${CMAKE_BINARY_DIR}/libxlsxwriter xlsxwriter_source)
file(GLOB xlsxwriter_sources ${xlsxwriter_source}/src/*.c)
set(third_party ${xlsxwriter_source}/third_party)
add_library(qrb_xlsxwriter STATIC ${xlsxwriter_sources}
  ${third_party}/minizip/ioapi.c ${third_party}/minizip/zip.c
  ${third_party}/tmpfileplus/tmpfileplus.c ${third_party}/md5/md5.c)
target_include_directories(qrb_xlsxwriter SYSTEM PUBLIC ${xlsxwriter_source}/include)
# As its own build defines them: no encryption in the zip files. wasi-libc's
# stdio has 64-bit offsets under the plain names (fopen, fseeko, ftello), and
# no folder for temporary files of its own: the page's is /tmp, in memory.
target_compile_definitions(qrb_xlsxwriter PRIVATE NOCRYPT NOUNCRYPT IOAPI_NO_64 P_tmpdir="/tmp"
                                                _WASI_EMULATED_PROCESS_CLOCKS)
target_compile_options(qrb_xlsxwriter PRIVATE -w)
target_link_libraries(qrb_xlsxwriter PUBLIC qrb_zlib)
