#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes qrb-punkte.html: the page template with its style, the fonts and
the WebAssembly modules as base64 data (the report's compressed with gzip,
which the browser undoes), the page's scripts and the worker's, all inlined,
so that the one file works from the disk with nothing beside it."""

import argparse
import base64
import gzip
import pathlib
import re
import sys


def font_face(family: str, path: pathlib.Path) -> str:
    data = base64.b64encode(path.read_bytes()).decode("ascii")
    return (f'@font-face {{ font-family: "{family}"; font-style: normal; font-weight: 400; '
            f'src: url(data:font/woff;base64,{data}) format("woff"); }}')


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--template", type=pathlib.Path, required=True)
    parser.add_argument("--style", type=pathlib.Path, required=True)
    parser.add_argument("--module", type=pathlib.Path, required=True)
    parser.add_argument("--logbook-module", type=pathlib.Path, required=True)
    parser.add_argument("--worker", type=pathlib.Path, action="append", required=True,
                        help="a script of the logbook's worker, in order (repeated)")
    parser.add_argument("--sans", type=pathlib.Path, required=True)
    parser.add_argument("--mono", type=pathlib.Path, required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--output", type=pathlib.Path, required=True)
    parser.add_argument("scripts", type=pathlib.Path, nargs="+")
    args = parser.parse_args()

    def inline(paths):
        texts = []
        for path in paths:
            text = path.read_text(encoding="utf-8")
            # One inline script holds them all: no file may end it early, or
            # turn the rest of the page into script.
            if re.search(r"</script|<!--", text, re.IGNORECASE):
                print(f"{path}: holds </script or <!--", file=sys.stderr)
                return None
            texts.append(text)
        return "\n".join(texts)

    scripts = inline(args.scripts)
    worker = inline(args.worker)
    if scripts is None or worker is None:
        return 1
    # The same bytes for the same module: no time stamp in the header.
    logbook = gzip.compress(args.logbook_module.read_bytes(), compresslevel=9, mtime=0)

    parts = {
        "@FONTS@": "\n".join([font_face("QRB Liberation Sans", args.sans),
                              font_face("QRB Liberation Mono", args.mono)]),
        "@STYLE@": args.style.read_text(encoding="utf-8"),
        "@MODULE@": base64.b64encode(args.module.read_bytes()).decode("ascii"),
        "@LOGBOOK@": base64.b64encode(logbook).decode("ascii"),
        "@SCRIPTS@": scripts,
        "@WORKER@": worker,
        "@VERSION@": args.version,
    }
    page = args.template.read_text(encoding="utf-8")
    # Each placeholder at once, so that nothing inserted is read again.
    page = re.sub("|".join(map(re.escape, parts)), lambda m: parts[m.group(0)], page)
    args.output.parent.mkdir(parents=True, exist_ok=True)
    temporary = args.output.with_suffix(".tmp")
    temporary.write_text(page, encoding="utf-8")
    temporary.replace(args.output)
    return 0


if __name__ == "__main__":
    sys.exit(main())
