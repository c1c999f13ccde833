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
  page          the page's logbook (qrb-punkte.html in a headless Chromium,
                driven by qrb-page-report) against qrb-score run in the files'
                folder: the downloads #txt, #csv and #svg byte for byte, the
                workbook's rows read back, the messages, no request and no
                file left behind, and the printed report; for the sample logs,
                the real logs in --data (when there are any), files that are
                no logbook, and every option

    score_driver.py MODE --score QRB_SCORE [--scenario QRB_SCENARIO] --work DIR [--data DIR]
    score_driver.py windows --score QRB_SCORE --exe QRB_SCORE_EXE --work DIR --data DIR [--wine WINE]
    score_driver.py page --score QRB_SCORE --page PAGE --page-report QRB_PAGE_REPORT --work DIR
                    --samples DIR [--data DIR]
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
SAMPLES = HERE.parent / "data" / "logbooks"
sys.path.insert(0, str(HERE))
import gen_logbook  # noqa: E402

HEADER = " LOC   QRG   PKT   MUL   QRB"
WINDOW_WIDTH = len(HEADER)  # the window's part of a log line
LOG_LINE = re.compile(r"[A-X]{2}[0-9]{2}   ")
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
            own, lines = line[len("Eigener Locator: "):].split(",")[0], []
        elif line.startswith("Summe QRB:") and own is not None:
            blocks[own] = (lines, line)
            own = None
        elif own is not None and LOG_LINE.match(line):
            lines.append(line)
    return blocks


XLSX_READER = """
import json, sys, datetime, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
def cell(v):
    if isinstance(v, datetime.datetime):
        return {"date": v.date().isoformat()}
    return v
print(json.dumps({ws.title: [[cell(v) for v in row] for row in ws.iter_rows(values_only=True)]
                  for ws in book.worksheets}))
"""


def read_xlsx(path):
    """The sheets of a workbook as read by openpyxl (Debian python3-openpyxl);
    the interpreter running this may be another than the system's."""
    for python in (sys.executable, "/usr/bin/python3"):
        r = run([python, "-c", XLSX_READER, str(path)])
        if r.returncode == 0:
            return json.loads(r.stdout)
    check(False, f"openpyxl cannot read {path}: {r.stderr.decode()[-500:]}")
    return {}


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
                line = lines[taken[r["own"]]]
                # The window's line, then call, date and time of the contact.
                expected.append(line[:WINDOW_WIDTH])
                check(line[WINDOW_WIDTH:].split()[:3] == [r["call"], r["date"], r["time"]],
                      f"{name}: record {r['record']}: {line!r} against {r}")
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
    bad_dates = [r for r in rows if r["date"] and not re.fullmatch(r"\d{4}-\d\d-\d\d", r["date"])]
    bad_times = [r for r in rows if r["time"] and not re.fullmatch(r"\d\d:\d\d(:\d\d)?", r["time"])]
    check(not bad_dates and not bad_times, f"dates and times: {bad_dates[:3]} {bad_times[:3]}")
    # With an own locator for the logs that lack one.
    rows = csv_rows(run([opts.score, "--format", "csv", "--own", "jo62qm", *map(str, logs)]).stdout)
    sats = [r for r in rows if r["satellite"] == "1"]
    check(len(sats) > 0 and all(r["status"] == "scored" for r in sats), "satellite contacts marked")

    # The text log: every scored contact on a line with its call, date and
    # time; skips counted by reason; short wave only counted.
    text = run([opts.score, "--own", "jo62qm", *map(str, logs)]).stdout.decode("utf-8")
    lines = [line for line in text.splitlines() if LOG_LINE.match(line)]
    check(len(lines) == sum(1 for r in rows if r["status"] == "scored"),
          f"text: {len(lines)} log lines")
    check(all(re.match(r".{28}   \S+ +\d{4}-\d\d-\d\d   \d\d:\d\d", line) for line in lines
              if not line[28:].strip().startswith(("Wiederholung", "Satellit"))),
          "text: call, date and time on every line")
    check(": kein Band des Diploms\n" not in text and re.search(r"\n  kein Band des Diploms: \d+\n", text),
          "text: contacts on other bands counted, not listed")
    # EDI logs of different stations: one block each, no total over them.
    edis = [log for log in logs if log.suffix.lower() == ".edi"]
    text = run([opts.score, *map(str, edis)]).stdout.decode("utf-8")
    headings = [line for line in text.splitlines() if line.startswith("Eigener Locator: ")]
    check(len(headings) == len(edis) and "Gesamtsumme" not in text,
          f"EDI: a block per station: {headings}")
    return 0


def cli(opts):
    work = Path(opts.work)
    work.mkdir(parents=True, exist_ok=True)
    # Every run below keeps its temporary files in an empty folder; none may
    # be left there, whether the run succeeded or failed.
    scratch = work / "tmp"
    shutil.rmtree(scratch, ignore_errors=True)
    scratch.mkdir()
    os.environ["TMPDIR"] = str(scratch)
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
    check(r.returncode == 0 and b"\r\n-,1,DL1A,,,JO62,JO73,432,2,2,4,scored,,,0,0,0\r\n" in r.stdout,
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
        check("JO73 432 2 2 4 DL1A" in " ".join(shown.split()), f"--pdf: log line missing: {shown!r}")
    report_checks(opts, work)
    map_checks(opts, work)
    sample_checks(opts, work)
    left = sorted(p.name for p in scratch.iterdir())
    check(not left, f"left in TMPDIR: {left}")
    # No room for the text log's scratch files: said, and a failure.
    os.environ["TMPDIR"] = str(work / "no-such-folder")
    r = run([opts.score, str(good)])
    check(r.returncode == 1 and r.stderr.decode().startswith(
        f"qrb-score: keine temporäre Datei in {work / 'no-such-folder'}: "), f"no scratch: {r.stderr!r}")
    r = run([opts.score, "--version"])
    check(re.fullmatch(rb"qrb-score \d+\.\d+\.\d+\n", r.stdout) is not None, f"--version {r.stdout!r}")
    return 0


REPORT_ADI = """Exported by my logger
<ADIF_VER:5>3.1.4 <EOH>
<CALL:5>OK1KT <QSO_DATE:8>20240506 <TIME_ON:4>1812 <BAND:2>2m <GRIDSQUARE:6>jo70fd <MY_GRIDSQUARE:6>JO62QM <STATION_CALLSIGN:6>DL1XYZ <EOR>
<CALL:6>SP3XYZ <QSO_DATE:8>20240506 <TIME_ON:6>183015 <FREQ:7>432.210 <GRIDSQUARE:6>JO82LK <MY_GRIDSQUARE:6>JO62QM <STATION_CALLSIGN:6>DL1XYZ <PROP_MODE:3>SAT <EOR>
<CALL:5>ok1kt <QSO_DATE:8>20240507 <TIME_ON:4>1001 <BAND:2>2m <GRIDSQUARE:4>JO70 <MY_GRIDSQUARE:6>JO62QM <STATION_CALLSIGN:6>DL1XYZ <EOR>
<CALL:6>DL1ABC <QSO_DATE:8>20240507 <TIME_ON:4>1002 <BAND:3>20m <GRIDSQUARE:4>JO31 <MY_GRIDSQUARE:6>JO62QM <STATION_CALLSIGN:6>DL1XYZ <EOR>
<CALL:6>DL2ABC <QSO_DATE:8>20240507 <TIME_ON:4>1003 <BAND:2>2m <GRIDSQUARE:3>JO3 <MY_GRIDSQUARE:6>JO62QM <STATION_CALLSIGN:6>DL1XYZ <EOR>
"""
REPORT_EDI = """[REG1TEST;1]
PCall=DL0XYZ
PWWLo=JO62QM
PBand=1296 MHz
[QSORecords;2]
240514;1802;OZ1ABC;1;59;001;59;003;;JO65DQ;412;;;;
240514;1815;SM7XYZ;1;59;002;59;011;;JO77GA;520;;;;
[END;]
"""


def map_checks(opts, work):
    """--map: a square per scored contact, after the rules and the band."""
    import struct
    import xml.etree.ElementTree as ET
    adi = work / "report.adi"
    svg, png = work / "map.svg", work / "map.png"

    def squares(args):
        svg.unlink(missing_ok=True)
        r = run([opts.score, "--map", str(svg), *args, str(adi)])
        check(r.returncode == 0, f"--map {args}: {r.returncode} {r.stderr!r}")
        titles = [t.text or "" for t in ET.parse(svg).iter("{http://www.w3.org/2000/svg}title")]
        return sorted(t.split(":")[0] for t in titles if re.match(r"^[A-R]{2}\d\d: ", t))

    check(squares([]) == ["JO70", "JO82"], f"--map: {squares([])}")
    # The coastlines are compiled in: land is drawn, and no libnetcdf loaded.
    r = subprocess.run([opts.score, "--map", str(svg), str(adi)], capture_output=True, timeout=60,
                       env=dict(os.environ, LD_DEBUG="libs"))
    loaded = r.stderr.decode("utf-8", "replace")
    check(r.returncode == 0 and "calling init" in loaded and "netcdf" not in loaded
          and "hdf5" not in loaded and 'fill="#eee8d4"' in svg.read_text(encoding="utf-8"),
          "--map draws land from the compiled-in coastlines without libnetcdf: "
          + "".join(line + "\n" for line in loaded.splitlines() if "netcdf" in line or "hdf5" in line))
    check(squares(["--no-sat"]) == ["JO70"], "--map --no-sat keeps the satellite square off")
    check(squares(["--band", "432"]) == ["JO82"], "--map --band 432")
    png.unlink(missing_ok=True)
    r = run([opts.score, "--format", "csv", "--map", str(png), str(adi)])
    head = png.read_bytes()[:33] if png.exists() else b""
    check(r.returncode == 0 and head[:8] == b"\x89PNG\r\n\x1a\n"
          and struct.unpack(">II", head[16:24]) == (1754, 1240),
          f"--map PNG of 1754 x 1240 pixels: {r.stderr!r} {head!r}")
    check(b"pHYs" in png.read_bytes()[:4096] and struct.pack(">II", 5906, 5906) in png.read_bytes()[:4096],
          "--map PNG at 150 dpi")
    # --map=page: the map before the printed pages.
    pdf = work / "mapped.pdf"
    svg.unlink(missing_ok=True)
    r = run([opts.score, "--pdf", str(pdf), "--map=page", "--map", str(svg), str(adi)], timeout=120)
    titles = [t.text or "" for t in ET.parse(svg).iter("{http://www.w3.org/2000/svg}title")]
    check(sorted(t.split(":")[0] for t in titles if re.match(r"^[A-R]{2}\d\d: ", t)) == ["JO70", "JO82"],
          "--map FILE beside --map=page: the same squares in both")
    if r.returncode == 0 and shutil.which("pdftotext"):
        first = run(["pdftotext", "-f", "1", "-l", "1", str(pdf), "-"]).stdout.decode("utf-8")
        second = run(["pdftotext", "-f", "2", "-l", "2", str(pdf), "-"]).stdout.decode("utf-8")
        check("JO70" in first and "JO82" in first and "Seite" not in first
              and "Seite 1 von 1" in second, f"--map=page: {first[:300]!r} {second[:300]!r}")
    check(r.returncode == 0, f"--map=page: {r.returncode} {r.stderr!r}")
    for args, what in ((["--map=page"], "--map=page without printing"),
                       (["--band", "145", "--map", str(svg)], "no band"),
                       (["--band", "144"], "--band without --map")):
        r = run([opts.score, *args, str(adi)])
        check(r.returncode == 2, f"{what}: exit {r.returncode}")


def sample_checks(opts, work):
    """The sample logs: a station with a tab after it, confirmed contacts."""
    import xml.etree.ElementTree as ET
    n1mm, log4om, ucx = (SAMPLES / name for name in ("n1mm.adi", "log4om.adi", "ucxlog.edi"))
    # The tab after STATION_CALLSIGN is blank in every output.
    text = run([opts.score, str(n1mm)]).stdout.decode("utf-8")
    rows = csv_rows(run([opts.score, "--format", "csv", str(n1mm)]).stdout)
    book, svg = work / "tab.xlsx", work / "tab.svg"
    r = run([opts.score, "--xlsx", str(book), "--map", str(svg), str(n1mm)])
    sheet = read_xlsx(book).get("Verbindungen", [])
    title = ET.parse(svg).find("{http://www.w3.org/2000/svg}title").text if svg.exists() else ""
    check(r.returncode == 0 and f"Station: DL0XYZ, Datei: {n1mm}\n" in text
          and [x["station"] for x in rows] == ["DL0XYZ"] * 3
          and [x[2] for x in sheet[1:]] == ["DL0XYZ"] * 3 and "DL0XYZ \u00b7" in title,
          f"station with a tab: {text!r} {rows} {sheet} {title!r}")

    # Only confirmed contacts: the others counted, not listed; an EDI log has
    # no confirmations, said once on standard error.
    r = run([opts.score, "--confirmed", str(log4om), str(ucx)])
    out = r.stdout.decode("utf-8")
    check(r.returncode == 0 and r.stderr.decode("utf-8") ==
          f"qrb-score: {ucx}: EDI-Logs enthalten keine Bestätigungen: alle Verbindungen nicht "
          "bestätigt\n", f"--confirmed, EDI: {r.returncode} {r.stderr!r}")
    for want in ("JN97   1.2     7     3    21   HA5KDR         2023-06-18   11:05   bestätigt\n",
                 "Summe             1         1      21               0         0          1\n",
                 "Nicht gewertet: 6\n  nicht bestätigt: 5\n  im EDI-Log als Duplikat markiert: 1\n"):
        check(want in out, f"--confirmed: {want!r} missing in\n{out}")
    check("OE3XYZ" not in out and ": nicht bestätigt" not in out, f"--confirmed listed: {out}")
    rows = csv_rows(run([opts.score, "--confirmed", "--format", "csv", str(log4om)]).stdout)
    check([(x["status"], x["reason"], x["confirmed"]) for x in rows] ==
          [("skipped", "nicht bestätigt", "")] * 2 + [("scored", "", "1")], f"--confirmed CSV: {rows}")


def report_checks(opts, work):
    """The report: blocks, marks, band tables, skips, workbook, pages."""
    adi, edi = work / "report.adi", work / "report.edi"
    adi.write_text(REPORT_ADI)
    edi.write_text(REPORT_EDI.replace("\n", "\r\n"))
    r = run([opts.score, str(adi), str(edi), str(work / "." / "report.adi")])
    out = r.stdout.decode("utf-8")
    check(r.returncode == 0, f"report: exit {r.returncode} {r.stderr!r}")
    check(r.stderr.decode().count("schon genannt") == 1 and out.count("OK1KT ") == 1,
          f"report: a file named twice is read once, with a warning: {r.stderr!r}")
    for want in (f"Eigener Locator: JO62, Station: DL1XYZ, Datei: {adi}",
                 f"Eigener Locator: JO62, Station: DL0XYZ, Datei: {edi}",
                 "JO70   144     3     1     3   OK1KT          2024-05-06   18:12\n",
                 "JO82   432     3     2     6   SP3XYZ         2024-05-06   18:30   Satellit\n",
                 "JO70   144     3     1     3   ok1kt          2024-05-07   10:01   Wiederholung\n",
                 "JO65   1.2     4     3    12   OZ1ABC         2024-05-14   18:02\n",
                 "  144             2         1       6               1         0          0\n",
                 "Summe             3         2      12               1         1          0\n",
                 "  kein Band des Diploms: 1\n", f"{adi}, Nr. 5, DL2ABC: fremder Locator ungültig"):
        check(want in out, f"report: {want!r} missing in\n{out}")
    check("Nr. 4" not in out and "Gesamtsumme" not in out,
          "report: short wave counted only; no total over two stations")

    r = run([opts.score, "--format", "csv", "--unique", "--no-sat", str(adi), str(edi)])
    rows = csv_rows(r.stdout)
    check([(x["status"], x["reason"], x["date"], x["time"], x["repeat"], x["satellite"])
           for x in rows[:3]] ==
          [("scored", "", "2024-05-06", "18:12", "0", "0"),
           ("skipped", "über Satellit", "2024-05-06", "18:30:15", "", ""),
           ("skipped", "Wiederholung", "2024-05-07", "10:01", "", "")],
          f"--unique --no-sat: {rows[:3]}")
    check(rows[5]["date"] == "2024-05-14" and rows[5]["station"] == "DL0XYZ", f"EDI row {rows[5]}")

    # No own locator: the remedy once, at the top, not on every contact.
    bare = work / "noown.adi"
    bare.write_text("<CALL:4>DL1A<GRIDSQUARE:4>JO73<BAND:4>70cm<EOR>\n" * 3)
    out = run([opts.score, str(bare)]).stdout.decode("utf-8")
    check(out.startswith(f"Ohne eigenen Locator (mit --own LOC angeben): {bare}\n")
          and "  eigener Locator fehlt: 3\n" in out and "Nr. 1" not in out, f"no own: {out!r}")

    # Not logs: a README with examples of every format; an ADX file after a
    # document type with an <EOR> in a CDATA section is one.
    readme = HERE.parent.parent / "README.md"
    r = run([opts.score, str(readme)])
    check(r.returncode == 1 and b"weder" in r.stderr, f"README: {r.returncode} {r.stderr!r}")
    adx = work / "doctype.adx"
    adx.write_text("<!DOCTYPE ADX>\n<ADX><RECORDS><RECORD><CALL>DL1A</CALL><NOTES><![CDATA[<EOR>]]>"
                   "</NOTES><GRIDSQUARE>JO73</GRIDSQUARE><MY_GRIDSQUARE>JO62</MY_GRIDSQUARE>"
                   "<BAND>70cm</BAND></RECORD></RECORDS></ADX>\n")
    r = run([opts.score, "--format", "csv", str(adx)])
    check(r.returncode == 0 and len(csv_rows(r.stdout)) == 1, f"ADX with doctype: {r.stdout!r}")

    # The workbook, read back by a spreadsheet library.
    book = work / "report.xlsx"
    book.unlink(missing_ok=True)
    r = run([opts.score, "--xlsx", str(book), str(adi), str(edi)])
    check(r.returncode == 0, f"--xlsx: {r.stderr!r}")
    sheets = read_xlsx(book)
    contacts, overview = sheets.get("Verbindungen", [[]]), sheets.get("Übersicht", [])
    check(list(sheets) == ["Verbindungen", "Übersicht"], f"sheets {list(sheets)}")
    check(contacts[0][:5] == ["Datei", "Nr.", "Station", "Rufzeichen", "Datum"] and len(contacts) == 8,
          f"Verbindungen: {contacts[:2]}")
    check(contacts[2][4:12] == [{"date": "2024-05-06"}, "18:30:15", "JO62", "JO82", "432", 3, 2, 6]
          and contacts[2][15] == "ja", f"a scored row: {contacts[2]}")
    check(contacts[6][8] == "1.2" and contacts[4][12] == "nicht gewertet", f"rows {contacts[4:7]}")
    check(["Summe", 3, 2, 12, 1, 1, 0] in overview and ["Summe", 2, 2, 30, 0, 0, 0] in overview
          and ["kein Band des Diploms", 1, None, None, None, None, None] in overview,
          f"Übersicht: {overview}")
    # The days of each block: the ADIF one spans two, the EDI one has one.
    check([row[1] for row in overview if row[:1] == ["Zeitraum"]]
          == ["2024-05-06 bis 2024-05-07", "2024-05-14"], f"Zeitraum: {overview}")

    # Printed pages: title and page numbers on each, a rule under every
    # block's column header, a long line wrapped and whole.
    long_name = work / ("a-logbook-with-a-name-long-enough-to-wrap-" * 3 + ".adi")
    lines = [REPORT_ADI.splitlines()[1]]
    for n in range(150):
        lines.append(f"<CALL:5>OK{n % 10}KT <QSO_DATE:8>20240506 <TIME_ON:4>1812 <BAND:2>2m "
                     f"<GRIDSQUARE:4>JO7{n % 10} <MY_GRIDSQUARE:4>JO6{n % 2} <EOR>")
    lines.append("<CALL:6>DL2ABC <BAND:2>2m <GRIDSQUARE:3>JO3 <MY_GRIDSQUARE:4>JO62 <EOR>")
    long_name.write_text("\n".join(lines) + "\n")
    pdf = work / "pages.pdf"
    r = run([opts.score, "--pdf", str(pdf), str(long_name)], timeout=120)
    check(r.returncode == 0 and r.stderr == b"", f"--pdf pages: {r.stderr!r}")
    if shutil.which("pdftotext"):
        shown = run(["pdftotext", "-layout", str(pdf), "-"]).stdout.decode("utf-8")
        pages = [p for p in shown.split("\f") if p.strip()]
        title = "QRB-Punkte: nicht angegeben · Locator JO60, JO61 · 2024-05-06"
        check(len(pages) >= 3 and all(p.strip().startswith(title) for p in pages)
              and all(f"Seite {i} von {len(pages)}" in p for i, p in enumerate(pages, 1)),
              f"--pdf: title and page number on each of {len(pages)} pages:\n{shown[:3000]}")
        rules = [line for line in shown.splitlines() if line.strip() and not line.strip("_ ")]
        check(len(rules) == 2, f"--pdf: a rule under each block's header: {rules}")
        # Wrapped where the name has no blank: the pieces, put together again.
        check(f"{long_name}, Nr. 151, DL2ABC: fremder Locator ungültig".replace(" ", "")
              in "".join(shown.split()), "--pdf: the long line wrapped, nothing cut")
    r = run([opts.score, "--pdf", str(work / "no" / "such" / "dir.pdf"), str(adi)], timeout=120)
    err = r.stderr.decode("utf-8")
    check(r.returncode == 1 and len(err.splitlines()) == 1 and "nicht geschrieben" in err,
          f"--pdf not writable: {r.returncode} {err!r}")


def windows(opts):
    """Both commands see the same relative file names, from the same folder,
    so the names in the output are the same bytes. That folder lies on drive
    C: of a Wine prefix without Z: (tests/win/with_wine.sh), and the logs and
    the program are copied into it, as on a Windows machine."""
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
        shutil.copyfile(log, work / log.name)
        names.append(log.name)
    if opts.seeded:
        gen_logbook.write(work, opts.seed)
        names += ["mygrid.adi", "option.adi"]
        # A name beyond ASCII: opened by its UTF-8 name, written back unchanged.
        shutil.copyfile(work / "mygrid.adi", work / "Logbuch Jürgen ÄÖÜ ß €.adi")
        names.append("Logbuch Jürgen ÄÖÜ ß €.adi")
    shutil.copyfile(opts.exe, work / "qrb-score.exe")
    windows_score = [opts.wine, str(work / "qrb-score.exe")]
    linux_score = [str(Path(opts.score).resolve())]

    def same(args, what, stdin=None, files=False, usage=False):
        """With files, each also writes a workbook and a map: the same rows
        and the same squares. A usage error names the outputs each offers:
        only its first line is the same."""
        books = {side: work / f"{side}.xlsx" for side in ("linux", "wine")}
        maps = {side: work / f"{side}.svg" for side in ("linux", "wine")}
        for path in (*books.values(), *maps.values()):
            path.unlink(missing_ok=True)

        def extra(side):
            return ["--xlsx", books[side].name, "--map", maps[side].name] if files else []

        want = subprocess.run(linux_score + extra("linux") + args, input=stdin,
                              capture_output=True, cwd=work, timeout=300)
        got = subprocess.run(windows_score + extra("wine") + args, input=stdin,
                             capture_output=True, cwd=work, timeout=300)
        if files:
            same_files(books["wine"], books["linux"], maps["wine"], maps["linux"], what)
        check(got.returncode == want.returncode,
              f"{what}: exit status {got.returncode} under Wine, {want.returncode} on Linux: "
              f"{got.stderr[-500:]!r}")
        if got.stdout != want.stdout:
            a, b = got.stdout.split(b"\n"), want.stdout.split(b"\n")
            line = next((i for i, (x, y) in enumerate(zip(a, b)) if x != y), min(len(a), len(b)))
            check(False, f"{what}: output differs from line {line + 1} on "
                         f"({len(got.stdout)} bytes under Wine, {len(want.stdout)} on Linux): "
                         f"Wine {a[line:line + 2]!r}, Linux {b[line:line + 2]!r}")
        messages = (got.stderr, want.stderr)
        if usage:
            messages = tuple(m.split(b"\n")[0] for m in messages)
            check(b"--pdf" not in got.stderr and b"[--xlsx DATEI]" in got.stderr,
                  f"{what}: the usage line under Wine offers --pdf: {got.stderr!r}")
        check(messages[0] == messages[1],
              f"{what}: messages differ: Wine {got.stderr[-500:]!r}, Linux {want.stderr[-500:]!r}")
        print(f"{what}: {len(want.stdout)} bytes, exit status {want.returncode}")
        return want

    for fmt in ("text", "csv"):
        same(["--format", fmt, *names], f"{fmt}, {len(names)} logs", files=fmt == "text")
    if opts.seeded:
        same(["--own", "jo62qm", "mygrid.adi"], "text, --own")
        same(["--unique", "--no-sat", "--band", "144", "--format", "csv", *names],
             "csv, --unique --no-sat, the map of 144 MHz", files=True)
        same(["--confirmed", *names], "text, --confirmed")
        same(["--format", "csv", "-"], "csv, standard input", stdin=(work / "option.adi").read_bytes())
        same(["--format", "xml", "mygrid.adi"], "usage error", usage=True)
        same(["--version"], "version")
        # No PDF and no PNG map on Windows: one line saying so, status 2,
        # nothing written; --help offers neither.
        for args, said in ((["--pdf", "log.pdf"], "PDF-Ausgabe gibt es in der Windows-Ausgabe "
                            "nicht; --print druckt auf dem Standarddrucker"),
                           (["--map", "log.png"], "--map log.png: die Windows-Ausgabe schreibt "
                            "Karten als SVG (DATEI.svg)")):
            r = subprocess.run(windows_score + args + ["mygrid.adi"], capture_output=True,
                               cwd=work, timeout=300)
            check(r.returncode == 2 and r.stdout == b"" and not (work / args[1]).exists()
                  and r.stderr == f"qrb-score: {said}\n".encode(),
                  f"{args[0]} under Wine: {r.returncode} {r.stderr!r}")
        # Usage errors about printing name only the options Windows offers.
        for args, said in ((["--map=page"], "--map=page setzt die Karte vor den Druck: nur mit "
                            "--print"),
                           (["--print", "--format", "csv"], "gedruckt wird das Protokoll, nicht "
                            "CSV: --format csv passt nicht zu --print")):
            r = subprocess.run(windows_score + args + ["mygrid.adi"], capture_output=True,
                               cwd=work, timeout=300)
            check(r.returncode == 2 and r.stderr.split(b"\n")[0] == f"qrb-score: {said}".encode(),
                  f"{args} under Wine: {r.returncode} {r.stderr!r}")
        r = subprocess.run(windows_score + ["--help"], capture_output=True, cwd=work, timeout=300)
        check(r.returncode == 0 and b"--xlsx" in r.stdout and b"--map=page" in r.stdout
              and b"--pdf" not in r.stdout and b"PNG" not in r.stdout,
              f"--help under Wine offers what it does: {r.stdout!r}")
        explorer(opts, work, windows_score, linux_score)
    return 0


def svg_squares(path):
    """The worked squares of a map, as their tooltips name them."""
    import xml.etree.ElementTree as ET
    if not path.exists():
        return None
    titles = [t.text or "" for t in ET.parse(path).iter("{http://www.w3.org/2000/svg}title")]
    return sorted(t for t in titles if re.match(r"^[A-R]{2}\d\d: ", t))


def same_files(book, want_book, svg, want_svg, what):
    """A workbook and a map against the Linux program's."""
    sheets, want = read_xlsx(book) if book.exists() else {}, read_xlsx(want_book)
    check(sheets == want and len(want.get("Verbindungen", [])) > 1,
          f"{what}: the workbook differs: "
          + next((f"{name} row {i + 1}: Wine {a!r}, Linux {b!r}"
                  for name in want for i, (a, b) in enumerate(
                      zip(sheets.get(name, []), want[name])) if a != b),
                 f"sheets {list(sheets)} against {list(want)}"))
    squares, want_squares = svg_squares(svg), svg_squares(want_svg)
    check(squares == want_squares and want_squares, f"{what}: the map's squares differ: "
          f"Wine {squares}, Linux {want_squares}")
    print(f"{what}: {sum(len(rows) for rows in want.values())} rows in the workbook, "
          f"{len(want_squares or [])} squares on the map")


def explorer(opts, work, windows_score, linux_score):
    """The Explorer case (qrb-score.exe double-clicked, or logs dropped on it),
    its console given by pipes: QRB_SCORE_OWN_CONSOLE=1."""
    env = dict(os.environ, QRB_SCORE_OWN_CONSOLE="1")

    def dropped(args, answers, cwd=work):
        return subprocess.run(windows_score + args, input=answers.encode(), capture_output=True,
                              cwd=cwd, env=env, timeout=300)

    r = dropped([], "\n")
    shown = r.stdout.decode("utf-8", "replace")
    check(r.returncode == 0 and "auf qrb-score.exe ziehen" in shown
          and '"Logbuch auswerten" im Startmenü' in shown and shown.endswith("eine Taste drücken.\n"),
          f"double-clicked: {r.returncode} {shown!r}")

    # A log without own locators: asked for one (a wrong one first), then the
    # four files beside it, replacing what was there, as the command writes
    # them with --own.
    own = json.loads((work / "option.json").read_text(encoding="utf-8"))["own_option"]
    (work / "option-qrb.txt").write_text("an older report, longer than the new one\n" * 10000)
    r = dropped(["option.adi"], f"jo6\n{own}\n\n")
    shown = r.stdout.decode("utf-8", "replace")
    check(r.returncode == 0 and "In option.adi fehlt bei Verbindungen der eigene Locator." in shown
          and "jo6 ist kein gültiger Locator." in shown
          and f"Die Auswertung steht in {windows_name(work)}:\n" in shown
          and all(f"  option-qrb{e}\n" in shown for e in (".txt", ".csv", ".xlsx", ".svg")),
          f"dropped: {r.returncode} {shown!r} {r.stderr!r}")
    for fmt, ending in (("text", ".txt"), ("csv", ".csv")):
        want = subprocess.run(linux_score + ["--own", own, "--format", fmt, "option.adi"],
                              capture_output=True, cwd=work, timeout=300).stdout
        check((work / f"option-qrb{ending}").read_bytes() == want,
              f"dropped: option-qrb{ending} is not what the command writes")
    subprocess.run(linux_score + ["--own", own, "--xlsx", "linux.xlsx", "--map", "linux.svg",
                                  "option.adi"], capture_output=True, cwd=work, timeout=300)
    same_files(work / "option-qrb.xlsx", work / "linux.xlsx", work / "option-qrb.svg",
               work / "linux.svg", "dropped")

    # A folder that cannot take the report (a folder of the report's name in
    # the way): into Dokumente\QRB-Punkte; the log named with its full path.
    blocked = work / "gesperrt"
    blocked.mkdir()
    log = blocked / "Logbuch Jürgen ÄÖÜ ß €.adi"
    shutil.copyfile(work / "mygrid.adi", log)
    (blocked / "Logbuch Jürgen ÄÖÜ ß €-qrb.txt").mkdir()
    drive_c = next(p for p in work.parents if p.name == "drive_c")
    documents = next(p for p in (drive_c / "users").iterdir() if p.name != "Public") / "Documents"
    shutil.rmtree(documents / "QRB-Punkte", ignore_errors=True)
    r = dropped([windows_name(log)], "\n\n", cwd=drive_c)
    shown = r.stdout.decode("utf-8", "replace")
    made = sorted(p.name for p in (documents / "QRB-Punkte").glob("*")) if (
        documents / "QRB-Punkte").is_dir() else []
    check(r.returncode == 0 and f"In {windows_name(blocked)} lässt sich nicht schreiben." in shown
          and "Die Auswertung steht deshalb in Dokumente\\QRB-Punkte" in shown
          and made == sorted(f"Logbuch Jürgen ÄÖÜ ß €-qrb{e}" for e in (".csv", ".svg", ".txt",
                                                                         ".xlsx")),
          f"folder not writable: {r.returncode} {shown!r} {r.stderr!r}, made {made}")
    print(f"Explorer case: the intro, a dropped log with its own locator asked for, "
          f"Dokumente\\QRB-Punkte: {len(made)} files")


def windows_name(path):
    """The name of a file on drive C: of the Wine prefix, as Windows gives it."""
    parts = path.parts
    return "C:\\" + "\\".join(parts[parts.index("drive_c") + 1:])


def page(opts):
    """The page's reports of the same files with the same options as the
    command's, each run in a folder holding the files under the names the
    page sees (a browser hands a page the file's name, not its path)."""
    work = Path(opts.work)
    shutil.rmtree(work, ignore_errors=True)
    (work / "logs").mkdir(parents=True)
    logs = work / "logs"

    def gather(paths):
        names = []
        for p in paths:
            (logs / p.name).symlink_to(p.resolve())
            names.append(p.name)
        return names

    kinds = (".adi", ".edi", ".adx")
    samples = gather(sorted(p for p in Path(opts.samples).glob("*") if p.suffix.lower() in kinds))
    real = []
    if opts.data:
        real = gather(sorted(p for p in Path(opts.data).glob("*") if p.suffix.lower() in kinds))
    # Files that are no logbook, or not all of one, and a folder, among a good
    # one; dropped, as a folder can only be.
    (logs / "notes.adi").write_bytes((HERE.parent.parent / "README.md").read_bytes())
    (logs / "Ordner").mkdir()
    (logs / "cut.adi").write_bytes(b"<CALL:4>DL1A<GRIDSQUARE:6>JO7")
    (logs / "empty.edi").write_bytes(b"")
    (logs / "good.adi").write_text(
        "<MY_GRIDSQUARE:6>jo62qm<GRIDSQUARE:4>JO73<BAND:4>70cm<CALL:4>DL1A<EOR>\n")
    unreadable = ["notes.adi", "Ordner", "cut.adi", "empty.edi", "good.adi"]

    cases = [
        {"name": "samples", "files": samples, "print": True},
        {"name": "options", "files": samples, "own": "jo62qm", "unique": True, "noSat": True,
         "confirmed": True, "band": "144", "drop": True},
        {"name": "unreadable", "files": unreadable, "drop": True},
        {"name": "badown", "files": ["good.adi"], "own": "jo6"},
    ]
    if real:
        # The second with more lines than the page shows at once: printed whole.
        cases += [{"name": "realdata", "files": real},
                  {"name": "realdata-own", "files": real, "own": "JO62QM", "unique": True,
                   "band": "432", "print": True}]
    else:
        print(f"no real logs in {opts.data}: only the samples")
    requests = "".join(json.dumps(dict(c, files=[str(logs / f) for f in c["files"]])) + "\n"
                       for c in cases)
    out = work / "page"
    r = subprocess.run([opts.page_report, opts.page, str(out)], input=requests.encode(),
                       capture_output=True, timeout=1200)
    check(r.returncode == 0, f"qrb-page-report: exit status {r.returncode}: {r.stderr[-2000:]!r}")
    answers = {a["name"]: a for a in map(json.loads, r.stdout.decode("utf-8").splitlines())}

    for case in cases:
        name = case["name"]
        got = answers.get(name)
        if got is None:
            check(False, f"{name}: no answer from the page")
            continue
        check(got["problems"] == [], f"{name}: the page: {got['problems']}")
        check(got.get("shown") == "logbook", f"{name}: the report made, the {got.get('shown')} shown")
        args = []
        if case.get("own"):
            args += ["--own", case["own"]]
        args += [flag for key, flag in (("unique", "--unique"), ("noSat", "--no-sat"),
                                        ("confirmed", "--confirmed")) if case.get(key)]
        band = ["--band", case["band"]] if case.get("band") else []

        def score(extra):
            return subprocess.run([str(Path(opts.score).resolve()), *args, *extra, *case["files"]],
                                  capture_output=True, cwd=logs, timeout=300)

        text = score([])
        said = [line.removeprefix("qrb-score: ")
                for line in text.stderr.decode("utf-8").splitlines()]
        # The page says beside these where a log lacks its own locator.
        shown = [m for m in got["messages"] if "eigener Locator fehlt" not in m]
        if text.returncode == 2:
            # The command's usage follows its line; the page names its field.
            why = said[0].split(": ", 1)[-1]
            check(len(shown) == 1 and case["own"] in shown[0] and shown[0].endswith(": " + why)
                  and got["downloads"] == {},
                  f"{name}: refused as the command refuses it: {got['messages']} {said}")
            print(f"{name}: refused: {shown}")
            continue
        check(shown == said, f"{name}: messages {got['messages']}, the command's {said}")
        stem = Path(case["files"][0]).stem
        check(got["downloads"] == {k: f"{stem}-qrb.{k}" for k in ("txt", "csv", "xlsx", "svg")},
              f"{name}: downloads {got['downloads']}")
        check(got.get("leftFiles") == 0, f"{name}: {got.get('leftFiles')} files left in memory")
        saved = out / name

        def same(kind, want):
            path = saved / f"{stem}-qrb.{kind}"
            have = path.read_bytes() if path.exists() else b""
            if have != want:
                a, b = have.split(b"\n"), want.split(b"\n")
                line = next((i for i, (x, y) in enumerate(zip(a, b)) if x != y), min(len(a), len(b)))
                check(False, f"{name}: #{kind} differs from line {line + 1} on ({len(have)} bytes, "
                             f"the command's {len(want)}): {a[line:line + 2]!r} {b[line:line + 2]!r}")

        same("txt", text.stdout)
        same("csv", score(["--format", "csv"]).stdout)
        svg, book = work / f"{name}.svg", work / f"{name}.xlsx"
        score(["--map", str(svg), *band, "--xlsx", str(book)])
        same("svg", svg.read_bytes())
        mine, theirs = read_xlsx(saved / f"{stem}-qrb.xlsx"), read_xlsx(book)
        check(mine == theirs and len(mine.get("Verbindungen", [])) > 1,
              f"{name}: the workbook's rows differ: "
              f"{[(k, len(v)) for k, v in mine.items()]} {[(k, len(v)) for k, v in theirs.items()]}")
        print(f"{name}: {len(case['files'])} logs, {len(text.stdout)} bytes of text, "
              f"{len(mine.get('Verbindungen', [])) - 1} rows")
        if case.get("print"):
            printed(name, saved / "print.pdf", text.stdout.decode("utf-8"))
    return 0


def printed(name, pdf, text):
    """The printed report: its title on the first page, "Seite N von M" on
    every page, and every line of the log whole on one page."""
    if not shutil.which("pdftotext"):
        print("no pdftotext: the printout is not read")
        return
    pages = [p for p in run(["pdftotext", "-layout", str(pdf), "-"]).stdout.decode("utf-8")
             .split("\f") if p.strip()]
    check(pages and pages[0].strip().startswith("QRB-Punkte: "),
          f"{name}: printed, its title first: {pages[:1]}")
    check(all(f"Seite {i} von {len(pages)}" in p for i, p in enumerate(pages, 1)),
          f"{name}: \"Seite N von {len(pages)}\" on each page")
    flat = [" ".join(p.split()) for p in pages]
    lines = [" ".join(line.split()) for line in text.splitlines() if LOG_LINE.match(line)]
    cut = [line for line in lines if not any(line in p for p in flat)]
    check(lines and not cut, f"{name}: {len(cut)} of {len(lines)} log lines not whole on a "
                             f"printed page: {cut[:3]}")
    print(f"{name}: printed on {len(pages)} pages")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("mode", choices=["differential", "realdata", "cli", "windows", "page"])
    parser.add_argument("--score", required=True)
    parser.add_argument("--scenario")
    parser.add_argument("--work", default=".")
    parser.add_argument("--data")
    parser.add_argument("--seed", type=int, default=20261207)
    parser.add_argument("--exe", help="qrb-score.exe (windows)")
    parser.add_argument("--wine", default="wine", help="runs a Windows program (windows)")
    parser.add_argument("--seeded", action="store_true",
                        help="also the seeded logbooks and special names (windows)")
    parser.add_argument("--page", help="qrb-punkte.html (page)")
    parser.add_argument("--page-report", help="qrb-page-report, which drives the page (page)")
    parser.add_argument("--samples", help="the sample logbooks (page)")
    opts = parser.parse_args()
    modes = {"differential": differential, "realdata": realdata, "cli": cli, "windows": windows,
             "page": page}
    status = modes[opts.mode](opts)
    if status == 77:
        return 77
    print(f"{len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
