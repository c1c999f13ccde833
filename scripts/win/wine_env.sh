# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash
# Wine for the Windows build's tests and packaging; sourced by their scripts.
#
#   source scripts/win/wine_env.sh
#   wine_env_init BUILD_DIR [display]   # WINEPREFIX=BUILD_DIR/wine, made once
#   wine_env_init BUILD_DIR prefix      # only makes the prefix (the build)
#   wine_env_program FILE.exe           # copies a program into C:\QRB-Punkte
#   wine_env_workdir NAME               # an empty C:\tests\NAME, WINE_WORK
#   wine_env_cleanup                    # ends our Xvfb; fails (status 1) when
#                                       # a file is left in a temp folder
#
# The prefix lives in the build directory, never in the user's home; it is
# initialised once (wineboot -i) under a lock, so tests running side by side
# share it. With "display", a private Xvfb is started when no DISPLAY is set.
#
# The prefix is made to look like a Windows machine, so that a Unix path that
# would work only under Wine fails in the tests as it would on Windows: no
# drive Z: (Wine's door to the whole Unix file system), the user's folders
# real folders rather than links into the Unix home, TEMP and TMP where
# Windows puts them (%USERPROFILE%\AppData\Local\Temp), and no TMPDIR
# (Wine hands it on to Windows programs). Programs and data go under C:, and
# the current folder of every program started is there too.

WINE_ENV_XVFB_PID=""

wine_env_fail() {
    printf 'FAIL: %s\n' "$*" >&2
    return 1
}

wine_env_init() {
    local build=${1:?wine_env_init BUILD_DIR [display|prefix]} want_display=${2:-}
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
    WINE_C=$WINEPREFIX/drive_c
    export WINE_C
    # Wine copies these into the Windows environment; a program must find its
    # temp folder as on Windows. Unix tools of the tests use /tmp from here.
    unset TMPDIR TEMP TMP
    local stamp=$WINEPREFIX/.qrb-windows-like
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
            if ! wine_env_windows_like >> "$build/wine-init.log" 2>&1; then
                flock -u "$wine_lock"
                wine_env_fail "the Wine prefix could not be made Windows-like: $(tail -n 5 "$build/wine-init.log" | tr '\n' ' ')"
                return 1
            fi
            touch "$stamp"
        fi
        flock -u "$wine_lock"
        exec {wine_lock}>&-
    fi
    # Only the prefix: no server is started that no program would end.
    [[ $want_display != prefix ]] || return 0
    # One server for the whole test, not one per program started; it ends by
    # itself a few seconds after the last program (one that no program has
    # used ends only when killed).
    wineserver -p5 2> /dev/null || true
    # The tests take turns in the prefix: what is in a temp folder now was
    # left by an earlier one.
    wine_env_temp_clear
}

# The prefix as a Windows machine has it (run once, after wineboot).
wine_env_windows_like() {
    local key='HKCU\Environment' name
    for name in TEMP TMP; do
        wine reg add "$key" /v "$name" /t REG_EXPAND_SZ /d '%USERPROFILE%\AppData\Local\Temp' /f || return 1
    done
    wineserver -w
    local home
    home=$(wine_env_user_dir) || return 1
    mkdir -p "$home/AppData/Local/Temp"
    rm -rf -- "$home/Temp"
    # Desktop, Documents, ... link to the Unix home: a program writing into
    # its Documents folder must stay in the prefix.
    local link
    for link in "$home"/*; do
        if [[ -L $link ]]; then
            rm -f -- "$link"
            mkdir -p -- "$link"
        fi
    done
    rm -f -- "$WINEPREFIX/dosdevices/z:"
    [[ ! -e $WINEPREFIX/dosdevices/z: ]]
}

# The Unix path of the Windows user's folder (C:\users\NAME).
wine_env_user_dir() {
    local found
    found=$(find "$WINEPREFIX/drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public | head -n 1)
    [[ -n $found ]] || { wine_env_fail "no user folder in $WINEPREFIX/drive_c/users"; return 1; }
    printf '%s' "$found"
}

# The temp folders of the user and of the system.
wine_env_temp_dirs() {
    local home
    home=$(wine_env_user_dir) || return 1
    printf '%s\n' "$home/AppData/Local/Temp" "$WINE_C/windows/temp"
}

wine_env_temp_clear() {
    local dir
    while IFS= read -r dir; do
        if [[ -d $dir ]]; then
            find "$dir" -mindepth 1 -delete
        fi
    done < <(wine_env_temp_dirs)
}

# The files in the temp folders, one a line; nothing when there are none.
# (Wine's printing leaves an empty folder wine_ppds behind, which is no file.)
wine_env_temp_left() {
    local dir
    while IFS= read -r dir; do
        if [[ -d $dir ]]; then
            find "$dir" -mindepth 1 ! -type d
        fi
    done < <(wine_env_temp_dirs)
}

# Copies a program of the build into C:\QRB-Punkte, where a person who
# unpacked the zip would have it, and prints its (Unix) path there.
wine_env_program() {
    local file=${1:?wine_env_program FILE.exe}
    local into=$WINE_C/QRB-Punkte
    mkdir -p "$into"
    [[ -f $file ]] || { wine_env_fail "no $file (preset windows)"; return 1; }
    cmp -s -- "$file" "$into/${file##*/}" || cp -- "$file" "$into/"
    printf '%s' "$into/${file##*/}"
}

# An empty folder C:\tests\NAME for a test's files, as WINE_WORK (Unix path).
wine_env_workdir() {
    local name=${1:?wine_env_workdir NAME}
    WINE_WORK=$WINE_C/tests/$name
    rm -rf -- "$WINE_WORK"
    mkdir -p -- "$WINE_WORK"
}

wine_env_start_xvfb() {
    command -v Xvfb > /dev/null 2>&1 || { wine_env_fail "Xvfb is not installed (package xvfb)"; return 1; }
    local fdfile
    fdfile=$(mktemp -t qrb-xvfb.XXXXXX)
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
    # Whatever the programs made in a temp folder, they must have taken away.
    [[ -n ${WINE_C:-} && -d ${WINE_C:-} ]] || return 0
    local left
    left=$(wine_env_temp_left) || return 0
    if [[ -n $left ]]; then
        wine_env_fail "left in the temp folders:"$'\n'"$left"
        return 1
    fi
}
