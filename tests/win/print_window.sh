#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# DRU in the Win32 window under Wine: the window, driven by qrb-scenario.exe
# through Windows' input queue, prints its log to the default printer as the
# program does. Wine hands the page, as PostScript, to the default queue of a
# private cupsd (tests/print/lib.sh). Ghostscript reads the job back; its
# lines, column for column, must be the lines the window printed.
#
# Usage: print_window.sh WINDOWS_BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../print/lib.sh
source "$here/../print/lib.sh"
# shellcheck source=../../scripts/win/wine_env.sh
source "$here/../../scripts/win/wine_env.sh"

build=$(realpath "${1:?usage: print_window.sh WINDOWS_BUILD_DIR}")
need_tools gs pdftotext pdfinfo

make_workdir
status=0
trap 'status=$?; wine_env_cleanup || status=1; (exit "$status"); cleanup' EXIT
start_cupsd_or_skip
unset DISPLAY
if [[ -f $build/wine-display ]] && kill -0 "$(sed -n 2p "$build/wine-display")" 2> /dev/null; then
    DISPLAY=$(sed -n 1p "$build/wine-display")
    export DISPLAY
fi
wine_env_init "$build" display || fail "Wine could not be set up"
runner=$(wine_env_program "$build/tests/win/runner/qrb-scenario.exe") || fail "no runner"
add_keeping_queue qrb

# Three contacts on three bands, one of them without a multiplier, then DRU;
# the scenario and the jobs' lines in a folder on drive C: of the prefix.
wine_env_workdir print-window
cd "$WINE_WORK"
cat > print.scn << 'SCN'
type LOC1 "jo62qm\r"
type LOC2 "km72\r"
click B2
click OK2
type LOC2 "jn58\r"
click B0
click OK2
type LOC2 "io91\r"
click B9
click OK2
click DRU
expect PRINT.jobs 1
expect PRINT[0].count 6
SCN
: > jobs.txt
wine "$runner" --printer --jobs jobs.txt print.scn > runner.out 2>&1 ||
    fail "qrb-scenario.exe: $(cat runner.out)"
note "the window printed:"
sed 's/.*/|&|/' jobs.txt
cp jobs.txt "$WORK/jobs.txt"

wait_for_jobs qrb 1
mapfile -t ids < <(job_ids qrb)
((${#ids[@]} == 1)) || fail "one DRU gave ${#ids[@]} print jobs, not 1 (job ids: ${ids[*]})"
job=$(job_document "${ids[0]}")
[[ $(head -c 4 "$job") == "%!PS" ]] || fail "the queue did not receive PostScript (starts with \"$(head -c 10 "$job")\")"
gs -q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=pdfwrite -sOutputFile="$WORK/window.pdf" "$job" ||
    fail "Ghostscript cannot read the print job"
# The column names lie one line above the rule.
printed_text "$WORK/window.pdf" "$WORK/window.txt" 1
note "--- the job's lines as Ghostscript gives them back (between | |):"
sed 's/.*/|&|/' "$WORK/window.txt"
compare_lines "the window's printout" "$WORK/jobs.txt" "$WORK/window.txt"
note "PASS: DRU's job reached the printer, column for column"
