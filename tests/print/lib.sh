# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash disable=SC2034 # constants here are used by the test scripts
# Shared helpers of the printing tests; sourced by the test scripts, which run
# with `set -euo pipefail`.
#
# Each test runs the real program under its own Xvfb display, drives it with
# xdotool like a person, and (where a printer is wanted) prints into its own
# private cupsd, which listens only on a unix socket inside the test's
# temporary directory. The system's own CUPS set-up is neither used nor changed.
#
# Exit status: 0 passed, 1 failed, 77 skipped (the reason is printed).

# The CUPS daemon and its administration tools live in sbin.
export PATH="$PATH:/usr/sbin:/sbin"

WORK=""
CUPSD_PID=""
XVFB_PID=""
APP_PID=""
APP_WIN=""
APP_DPI=""

note() { printf '%s\n' "$*"; }

fail() {
    printf 'FAIL: %s\n' "$*" >&2
    exit 1
}

skip() {
    printf 'SKIP: %s\n' "$*"
    exit 77
}

need_tools() {
    local tool missing=()
    for tool in "$@"; do
        command -v "$tool" > /dev/null 2>&1 || missing+=("$tool")
    done
    if ((${#missing[@]} > 0)); then
        fail "missing tools: ${missing[*]} (scripts/setup.sh installs them)"
    fi
}

# Ends a process this test started: TERM, a bounded wait, then KILL.
stop_pid() {
    local pid=$1 i
    [[ -n $pid ]] || return 0
    kill -0 "$pid" 2> /dev/null || { wait "$pid" 2> /dev/null || true; return 0; }
    kill -TERM "$pid" 2> /dev/null || true
    for ((i = 0; i < 50; i++)); do
        kill -0 "$pid" 2> /dev/null || break
        sleep 0.1
    done
    kill -KILL "$pid" 2> /dev/null || true
    wait "$pid" 2> /dev/null || true
}

cleanup() {
    local status=$?
    trap - EXIT
    if ((status != 0 && status != 77)) && [[ -n $WORK && -d $WORK ]]; then
        if [[ -s $WORK/app.err ]]; then
            note "--- program's standard error:"
            cat "$WORK/app.err"
        fi
        if [[ -s $WORK/cups/log/error_log ]] && grep -q "^E " "$WORK/cups/log/error_log"; then
            note "--- errors in the private cupsd's error_log:"
            grep "^E " "$WORK/cups/log/error_log" | tail -n 15
        fi
    fi
    stop_pid "$APP_PID"
    stop_pid "$XVFB_PID"
    stop_pid "$CUPSD_PID"
    if [[ -n $WORK && -d $WORK ]]; then
        rm -rf -- "$WORK"
    fi
    exit "$status"
}

# The test's private temporary directory; everything is removed on exit.
make_workdir() {
    WORK=$(mktemp -d "${TMPDIR:-/tmp}/qrb-print.XXXXXX")
    # The cupsd drops its helpers to user lp: they must reach the files below.
    chmod 755 "$WORK"
    trap cleanup EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    # The program and the CUPS clients see nothing of the user's settings.
    export HOME=$WORK/home
    export XDG_RUNTIME_DIR=$WORK/runtime
    mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    unset LPDEST PRINTER
}

# wait_until SECONDS WHAT COMMAND...: polls COMMAND until it succeeds; after
# SECONDS it fails the test, saying what did not happen.
wait_until() {
    local seconds=$1 what=$2
    shift 2
    local deadline=$((SECONDS + seconds))
    until "$@"; do
        if ((SECONDS >= deadline)); then
            fail "waited ${seconds} s, but $what"
        fi
        sleep 0.1
    done
}

# ---------------------------------------------------------------- cupsd ----

# Starts a private cupsd on $WORK/cups/cups.sock and points every CUPS client
# of this test (lpadmin, lpstat, the program) at it. Jobs keep their document
# files in the spool directory after printing. Returns non-zero, with the
# reason in CUPSD_FAILURE, when the daemon cannot run here.
start_cupsd() {
    local dir=$WORK/cups
    local tool
    for tool in cupsd lpadmin lpstat cupsenable cupsaccept; do
        if ! command -v "$tool" > /dev/null 2>&1; then
            CUPSD_FAILURE="$tool is not installed (packages cups, cups-client)"
            return 1
        fi
    done
    mkdir -p "$dir"/{conf,spool,cache,log,state,tmp}
    cat > "$dir/conf/cupsd.conf" << EOF
Listen $dir/cups.sock
Browsing No
WebInterface No
LogLevel info
PreserveJobFiles Yes
PreserveJobHistory Yes
MaxJobs 0
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
    cat > "$dir/conf/cups-files.conf" << EOF
FileDevice Yes
ServerRoot $dir/conf
RequestRoot $dir/spool
CacheDir $dir/cache
StateDir $dir/state
TempDir $dir/tmp
ErrorLog $dir/log/error_log
AccessLog $dir/log/access_log
PageLog $dir/log/page_log
Printcap $dir/printcap
ServerKeychain $dir/ssl
CreateSelfSignedCerts no
SystemGroup root
EOF
    if ! cupsd -t -c "$dir/conf/cupsd.conf" -s "$dir/conf/cups-files.conf" \
        > "$dir/check.out" 2>&1; then
        CUPSD_FAILURE="cupsd rejects the test configuration: $(tr '\n' ' ' < "$dir/check.out")"
        return 1
    fi
    cupsd -f -c "$dir/conf/cupsd.conf" -s "$dir/conf/cups-files.conf" \
        > "$dir/cupsd.out" 2>&1 &
    CUPSD_PID=$!
    export CUPS_SERVER=$dir/cups.sock
    local deadline=$((SECONDS + 10))
    until [[ -S $CUPS_SERVER ]] && lpstat -r > /dev/null 2>&1; do
        if ! kill -0 "$CUPSD_PID" 2> /dev/null; then
            CUPSD_FAILURE="cupsd ended at once: $(tr '\n' ' ' < "$dir/cupsd.out") $(tail -n 3 "$dir/log/error_log" 2> /dev/null | tr '\n' ' ')"
            return 1
        fi
        if ((SECONDS >= deadline)); then
            CUPSD_FAILURE="cupsd did not answer on $CUPS_SERVER within 10 s"
            return 1
        fi
        sleep 0.1
    done
    CUPSD_SPOOL=$dir/spool
    note "private cupsd (pid $CUPSD_PID) answers on $CUPS_SERVER"
}

# Without root a private cupsd may be unable to run (it runs its helpers as
# user lp): that is a skip, with the reason. As root (as in CI) it must work.
start_cupsd_or_skip() {
    CUPSD_FAILURE=""
    if ! start_cupsd; then
        if [[ $(id -u) -eq 0 ]]; then
            fail "private cupsd could not be started although running as root: $CUPSD_FAILURE"
        fi
        skip "a private cupsd cannot be started here (not root, uid $(id -u)): $CUPSD_FAILURE"
    fi
}

# A raw queue (no filters, no driver) whose device is /dev/null: the document
# the program sends stays in the spool directory unchanged, as d<job>-001.
# Enabled, accepting and the default destination.
add_keeping_queue() {
    local name=$1 out
    if ! out=$(lpadmin -p "$name" -E -v file:///dev/null 2>&1); then
        fail "lpadmin could not create queue $name: $out"
    fi
    lpadmin -d "$name" > /dev/null 2>&1 || fail "lpadmin could not make $name the default destination"
    cupsenable "$name" || fail "queue $name could not be enabled"
    cupsaccept "$name" || fail "queue $name could not be made to accept jobs"
    out=$(lpstat -d)
    [[ $out == "system default destination: $name" ]] || fail "default destination is not $name: $out"
    out=$(lpstat -p "$name")
    [[ $out == *"printer $name is idle"*"enabled"* ]] || fail "queue $name is not idle and enabled: $out"
    out=$(lpstat -a "$name")
    [[ $out == "$name accepting requests"* ]] || fail "queue $name does not accept jobs: $out"
}

# Ids (numbers) of all jobs the queue ever received, oldest first.
job_ids() {
    local queue=$1
    {
        lpstat -W completed -o "$queue" 2> /dev/null || true
        lpstat -W not-completed -o "$queue" 2> /dev/null || true
    } | awk -v q="$queue" '$1 ~ ("^" q "-[0-9]+$") { sub(/^.*-/, "", $1); print $1 }' | sort -n -u
}

completed_count() {
    lpstat -W completed -o "$1" 2> /dev/null | awk -v q="$1" '$1 ~ ("^" q "-[0-9]+$")' | wc -l
}

# The document of job ID as the queue received it.
job_document() {
    printf '%s/d%05d-001' "$CUPSD_SPOOL" "$1"
}

# Waits (at most 30 s) until QUEUE has completed COUNT jobs and the documents
# of all its jobs are in the spool directory.
wait_for_jobs() {
    local queue=$1 count=$2 id ready
    local deadline=$((SECONDS + 30))
    while :; do
        ready=0
        if (($(completed_count "$queue") >= count)); then
            ready=1
            for id in $(job_ids "$queue"); do
                [[ -s $(job_document "$id") ]] || ready=0
            done
        fi
        ((ready)) && return 0
        if ((SECONDS >= deadline)); then
            fail "waited 30 s for $count completed job(s) with their documents in queue $queue; it shows: $(lpstat -W all -o "$queue" 2>&1 | tr '\n' ';') spool: $(find "$CUPSD_SPOOL" -type f -printf "%f ")"
        fi
        sleep 0.1
    done
}

# ------------------------------------------------------------- X display ----

xvfb_display_known() {
    kill -0 "$XVFB_PID" 2> /dev/null || fail "Xvfb ended at once: $(tr "\n" " " < "$WORK/xvfb.log")"
    grep -q "^[0-9][0-9]*$" "$1"
}

# Own Xvfb at 96 dpi on a display number the server picks itself (-displayfd),
# so parallel tests do not collide. No window manager runs on it.
start_xvfb() {
    local fdfile=$WORK/xvfb.display
    : > "$fdfile"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -dpi 96 -nolisten tcp -noreset \
        3> "$fdfile" > "$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    wait_until 15 "Xvfb reported no display number" xvfb_display_known "$fdfile"
    DISPLAY=":$(head -n 1 "$fdfile")"
    export DISPLAY
    note "Xvfb (pid $XVFB_PID) on display $DISPLAY"
}

# ------------------------------------------------------------ the program ----

# The window's client area is 6690 x 5595 twips; positions of controls are in
# twips from its top-left corner, converted by the program at its logical dpi.
readonly WINDOW_TWIPS_W=6690 WINDOW_TWIPS_H=5595

# Control rectangles in twips: left top width height.
readonly CTL_B0="360 2800 675 210"
readonly CTL_B1="375 3200 675 210"
readonly CTL_B2="375 3500 675 210"
readonly CTL_B3="375 3800 675 210"
readonly CTL_B4="360 4100 675 210"
readonly CTL_B5="375 4400 675 210"
readonly CTL_B6="1440 3200 675 210"
readonly CTL_B7="1440 3500 675 210"
readonly CTL_B8="1440 3800 675 210"
readonly CTL_B9="1440 4100 675 210"
readonly CTL_OK2="2280 4800 600 300"
readonly CTL_DRU="6000 900 600 300"
readonly CTL_END="6000 500 600 300"

twips_to_px() {
    echo $(((($1 * APP_DPI * 2) / 1440 + 1) / 2))
}

app_window_shown() {
    kill -0 "$APP_PID" 2> /dev/null || fail "the program ended before showing its window"
    APP_WIN=$(xdotool search --onlyvisible --pid "$APP_PID" --name "^QRB-PUNKTE\$" 2> /dev/null | head -n 1)
    [[ -n $APP_WIN ]]
}

# Starts the program on $DISPLAY, waits for its window and works out at which
# dpi it laid the window out, so that clicks hit the controls.
start_app() {
    local binary=$1
    [[ -x $binary ]] || fail "program not found or not executable: $binary"
    env -u QT_SCALE_FACTOR -u QT_SCREEN_SCALE_FACTORS -u QT_AUTO_SCREEN_SCALE_FACTOR \
        -u QT_ENABLE_HIGHDPI_SCALING -u QT_FONT_DPI -u QT_USE_PHYSICAL_DPI \
        DBUS_SESSION_BUS_ADDRESS="unix:path=$WORK/no-session-bus" \
        QT_QPA_PLATFORM=xcb "$binary" > "$WORK/app.out" 2> "$WORK/app.err" &
    APP_PID=$!
    wait_until 20 "no visible window \"QRB-PUNKTE\" of the program appeared" app_window_shown

    local geometry x y w h
    geometry=$(xdotool getwindowgeometry --shell "$APP_WIN")
    x=$(sed -n 's/^X=//p' <<< "$geometry")
    y=$(sed -n 's/^Y=//p' <<< "$geometry")
    w=$(sed -n 's/^WIDTH=//p' <<< "$geometry")
    h=$(sed -n 's/^HEIGHT=//p' <<< "$geometry")
    # Without a window manager there is no frame: the window is the client area.
    [[ $x == 0 && $y == 0 ]] || fail "window is at $x,$y, not at 0,0 (no window manager runs)"
    APP_DPI=""
    local dpi
    for dpi in 96 $(seq 48 288); do
        APP_DPI=$dpi
        if [[ $(twips_to_px $WINDOW_TWIPS_W) == "$w" && $(twips_to_px $WINDOW_TWIPS_H) == "$h" ]]; then
            break
        fi
        APP_DPI=""
    done
    [[ -n $APP_DPI ]] || fail "window is ${w}x${h} pixels, which is 6690 x 5595 twips at no dpi"
    if [[ $APP_DPI != 96 ]]; then
        note "note: the program laid its window out at $APP_DPI dpi, not 96; clicks use $APP_DPI dpi"
    fi
    note "program (pid $APP_PID) window $APP_WIN at 0,0, ${w}x${h} pixels = 6690 x 5595 twips at $APP_DPI dpi"
    # No window manager gives the window the keyboard focus: give it.
    timeout 10 xdotool windowfocus --sync "$APP_WIN" ||
        fail "could not give the window the keyboard focus within 10 s"
}

app_alive() { kill -0 "$APP_PID" 2> /dev/null; }
app_exited() { ! app_alive; }
app_state() { if app_alive; then echo yes; else echo "no, it has ended"; fi; }

# The keys of TEXT (letters and digits) one after the other, then Enter, as
# arguments of `xdotool key`.
keys_of() {
    local text=$1 i ch
    for ((i = 0; i < ${#text}; i++)); do
        ch=${text:i:1}
        printf '%s ' "$ch"
    done
    printf 'Return'
}

# Where to click into a control given as "left top width height": its middle,
# as "mousemove --window W X Y click --delay 0 1" arguments of xdotool.
click_args() {
    local left top width height
    read -r left top width height <<< "$1"
    printf 'mousemove --window %s %s %s click --delay 0 1' "$APP_WIN" \
        "$(twips_to_px $((left + width / 2)))" "$(twips_to_px $((top + height / 2)))"
}

typable() {
    [[ $1 =~ ^[A-Za-z0-9]*$ ]] || fail "test error: cannot type \"$1\" key by key"
}

# Typing like a person: the keys of TEXT, then Enter.
type_enter() {
    app_alive || fail "the program is no longer running (before typing \"$1\")"
    typable "$1"
    # shellcheck disable=SC2046
    xdotool key --delay 5 $(keys_of "$1") ||
        fail "xdotool could not type \"$1\" (program running: $(app_state))"
}

# A left click into the middle of a control.
click() {
    app_alive || fail "the program is no longer running (before a click at twips $1)"
    # shellcheck disable=SC2046
    xdotool $(click_args "$1") ||
        fail "xdotool could not click at twips $1 (program running: $(app_state))"
}

# One contact: foreign locator and Enter, a band button, OK.
contact() {
    app_alive || fail "the program is no longer running (before contact $1)"
    typable "$1"
    # shellcheck disable=SC2046
    xdotool key --delay 5 $(keys_of "$1") $(click_args "$2") $(click_args "$CTL_OK2") ||
        fail "xdotool could not enter contact $1 (program running: $(app_state))"
}

# END ends the program at once. Since the program handles input strictly in
# order, its exit also shows that every earlier key and click was handled.
end_app() {
    click "$CTL_END"
    wait_until 15 "the program did not end after END was clicked" app_exited
    local status=0
    wait "$APP_PID" || status=$?
    APP_PID=""
    ((status == 0)) || fail "the program ended with status $status after END"
}

# ----------------------------------------------------------- the printout ----

# Character pitch of a 10 pt font whose glyphs are all 0.6 em wide (Courier
# New and its metric twin Liberation Mono).
readonly PITCH_NOMINAL=6.0

# pdf_words PDF PAGE: the words of one page as "yMin xMin xMax yMax text",
# top to bottom, left to right.
pdf_words() {
    pdftotext -f "$2" -l "$2" -bbox "$1" - |
        sed -n 's/.*<word xMin="\([^"]*\)" yMin="\([^"]*\)" xMax="\([^"]*\)" yMax="\([^"]*\)">\(.*\)<\/word>.*/\2 \1 \3 \4 \5/p' |
        sed 's/&lt;/</g; s/&gt;/>/g; s/&quot;/"/g; s/&apos;/'"'"'/g; s/&amp;/\&/g' |
        # A hyphen that came back through PostScript may read as a soft one.
        sed 's/\xc2\xad/-/g' |
        sort -k1,1g -k2,2g
}

pdf_pages() {
    pdfinfo "$1" | awk '/^Pages:/ { print $2 }'
}

# Measures the grid of the printout from its first page: the rule (29
# underscores under the window's header, more under qrb-score's wider
# one) stands at column 5, so it gives the left edge of column 0 and
# the pitch; the header above it (HEADER_LINES lines, 1 unless given) gives
# the line spacing. Sets PITCH, LEFT, SPACING, TOP (yMin of the first line).
measure_grid() {
    local pdf=$1 above=${2:-1} words
    words=$(pdf_words "$pdf" 1)
    [[ -n $words ]] || fail "the printed document has no extractable text on page 1"
    local rule
    rule=$(awk '$5 ~ /^_+$/ && length($5) >= 29 { print; exit }' <<< "$words")
    [[ -n $rule ]] || fail "no rule of 29 or more underscores on page 1 of the printout"
    read -r PITCH LEFT RULE_Y < <(awk '{ p = ($3 - $2) / length($5); printf "%.6f %.6f %.6f\n", p, $2 - 5 * p, $1 }' <<< "$rule")
    TOP=$(awk 'NR == 1 { print $1 }' <<< "$words")
    SPACING=$(awk -v r="$RULE_Y" -v n="$above" '{ print (r - $1) / n; exit }' <<< "$words")
    awk -v p="$PITCH" -v n="$PITCH_NOMINAL" 'BEGIN { d = p - n; if (d < 0) d = -d; exit !(d < 0.1) }' ||
        fail "character pitch is $PITCH pt, not 6 pt (10 pt fixed-pitch font, 0.6 em per character)"
    awk -v s="$SPACING" 'BEGIN { exit !(s >= 10 && s <= 14) }' ||
        fail "header and rule are $SPACING pt apart: not one line of a 10 pt font (10..14 pt)"
    note "printout grid: pitch $PITCH pt, column 0 at x=$LEFT pt, line spacing $SPACING pt, first line at y=$TOP pt"
}

# page_lines PDF PAGE: rebuilds the printed lines of one page from the word
# positions: a word's column is its distance from the left edge in pitches,
# a gap of k line spacings between two printed lines means k-1 empty lines.
# Writes "y<TAB>text" per line; problems (words off the character grid, words
# wider than their characters, overprinting, spacing that is not a whole
# number of lines) go to PAGE_PROBLEMS.
page_lines() {
    local pdf=$1 page=$2
    pdf_words "$pdf" "$page" | awk -v left="$LEFT" -v pitch="$PITCH" -v sp="$SPACING" \
        -v page="$page" -v problems="$PAGE_PROBLEMS" '
        function abs(v) { return v < 0 ? -v : v }
        function rnd(v) { return v < 0 ? -int(-v + 0.5) : int(v + 0.5) }
        # Characters, not bytes: the continuation bytes of UTF-8 do not count.
        function chars(s,   t) { t = s; gsub(/[\200-\277]/, "", t); return length(t) }
        function flush(   k, i) {
            if (!have) return
            if (printed) {
                k = (y - py) / sp
                if (abs(k - rnd(k)) > 0.05 || rnd(k) < 1)
                    printf "page %d: line at y=%.3f is %.3f pt below the one before, not a whole number of lines of %.3f pt\n", page, y, y - py, sp >> problems
                for (i = 1; i < rnd(k); i++) printf "%.3f\t\n", py + i * sp
            }
            printf "%.3f\t%s\n", y, text
            printed = 1; py = y; have = 0
        }
        {
            wy = $1; wx = $2; wxe = $3
            word = $0; sub(/^[^ ]+ [^ ]+ [^ ]+ [^ ]+ /, "", word)
            if (have && wy - y > 0.5) flush()
            if (!have) { have = 1; y = wy; text = "" }
            col = (wx - left) / pitch
            if (abs(col - rnd(col)) > 0.1)
                printf "page %d: \"%s\" at x=%.3f is off the character grid (column %.2f)\n", page, word, wx, col >> problems
            col = rnd(col)
            n = chars(word)
            if (abs((wxe - wx) / pitch - n) > 0.1)
                printf "page %d: \"%s\" is %.3f pt wide, not %d characters of %.3f pt\n", page, word, wxe - wx, n, pitch >> problems
            if (col < chars(text))
                printf "page %d: \"%s\" at column %d overprints \"%s\"\n", page, word, col, text >> problems
            while (chars(text) < col) text = text " "
            text = text word
        }
        END { flush() }'
}

# printed_text PDF OUT [HEADER_LINES]: all printed lines of the document, page after page,
# into OUT (text only); per page the number of lines and the y of the first
# and last one into OUT.pages ("page count firstY lastY pageHeight").
# Fails on any problem found while rebuilding the lines.
printed_text() {
    local pdf=$1 out=$2 above=${3:-1} pages page
    PAGE_PROBLEMS=$WORK/problems.$$
    : > "$PAGE_PROBLEMS"
    : > "$out"
    : > "$out.pages"
    pages=$(pdf_pages "$pdf")
    if ! [[ $pages =~ ^[0-9]+$ ]] || ((pages < 1)); then
        fail "cannot read the page count of $pdf"
    fi
    measure_grid "$pdf" "$above"
    for ((page = 1; page <= pages; page++)); do
        page_lines "$pdf" "$page" > "$WORK/page.$page"
        cut -f 2- "$WORK/page.$page" >> "$out"
        local height
        height=$(pdfinfo -f "$page" -l "$page" "$pdf" | awk -v p="$page" '$1 == "Page" && $2 == p && $3 == "size:" { print $6 }')
        awk -F '\t' -v p="$page" -v h="$height" \
            'NR == 1 { f = $1 } { l = $1; n++ } END { printf "%d %d %s %s %s\n", p, n, (n ? f : "-"), (n ? l : "-"), h }' \
            "$WORK/page.$page" >> "$out.pages"
    done
    if [[ -s $PAGE_PROBLEMS ]]; then
        fail "the printout is not a clean fixed-pitch text:"$'\n'"$(cat "$PAGE_PROBLEMS")"
    fi
}

# compare_lines WHAT EXPECTED_FILE GOT_FILE: line by line, columns included
# (leading blanks count; trailing blanks cannot be seen on paper).
compare_lines() {
    local what=$1 expected_file=$2 got_file=$3
    local -a expected got
    mapfile -t expected < <(sed 's/ *$//' "$expected_file")
    mapfile -t got < "$got_file"
    local i n=${#expected[@]} bad=0 report=""
    ((${#got[@]} > n)) && n=${#got[@]}
    for ((i = 0; i < n; i++)); do
        if [[ ${expected[i]-<no line>} != "${got[i]-<no line>}" ]]; then
            ((bad += 1))
            if ((bad <= 10)); then
                report+=$'\n'"  line $((i + 1)): expected \"${expected[i]-<no line>}\""
                report+=$'\n'"  line $((i + 1)):      got \"${got[i]-<no line>}\""
            fi
        fi
    done
    if ((bad > 0)); then
        fail "$what: $bad line(s) differ (expected ${#expected[@]} lines, got ${#got[@]}):$report"
    fi
}
