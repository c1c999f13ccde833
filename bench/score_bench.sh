#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# qrb-score on large generated ADIF logbooks: wall time and peak memory of
# `qrb-score --format csv` for 100,000 and 1,000,000 records, and beside it
# the published ADIF parser adif-parser-ts 0.7.7 (npm registry, run with
# node) only parsing the same file (read first, then AdifParser.parseAdi
# timed alone). Not a test: it prints figures and judges nothing.
#
#   bench/score_bench.sh [BUILD_DIR]          (default: build/default)
#
# Needs python3, /usr/bin/time (Debian: time), node and npm. The parser goes
# into BUILD_DIR/bench-score/npm, never into the source tree; the logbooks
# (about 16 and 160 MB) into BUILD_DIR/bench-score. Each command runs
# QRB_BENCH_RUNS times (default 5; the parser 3 times) and the fastest run
# counts; the CSV goes to /dev/null, the logbook is in the page cache.
set -euo pipefail

src=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$src/build/default}")
work=$build/bench-score
runs=${QRB_BENCH_RUNS:-5}
score=$build/qrb-score/qrb-score

cmake --build "$build" --target qrb-score >/dev/null
mkdir -p "$work/npm"
for n in 100000 1000000; do
  if [[ ! -s $work/log_$n.adi ]]; then
    python3 "$src/bench/gen_adif.py" "$n" "$work/log_$n.adi"
  fi
done

if [[ ! -d $work/npm/node_modules/adif-parser-ts ]]; then
  (cd "$work/npm" && echo '{"private": true}' >package.json &&
    npm install --no-audit --no-fund --silent adif-parser-ts@0.7.7)
fi
cat >"$work/npm/parse.js" <<'EOF'
// Reads the file, then times only the parse.
const fs = require("fs");
const { AdifParser } = require("adif-parser-ts");
const text = fs.readFileSync(process.argv[2], "utf8");
const start = process.hrtime.bigint();
const parsed = AdifParser.parseAdi(text);
const seconds = Number(process.hrtime.bigint() - start) / 1e9;
console.log(`${seconds.toFixed(3)} ${parsed.records.length}`);
EOF

# Fastest wall time in seconds and the largest peak RSS in KiB of `runs` runs.
measure() {
  local count=$1
  shift
  local best="" peak=0 start end secs rss
  for ((i = 0; i < count; i++)); do
    start=$(date +%s%N)
    /usr/bin/time -f %M -o "$work/rss" "$@" >/dev/null
    end=$(date +%s%N)
    secs=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", (b - a) / 1e9 }')
    rss=$(tail -n 1 "$work/rss")
    if [[ -z $best ]] || awk -v a="$secs" -v b="$best" 'BEGIN { exit !(a < b) }'; then
      best=$secs
    fi
    ((rss > peak)) && peak=$rss
  done
  echo "$best $peak"
}

echo "qrb-score $("$score" --version | cut -d' ' -f2), $(node --version), adif-parser-ts 0.7.7"
echo "$(nproc) cores: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')"
printf '%-9s %8s | %-25s | %-29s | %s\n' records MB "qrb-score --format csv" \
  "adif-parser-ts parseAdi" "faster"
for n in 100000 1000000; do
  log=$work/log_$n.adi
  mb=$(awk -v b="$(stat -c %s "$log")" 'BEGIN { printf "%.1f", b / 1e6 }')
  rows=$("$score" --format csv "$log" | wc -l)
  if ((rows != n + 1)); then
    echo "qrb-score wrote $rows lines for $n records" >&2
    exit 1
  fi
  read -r ours ourpeak < <(measure "$runs" "$score" --format csv "$log")
  theirs=""
  for ((i = 0; i < 3; i++)); do
    read -r secs records < <(cd "$work/npm" && node --max-old-space-size=16384 parse.js "$log")
    if ((records != n)); then
      echo "adif-parser-ts found $records records in $n" >&2
      exit 1
    fi
    if [[ -z $theirs ]] || awk -v a="$secs" -v b="$theirs" 'BEGIN { exit !(a < b) }'; then
      theirs=$secs
    fi
  done
  ratio=$(awk -v a="$theirs" -v b="$ours" 'BEGIN { printf "%.1f", a / b }')
  printf '%-9s %8s | %7s s, peak %6.1f MiB | %7s s (parse only)         | %s x\n' "$n" "$mb" \
    "$ours" "$(awk -v k="$ourpeak" 'BEGIN { print k / 1024 }')" "$theirs" "$ratio"
done
