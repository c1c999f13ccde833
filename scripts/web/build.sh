#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the page (preset web, build/web): the window session and the
# logbook's report compiled to WebAssembly and inlined with the page's
# scripts, style and fonts into build/web/web/qrb-punkte.html.
#
# Usage: scripts/web/build.sh [COASTLINES.bin]
#   COASTLINES.bin   the map's coastlines baked by a Linux build (target
#                    qrb-coastlines); without it the Linux build in
#                    build/default makes them first.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root"
coast=${1:-}
if [[ -z $coast ]]; then
    coast=$root/build/default/map/coastlines.bin
    if [[ ! -f $coast ]]; then
        cmake --preset default > /dev/null
        cmake --build --preset default --target qrb-coastlines
    fi
fi
cmake --preset web -DQRB_COAST_ASSET="$coast" > /dev/null
cmake --build --preset web
