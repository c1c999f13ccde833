#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The installed program opens its window natively on Wayland: a headless
# weston (own runtime directory and socket, no GPU, no X server) is started,
# qrb-punkte from `cmake --install` runs on it with QT_QPA_PLATFORM=wayland,
# keeps running and writes nothing to standard error, and weston's own scene
# graph shows the program's window mapped there: an xdg_toplevel of the
# program's process, with the window's caption and the application id of the
# desktop entry.
#
# Skipped (77) only when weston is there but cannot start on this machine.
# Usage: wayland.sh BUILD_DIR APP_ID
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"

build=$1
id=$2
caption=QRB-PUNKTE
running_seconds=5

need_tools weston:weston weston-debug:weston timeout:coreutils

work=$(mktemp -d)
weston_pid=
program_pid=
cleanup() {
    # shellcheck disable=SC2086 # empty when not started
    stop_pids $program_pid $weston_pid
    rm -rf "$work"
}
trap cleanup EXIT

echo "== cmake --install"
timeout 120 cmake --install "$build" --prefix "$work/prefix" >"$work/install.log" 2>&1 ||
    fail "cmake --install failed: $(cat "$work/install.log")"
program=$work/prefix/bin/qrb-punkte
[[ -x $program ]] || fail "no $program after cmake --install"

echo "== weston, headless"
runtime=$work/runtime
mkdir -m 700 "$runtime"
socket=qrb-wayland-$$
# --debug offers weston's debug protocol, through which weston-debug reads the
# scene graph; the pixman renderer composites in memory, without a GPU.
env -u DISPLAY -u WAYLAND_DISPLAY XDG_RUNTIME_DIR="$runtime" \
    timeout -k 5 120 weston --no-config --backend=headless-backend.so --use-pixman \
    --shell=desktop-shell.so --socket="$socket" --idle-time=0 --debug \
    >"$work/weston.log" 2>&1 &
weston_pid=$!
for _ in $(seq 100); do
    [[ -S $runtime/$socket ]] && break
    kill -0 "$weston_pid" 2>/dev/null || break
    sleep 0.1
done
if [[ ! -S $runtime/$socket ]] || ! kill -0 "$weston_pid" 2>/dev/null; then
    skip "weston cannot start a headless compositor here: $(tail -5 "$work/weston.log")"
fi
wayland() { env -u DISPLAY XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$socket" "$@"; }
scene_graph() { # the scene graph as weston sees it now, into $work/scene
    rm -f "$work/scene"
    wayland timeout -k 2 5 weston-debug -o "$work/scene" scene-graph >/dev/null 2>&1 || true
    [[ -s $work/scene ]]
}
scene_graph || skip "weston runs but does not answer weston-debug: $(tail -5 "$work/weston.log")"
echo "weston is up on $socket"

echo "== qrb-punkte on Wayland"
# env replaces itself with the program: $! is the program's own process id.
env -u DISPLAY XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$socket" QT_QPA_PLATFORM=wayland \
    "$program" >"$work/out" 2>"$work/err" &
program_pid=$!
started=$SECONDS
toplevel="role xdg_toplevel, PID $program_pid, .*top-level window '$caption' of $id,"
mapped=0
for _ in $(seq 40); do
    kill -0 "$program_pid" 2>/dev/null || break
    if scene_graph && grep -q "$toplevel" "$work/scene"; then
        mapped=1
        break
    fi
    sleep 0.25
done
if ! kill -0 "$program_pid" 2>/dev/null; then
    status=0
    wait "$program_pid" || status=$?
    program_pid=
    fail "qrb-punkte ended with status $status instead of running: $(cat "$work/err")"
fi
((mapped)) || fail "weston shows no window '$caption' of qrb-punkte (PID $program_pid):"$'\n'"$(cat "$work/scene" 2>/dev/null)"
grep -A3 "$toplevel" "$work/scene"
while ((SECONDS - started < running_seconds)); do
    sleep 0.5
done
kill -0 "$program_pid" 2>/dev/null || fail "qrb-punkte ended after its window was mapped: $(cat "$work/err")"
echo "still running after $running_seconds s"
kill -TERM "$program_pid"
wait "$program_pid" 2>/dev/null || true
program_pid=
[[ ! -s $work/err ]] || fail "qrb-punkte wrote to standard error on Wayland:"$'\n'"$(cat "$work/err")"
echo "qrb-punkte runs natively on Wayland: window mapped, nothing on standard error"
