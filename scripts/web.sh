#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets up a fresh Debian 12 machine (the WebAssembly toolchain among the
# rest) and builds the page qrb-punkte.html, which then opens in any current
# browser, from the disk, with nothing beside it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/web/build.sh
echo "$(pwd)/build/web/web/qrb-punkte.html"
