#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# qrb-score.exe --print under Wine: Wine hands the page, as PostScript, to the
# default queue of a private cupsd (tests/print/lib.sh). Ghostscript reads the
# job back; its lines, column for column, must be the lines the Linux
# qrb-score lays out for the same log (--pdf).
#
# Usage: print.sh LINUX_QRB_SCORE WINDOWS_BUILD_DIR MODE
#   lines       a short log: one job, one page, the lines in their columns
#   pages       a log of several pages: every line once, in order, and each
#               page filled down to its printable bottom before the next
#   no-printer  a cupsd without any queue: one line with the reason on
#               standard error, exit status 1, no job
#   silent      a print server that takes the connection and never answers:
#               the job is given up after the answer time, with its reason,
#               and the program ends (status 1) instead of hanging
#   map         --map=page: the map of the scored squares, drawn through GDI,
#               is the job's first page, the report follows on the second
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../print/lib.sh
source "$here/../print/lib.sh"
# shellcheck source=../../scripts/win/wine_env.sh
source "$here/../../scripts/win/wine_env.sh"

linux_score=${1:?usage: print.sh LINUX_QRB_SCORE WINDOWS_BUILD_DIR lines|pages|no-printer|silent|map}
build=${2:?usage: print.sh LINUX_QRB_SCORE WINDOWS_BUILD_DIR lines|pages|no-printer|silent|map}
mode=${3:?usage: print.sh LINUX_QRB_SCORE WINDOWS_BUILD_DIR lines|pages|no-printer|silent|map}
linux_score=$(realpath "$linux_score")
build=$(realpath "$build")
exe=$build/qrb-score/qrb-score.exe
[[ -f $exe ]] || fail "no $exe (preset windows)"
need_tools gs pdftotext pdfinfo pdffonts

make_workdir
# The test's cleanup first ends Wine's programs, then its own processes.
SILENT_PID=""
trap 'status=$?; wine_env_cleanup || status=1; stop_pid "$SILENT_PID"; (exit "$status"); cleanup' EXIT
if [[ $mode == silent ]]; then
    # Listens, but never accepts, reads or writes.
    export CUPS_SERVER=$WORK/silent.sock
    python3 -c 'import socket, sys, time
s = socket.socket(socket.AF_UNIX)
s.bind(sys.argv[1])
s.listen(16)
time.sleep(600)' "$CUPS_SERVER" &
    SILENT_PID=$!
    wait_until 10 "the silent server did not listen" test -S "$CUPS_SERVER"
else
    start_cupsd_or_skip
fi
wine_env_init "$build" || fail "Wine could not be set up"
exe=$(wine_env_program "$exe")
wine_env_workdir print

# One own locator, so the rule has four lines above it: the page title, an
# empty line, "Eigener Locator" and the column names.
# Named from the folder of the log (on drive C: of the prefix), so that the
# name printed with a skipped contact is short and the same on both systems.
cd "$WINE_WORK"
log=log.adi
contact_line() { printf '<CALL:4>DL%s<BAND:2>2m<MY_GRIDSQUARE:6>JO62QM<GRIDSQUARE:4>%s<EOR>\n' "$@"; }
case $mode in
lines | map)
    {
        contact_line 1A JO73
        printf '<CALL:4>DL1B<BAND:4>70cm<MY_GRIDSQUARE:6>JO62QM<GRIDSQUARE:4>JN58<EOR>\n'
        printf '<CALL:4>DL1C<BAND:2>6m<MY_GRIDSQUARE:6>JO62QM<GRIDSQUARE:4>IO91<EOR>\n'
        printf '<CALL:4>DL1D<BAND:3>20m<MY_GRIDSQUARE:6>JO62QM<GRIDSQUARE:4>JO73<EOR>\n'
    } > "$log"
    ;;
pages)
    # 130 contacts: more than one page at 10 pt on A4 or Letter.
    for ((i = 0; i < 130; i++)); do
        contact_line "$((i % 10))X" "J$(printf '%s' NOPQ | cut -c $((i % 4 + 1)))$((i / 10 % 10))$((i % 10))"
    done > "$log"
    ;;
no-printer)
    printf '<CALL:4>DL1A<BAND:2>2m<MY_GRIDSQUARE:6>JO62QM<GRIDSQUARE:4>JO73<EOR>\n' > "$log"
    status=0
    wine "$exe" --print "$log" > "$WORK/out" 2> "$WORK/err" || status=$?
    note "qrb-score.exe said: $(cat "$WORK/err")"
    ((status == 1)) || fail "exit status $status without a printer, not 1"
    [[ $(cat "$WORK/err") == "qrb-score: nicht gedruckt: kein Standarddrucker eingerichtet" ]] ||
        fail "not the one line with the reason on standard error: $(cat "$WORK/err")"
    [[ ! -s $WORK/out ]] || fail "printing wrote to standard output: $(head -c 300 "$WORK/out")"
    jobs=$(find "$CUPSD_SPOOL" -name 'd*' | wc -l)
    ((jobs == 0)) || fail "$jobs print job(s) arrived although there is no queue"
    note "PASS: no printer, one line with the reason, exit status 1"
    exit 0
    ;;
silent)
    printf '<CALL:4>DL1A<BAND:2>2m<MY_GRIDSQUARE:6>JO62QM<GRIDSQUARE:4>JO73<EOR>\n' > "$log"
    status=0
    started=$SECONDS
    timeout 60 wine "$exe" --print "$log" > "$WORK/out" 2> "$WORK/err" || status=$?
    note "qrb-score.exe said after $((SECONDS - started)) s: $(cat "$WORK/err")"
    ((status != 124)) || fail "qrb-score.exe --print still ran after 60 s with a silent print server"
    ((status == 1)) || fail "exit status $status with a silent print server, not 1"
    [[ $(cat "$WORK/err") == "qrb-score: nicht gedruckt: der Drucker antwortet nicht" ]] ||
        fail "not the one line with the reason on standard error: $(cat "$WORK/err")"
    note "PASS: a silent print server, given up with the reason, the program ended"
    exit 0
    ;;
*)
    fail "unknown mode \"$mode\" (lines, pages, no-printer or silent)"
    ;;
esac

add_keeping_queue qrb
if [[ $mode == map ]]; then
    wine "$exe" --print --map=page "$log" > "$WORK/out" 2> "$WORK/err" ||
        fail "qrb-score.exe --print --map=page ended with status $?: $(cat "$WORK/err")"
    [[ ! -s $WORK/err ]] || fail "qrb-score.exe --print --map=page wrote messages: $(cat "$WORK/err")"
    wait_for_jobs qrb 1
    mapfile -t ids < <(job_ids qrb)
    ((${#ids[@]} == 1)) || fail "one --print gave ${#ids[@]} print jobs, not 1"
    gs -q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=pdfwrite -sOutputFile="$WORK/windows.pdf" \
        "$(job_document "${ids[0]}")" || fail "Ghostscript cannot read the print job"
    pages=$(pdf_pages "$WORK/windows.pdf")
    first=$(pdftotext -f 1 -l 1 "$WORK/windows.pdf" - | tr -s ' \n' ' ')
    second=$(pdftotext -layout -f 2 -l 2 "$WORK/windows.pdf" - | tr -s ' \n' ' ')
    note "page 1: $first"
    ((pages == 2)) || fail "the map and the report took $pages pages, not 2"
    # The scored squares with their points and contacts; the short-wave
    # contact is not on the map.
    for square in JO73 JN58 IO91; do
        [[ $first == *"$square"* ]] || fail "the map page does not show $square"
    done
    [[ $first == *"Punkte"* && $first == *"eigener Locator"* && $first != *Seite* ]] ||
        fail "the map page is not the map"
    [[ $second == *"JO73 144 2 1 2 DL1A"* && $second == *"Seite 1 von 1"* ]] ||
        fail "the report does not follow on the second page: $second"
    note "PASS: the map drawn through GDI on the first page, the report on the second"
    exit 0
fi
wine "$exe" --print "$log" > "$WORK/out" 2> "$WORK/err" || fail "qrb-score.exe --print ended with status $?: $(cat "$WORK/err")"
[[ ! -s $WORK/err ]] || fail "qrb-score.exe --print wrote messages: $(cat "$WORK/err")"
[[ ! -s $WORK/out ]] || fail "printing wrote to standard output: $(head -c 300 "$WORK/out")"
wait_for_jobs qrb 1
mapfile -t ids < <(job_ids qrb)
((${#ids[@]} == 1)) || fail "one --print gave ${#ids[@]} print jobs, not 1 (job ids: ${ids[*]})"
job=$(job_document "${ids[0]}")
[[ $(head -c 4 "$job") == "%!PS" ]] || fail "the queue did not receive PostScript (starts with \"$(head -c 10 "$job")\")"

# The job read back by Ghostscript, and the Linux printout of the same log.
gs -q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=pdfwrite -sOutputFile="$WORK/windows.pdf" "$job" ||
    fail "Ghostscript cannot read the print job"
"$linux_score" --pdf "$WORK/linux.pdf" "$log" 2> "$WORK/linux.err" ||
    fail "the Linux qrb-score --pdf failed: $(cat "$WORK/linux.err")"
printed_text "$WORK/linux.pdf" "$WORK/linux.txt" 4
printed_text "$WORK/windows.pdf" "$WORK/windows.txt" 4
note "--- the job's lines as Ghostscript gives them back (between | |):"
head -n 12 "$WORK/windows.txt" | sed 's/.*/|&|/'
# The report's pages: the title on top of each, "Seite N von M" at its foot.
# The Windows printer's paper need not be the PDF's A4, so the pages break
# elsewhere; the report's own lines must be the same, in the same columns.
pages=$(pdf_pages "$WORK/windows.pdf")
[[ $(grep -c "^QRB-Punkte: " "$WORK/windows.txt") == "$pages" ]] ||
    fail "not one title on each of the $pages pages"
for ((page = 1; page <= pages; page++)); do
    grep -Eq "^ +Seite $page von $pages\$" "$WORK/windows.txt" || fail "no \"Seite $page von $pages\""
done
body() { grep -Ev '^(QRB-Punkte: .*| +Seite [0-9]+ von [0-9]+ *| *)$' "$1" > "$2" || true; }
body "$WORK/linux.txt" "$WORK/linux.body"
body "$WORK/windows.txt" "$WORK/windows.body"
compare_lines "the Windows printout" "$WORK/linux.body" "$WORK/windows.body"

# The print font: Courier New or its metric twin, nothing else.
fonts=$(pdffonts "$WORK/windows.pdf" | awk 'NR > 2 { print $1 }' | sed 's/^[A-Z]\{6\}+//' | sort -u)
[[ $fonts =~ ^(LiberationMono|CourierNew|CourierNewPSMT)$ ]] ||
    fail "printed in font(s) \"$(tr '\n' ' ' <<< "$fonts")\", not Courier New or Liberation Mono"

pages=$(pdf_pages "$WORK/windows.pdf")
if [[ $mode == lines ]]; then
    ((pages == 1)) || fail "$(wc -l < "$WORK/linux.txt") lines took $pages pages, not 1"
    note "PASS: the job's lines are the Linux printout's, column for column"
    exit 0
fi

# Page breaks: the printable area is the job's bounding box (PostScript
# counts from the bottom); a page ends when the next line would reach below
# it. (The glyph boxes read back differ from the font's own ascent and
# descent by a little, so "another line fitted" allows a quarter of a line.)
# Every page starts at the same height.
read -r _ bottom _ top < <(sed -n 's/^%%BoundingBox: //p' "$job" | head -n 1)
height=$(awk '$1 == "Page" && $2 == 1 && $3 == "size:" { print $6 }' < <(pdfinfo -f 1 -l 1 "$WORK/windows.pdf"))
((pages >= 2)) || fail "$(wc -l < "$WORK/linux.txt") lines took $pages page, not several"
note "pages (page lines firstY lastY height): $(tr '\n' ';' < "$WORK/windows.txt.pages")"
for ((page = 1; page < pages; page++)); do
    pdf_words "$WORK/windows.pdf" "$page" | awk -v sp="$SPACING" -v h="$height" -v b="$bottom" -v p="$page" '
        { if ($4 > low) low = $4 }
        END {
            limit = h - b
            if (low > limit + 0.5) { printf "page %d: a line reaches y=%.2f, below the printable bottom %.2f\n", p, low, limit; exit 1 }
            if (low + sp <= limit - sp / 4) { printf "page %d ends at y=%.2f although another line fitted above %.2f\n", p, low, limit; exit 1 }
        }' || fail "page break out of place"
done
[[ -n $top ]] || fail "the job has no bounding box"
tops=$(awk '{ print $3 }' "$WORK/windows.txt.pages" | sort -u | wc -l)
((tops == 1)) || fail "the pages start at different heights: $(tr '\n' ';' < "$WORK/windows.txt.pages")"
note "PASS: $(wc -l < "$WORK/windows.txt") lines on $pages pages, in order, each page filled"
