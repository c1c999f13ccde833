# SPDX-License-Identifier: GPL-3.0-or-later
# libxlsxwriter for the Windows build: Debian's own source package (the same
# libxlsxwriter the Linux build links), fetched with `apt-get source
# libxlsxwriter` and compiled as a static library of this build, with the
# minizip it bundles (and minizip's Win32 file functions, which take UTF-16
# names), its tmpfileplus and md5. zlib is Debian's libz-mingw-w64-dev,
# linked statically. Defines the target qrb_xlsxwriter.
include(${CMAKE_CURRENT_LIST_DIR}/DebianSource.cmake)
enable_language(C)

find_path(QRB_ZLIB_INCLUDE zlib.h)
find_library(QRB_ZLIB_STATIC NAMES libz.a)
if(NOT QRB_ZLIB_INCLUDE OR NOT QRB_ZLIB_STATIC)
  message(FATAL_ERROR "zlib for Windows not found: install libz-mingw-w64-dev (scripts/setup.sh)")
endif()

# As its own build makes it for a static MinGW library.
qrb_debian_xlsxwriter(EXTRA_SOURCES minizip/iowin32.c DEFINES USE_FILE32API)
target_include_directories(qrb_xlsxwriter PRIVATE ${QRB_ZLIB_INCLUDE})
target_link_libraries(qrb_xlsxwriter PUBLIC ${QRB_ZLIB_STATIC})
