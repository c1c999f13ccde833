#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the real QRB-Punkte window on a virtual X server, drives it with the
# keyboard and mouse as a person would, and saves PNG screenshots of the window:
#
#   qrb-punkte-start.png  right after the start
#   qrb-punkte-band.png   a scored contact with the band display open
#   qrb-punkte.png        a log of several contacts with the running sum
#   qrb-punkte-help.png   the help panel about the old QTH-Kenner
#   qrb-punkte-200.png    a log at 200 % (QT_SCALE_FACTOR=2), as on a screen of
#                         twice the usual pixel density
#
# Usage: scripts/screenshots.sh [OUTPUT_DIR]      (default: docs/screenshots)
#
# QRB_PUNKTE=/path/to/qrb-punkte picks the program to show; without it the
# program of the default build is (re)built and shown.
# Needs Xvfb, xdotool and ImageMagick's import (Debian: xvfb xdotool imagemagick).
set -euo pipefail
cd "$(dirname "$0")/.."

out=${1:-docs/screenshots}
mkdir -p "$out"
out=$(cd "$out" && pwd)

missing=()
for tool in Xvfb xdotool import; do
    command -v "$tool" >/dev/null || missing+=("$tool")
done
if ((${#missing[@]} > 0)); then
    echo "screenshots.sh: missing ${missing[*]}; install: apt-get install xvfb xdotool imagemagick" >&2
    exit 1
fi

if [[ -n ${QRB_PUNKTE:-} ]]; then
    program=$QRB_PUNKTE
else
    cmake --preset default >/dev/null
    cmake --build --preset default --target qrb-punkte >/dev/null
    program=$PWD/build/default/app/qrb-punkte
fi
[[ -x $program ]] || {
    echo "screenshots.sh: no program at $program" >&2
    exit 1
}

work=$(mktemp -d)
xvfb_pid=
app_pid=
cleanup() {
    if [[ -n $app_pid ]]; then kill "$app_pid" 2>/dev/null || true; fi
    if [[ -n $xvfb_pid ]]; then kill "$xvfb_pid" 2>/dev/null || true; fi
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A screen of its own at 96 dpi, room for the window at 200 %; Xvfb picks a
# free display number and tells it.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -dpi 96 -nolisten tcp 3>"$work/display" \
    >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
    [[ -s $work/display ]] && break
    sleep 0.1
done
[[ -s $work/display ]] || {
    echo "screenshots.sh: Xvfb did not start:" >&2
    cat "$work/xvfb.log" >&2
    exit 1
}
DISPLAY=:$(head -n1 "$work/display")
export DISPLAY

# The program as a person starts it on an X desktop, with nothing of the
# caller's Qt settings; SCALE sets QT_SCALE_FACTOR.
mkdir -m 700 "$work/runtime"
window=
width=
start_program() { # SCALE
    local scale=(-u QT_SCALE_FACTOR)
    [[ $1 == 1 ]] || scale=(QT_SCALE_FACTOR="$1")
    env -u QT_QPA_PLATFORM -u QT_SCREEN_SCALE_FACTORS -u QT_STYLE_OVERRIDE -u QT_FONT_DPI \
        "${scale[@]}" XDG_RUNTIME_DIR="$work/runtime" LANG=C.UTF-8 \
        "$program" >"$work/app.log" 2>&1 &
    app_pid=$!
    window=$(timeout 20 xdotool search --sync --onlyvisible --pid "$app_pid" --name '^QRB-PUNKTE$' |
        head -n1)
    [[ -n $window ]] || {
        echo "screenshots.sh: the window did not appear:" >&2
        cat "$work/app.log" >&2
        exit 1
    }
    # There is no window manager to hand out the keyboard focus.
    xdotool windowfocus --sync "$window"
    width=$(xdotool getwindowgeometry --shell "$window" | sed -n 's/^WIDTH=//p')
}

# The window lays its controls out in twips; its client area is 6690 twips
# wide, and a twip is as long across as down.
settle() { sleep 0.4; }
click_at() { # LEFT TOP WIDTH HEIGHT of a control, in twips
    local x y
    x=$(((($1 + $3 / 2) * width + 3345) / 6690))
    y=$(((($2 + $4 / 2) * width + 3345) / 6690))
    xdotool mousemove --window "$window" "$x" "$y" click 1
    settle
}
type_enter() {
    xdotool type --delay 40 "$1"
    xdotool key Return
    settle
}
shot() {
    # The pointer leaves the window so that no control shows a hover.
    xdotool mousemove 1270 1010
    settle
    import -window "$window" -define png:exclude-chunks=date,time "$out/$1.png"
    echo "$out/$1.png"
}

B1=(375 3200 675 210)   # 144 MHz
B2=(375 3500 675 210)   # 432 MHz
B3=(375 3800 675 210)   # 1.2 GHz
B7=(1440 3500 675 210)  # 10 GHz
OK2=(2280 4800 600 300) # OK
QTH2=(1500 2100 975 300)
INF=(2600 2100 300 300) # ?
OK1=(6000 500 600 300)  # END

start_program 1
settle
shot qrb-punkte-start

# Own locator, then a contact on 432 MHz: the band display is open, the points
# are shown and OK waits.
type_enter jo62qm
type_enter jo73
click_at "${B2[@]}"
shot qrb-punkte-band

# Confirm it and log a few more contacts, one from an old QTH-Kenner.
click_at "${OK2[@]}"
type_enter jn58
click_at "${B1[@]}"
click_at "${OK2[@]}"
type_enter io91
click_at "${B7[@]}"
click_at "${OK2[@]}"
click_at "${QTH2[@]}"
type_enter dl47
click_at "${B3[@]}"
click_at "${OK2[@]}"
type_enter km72
click_at "${B2[@]}"
click_at "${OK2[@]}"
shot qrb-punkte

# The help panel lies over the log.
click_at "${INF[@]}"
shot qrb-punkte-help

# END ends the program.
end_program() {
    click_at "${OK1[@]}"
    for _ in $(seq 50); do
        kill -0 "$app_pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$app_pid" 2>/dev/null; then
        echo "screenshots.sh: END did not end the program" >&2
        exit 1
    fi
    app_pid=
}
end_program

# At 200 %: every caption whole and every line drawn at twice the pixels.
start_program 2
type_enter jo62qm
type_enter jo73
click_at "${B2[@]}"
click_at "${OK2[@]}"
type_enter jn58
click_at "${B1[@]}"
click_at "${OK2[@]}"
type_enter io91
click_at "${B7[@]}"
shot qrb-punkte-200
end_program
