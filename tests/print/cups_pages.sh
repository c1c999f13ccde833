#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# End to end: a log longer than one page. Printed through Qt and CUPS into a
# private queue, every line must arrive exactly once and in order, none cut
# off at the foot of a page or printed over another, and the next page must
# go on at the top, where the first one began.
#
# Usage: cups_pages.sh PATH/TO/qrb-punkte
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=lib.sh
source "$here/lib.sh"

app=${1:?usage: cups_pages.sh PATH/TO/qrb-punkte}
need_tools Xvfb xdotool pdftotext pdfinfo

# 80 contacts and the three lines above them are more than a page of A4 or
# Letter can take with 10 pt lines (at most about 74 even without margins).
readonly CONTACTS=80

# The contacts, seen from JO62QM: JO73 (2 points) on each of the ten bands
# and JN58 (5 points) on 50 MHz, with the log line each of them gives.
kind_locator=(jo73 jo73 jo73 jo73 jo73 jo73 jo73 jo73 jo73 jo73 jn58)
kind_button=("$CTL_B0" "$CTL_B1" "$CTL_B2" "$CTL_B3" "$CTL_B4" "$CTL_B5" "$CTL_B6" "$CTL_B7"
    "$CTL_B8" "$CTL_B9" "$CTL_B0")
kind_line=(
    "JO73    50                 2"
    "JO73   144     2     1     2"
    "JO73   432     2     2     4"
    "JO73   1.2     2     3     6"
    "JO73   2.3     2     4     8"
    "JO73   3.6     2     5    10"
    "JO73   5.7     2     6    12"
    "JO73    10     2     7    14"
    "JO73    24     2     8    16"
    "JO73    47     2     9    18"
    "JN58    50                 5"
)

# The order of the contacts follows a fixed pseudo-random sequence, so that a
# lost, doubled or swapped line cannot hide behind a repeating pattern.
kinds=()
x=1
for ((i = 0; i < CONTACTS; i++)); do
    x=$(((x * 37 + 11) % 101))
    kinds+=($((x % 11)))
done

make_workdir
start_cupsd_or_skip
add_keeping_queue qrb
start_xvfb
start_app "$app"

{
    printf '%s\n' "      LOC   QRG   PKT   MUL   QRB" "     _____________________________" "     "
    for kind in "${kinds[@]}"; do
        printf '     %s\n' "${kind_line[kind]}"
    done
} > "$WORK/expected"

type_enter jo62qm
for kind in "${kinds[@]}"; do
    contact "${kind_locator[kind]}" "${kind_button[kind]}"
done
click "$CTL_DRU"
wait_for_jobs qrb 1
end_app

mapfile -t ids < <(job_ids qrb)
((${#ids[@]} == 1)) || fail "one DRU click gave ${#ids[@]} print jobs, not 1 (job ids: ${ids[*]})"
pdf=$(job_document "${ids[0]}")

printed_text "$pdf" "$WORK/got"
note "--- pages: page, lines, y of first and last line, page height (pt)"
cat "$WORK/got.pages"
note "--- lines rebuilt from the positions (between | |):"
sed 's/.*/|&|/' "$WORK/got"

compare_lines "the long log" "$WORK/expected" "$WORK/got"

pages=$(pdf_pages "$pdf")
((pages >= 2)) || fail "all $((CONTACTS + 3)) lines came out on $pages page; the test needs a log longer than a page"

# Every page: its lines inside the page, and every page after the first
# starting at the top, at the height where the first page began.
while read -r page count first last height; do
    ((count > 0)) || fail "page $page of $pages is empty"
    awk -v l="$last" -v s="$SPACING" -v h="$height" 'BEGIN { exit !(l + s <= h) }' ||
        fail "page $page: its last line (y=$last pt) does not end inside the page (height $height pt)"
    if ((page > 1)); then
        awk -v f="$first" -v t="$TOP" 'BEGIN { d = f - t; if (d < 0) d = -d; exit !(d < 0.05) }' ||
            fail "page $page starts at y=$first pt, not at the top where page 1 starts (y=$TOP pt)"
    fi
done < "$WORK/got.pages"

# Page 1 is used down to its foot before the printout goes on. Taking the
# margin at the foot to be about the one above the first line, the room left
# below the last line of page 1 must be less than that margin and one line.
read -r _ _ _ last1 height1 < <(head -n 1 "$WORK/got.pages")
awk -v l="$last1" -v s="$SPACING" -v h="$height1" -v t="$TOP" 'BEGIN { exit !(h - (l + s) < t + s) }' ||
    fail "page 1 breaks early: its last line is at y=$last1 pt of $height1 pt, with room for more lines"

note "PASS: $((CONTACTS + 3)) lines on $pages pages, each once and in order"
