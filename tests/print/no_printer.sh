#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# DRU without a default printer: the real program says so in exactly one line
# on standard error per click, keeps running and takes the next contact.
#
# Usage: no_printer.sh PATH/TO/qrb-punkte MODE
#   no-server    the CUPS clients point at a socket where no server listens
#   empty-cupsd  a private cupsd that has no print queue at all
#   rejecting    a private cupsd whose default queue refuses new jobs
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=lib.sh
source "$here/lib.sh"

app=${1:?usage: no_printer.sh PATH/TO/qrb-punkte no-server|empty-cupsd|rejecting}
mode=${2:?usage: no_printer.sh PATH/TO/qrb-punkte no-server|empty-cupsd|rejecting}
need_tools Xvfb xdotool

readonly PREFIX="qrb-punkte: nicht gedruckt:"

make_workdir
case $mode in
no-server)
    export CUPS_SERVER=$WORK/no-cupsd/cups.sock
    [[ ! -e $CUPS_SERVER ]] || fail "test error: $CUPS_SERVER exists"
    note "CUPS clients point at $CUPS_SERVER, where no server listens"
    ;;
empty-cupsd)
    start_cupsd_or_skip
    queues=$(lpstat -e 2> /dev/null || true)
    [[ -z $queues ]] || fail "the private cupsd is not empty, it has queues: $queues"
    ;;
rejecting)
    start_cupsd_or_skip
    add_keeping_queue closed
    cupsreject -r "closed for the test" closed || fail "cupsreject failed"
    ;;
*)
    fail "unknown mode \"$mode\" (no-server, empty-cupsd or rejecting)"
    ;;
esac

start_xvfb
start_app "$app"

complaints() { grep -c "^$PREFIX" "$WORK/app.err" || true; }
complaint_count_is() { (($(complaints) >= $1)); }

type_enter jo62qm
contact jo73 "$CTL_B2"
click "$CTL_DRU"
wait_until 15 "no line \"$PREFIX ...\" on standard error after DRU (the click hangs or is silent)" \
    complaint_count_is 1
app_alive || fail "the program ended after DRU without a printer"

# Still taking input: a new foreign locator (its first key switches DRU off),
# a band and OK (which switches DRU on again), then DRU once more. Only if the
# program handled all of that does a second click say "nicht gedruckt".
contact jn58 "$CTL_B0"
count=$(complaints)
((count == 1)) || fail "one DRU click gave $count lines \"$PREFIX\", not 1:"$'\n'"$(cat "$WORK/app.err")"
click "$CTL_DRU"
wait_until 15 "the program did not take the second contact and DRU after printing failed (no second \"$PREFIX\" line)" \
    complaint_count_is 2
app_alive || fail "the program ended after the second DRU click"
end_app

count=$(complaints)
((count == 2)) || fail "two DRU clicks gave $count lines \"$PREFIX\", not 2:"$'\n'"$(cat "$WORK/app.err")"
# Each of them a whole line that says why.
bad=$(grep "^$PREFIX" "$WORK/app.err" | grep -v "^$PREFIX .*[^ ]" || true)
[[ -z $bad ]] || fail "a \"$PREFIX\" line gives no reason: $bad"
note "--- program's standard error:"
cat "$WORK/app.err"

if [[ $mode == empty-cupsd || $mode == rejecting ]]; then
    jobs=$(lpstat -W all -o 2>&1 || true)
    [[ -z $jobs ]] || fail "the CUPS server received jobs although it takes none: $jobs"
    documents=$(find "$CUPSD_SPOOL" -name 'd*' -type f)
    [[ -z $documents ]] || fail "documents were spooled although no queue takes them: $documents"
fi

note "PASS: no printer ($mode): one line per DRU click on standard error, program kept going"
