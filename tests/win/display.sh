#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# One headless X server for the window tests under Wine, started once before
# them and stopped after them (a CTest fixture). Sharing it lets Wine keep its
# desktop and services between the tests instead of starting them anew for
# each file. The display is written to WINDOWS_BUILD_DIR/wine-display.
#
# Usage: display.sh start|stop WINDOWS_BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../../scripts/win/wine_env.sh
source "$here/../../scripts/win/wine_env.sh"
action=${1:?usage: display.sh start|stop WINDOWS_BUILD_DIR}
build=$(cd "${2:?usage: display.sh start|stop WINDOWS_BUILD_DIR}" && pwd)
state=$build/wine-display

stop() {
    if [[ -f $state ]]; then
        local pid keeper
        pid=$(sed -n 2p "$state")
        keeper=$(sed -n 3p "$state")
        # The keeper runs in a process group of its own, which it leads.
        if [[ $keeper =~ ^[0-9]+$ ]]; then
            kill -TERM -- "-$keeper" 2> /dev/null || true
        fi
        if [[ $pid =~ ^[0-9]+$ ]]; then
            kill -TERM "$pid" 2> /dev/null || true
        fi
        rm -f -- "$state"
    fi
}

case $action in
start)
    stop
    # A Wine server still running from a test on another display would keep
    # its desktop there: wait until it has ended (bounded).
    export WINEPREFIX=$build/wine
    timeout 120 wineserver -w 2> /dev/null || true
    unset DISPLAY
    wine_env_start_xvfb
    # The server outlives this script; its output goes nowhere, so that CTest
    # does not wait for it.
    disown "$WINE_ENV_XVFB_PID" 2> /dev/null || true
    # Wine's desktop and services start once, here, and a command prompt
    # waiting for input that never comes keeps them until the stop.
    wine_env_init "$build"
    runner=$(wine_env_program "$build/tests/win/runner/qrb-scenario.exe")
    wine_env_workdir display
    cd "$WINE_WORK"
    wine cmd /c exit 0 > /dev/null 2>&1 || true
    setsid bash -c 'sleep 100000 | wine cmd.exe' < /dev/null > /dev/null 2>&1 &
    keeper=$!
    printf '%s\n%s\n%s\n' "$DISPLAY" "$WINE_ENV_XVFB_PID" "$keeper" > "$state"
    # Wine's desktop comes with the first window: one window opened and
    # closed here starts it with no output of a test to hold on to (CTest
    # waits until every process holding a test's output has ended).
    printf '# the window opened once\n' > wine-display.scn
    wine "$runner" wine-display.scn < /dev/null > /dev/null 2>&1 || true
    echo "display $DISPLAY for the window tests under Wine"
    ;;
stop)
    stop
    ;;
*)
    echo "usage: display.sh start|stop WINDOWS_BUILD_DIR" >&2
    exit 2
    ;;
esac
