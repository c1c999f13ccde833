#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs scenario files with qrb-scenario.exe (the Win32 window) under Wine on a
# headless X server of its own, program and files copied onto drive C: of the
# prefix. The runner's report and exit status are passed on unchanged; a file
# left in a temp folder fails the test.
#
# Usage: scenario.sh WINDOWS_BUILD_DIR [--dpi N] [--look] FILE.scn...
#   --dpi N  the screen's dpi for these runs (96 is 100 %), set in the prefix
#            and set back to 96 afterwards
#   --look   the runner checks the window as drawn after each file
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../../scripts/win/wine_env.sh
source "$here/../../scripts/win/wine_env.sh"
build=$(cd "${1:?usage: scenario.sh WINDOWS_BUILD_DIR [--dpi N] [--look] FILE.scn...}" && pwd)
shift
dpi=""
options=()
while (($# > 0)); do
    case $1 in
    --dpi) dpi=${2:?--dpi needs a number} && shift 2 ;;
    --look) options+=(--look) && shift ;;
    *) break ;;
    esac
done
# Each program reads the dpi when it starts; the prefix is shared, so it is
# set for these runs only (the Wine tests take turns).
set_dpi() {
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f > /dev/null 2>&1
}
finish() {
    local status=$1
    if [[ -n $dpi ]]; then
        set_dpi 96 || true
    fi
    wine_env_cleanup || status=1
    exit "$status"
}
trap 'finish $?' EXIT
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
if [[ -n $dpi ]]; then
    set_dpi "$dpi" || { echo "FAIL: could not set the prefix to $dpi dpi" >&2; exit 1; }
fi
# The files are copied to C:, and read by their names in the current folder.
wine_env_workdir scenario
status=0
for file in "$@"; do
    cp -- "$file" "$WINE_WORK/"
    (cd "$WINE_WORK" && wine "$runner" "${options[@]}" "$(basename "$file")") || status=$?
done
exit "$status"
