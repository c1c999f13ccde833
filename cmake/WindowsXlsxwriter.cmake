# SPDX-License-Identifier: GPL-3.0-or-later
# libxlsxwriter for the Windows build: Debian's own source package (the same
# libxlsxwriter the Linux build links), fetched with `apt-get source
# libxlsxwriter` and compiled as a static library of this build, with the
# minizip it bundles (and minizip's Win32 file functions, which take UTF-16
# names), its tmpfileplus and md5. zlib is Debian's libz-mingw-w64-dev,
# linked statically. Defines the target qrb_xlsxwriter.
include(${CMAKE_CURRENT_LIST_DIR}/DebianSource.cmake)
enable_language(C)

qrb_debian_source(libxlsxwriter ${CMAKE_BINARY_DIR}/libxlsxwriter xlsxwriter_source)
set(QRB_XLSXWRITER_SOURCE ${xlsxwriter_source} CACHE INTERNAL "libxlsxwriter's source tree")

find_path(QRB_ZLIB_INCLUDE zlib.h)
find_library(QRB_ZLIB_STATIC NAMES libz.a)
if(NOT QRB_ZLIB_INCLUDE OR NOT QRB_ZLIB_STATIC)
  message(FATAL_ERROR "zlib for Windows not found: install libz-mingw-w64-dev (scripts/setup.sh)")
endif()

file(GLOB xlsxwriter_sources ${xlsxwriter_source}/src/*.c)
set(third_party ${xlsxwriter_source}/third_party)
add_library(qrb_xlsxwriter STATIC ${xlsxwriter_sources}
  ${third_party}/minizip/ioapi.c ${third_party}/minizip/zip.c ${third_party}/minizip/iowin32.c
  ${third_party}/tmpfileplus/tmpfileplus.c ${third_party}/md5/md5.c)
target_include_directories(qrb_xlsxwriter SYSTEM PUBLIC ${xlsxwriter_source}/include
                           PRIVATE ${QRB_ZLIB_INCLUDE})
# As its own build defines them for a static MinGW library; no encryption in
# the zip files. Its code is not ours: its warnings are not turned into errors.
target_compile_definitions(qrb_xlsxwriter PRIVATE NOCRYPT NOUNCRYPT USE_FILE32API)
target_compile_options(qrb_xlsxwriter PRIVATE -w)
target_link_libraries(qrb_xlsxwriter PUBLIC ${QRB_ZLIB_STATIC})
