# SPDX-License-Identifier: GPL-3.0-or-later
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
