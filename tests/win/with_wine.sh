#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command with the Windows build's Wine prefix set up (WINEPREFIX,
# WINE_C, quiet Wine, no TMPDIR), and ends Wine's programs afterwards. Fails
# when a file is left in the prefix's temp folders.
#
# Usage: with_wine.sh WINDOWS_BUILD_DIR COMMAND...
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../../scripts/win/wine_env.sh
source "$here/../../scripts/win/wine_env.sh"
build=${1:?usage: with_wine.sh WINDOWS_BUILD_DIR COMMAND...}
shift
trap 'status=$?; wine_env_cleanup || status=1; exit "$status"' EXIT
wine_env_init "$build"
"$@"
