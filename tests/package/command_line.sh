#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The command line of qrb-punkte, as a shell user meets it:
# - --help and --version answer on standard output and exit 0 without any
#   display (Qt is forced onto X11 with no X server: had the program tried to
#   open its window, it would abort);
# - a wrong command line gives exactly one line on standard error, nothing on
#   standard output, exit status 2 and no window (here a window could open, on
#   the offscreen platform, and would keep the program running);
# - Qt's own standard options still reach Qt: with them the window starts and
#   keeps running, with nothing on standard error.
#
# Usage: command_line.sh PROGRAM VERSION
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"

program=$1
version=$2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/runtime"

run() { # PLATFORM SECONDS ARGS...: status in $status, output in $work/out, $work/err
    local platform=$1 seconds=$2
    shift 2
    status=0
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_RUNTIME_DIR="$work/runtime" \
        ${platform:+QT_QPA_PLATFORM=$platform} \
        timeout -k 5 "$seconds" "$program" "$@" >"$work/out" 2>"$work/err" || status=$?
}
shown() { printf '%q ' "$@"; }

# Answers: ARGS | what standard output must hold (a grep -E pattern for help,
# the exact line for the version).
help_cases=("--help" "-h" "-platform offscreen --help" "--style fusion -h" "--version --help")
for args in "${help_cases[@]}"; do
    read -ra argv <<<"$args"
    run xcb 20 "${argv[@]}"
    [[ $status -eq 0 ]] || fail "$(shown "${argv[@]}")exits $status: $(cat "$work/err")"
    [[ ! -s $work/err ]] || fail "$(shown "${argv[@]}")writes to stderr: $(cat "$work/err")"
    for want in '^Aufruf: qrb-punkte ' '^  -h, --help ' '^  -v, --version ' 'man qrb-punkte'; do
        grep -Eq -- "$want" "$work/out" ||
            fail "$(shown "${argv[@]}")prints no line matching '$want':"$'\n'"$(cat "$work/out")"
    done
    echo "ok: $(shown "${argv[@]}")prints the help"
done

version_cases=("--version" "-v" "-version" "-reverse --version" "-style=fusion -v")
for args in "${version_cases[@]}"; do
    read -ra argv <<<"$args"
    run xcb 20 "${argv[@]}"
    [[ $status -eq 0 ]] || fail "$(shown "${argv[@]}")exits $status: $(cat "$work/err")"
    [[ ! -s $work/err ]] || fail "$(shown "${argv[@]}")writes to stderr: $(cat "$work/err")"
    [[ $(cat "$work/out") == "qrb-punkte $version" ]] ||
        fail "$(shown "${argv[@]}")prints '$(cat "$work/out")', not 'qrb-punkte $version'"
    echo "ok: $(shown "${argv[@]}")prints qrb-punkte $version"
done

# Refusals: ARGS | a word the one line must name.
refusals=(
    "--frobnicate|--frobnicate"
    "-x|-x"
    "-h --no-such-option|--no-such-option"
    "logbook.adi|logbook.adi"
    "-platform|-platform"
    "--platform=offscreen|--platform=offscreen"
    "-- --help|--help"
)
for entry in "${refusals[@]}"; do
    read -ra argv <<<"${entry%|*}"
    named=${entry#*|}
    run offscreen 20 "${argv[@]}"
    [[ $status -ne 124 ]] || fail "$(shown "${argv[@]}")opened the window instead of refusing"
    [[ $status -eq 2 ]] || fail "$(shown "${argv[@]}")exits $status, not 2: $(cat "$work/err")"
    [[ ! -s $work/out ]] || fail "$(shown "${argv[@]}")writes to stdout: $(cat "$work/out")"
    [[ $(wc -l <"$work/err") -eq 1 ]] ||
        fail "$(shown "${argv[@]}")writes $(wc -l <"$work/err") lines to stderr:"$'\n'"$(cat "$work/err")"
    grep -q '^qrb-punkte: ' "$work/err" || fail "$(shown "${argv[@]}")error does not name the program"
    grep -qF -- "$named" "$work/err" || fail "$(shown "${argv[@]}")error does not name '$named'"
    echo "ok: $(shown "${argv[@]}")refused: $(cat "$work/err")"
done

# Qt's standard options: the window starts on the platform the option names
# (no QT_QPA_PLATFORM, no display) and keeps running until timeout stops it.
qt_cases=(
    "-platform offscreen"
    "--platform offscreen"
    "-platform offscreen -style fusion -reverse"
    "-platform offscreen -style=fusion"
    "-platform offscreen -display :99 -name qrb -title QRB -geometry 400x300"
    "-platform offscreen -qwindowtitle QRB -session none"
)
for args in "${qt_cases[@]}"; do
    read -ra argv <<<"$args"
    run "" 3 "${argv[@]}"
    [[ $status -eq 124 ]] ||
        fail "$(shown "${argv[@]}")ended with status $status instead of running: $(cat "$work/err")"
    [[ ! -s $work/err ]] || fail "$(shown "${argv[@]}")writes to stderr: $(cat "$work/err")"
    echo "ok: $(shown "${argv[@]}")runs the window"
done
echo "command line of $program: all answers right"
