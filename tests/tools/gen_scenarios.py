#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the large generated scenario files from an independent model.

The points come from the closed form of the award's point table and the
square distances from whole column/row numbers, not from the program's own
floating-point path, so the window is checked against a second description.

    python3 tests/tools/gen_scenarios.py OUTDIR    # writes OUTDIR/gen_*.scn

The build runs it and registers each file as a scenario test.
"""
import random
import sys
from pathlib import Path

CORNER = [list(map(int, r.split())) for r in """
1 2 3 4 5 6 8 9 10 12 13 14 16
2 2 3 4 5 6 8 9 10 12 13 14 16
3 3 3 4 5 6 8 9 10 12 13 14 16
4 4 4 5 6 7 8 9 10 12 13 14 16
5 5 5 6 6 7 8 9 10 12 13 14 16
6 6 6 7 7 7 8 9 10 12 13 14 16
7 7 7 8 8 8 9 10 11 12 13 14 16
8 8 8 9 9 9 10 10 11 12 13 14 16
9 9 9 10 10 10 11 11 11 12 13 14 16
10 10 10 11 11 11 12 12 12 13 14 15 16
11 11 11 12 12 12 13 13 13 14 14 15 16
12 12 12 13 13 13 14 14 14 15 15 15 16
13 13 13 14 14 14 15 15 15 16 16 16 16""".strip().splitlines()]

BANDS = [("50", 1, " 50"), ("144", 1, "144"), ("432", 2, "432"), ("1.2", 3, "1.2"),
         ("2.3", 4, "2.3"), ("3.6", 5, "3.6"), ("5.7", 6, "5.7"), ("10", 7, " 10"),
         ("24", 8, " 24"), ("47", 9, " 47")]


def points(x, y):
    """QRB points for x - 1 longitude and y - 1 latitude squares between two stations."""
    if y > x:
        return y + (0 if x <= 3 else 1 if x <= 6 else 2 if x <= 9 else 3)
    if x >= 13:
        return x + 3
    return CORNER[y - 1][x - 1]


def col_row(square):
    """Whole column (2 degrees) and row (1 degree) numbers of a square."""
    a, b = ord(square[0]) - 65, ord(square[1]) - 65
    return 10 * a + int(square[2]), 10 * b + int(square[3])


def score(own, foreign):
    (c1, r1), (c2, r2) = col_row(own), col_row(foreign)
    x, y = abs(c1 - c2) + 1, abs(r1 - r2) + 1
    return None if x > 40 or y > 40 else points(x, y)


def square_at(col, row):
    return chr(65 + col // 10) + chr(65 + row // 10) + str(col % 10) + str(row % 10)


def pad3(text):
    return text.rjust(3)


def log_line(loc, band, pkt):
    _, mul, label = BANDS[band]
    pkt_text = pad3(" " if band == 0 else str(pkt))
    mul_text = pad3(" " if band == 0 else str(mul))
    return f"{loc}   {label}   {pkt_text}   {mul_text}   {pad3(str(pkt * mul))}"


def random_pairs(count, seed):
    rnd = random.Random(seed)
    lines = [f"# {count} random pairs of squares typed into the real window, seed {seed}.",
             "# Expected points from whole column/row distances and the closed-form table.", ""]
    pkt = 0
    log = 1
    total = 0
    own = None
    for n in range(count):
        if own is None or rnd.random() < 0.05:
            own = square_at(rnd.randrange(240), rnd.randrange(240))
            typed = own + ("".join(rnd.choice("ABCDEFGHIJKLMNOPQRSTUVWX") for _ in range(2))
                           if rnd.random() < 0.3 else "")
            lines += [f'type LOC1 "{typed.lower()}\\r"', "expect FEHLER 0", f'expect LOC1.text "{typed}"']
        oc, orow = col_row(own)
        if rnd.random() < 0.8:  # mostly within reach of the table
            col = min(239, max(0, oc + rnd.randint(-42, 42)))
            row = min(239, max(0, orow + rnd.randint(-42, 42)))
        else:
            col, row = rnd.randrange(240), rnd.randrange(240)
        foreign = square_at(col, row)
        lines.append(f'type LOC2 "{foreign.lower()}\\r"')
        lines.append(f'expect LOC2.text "{foreign}"')
        got = score(own, foreign)
        if got is None:
            lines += ["expect FEHLER 1", "expect LOC2.color C0C0FF", f"expect QRB_PKT {pkt}",
                      "expect B0.enabled 0"]
            continue
        pkt = got
        lines += ["expect FEHLER 0", f"expect QRB_PKT {pkt}"]
        if n % 8 == 0:
            band = rnd.randrange(10)
            lines += [f"click B{band}", f'expect PANZ.text "{pkt * BANDS[band][1]}"', "click OK2",
                      f'expect LIST1[{log}] "{log_line(foreign, band, pkt)}"']
            total += pkt * BANDS[band][1]
            log += 1
            lines.append(f'expect SU.text " {total}"')
    lines.append(f"expect LIST1.count {log}")
    return lines


def qth_square(text):
    """Square of a checked QTH-Kenner, in whole numbers."""
    a, b = ord(text[0]) - 65, ord(text[1]) - 65
    shift = {"-": -26, "+": 26}
    s = shift.get(text[4], 0) if len(text) > 4 else 0
    t = shift.get(text[5], 0) if len(text) > 5 else 0
    i, j = a + s, b + t
    return chr(65 + (i + 90) // 10) + chr(65 + (j + 130) // 10) + str((i + 90) % 10) + str((j + 130) % 10)


def qth_all():
    own = "JO62"
    lines = ["# Every pair of QTH-Kenner letters with each of the nine shift forms, typed",
             "# into the real window against the own locator JO62. The square and the",
             "# points come from whole column/row numbers.", "",
             f'type LOC1 "{own.lower()}\\r"', ""]
    pkt = 0
    for shift in ["", "-", "+", " -", " +", "--", "-+", "+-", "++"]:
        lines.append(f"# shift form \"{shift}\"")
        for a in range(26):
            for b in range(26):
                typed = chr(97 + a) + chr(97 + b) + "47" + shift
                square = qth_square(typed.upper())
                lines.append(f'type QTH2 "{typed}\\r"')
                lines.append(f'expect LOC2.text "{square}"')
                got = score(own, square)
                if got is None:
                    lines.append("expect FEHLER 1")
                    lines.append(f"expect QRB_PKT {pkt}")
                else:
                    pkt = got
                    lines.append(f"expect QRB_PKT {pkt}")
    return lines


def main():
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    (out / "gen_random_pairs.scn").write_text("\n".join(random_pairs(2500, 20261207)) + "\n")
    (out / "gen_qth_all.scn").write_text("\n".join(qth_all()) + "\n")


if __name__ == "__main__":
    main()
