#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Tests of the qrb-score command, run by CTest.

  differential  seeded random ADIF logbooks scored by qrb-score; the same
                contacts typed into the real window by a scenario, whose
                LIST1 lines and sum must be byte for byte the command's
  realdata      the real logs: exit status 0 and every contact in the CSV,
                scored or skipped (skipped, exit 77, when they are absent)
  cli           exit statuses, messages naming the file, "-" for standard input
  windows       qrb-score.exe under Wine against the Linux qrb-score: the same
                text and CSV, byte for byte, and the same exit status and
                messages, for the logs in --data (skipped, exit 77, when there
                are none), the seeded logbooks, a file with a UTF-8 name and
                standard input

    score_driver.py MODE --score QRB_SCORE [--scenario QRB_SCENARIO] --work DIR [--data DIR]
    score_driver.py windows --score QRB_SCORE --exe QRB_SCORE_EXE --work DIR --data DIR [--wine WINE]
"""
import argparse
import csv
import io
import json
import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
import gen_logbook  # noqa: E402

HEADER = " LOC   QRG   PKT   MUL   QRB"
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL:", what)


def run(args, stdin=None, timeout=60):
    return subprocess.run(args, input=stdin, capture_output=True, timeout=timeout)


def csv_rows(data):
    return list(csv.DictReader(io.StringIO(data.decode("utf-8"), newline="")))


def text_blocks(text):
    """The command's text log: {own square: (log lines, sum line)}, in order."""
    blocks, own, lines = {}, None, []
    for line in text.split("\n"):
        if line.startswith("Eigener Locator: "):
            own, lines = line[len("Eigener Locator: "):], []
        elif line.startswith("Summe QRB:") and own is not None:
            blocks[own] = (lines, line)
            own = None
        elif own is not None and line != HEADER:
            lines.append(line)
    return blocks


def sum_text(value):
    return f" {value}" if value >= 0 else str(value)


def scenario_string(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def differential(opts):
    work = Path(opts.work)
    gen_logbook.write(work, opts.seed)
    for name in ("mygrid", "option"):
        log = work / f"{name}.adi"
        typing = json.loads((work / f"{name}.json").read_text(encoding="utf-8"))
        own_args = ["--own", typing["own_option"]] if typing["own_option"] else []
        text = run([opts.score, *own_args, str(log)])
        table = run([opts.score, *own_args, "--format", "csv", str(log)])
        check(text.returncode == 0 and table.returncode == 0, f"{name}: exit status")
        rows = csv_rows(table.stdout)
        contacts = typing["contacts"]
        check([int(r["record"]) for r in rows] == list(range(1, len(contacts) + 1)),
              f"{name}: every contact once in the CSV, in file order")

        # The command's lines in file order: each scored row takes the next
        # line of its own square's block.
        blocks = text_blocks(text.stdout.decode("utf-8"))
        taken = {own: 0 for own in blocks}
        expected, total = [], 0
        for r in rows:
            if r["status"] != "scored":
                continue
            lines = blocks.get(r["own"], ([], ""))[0]
            check(taken.get(r["own"], 0) < len(lines), f"{name}: record {r['record']} in the text")
            if taken.get(r["own"], 0) < len(lines):
                expected.append(lines[taken[r["own"]]])
                taken[r["own"]] += 1
            total += int(r["qrb"])
        check(all(taken[o] == len(blocks[o][0]) for o in blocks), f"{name}: text lines = CSV rows")
        scored = sum(1 for r in rows if r["status"] == "scored")
        check(scored > len(contacts) // 2 and scored < len(contacts),
              f"{name}: {scored} of {len(contacts)} scored: the log must have both kinds")

        # The same contacts typed into the window, in file order.
        scn = [f"# {name}.adi (seed {opts.seed}) typed into the window; expectations from qrb-score", ""]
        current = None
        for n, c in enumerate(contacts, 1):
            own = typing["own_option"] or c["own"]
            scn.append(f"# contact {n}")
            if own is None:
                current = None  # a person cannot go on without an own locator
                continue
            if own != current:
                scn.append(f"type LOC1 {scenario_string(own + chr(13))}")
                current = own
            scn.append(f"type LOC2 {scenario_string(c['loc'] + chr(13))}")
            if c["band"] is not None:
                scn += [f"click B{c['band']}", "click OK2"]
        scn.append("")
        scn.append(f"expect LIST1.count {len(expected) + 1}")
        scn += [f"expect LIST1[{i}] {scenario_string(line)}" for i, line in enumerate(expected, 1)]
        scn.append(f"expect SU.text {scenario_string(sum_text(total) if expected else '')}")
        path = work / f"{name}.scn"
        path.write_text("\n".join(scn).replace("\r", "\\r") + "\n", encoding="utf-8")
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
        result = subprocess.run([opts.scenario, str(path)], capture_output=True, env=env,
                                timeout=600)
        out = result.stdout.decode("utf-8", "replace")
        check(result.returncode == 0, f"{name}: window and command differ:\n{out[-3000:]}")
        print(f"{name}: {len(contacts)} contacts, {scored} scored; {out.strip().splitlines()[-1]}")


def count_contacts(path):
    """Contacts in a real log, counted without the readers."""
    data = path.read_bytes()
    if path.suffix.lower() == ".edi":
        lines = data.decode("latin-1").splitlines()
        start = next(i for i, l in enumerate(lines) if l.upper().startswith("[QSORECORDS"))
        count = 0
        for line in lines[start + 1:]:
            if line.startswith("["):
                break
            count += 1 if line.strip() else 0
        return count
    return len(re.findall(rb"<eor>", data, re.IGNORECASE))


def realdata(opts):
    data = Path(opts.data)
    logs = sorted(p for p in data.glob("*") if p.suffix.lower() in (".adi", ".edi", ".adx"))
    if not logs:
        print(f"no real logs in {data}: skipped")
        return 77
    result = run([opts.score, "--format", "csv", *map(str, logs)])
    check(result.returncode == 0, f"exit status {result.returncode}: {result.stderr!r}")
    rows = csv_rows(result.stdout)
    for log in logs:
        numbers = [int(r["record"]) for r in rows if r["file"] == str(log)]
        want = count_contacts(log)
        check(numbers == list(range(1, want + 1)), f"{log.name}: {len(numbers)} rows, {want} contacts")
        mine = [r for r in rows if r["file"] == str(log)]
        check(all((r["status"] == "scored") == (r["reason"] == "") for r in mine),
              f"{log.name}: a reason for every skipped contact, none for a scored one")
        scored = sum(1 for r in mine if r["status"] == "scored")
        print(f"{log.name}: {len(mine)} contacts, {scored} scored")
    return 0


def cli(opts):
    work = Path(opts.work)
    work.mkdir(parents=True, exist_ok=True)
    good = work / "good.adi"
    good.write_text("<MY_GRIDSQUARE:6>jo62qm<GRIDSQUARE:4>JO73<BAND:4>70cm<CALL:4>DL1A<EOR>\n")
    cases = {
        "empty.adi": b"",
        "noise.bin": bytes((i * 97 + 13) % 256 for i in range(5000)),
        "truncated.adi": b"<CALL:4>DL1A<GRIDSQUARE:6>JO7",
        "gigabyte.adi": b"<EOH>\n<CALL:1000000000>DL1A<EOR>\n",
        "longline.edi": b"[REG1TEST;1]\nPWWLo=JO62QM\nPBand=144 MHz\n[QSORecords;1]\n"
                        + b"x" * 1000000 + b"\n",
    }
    for name, content in cases.items():
        bad = work / name
        bad.write_bytes(content)
        r = run([opts.score, str(bad), str(good)], timeout=30)
        err = r.stderr.decode("utf-8", "replace")
        check(r.returncode == 1, f"{name}: exit status {r.returncode}, want 1")
        check(f"qrb-score: {bad}: " in err, f"{name}: message names the file: {err!r}")
        check(b"JO73   432     2     2     4" in r.stdout, f"{name}: the good file still scored")
    missing = work / "missing.adi"
    r = run([opts.score, "--format", "csv", str(missing), str(good)])
    check(r.returncode == 1 and f"qrb-score: {missing}: ".encode() in r.stderr,
          f"missing file: {r.returncode} {r.stderr!r}")
    r = run([opts.score, "--format", "csv", "-"], stdin=good.read_bytes())
    check(r.returncode == 0 and b"\r\n-,1,DL1A,,,JO62,JO73,432,2,2,4,scored,\r\n" in r.stdout,
          f"standard input: {r.returncode} {r.stdout!r}")
    for args in ([], ["--format", "xml", str(good)], ["--own", "jo6", str(good)], ["--bogus"],
                 ["--print", "--pdf", "x.pdf", str(good)]):
        r = run([opts.score, *args])
        check(r.returncode == 2 and r.stderr.startswith(b"qrb-score: "),
              f"usage error {args}: {r.returncode} {r.stderr!r}")
    # The text log through the window's printing code into a PDF file.
    pdf = work / "log.pdf"
    pdf.unlink(missing_ok=True)
    r = run([opts.score, "--pdf", str(pdf), str(good)], timeout=120)
    check(r.returncode == 0 and pdf.read_bytes().startswith(b"%PDF"), f"--pdf: {r.stderr!r}")
    if r.returncode == 0 and shutil.which("pdftotext"):
        shown = run(["pdftotext", "-layout", str(pdf), "-"]).stdout.decode("utf-8")
        check("JO73   432     2     2     4" in shown, f"--pdf: log line missing: {shown!r}")
    r = run([opts.score, "--version"])
    check(re.fullmatch(rb"qrb-score \d+\.\d+\.\d+\n", r.stdout) is not None, f"--version {r.stdout!r}")
    return 0


def windows(opts):
    """Both commands see the same relative file names, from the same folder,
    so the names in the output are the same bytes."""
    data = Path(opts.data)
    logs = sorted(p for p in data.glob("*") if p.suffix.lower() in (".adi", ".edi", ".adx"))
    if not logs:
        print(f"no logs in {data}: skipped")
        return 77
    work = Path(opts.work)
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    names = []
    for log in logs:
        (work / log.name).symlink_to(log.resolve())
        names.append(log.name)
    if opts.seeded:
        gen_logbook.write(work, opts.seed)
        names += ["mygrid.adi", "option.adi"]
        # A name beyond ASCII: opened by its UTF-8 name, written back unchanged.
        shutil.copyfile(work / "mygrid.adi", work / "Logbuch Jürgen ÄÖÜ ß €.adi")
        names.append("Logbuch Jürgen ÄÖÜ ß €.adi")
    windows_score = [opts.wine, str(Path(opts.exe).resolve())]
    linux_score = [str(Path(opts.score).resolve())]

    def same(args, what, stdin=None):
        want = subprocess.run(linux_score + args, input=stdin, capture_output=True, cwd=work,
                              timeout=300)
        got = subprocess.run(windows_score + args, input=stdin, capture_output=True, cwd=work,
                             timeout=300)
        check(got.returncode == want.returncode,
              f"{what}: exit status {got.returncode} under Wine, {want.returncode} on Linux: "
              f"{got.stderr[-500:]!r}")
        if got.stdout != want.stdout:
            a, b = got.stdout.split(b"\n"), want.stdout.split(b"\n")
            line = next((i for i, (x, y) in enumerate(zip(a, b)) if x != y), min(len(a), len(b)))
            check(False, f"{what}: output differs from line {line + 1} on "
                         f"({len(got.stdout)} bytes under Wine, {len(want.stdout)} on Linux): "
                         f"Wine {a[line:line + 2]!r}, Linux {b[line:line + 2]!r}")
        check(got.stderr == want.stderr,
              f"{what}: messages differ: Wine {got.stderr[-500:]!r}, Linux {want.stderr[-500:]!r}")
        print(f"{what}: {len(want.stdout)} bytes, exit status {want.returncode}")
        return want

    for fmt in ("text", "csv"):
        same(["--format", fmt, *names], f"{fmt}, {len(names)} logs")
    if opts.seeded:
        same(["--own", "jo62qm", "mygrid.adi"], "text, --own")
        same(["--format", "csv", "-"], "csv, standard input", stdin=(work / "option.adi").read_bytes())
        same(["--format", "xml", "mygrid.adi"], "usage error")
        # No PDF on Windows: one line saying so, status 2, nothing written.
        r = subprocess.run(windows_score + ["--pdf", "log.pdf", "mygrid.adi"], capture_output=True,
                           cwd=work, timeout=300)
        check(r.returncode == 2 and r.stdout == b"" and not (work / "log.pdf").exists()
              and r.stderr == "qrb-score: PDF-Ausgabe gibt es in der Windows-Ausgabe nicht; "
                              "--print druckt auf dem Standarddrucker\n".encode(),
              f"--pdf under Wine: {r.returncode} {r.stderr!r}")
    return 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("mode", choices=["differential", "realdata", "cli", "windows"])
    parser.add_argument("--score", required=True)
    parser.add_argument("--scenario")
    parser.add_argument("--work", default=".")
    parser.add_argument("--data")
    parser.add_argument("--seed", type=int, default=20261207)
    parser.add_argument("--exe", help="qrb-score.exe (windows)")
    parser.add_argument("--wine", default="wine", help="runs a Windows program (windows)")
    parser.add_argument("--seeded", action="store_true",
                        help="also the seeded logbooks and special names (windows)")
    opts = parser.parse_args()
    modes = {"differential": differential, "realdata": realdata, "cli": cli, "windows": windows}
    status = modes[opts.mode](opts)
    if status == 77:
        return 77
    print(f"{len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
