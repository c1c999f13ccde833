# SPDX-License-Identifier: GPL-3.0-or-later
# LIZENZHINWEISE.txt: the parts of others linked into the Windows programs,
# each with its licence, the texts taken from the sources the build used
# (the source packages of expat and libxlsxwriter in the build tree) and from
# the Debian packages of the cross toolchain.
function(qrb_notice_read variable file)
  if(NOT EXISTS ${file})
    message(FATAL_ERROR "The Windows package's notice needs ${file} (scripts/setup.sh installs "
                        "the package that holds it)")
  endif()
  file(READ ${file} text)
  set(${variable} "${text}" PARENT_SCOPE)
endfunction()

# The text of `text` from the line holding `from` to the end of the line
# holding `to`.
function(qrb_notice_cut variable text from to what)
  string(FIND "${text}" "${from}" start)
  if(start LESS 0)
    message(FATAL_ERROR "The Windows package's notice: no \"${from}\" in ${what}")
  endif()
  string(SUBSTRING "${text}" ${start} -1 rest)
  string(FIND "${rest}" "${to}" end)
  if(end LESS 0)
    message(FATAL_ERROR "The Windows package's notice: no \"${to}\" in ${what}")
  endif()
  string(LENGTH "${to}" length)
  math(EXPR end "${end} + ${length}")
  string(SUBSTRING "${rest}" 0 ${end} cut)
  set(${variable} "${cut}" PARENT_SCOPE)
endfunction()

string(REGEX REPLACE ".*-" "" QRB_EXPAT_VERSION "${QRB_EXPAT_SOURCE}")
string(REGEX REPLACE ".*-" "" QRB_XLSXWRITER_VERSION "${QRB_XLSXWRITER_SOURCE}")
# Debian's MinGW compiler names its release only ("12-posix").
string(REGEX MATCH "^[0-9]+" QRB_GCC_VERSION "${CMAKE_CXX_COMPILER_VERSION}")

qrb_notice_read(QRB_EXPAT_LICENCE ${QRB_EXPAT_SOURCE}/COPYING)

# libxlsxwriter's licence page, without the markup of its documentation.
qrb_notice_read(licence ${QRB_XLSXWRITER_SOURCE}/License.txt)
qrb_notice_cut(QRB_XLSXWRITER_LICENCE "${licence}" "Libxlsxwriter is released"
               "`USE_NO_MD5=1` to make." "libxlsxwriter's License.txt")
string(REPLACE "@ref " "" QRB_XLSXWRITER_LICENCE "${QRB_XLSXWRITER_LICENCE}")

qrb_notice_read(QRB_MPL_TEXT /usr/share/common-licenses/MPL-2.0)
qrb_notice_read(QRB_LGPL_TEXT /usr/share/common-licenses/LGPL-3)

# zlib's licence heads its header.
qrb_notice_read(header ${QRB_ZLIB_INCLUDE}/zlib.h)
qrb_notice_cut(QRB_ZLIB_LICENCE "${header}" "  Copyright (C)" "madler@alumni.caltech.edu" "zlib.h")
string(REGEX MATCH "#define ZLIB_VERSION \"([^\"]+)\"" match "${header}")
set(QRB_ZLIB_VERSION ${CMAKE_MATCH_1})

qrb_notice_read(copyright /usr/share/doc/gcc-mingw-w64-base/copyright)
qrb_notice_cut(QRB_GCC_EXCEPTION "${copyright}" "GCC RUNTIME LIBRARY EXCEPTION"
               "requirements of the license of GCC." "gcc-mingw-w64-base's copyright file")

qrb_notice_read(QRB_MINGW_COPYRIGHT /usr/share/doc/mingw-w64-common/copyright)
find_file(QRB_MINGW_VERSION_HEADER _mingw_mac.h)
qrb_notice_read(header ${QRB_MINGW_VERSION_HEADER})
set(QRB_MINGW_VERSION "")
foreach(part MAJOR MINOR BUGFIX)
  string(REGEX MATCH "#define __MINGW64_VERSION_${part} ([0-9]+)" match "${header}")
  string(APPEND QRB_MINGW_VERSION ".${CMAKE_MATCH_1}")
endforeach()
string(SUBSTRING "${QRB_MINGW_VERSION}" 1 -1 QRB_MINGW_VERSION)

# CR LF line ends throughout, the licences' texts included.
configure_file(${CMAKE_CURRENT_LIST_DIR}/LIZENZHINWEISE.txt.in
               ${CMAKE_CURRENT_BINARY_DIR}/LIZENZHINWEISE.lf.txt @ONLY)
file(READ ${CMAKE_CURRENT_BINARY_DIR}/LIZENZHINWEISE.lf.txt notice)
string(REPLACE "\r\n" "\n" notice "${notice}")
string(REPLACE "\n" "\r\n" notice "${notice}")
set(notice_file ${CMAKE_CURRENT_BINARY_DIR}/texts/LIZENZHINWEISE.txt)
set(written "")
if(EXISTS ${notice_file})
  file(READ ${notice_file} written)
endif()
if(NOT written STREQUAL notice)
  file(WRITE ${notice_file} "${notice}")
endif()
