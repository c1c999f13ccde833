# SPDX-License-Identifier: GPL-3.0-or-later
# The C libraries the page's logbook needs, compiled for WebAssembly from
# Debian's own source packages (the same expat, zlib and libxlsxwriter the
# Linux build links), fetched once per build tree with `apt-get source`:
#
#   expat          built once with its own CMake and this toolchain into the
#                  build tree (qrb_debian_expat)
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
qrb_debian_expat("the page"
  -DCMAKE_C_FLAGS=${qrb_wasm_expat_flags}
  # Its checks of type sizes read the sizes out of a linked test program,
  # whose unused data the linker would otherwise drop; its old minimum CMake
  # version would leave the link flags out of such checks.
  "-DCMAKE_EXE_LINKER_FLAGS=${CMAKE_EXE_LINKER_FLAGS} -Wl,--no-gc-sections"
  -DCMAKE_POLICY_DEFAULT_CMP0056=NEW
  -DEXPAT_WITH_GETRANDOM=OFF -DEXPAT_WITH_SYS_GETRANDOM=OFF)
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
# wasi-libc's stdio has 64-bit offsets under the plain names (fopen, fseeko,
# ftello), and no folder for temporary files of its own: the page's is /tmp,
# in memory.
qrb_debian_xlsxwriter(DEFINES IOAPI_NO_64 P_tmpdir="/tmp" _WASI_EMULATED_PROCESS_CLOCKS)
target_link_libraries(qrb_xlsxwriter PUBLIC qrb_zlib)
