#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes a large ADIF logbook of realistic VHF/UHF contacts for benchmarks.

    python3 bench/gen_adif.py RECORDS FILE

Every record carries what a general logging program exports: call, date,
time, band, mode and report, both locators, most times the frequency
and, but for digital modes, a name and six-character locators. ASCII only:
the ADIF parser the benchmark compares with counts field lengths in
characters, not bytes, and would lose its way in UTF-8 text. Seeded, so the same count always gives the same file.
"""
import random
import sys

BANDS = [("6m", 50.15), ("2m", 144.3), ("70cm", 432.2), ("23cm", 1296.2), ("13cm", 2320.2),
         ("3cm", 10368.2), ("20m", 14.074), ("40m", 7.074)]
MODES = [("SSB", "59"), ("CW", "599"), ("FT8", "-10"), ("FM", "59"), ("MSK144", "+02")]
NAMES = ["Hans", "Peter", "Juergen", "Anna", "Jan", "Marek", "Luc", "Eva", "Bjoern", "Piet"]
LETTERS = "ABCDEFGHIJKLMNOPQRSTUVWX"


def field(name, value):
    return f"<{name}:{len(value.encode('utf-8'))}>{value}"


def main():
    count, path = int(sys.argv[1]), sys.argv[2]
    rnd = random.Random(4711)
    prefixes = ["DL", "OK", "SP", "PA", "F", "G", "OE", "HB9", "OZ", "SM", "ON", "S5"]
    # Squares from the Atlantic to the Baltic: fields I..L east, M..P north.
    squares = [chr(65 + c // 10) + chr(65 + r // 10) + str(c % 10) + str(r % 10)
               for c in range(80, 120) for r in range(120, 160)]
    with open(path, "w", encoding="utf-8", newline="\n") as out:
        out.write("Generated logbook for the qrb-score benchmark\n")
        out.write(field("ADIF_VER", "3.1.4") + " " + field("PROGRAMID", "gen_adif") + " <EOH>\n")
        lines = []
        for n in range(count):
            call = rnd.choice(prefixes) + str(rnd.randint(1, 9)) + "".join(
                rnd.choice(LETTERS) for _ in range(rnd.randint(2, 3)))
            band, freq = rnd.choice(BANDS)
            mode, rst = rnd.choice(MODES)
            grid = rnd.choice(squares)
            digital = mode in ("FT8", "MSK144")
            if not digital:  # WSJT-X logs the square only
                grid += rnd.choice(LETTERS) + rnd.choice(LETTERS)
            fields = [field("CALL", call), field("QSO_DATE", f"2024{1 + n % 12:02d}{1 + n % 28:02d}"),
                      field("TIME_ON", f"{n % 24:02d}{n % 60:02d}"), field("BAND", band)]
            # Some loggers write the frequency beside the band, others not.
            if n % 3 != 0:
                fields.append(field("FREQ", f"{freq}"))
            fields += [field("MODE", mode), field("RST_SENT", rst), field("GRIDSQUARE", grid),
                       field("MY_GRIDSQUARE", "JO62QM")]
            if not digital:
                fields.append(field("NAME", rnd.choice(NAMES)))
            lines.append("".join(fields) + "<EOR>\n")
            if len(lines) == 10000:
                out.write("".join(lines))
                lines = []
        out.write("".join(lines))


if __name__ == "__main__":
    main()
