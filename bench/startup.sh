#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Start-up benchmark: builds qrb-punkte-firstpaint, the window with one label,
# the bare Qt window and the driver, then starts the three in turn on a private
# Xvfb and prints for each the wall time to the first paint (median and
# fastest), the wall time to the end, CPU time and peak RSS, with the ratios to
# the bare window.
#
# usage: bench/startup.sh [BUILD_DIR [RUNS]]
#   BUILD_DIR  default build/bench (configured as RelWithDebInfo if new)
#   RUNS       starts of each executable, default 30
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/bench}
runs=${2:-30}

if [[ ! -f $build/CMakeCache.txt ]]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DBUILD_TESTING=OFF >/dev/null
fi
cmake --build "$build" --target qrb-bench-startup qrb-punkte-firstpaint \
  qrb-label-window-firstpaint qrb-bare-window-firstpaint >/dev/null

echo "Machine: $(nproc) CPUs, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //')," \
  "$(awk '/MemTotal/ {printf "%.1f GiB", $2 / 1048576}' /proc/meminfo) RAM," \
  "load average $(cut -d' ' -f1-3 /proc/loadavg)"
status=0
"$build/bench/qrb-bench-startup" --runs "$runs" --csv "$build/bench/startup.csv" \
  --names "qrb-punkte,one label,bare window" "$build/bench/qrb-punkte-firstpaint" \
  "$build/bench/qrb-label-window-firstpaint" "$build/bench/qrb-bare-window-firstpaint" || status=$?
echo "Load average after the run: $(cut -d' ' -f1-3 /proc/loadavg)"
exit "$status"
