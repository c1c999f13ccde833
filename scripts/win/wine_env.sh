# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash
# Wine for the Windows build's tests and packaging; sourced by their scripts.
#
#   source scripts/win/wine_env.sh
#   wine_env_init BUILD_DIR [display]   # WINEPREFIX=BUILD_DIR/wine, made once
#   wine_env_cleanup                    # ends our Xvfb (call it from the EXIT trap)
#
# The prefix lives in the build directory, never in the user's home; it is
# initialised once (wineboot -i) under a lock, so tests running side by side
# share it. With "display", a private Xvfb is started when no DISPLAY is set.

WINE_ENV_XVFB_PID=""

wine_env_fail() {
    printf 'FAIL: %s\n' "$*" >&2
    return 1
}

wine_env_init() {
    local build=${1:?wine_env_init BUILD_DIR [display]} want_display=${2:-}
    command -v wine > /dev/null 2>&1 || { wine_env_fail "wine is not installed (scripts/setup.sh installs it)"; return 1; }
    mkdir -p "$build"
    WINEPREFIX=$(cd "$build" && pwd)/wine
    export WINEPREFIX
    export WINEARCH=win64
    export WINEDEBUG=-all
    # No Mono or Gecko download dialogs; no menu entries or file associations
    # in the user's desktop.
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    if [[ $want_display == display && -z ${DISPLAY:-} ]]; then
        wine_env_start_xvfb || return 1
    fi
    local stamp=$WINEPREFIX/.qrb-initialised
    if [[ ! -e $stamp ]]; then
        # One initialisation at a time; the others wait for it.
        exec {wine_lock}> "$build/wine.lock"
        flock "$wine_lock"
        if [[ ! -e $stamp ]]; then
            echo "initialising the Wine prefix $WINEPREFIX (once; takes a while)"
            rm -rf -- "$WINEPREFIX"
            if ! wine wineboot -i > "$build/wine-init.log" 2>&1; then
                flock -u "$wine_lock"
                wine_env_fail "wineboot -i failed: $(tail -n 5 "$build/wine-init.log" | tr '\n' ' ')"
                return 1
            fi
            wineserver -w
            touch "$stamp"
        fi
        flock -u "$wine_lock"
        exec {wine_lock}>&-
    fi
    # One server for the whole test, not one per program started; it ends by
    # itself a few seconds after the last program.
    wineserver -p5 2> /dev/null || true
}

wine_env_start_xvfb() {
    command -v Xvfb > /dev/null 2>&1 || { wine_env_fail "Xvfb is not installed (package xvfb)"; return 1; }
    local fdfile
    fdfile=$(mktemp "${TMPDIR:-/tmp}/qrb-xvfb.XXXXXX")
    Xvfb -displayfd 3 -screen 0 1024x768x24 -dpi 96 -nolisten tcp -noreset \
        3> "$fdfile" > /dev/null 2>&1 &
    WINE_ENV_XVFB_PID=$!
    local i
    for ((i = 0; i < 150; i++)); do
        grep -q '^[0-9][0-9]*$' "$fdfile" && break
        kill -0 "$WINE_ENV_XVFB_PID" 2> /dev/null || break
        sleep 0.1
    done
    if ! grep -q '^[0-9][0-9]*$' "$fdfile"; then
        rm -f -- "$fdfile"
        wine_env_fail "Xvfb reported no display number"
        return 1
    fi
    DISPLAY=":$(head -n 1 "$fdfile")"
    export DISPLAY
    rm -f -- "$fdfile"
}

wine_env_cleanup() {
    # Wine's own helpers (services, explorer) end with the server, which ends
    # by itself a few seconds after the last program; other tests may still
    # be using the same prefix, so it is not killed here.
    if [[ -n $WINE_ENV_XVFB_PID ]]; then
        kill -TERM "$WINE_ENV_XVFB_PID" 2> /dev/null || true
        wait "$WINE_ENV_XVFB_PID" 2> /dev/null || true
        WINE_ENV_XVFB_PID=""
    fi
}
