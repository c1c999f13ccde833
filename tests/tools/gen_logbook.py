#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes seeded random ADIF logbooks and what a person would type for them.

Each logbook comes with a list of its contacts as a person enters them into
the window: the own locator (None when the person cannot enter one, because
it is missing or the window refuses it), the foreign locator exactly as in the
file, and the band button for the band the file names (None when it names
none of the ten). The window then decides on its own what it logs.

    python3 tests/tools/gen_logbook.py OUTDIR [SEED]

writes OUTDIR/<name>.adi and OUTDIR/<name>.json for two logbooks:
  mygrid  several own locators, one MY_GRIDSQUARE in every record
  option  no MY_GRIDSQUARE; scored with --own (the "own_option" of its list)
"""
import json
import random
import sys
from pathlib import Path

# ADIF band names and frequency ranges (MHz) of the ten bands, by button index.
BAND_NAMES = ["6m", "2m", "70cm", "23cm", "13cm", "9cm", "6cm", "3cm", "1.25cm", "6mm"]
BAND_RANGES = [(50, 54), (144, 148), (420, 450), (1240, 1300), (2300, 2450), (3300, 3500),
               (5650, 5925), (10000, 10500), (24000, 24250), (47000, 47200)]
LETTERS = "ABCDEFGHIJKLMNOPQRSTUVWX"
MODES = [("SSB", "59"), ("CW", "599"), ("FM", "59"), ("FT8", "-12"), ("MSK144", "+02")]
NAMES = ["Hans", "Peter", "Anna", "Jan", "Marek", "Luc", "Eva", "Tom", "Piet", "Ole"]


def square_at(col, row):
    return chr(65 + col // 10) + chr(65 + row // 10) + str(col % 10) + str(row % 10)


def col_row(square):
    return 10 * (ord(square[0]) - 65) + int(square[2]), 10 * (ord(square[1]) - 65) + int(square[3])


def dress(rnd, square):
    """A square as loggers write it: mostly six characters, in any case, at times with blanks."""
    text = square
    if rnd.random() < 0.7:
        text += rnd.choice(LETTERS) + rnd.choice(LETTERS)
    if rnd.random() < 0.5:
        text = text.lower()
    elif rnd.random() < 0.3:
        text = text[:2] + text[2:].lower()
    if rnd.random() < 0.15:
        text = " " * rnd.randint(1, 2) + text + " " * rnd.randint(0, 2)
    return text


def broken_locator(rnd):
    """Locators the window refuses: too short, letters beyond X, digit for letter, bad sub-square."""
    return rnd.choice(["jo6", "JY62", "J062ab", "jo62qy", "JO6A", "AB", "jo62 qm", "99AA"])


def field(name, value):
    return f"<{name}:{len(value.encode('utf-8'))}>{value}"


def contact_fields(rnd, n):
    call = rnd.choice(["DL", "OK", "SP", "PA", "F", "G", "OE", "HB9", "OZ", "SM"]) + str(
        rnd.randint(1, 9)) + "".join(rnd.choice("ABCDEFGHIJKLMNOPQRSTUVWXYZ") for _ in range(3))
    mode, rst = rnd.choice(MODES)
    day = 1 + n % 28
    return [field("CALL", call), field("QSO_DATE", f"202405{day:02d}"),
            field("TIME_ON", f"{(n // 60) % 24:02d}{n % 60:02d}"), field("MODE", mode),
            field("RST_SENT", rst), field("RST_RCVD", rst), field("NAME", rnd.choice(NAMES))]


def band_fields(rnd):
    """The band as the file names it, and the button a person would click."""
    r = rnd.random()
    if r < 0.05:
        return [field("BAND", rnd.choice(["20m", "40M", "10m"])), field("FREQ", "14.074")], None
    if r < 0.08:
        return [], None
    index = rnd.randrange(10)
    low, high = BAND_RANGES[index]
    freq = rnd.choice([low, high, round(rnd.uniform(low, high), 4)])
    if rnd.random() < 0.6:
        name = BAND_NAMES[index]
        name = name.upper() if rnd.random() < 0.3 else name
        fields = [field("BAND", name)]
        if rnd.random() < 0.5:
            fields.append(field("FREQ", f"{freq}"))
        return fields, index
    return [field("FREQ", f"{freq}")], index


def logbook(rnd, count, with_own):
    owns = [square_at(rnd.randrange(80, 150), rnd.randrange(120, 160)) for _ in range(4)]
    own_option = dress(rnd, owns[0]).strip() if not with_own else None
    header = ["Seeded test log, written for QRB-Punkte", field("ADIF_VER", "3.1.4"),
              field("PROGRAMID", "gen_logbook"), "<EOH>", ""]
    records, contacts = [], []
    own = owns[0]
    for n in range(count):
        fields = contact_fields(rnd, n)
        typed_own = own_option
        if with_own:
            if rnd.random() < 0.1:
                own = rnd.choice(owns)
            r = rnd.random()
            if r < 0.03:
                typed_own = None  # no MY_GRIDSQUARE in this record
            elif r < 0.06:
                fields.append(field("MY_GRIDSQUARE", broken_locator(rnd)))
                typed_own = None
            else:
                typed_own = dress(rnd, own)
                fields.append(field("MY_GRIDSQUARE", typed_own))
        oc, orow = col_row(owns[0] if not with_own else own)
        r = rnd.random()
        if r < 0.06:
            loc = broken_locator(rnd)
        elif r < 0.09:
            loc = None
        else:
            # Mostly within reach of the table, some just beyond it (40 squares).
            col = min(239, max(0, oc + rnd.randint(-44, 44)))
            row = min(239, max(0, orow + rnd.randint(-44, 44)))
            loc = dress(rnd, square_at(col, row))
        if loc is not None:
            fields.append(field("GRIDSQUARE", loc))
        bands, band = band_fields(rnd)
        fields += bands
        rnd.shuffle(fields)
        records.append(" ".join(fields) + " <EOR>")
        contacts.append({"own": typed_own, "loc": loc if loc is not None else "", "band": band})
    return "\n".join(header + records) + "\n", {"own_option": own_option, "contacts": contacts}


def write(out, seed):
    out = Path(out)
    out.mkdir(parents=True, exist_ok=True)
    rnd = random.Random(seed)
    for name, with_own in (("mygrid", True), ("option", False)):
        text, typing = logbook(rnd, 300, with_own)
        (out / f"{name}.adi").write_text(text, encoding="utf-8")
        (out / f"{name}.json").write_text(json.dumps(typing, indent=1), encoding="utf-8")


def main():
    write(sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 20261207)


if __name__ == "__main__":
    main()
