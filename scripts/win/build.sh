#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-builds the Windows edition (preset windows, build/windows) with its
# packages, and makes the Wine prefix its tests run in.
#
# Usage: scripts/win/build.sh [ICON.ico]
#   ICON.ico  the program icon drawn by a Linux build (target qrb-windows-icon);
#             without it the Linux build in build/default makes it first.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root"
icon=${1:-}
if [[ -z $icon ]]; then
    icon=$root/build/default/packaging/windows/qrb-punkte.ico
    if [[ ! -f $icon ]]; then
        cmake --preset default > /dev/null
        cmake --build --preset default --target qrb-windows-icon
    fi
fi
cmake --preset windows -DQRB_WINDOWS_ICON="$icon" > /dev/null
cmake --build --preset windows --target all package-windows
# shellcheck source=wine_env.sh
source "$root/scripts/win/wine_env.sh"
wine_env_init "$root/build/windows"
