#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the page (preset web, build/web): the window session compiled to
# WebAssembly and inlined with the page's scripts, style and fonts into
# build/web/web/qrb-punkte.html.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root"
cmake --preset web > /dev/null
cmake --build --preset web
