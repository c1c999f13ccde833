#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs scenario files with qrb-scenario.exe (the Win32 window) under Wine on a
# headless X server of its own. The runner's report and exit status are
# passed on unchanged.
#
# Usage: scenario.sh WINDOWS_BUILD_DIR FILE.scn...
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../../scripts/win/wine_env.sh
source "$here/../../scripts/win/wine_env.sh"
build=$(cd "${1:?usage: scenario.sh WINDOWS_BUILD_DIR FILE.scn...}" && pwd)
shift
runner=$build/tests/win/runner/qrb-scenario.exe
[[ -x $runner ]] || { echo "FAIL: no $runner (preset windows)" >&2; exit 1; }
trap wine_env_cleanup EXIT
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
status=0
for file in "$@"; do
    # Wine reads the file by its name in the current folder (drive Z: is /).
    (cd "$(dirname "$file")" && wine "$runner" "$(basename "$file")") || status=$?
done
exit "$status"
