#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs scenario files with qrb-scenario.exe (the Win32 window) under Wine on a
# headless X server of its own, program and files copied onto drive C: of the
# prefix. The runner's report and exit status are passed on unchanged; a file
# left in a temp folder fails the test.
#
# Usage: scenario.sh WINDOWS_BUILD_DIR FILE.scn...
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../../scripts/win/wine_env.sh
source "$here/../../scripts/win/wine_env.sh"
build=$(cd "${1:?usage: scenario.sh WINDOWS_BUILD_DIR FILE.scn...}" && pwd)
shift
trap 'status=$?; wine_env_cleanup || status=1; exit "$status"' EXIT
# The display the window tests share (display.sh), when it runs; otherwise
# one of its own. The tests take turns, so no other window takes the
# keyboard focus away.
unset DISPLAY
shared=$build/wine-display
if [[ -f $shared ]] && kill -0 "$(sed -n 2p "$shared")" 2> /dev/null; then
    DISPLAY=$(sed -n 1p "$shared")
    export DISPLAY
fi
wine_env_init "$build" display
runner=$(wine_env_program "$build/tests/win/runner/qrb-scenario.exe")
# The files are copied to C:, and read by their names in the current folder.
wine_env_workdir scenario
status=0
for file in "$@"; do
    cp -- "$file" "$WINE_WORK/"
    (cd "$WINE_WORK" && wine "$runner" "$(basename "$file")") || status=$?
done
exit "$status"
