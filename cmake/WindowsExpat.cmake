# SPDX-License-Identifier: GPL-3.0-or-later
# expat for the Windows build: Debian's own expat source package (the same
# expat the Linux build links), fetched with `apt-get source expat` and built
# once with the cross compiler as a static library into this build tree.
# Sets EXPAT_INCLUDE_DIR and EXPAT_LIBRARY for find_package(EXPAT).
include(${CMAKE_CURRENT_LIST_DIR}/DebianSource.cmake)
set(expat_root ${CMAKE_BINARY_DIR}/expat)
set(expat_prefix ${expat_root}/install)
set(expat_library ${expat_prefix}/lib/libexpat.a)

function(qrb_expat_step what)
  execute_process(${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "expat for Windows: ${what} failed:\n${out}")
  endif()
endfunction()

# The source stays in the build tree: the package's notice takes expat's
# licence from it (packaging/windows).
qrb_debian_source(expat ${expat_root} expat_package)
set(QRB_EXPAT_SOURCE ${expat_package} CACHE INTERNAL "expat's source tree")
if(NOT EXISTS ${expat_library})
  file(REMOVE_RECURSE ${expat_root}/build ${expat_prefix})
  set(expat_source ${expat_package})
  # Debian's source package holds the upstream tree in expat/ below its top.
  if(EXISTS ${expat_source}/expat/CMakeLists.txt)
    set(expat_source ${expat_source}/expat)
  endif()
  message(STATUS "expat for Windows: building ${expat_source}")
  qrb_expat_step("configuring expat"
    COMMAND ${CMAKE_COMMAND} -S ${expat_source} -B ${expat_root}/build -G Ninja
            -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
            -DCMAKE_BUILD_TYPE=Release
            -DCMAKE_INSTALL_PREFIX=${expat_prefix}
            -DEXPAT_SHARED_LIBS=OFF -DEXPAT_BUILD_TOOLS=OFF -DEXPAT_BUILD_EXAMPLES=OFF
            -DEXPAT_BUILD_TESTS=OFF -DEXPAT_BUILD_DOCS=OFF -DEXPAT_BUILD_PKGCONFIG=OFF
            -DEXPAT_MSVC_STATIC_CRT=OFF)
  # Debian builds expat with its configure script, which defines the feature
  # macros as 1, and its patches test them so (#if XML_DTD == 1); expat's CMake
  # defines them empty. Give them the value Debian's build gives them.
  file(READ ${expat_root}/build/expat_config.h config)
  string(REGEX REPLACE "#define (XML_[A-Z_]+)[ \t]*\n" "#define \\1 1\n" config "${config}")
  file(WRITE ${expat_root}/build/expat_config.h "${config}")
  qrb_expat_step("building expat"
    COMMAND ${CMAKE_COMMAND} --build ${expat_root}/build --target install -j 2)
  if(NOT EXISTS ${expat_library})
    file(GLOB_RECURSE built ${expat_prefix}/lib/*.a)
    message(FATAL_ERROR "expat for Windows: no ${expat_library} after the build (found: ${built})")
  endif()
endif()

set(EXPAT_INCLUDE_DIR ${expat_prefix}/include CACHE PATH "expat headers (Windows build)" FORCE)
set(EXPAT_LIBRARY ${expat_library} CACHE FILEPATH "expat static library (Windows build)" FORCE)
