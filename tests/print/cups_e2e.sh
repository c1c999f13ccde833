#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# End to end: the real program prints its log through Qt and CUPS into a
# private print queue; the document the queue received must carry the log,
# line by line and column by column, and each DRU click must give one job.
#
# Usage: cups_e2e.sh PATH/TO/qrb-punkte
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=lib.sh
source "$here/lib.sh"

app=${1:?usage: cups_e2e.sh PATH/TO/qrb-punkte}
need_tools Xvfb xdotool pdftotext pdfinfo pdffonts

make_workdir
start_cupsd_or_skip
add_keeping_queue qrb
start_xvfb
start_app "$app"

# Own locator JO62QM; JO73 on 432 MHz (2 points x 2); JN58 on 50 MHz (5 points).
type_enter jo62qm
contact jo73 "$CTL_B2"
contact jn58 "$CTL_B0"
click "$CTL_DRU"
wait_for_jobs qrb 1
app_alive || fail "the program ended after the first DRU click"
# A click hands its job over before it returns; give a second job from the
# same click a moment to show up before counting. (The exact total is counted
# again below, after END, when nothing can be on its way any more.)
sleep 0.5
mapfile -t ids < <(job_ids qrb)
((${#ids[@]} == 1)) || fail "the first DRU click gave ${#ids[@]} print jobs, not 1 (job ids: ${ids[*]})"

# The same log printed a second time.
click "$CTL_DRU"
wait_for_jobs qrb 2
# END: once the program has ended it has handled both DRU clicks completely,
# so no further job can still be on its way.
end_app

mapfile -t ids < <(job_ids qrb)
((${#ids[@]} == 2)) || fail "two DRU clicks gave ${#ids[@]} print job(s), not 2 (job ids: ${ids[*]})"

# The printout: the header and the rule, the empty first log line, then the
# two contacts, each indented by five blanks. The sum (" 9") is not printed.
cat > "$WORK/expected" << 'EOF'
      LOC   QRG   PKT   MUL   QRB
     _____________________________
     
     JO73   432     2     2     4
     JN58    50                 5
EOF

n=0
for id in "${ids[@]}"; do
    n=$((n + 1))
    pdf=$(job_document "$id")
    what="print job $n (qrb-$id)"
    file_type=$(head -c 5 "$pdf")
    [[ $file_type == "%PDF-" ]] || fail "$what: the queue did not receive a PDF (starts with \"$file_type\")"
    pages=$(pdf_pages "$pdf")
    ((pages == 1)) || fail "$what: the five lines took $pages pages, not 1"

    # The print font: "Courier New" or its metric twin, embedded, nothing else.
    fonts=$(pdffonts "$pdf" | awk 'NR > 2 { print $1 }' | sed 's/^[A-Z]\{6\}+//' | sort -u)
    [[ $fonts =~ ^(LiberationMono|CourierNew|CourierNewPSMT)$ ]] ||
        fail "$what: printed in font(s) \"$(tr '\n' ' ' <<< "$fonts")\", not Courier New or Liberation Mono"

    note "--- $what, text as pdftotext -bbox gives it:"
    pdf_words "$pdf" 1
    printed_text "$pdf" "$WORK/got.$n"
    note "--- $what, lines rebuilt from the positions (between | |):"
    sed 's/.*/|&|/' "$WORK/got.$n"
    compare_lines "$what" "$WORK/expected" "$WORK/got.$n"

    if pdf_words "$pdf" 1 | awk '$5 == "9" { found = 1 } END { exit !found }'; then
        fail "$what: the sum 9 appears on the printout"
    fi
    pdf_words "$pdf" 1 | cut -d ' ' -f 1-5 > "$WORK/words.$n"
done

cmp -s "$WORK/words.1" "$WORK/words.2" ||
    fail "the two print jobs differ:"$'\n'"$(diff "$WORK/words.1" "$WORK/words.2" || true)"

note "PASS: one job per DRU click, both with the log in its columns"
