# SPDX-License-Identifier: GPL-3.0-or-later
include_guard(GLOBAL)
# Debian's own source package of a library, for the cross builds (Windows,
# the page's WebAssembly) to compile: the same source the Linux build's
# package was built from. Fetched once per build tree with `apt-get source`, which needs a
# deb-src entry (scripts/setup.sh adds one).
#
#   qrb_debian_source(PACKAGE DIR RESULT)
#
# unpacks the source package PACKAGE below DIR/source (once) and sets RESULT
# to the unpacked tree.
function(qrb_debian_source package dir result)
  file(GLOB unpacked LIST_DIRECTORIES true ${dir}/source/${package}-*)
  list(FILTER unpacked EXCLUDE REGEX "\\.(dsc|tar\\..*|orig.*)$")
  if(NOT unpacked)
    find_program(QRB_APT_GET apt-get REQUIRED)
    file(REMOVE_RECURSE ${dir}/source)
    file(MAKE_DIRECTORY ${dir}/source)
    message(STATUS "${package} from Debian's source package: apt-get source ${package}")
    execute_process(COMMAND ${QRB_APT_GET} source -q ${package}
                    WORKING_DIRECTORY ${dir}/source
                    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "apt-get source ${package} failed (it needs "
                          "a deb-src entry: scripts/setup.sh adds one):\n${out}")
    endif()
    file(GLOB unpacked LIST_DIRECTORIES true ${dir}/source/${package}-*)
    list(FILTER unpacked EXCLUDE REGEX "\\.(dsc|tar\\..*|orig.*)$")
    if(NOT unpacked)
      message(FATAL_ERROR "apt-get source ${package} unpacked nothing")
    endif()
  endif()
  list(GET unpacked 0 unpacked)
  set(${result} ${unpacked} PARENT_SCOPE)
endfunction()

# Debian's expat, built once with its own CMake and the build's toolchain as a
# static library into the build tree:
#
#   qrb_debian_expat(FOR ARG...)
#
# FOR names the build in messages ("Windows", "the page"); ARG... are more
# options for expat's CMake. Sets EXPAT_INCLUDE_DIR and EXPAT_LIBRARY for
# find_package(EXPAT), and QRB_EXPAT_SOURCE to the source tree (a package's
# notice takes expat's licence from it).
function(qrb_debian_expat for)
  set(root ${CMAKE_BINARY_DIR}/expat)
  set(prefix ${root}/install)
  set(library ${prefix}/lib/libexpat.a)
  qrb_debian_source(expat ${root} package)
  set(QRB_EXPAT_SOURCE ${package} CACHE INTERNAL "expat's source tree")
  if(NOT EXISTS ${library})
    file(REMOVE_RECURSE ${root}/build ${prefix})
    set(source ${package})
    # Debian's source package holds the upstream tree in expat/ below its top.
    if(EXISTS ${source}/expat/CMakeLists.txt)
      set(source ${source}/expat)
    endif()
    message(STATUS "expat for ${for}: building ${source}")
    execute_process(
      COMMAND ${CMAKE_COMMAND} -S ${source} -B ${root}/build -G Ninja
              -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE} -DCMAKE_BUILD_TYPE=Release
              -DCMAKE_INSTALL_PREFIX=${prefix}
              -DEXPAT_SHARED_LIBS=OFF -DEXPAT_BUILD_TOOLS=OFF -DEXPAT_BUILD_EXAMPLES=OFF
              -DEXPAT_BUILD_TESTS=OFF -DEXPAT_BUILD_DOCS=OFF -DEXPAT_BUILD_PKGCONFIG=OFF
              ${ARGN}
      RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "expat for ${for}: configuring expat failed:\n${out}")
    endif()
    # Debian builds expat with its configure script, which defines the feature
    # macros as 1, and its patches test them so (#if XML_DTD == 1); expat's
    # CMake defines them empty. Give them the value Debian's build gives them.
    file(READ ${root}/build/expat_config.h config)
    string(REGEX REPLACE "#define (XML_[A-Z_]+)[ \t]*\n" "#define \\1 1\n" config "${config}")
    file(WRITE ${root}/build/expat_config.h "${config}")
    execute_process(COMMAND ${CMAKE_COMMAND} --build ${root}/build --target install -j 2
                    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT status EQUAL 0 OR NOT EXISTS ${library})
      message(FATAL_ERROR "expat for ${for}: building expat failed, or gave no ${library}:\n${out}")
    endif()
  endif()
  set(EXPAT_INCLUDE_DIR ${prefix}/include CACHE PATH "expat headers (${for})" FORCE)
  set(EXPAT_LIBRARY ${library} CACHE FILEPATH "expat static library (${for})" FORCE)
endfunction()

# Debian's libxlsxwriter as the static library qrb_xlsxwriter of this build,
# as its own build makes it: with the minizip it bundles, its tmpfileplus and
# md5, and no encryption in its zip files. Its code is not ours: its warnings
# are not turned into errors. zlib is for the caller to link.
#
#   qrb_debian_xlsxwriter([EXTRA_SOURCES FILE...] [DEFINES DEFINITION...])
#
# EXTRA_SOURCES are more files below its third_party/. Sets
# QRB_XLSXWRITER_SOURCE to the source tree (a package's notice takes the
# licence from it).
function(qrb_debian_xlsxwriter)
  cmake_parse_arguments(arg "" "" "EXTRA_SOURCES;DEFINES" ${ARGN})
  qrb_debian_source(libxlsxwriter ${CMAKE_BINARY_DIR}/libxlsxwriter source)
  set(QRB_XLSXWRITER_SOURCE ${source} CACHE INTERNAL "libxlsxwriter's source tree")
  file(GLOB sources ${source}/src/*.c)
  set(third_party ${source}/third_party)
  list(TRANSFORM arg_EXTRA_SOURCES PREPEND ${third_party}/)
  add_library(qrb_xlsxwriter STATIC ${sources}
    ${third_party}/minizip/ioapi.c ${third_party}/minizip/zip.c
    ${third_party}/tmpfileplus/tmpfileplus.c ${third_party}/md5/md5.c ${arg_EXTRA_SOURCES})
  target_include_directories(qrb_xlsxwriter SYSTEM PUBLIC ${source}/include)
  target_compile_definitions(qrb_xlsxwriter PRIVATE NOCRYPT NOUNCRYPT ${arg_DEFINES})
  target_compile_options(qrb_xlsxwriter PRIVATE -w)
endfunction()
