# SPDX-License-Identifier: GPL-3.0-or-later
# The resources of a Windows program: the program's icon, a version resource
# from the one project version, and a manifest (UTF-8 as the process code
# page, per-monitor DPI awareness, no elevation).
#
# The icon is drawn by the Linux build (packaging/, target qrb-windows-icon),
# since this build has no Qt to draw it with.
set(QRB_WINDOWS_ICON ${PROJECT_SOURCE_DIR}/build/default/packaging/windows/qrb-punkte.ico
    CACHE FILEPATH "The program icon (.ico) made by the Linux build's target qrb-windows-icon")
if(NOT EXISTS ${QRB_WINDOWS_ICON})
  message(FATAL_ERROR "No program icon at ${QRB_WINDOWS_ICON}. Build it first in the Linux build: "
    "cmake --preset default && cmake --build --preset default --target qrb-windows-icon "
    "(scripts/win/build.sh does both), or pass -DQRB_WINDOWS_ICON=FILE.ico")
endif()

# qrb_windows_resources(TARGET DESCRIPTION): adds the resources to TARGET.
function(qrb_windows_resources target description)
  set(QRB_RC_NAME ${target})
  set(QRB_RC_DESCRIPTION ${description})
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target}-resources)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/program.manifest.in ${dir}/program.manifest
                 @ONLY)
  set(QRB_RC_MANIFEST ${dir}/program.manifest)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/program.rc.in ${dir}/program.rc @ONLY)
  target_sources(${target} PRIVATE ${dir}/program.rc)
  set_property(SOURCE ${dir}/program.rc APPEND PROPERTY OBJECT_DEPENDS ${QRB_WINDOWS_ICON}
               ${dir}/program.manifest)
endfunction()
