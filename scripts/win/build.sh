#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-builds the Windows edition (preset windows, build/windows) with its
# packages, and makes the Wine prefix its tests run in.
#
# Usage: scripts/win/build.sh [ICON.ico [COASTLINES.bin]]
#   ICON.ico         the program icon drawn by a Linux build (target
#                    qrb-windows-icon)
#   COASTLINES.bin   the map's coastlines baked by a Linux build (target
#                    qrb-coastlines)
#   Without them the Linux build in build/default makes them first. The
#   packages take the page qrb-punkte.html from the web build, which
#   scripts/web/build.sh makes first where it is missing.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root"
icon=${1:-}
coast=${2:-}
targets=()
if [[ -z $icon ]]; then
    icon=$root/build/default/packaging/windows/qrb-punkte.ico
    [[ -f $icon ]] || targets+=(qrb-windows-icon)
fi
if [[ -z $coast ]]; then
    coast=$root/build/default/map/coastlines.bin
    [[ -f $coast ]] || targets+=(qrb-coastlines)
fi
if ((${#targets[@]} > 0)); then
    cmake --preset default > /dev/null
    cmake --build --preset default --target "${targets[@]}"
fi
page=$root/build/web/web/qrb-punkte.html
[[ -f $page ]] || "$root/scripts/web/build.sh" "$coast"
cmake --preset windows -DQRB_WINDOWS_ICON="$icon" -DQRB_COAST_ASSET="$coast" -DQRB_PAGE="$page" > /dev/null
cmake --build --preset windows --target all package-windows
# shellcheck source=wine_env.sh
source "$root/scripts/win/wine_env.sh"
wine_env_init "$root/build/windows" prefix
