#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks that a page is one file that names nothing outside itself: no
attribute, style or script of it refers to another file or to the network,
and its content security policy allows nothing to be loaded. Prints each
finding and exits 1 when there is one."""

import html.parser
import re
import sys

# Attributes that load or link to something.
LINKING = {"src", "href", "action", "formaction", "poster", "data", "srcset", "xlink:href",
           "background", "manifest", "ping", "cite", "longdesc", "codebase", "archive"}
# Elements that bring in another document or resource whatever they say.
OUTSIDE = {"link", "iframe", "frame", "frameset", "object", "embed", "base", "applet", "portal"}
# Scripts the page runs, itself or in a worker it starts from the script's text.
SCRIPT_TYPES = {"", "text/javascript", "application/javascript", "module", "text/js-worker"}
# Ways a script reaches out.
REACHING = re.compile(r"\bfetch\s*\(|XMLHttpRequest|WebSocket|EventSource|sendBeacon|"
                      r"importScripts|\bimport\s*\(|\bimport\s+[\w{*]|navigator\.serviceWorker|"
                      r"RTCPeerConnection|\bwindow\.open\s*\(|location\s*=|location\.(href|assign|"
                      r"replace)")
NETWORK = re.compile(r"\b(https?|wss?|ftp)://", re.IGNORECASE)
URL_IN_STYLE = re.compile(r"url\(\s*(['\"]?)(.*?)\1\s*\)|@import", re.IGNORECASE | re.DOTALL)


def inside(value: str) -> bool:
    value = value.strip()
    return value == "" or value.startswith(("#", "data:", "blob:"))


class Page(html.parser.HTMLParser):
    def __init__(self) -> None:
        super().__init__(convert_charrefs=True)
        self.findings: list[str] = []
        self.policy = ""
        self.in_script = False
        self.in_style = False
        self.text: list[str] = []

    def where(self) -> str:
        return f"line {self.getpos()[0]}"

    def check_style(self, text: str) -> None:
        for m in URL_IN_STYLE.finditer(text):
            if m.group(0).lower() == "@import" or not inside(m.group(2) or ""):
                self.findings.append(f"{self.where()}: style reaches out: {m.group(0)[:60]}")
        if NETWORK.search(text):
            self.findings.append(f"{self.where()}: style names a network address")

    def handle_starttag(self, tag, attrs):
        attributes = dict(attrs)
        if tag in OUTSIDE:
            self.findings.append(f"{self.where()}: <{tag}> brings in something from outside")
        for name, value in attrs:
            if name in LINKING and not inside(value or ""):
                self.findings.append(f"{self.where()}: <{tag} {name}=\"{value}\">")
            if name.startswith("on") and value and (REACHING.search(value) or NETWORK.search(value)):
                self.findings.append(f"{self.where()}: <{tag} {name}> reaches out")
            if name == "style" and value:
                self.check_style(value)
        if tag == "meta":
            equiv = (attributes.get("http-equiv") or "").lower()
            if equiv == "content-security-policy":
                self.policy = attributes.get("content") or ""
            elif equiv == "refresh":
                self.findings.append(f"{self.where()}: a meta refresh")
        if tag == "script":
            self.in_script = (attributes.get("type") or "").strip().lower() in SCRIPT_TYPES
        if tag == "style":
            self.in_style = True
        self.text = []

    def handle_endtag(self, tag):
        body = "".join(self.text)
        if tag == "script" and self.in_script:
            for m in REACHING.finditer(body):
                self.findings.append(f"{self.where()}: a script reaches out: {m.group(0)}")
            if NETWORK.search(body):
                self.findings.append(f"{self.where()}: a script names a network address")
        if tag == "style" and self.in_style:
            self.check_style(body)
        self.in_script = False
        self.in_style = False
        self.text = []

    def handle_data(self, data):
        self.text.append(data)


def main() -> int:
    if len(sys.argv) != 2:
        print("usage: check_page.py PAGE.html", file=sys.stderr)
        return 2
    page = Page()
    with open(sys.argv[1], encoding="utf-8") as f:
        page.feed(f.read())
    page.close()
    policy = {d.split()[0]: d.split()[1:] for d in page.policy.split(";") if d.split()}
    if policy.get("default-src") != ["'none'"]:
        page.findings.append("no content security policy with default-src 'none'")
    for directive, sources in policy.items():
        for source in sources:
            if source not in ("'none'", "'unsafe-inline'", "'wasm-unsafe-eval'", "data:",
                              "blob:"):
                page.findings.append(f"the policy lets {directive} load {source}")
    for finding in page.findings:
        print(f"{sys.argv[1]}: {finding}")
    return 1 if page.findings else 0


if __name__ == "__main__":
    sys.exit(main())
