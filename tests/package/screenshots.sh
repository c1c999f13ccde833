#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# scripts/screenshots.sh drives the real window on a virtual X server through
# its four states and ends it with END: four screenshots of the whole window,
# each showing something the others do not.
#
# Usage: screenshots.sh SOURCE_DIR PROGRAM
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"

source=$1
program=$2

for tool in Xvfb:xvfb xdotool:xdotool import:imagemagick; do
    command -v "${tool%%:*}" >/dev/null || skip "${tool%%:*} is missing (Debian package ${tool#*:})"
done

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
QRB_PUNKTE=$program "$source/scripts/screenshots.sh" "$out"

shots=(qrb-punkte-start qrb-punkte-band qrb-punkte qrb-punkte-help)
size=$(identify -format '%wx%h' "$out/qrb-punkte.png")
sums=()
for shot in "${shots[@]}"; do
    [[ -f $out/$shot.png ]] || fail "no $shot.png"
    [[ $(identify -format '%wx%h' "$out/$shot.png") == "$size" ]] ||
        fail "$shot.png is not $size like the others"
    sums+=("$(identify -format '%#' "$out/$shot.png")")
done
# The window at its full size, as the metadata announces it.
[[ $size == 446x373 ]] || fail "the window is $size, not 446x373"
if (($(printf '%s\n' "${sums[@]}" | sort -u | wc -l) != ${#shots[@]})); then
    fail "two screenshots show the same picture"
fi
echo "4 screenshots of $size, all different"
