# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 toolchain
# (package g++-mingw-w64-x86-64). The posix thread model is used, so that
# std::thread and std::mutex are there.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QRB_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QRB_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QRB_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${QRB_MINGW_PREFIX}-windres)
set(CMAKE_AR ${QRB_MINGW_PREFIX}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${QRB_MINGW_PREFIX}-ranlib CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${QRB_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs run under Wine when CMake or CTest need to start them.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
