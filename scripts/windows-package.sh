#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows packages in one command: builds the Windows edition and writes
# build/windows/packages/qrb-punkte-VERSION-windows-x64.zip and
# qrb-punkte-VERSION-windows-x64-setup.exe.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/win/build.sh" "$@"
ls -l "$root"/build/windows/packages/
