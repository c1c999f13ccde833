#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks a Debian copyright file in the machine-readable format (DEP-5).

Parsed strictly with Debian's own parser (python3-debian), every warning an
error; every licence named by a Files paragraph has its text, either there
or in a stand-alone License paragraph; the program's own files are under
EXPECTED_LICENSE; and each file of /usr/share/common-licenses that a text
points to exists.

Usage: check_copyright.py COPYRIGHT_FILE EXPECTED_LICENSE
Exits 0 when valid, 1 with one line per fault otherwise.
"""
import re
import sys
import warnings

try:
    from debian import copyright as dep5
except ImportError:
    print("FAIL: python3-debian is missing (scripts/setup.sh installs it)", file=sys.stderr)
    sys.exit(1)

FORMAT = "https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"


def faults(path, expected):
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        try:
            with open(path, encoding="utf-8") as f:
                parsed = dep5.Copyright(f, strict=True)
        except (dep5.Error, ValueError, Warning) as error:
            yield f"not in the machine-readable format: {error}"
            return
    if parsed.header.format != FORMAT:
        yield f"Format is '{parsed.header.format}', not {FORMAT}"
    if not parsed.header.upstream_name:
        yield "no Upstream-Name"

    texts = {p.license.synopsis for p in parsed.all_license_paragraphs() if p.license.text}
    files_paragraphs = list(parsed.all_files_paragraphs())
    if not files_paragraphs:
        yield "no Files paragraph"
    for paragraph in files_paragraphs:
        files = " ".join(paragraph.files)
        if not paragraph.copyright:
            yield f"Files: {files} has no Copyright"
        if paragraph.license is None:
            yield f"Files: {files} has no License"
            continue
        for name in re.split(r"\s+(?:or|and)\s+", paragraph.license.synopsis):
            if not paragraph.license.text and name not in texts:
                yield f"Files: {files}: licence {name} has no text"

    own = parsed.find_files_paragraph("app/main.cpp")
    if own is None or own.license is None or own.license.synopsis != expected:
        found = own.license.synopsis if own is not None and own.license else "none"
        yield f"the program's own files are under {found}, not {expected}"

    with open(path, encoding="utf-8") as f:
        for common in sorted(set(re.findall(r"/usr/share/common-licenses/[\w.+-]+", f.read()))):
            try:
                open(common, encoding="utf-8").close()
            except OSError:
                yield f"names {common}, which this system does not have"


def main():
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    found = list(faults(sys.argv[1], sys.argv[2]))
    for fault in found:
        print(f"FAIL: {sys.argv[1]}: {fault}", file=sys.stderr)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
