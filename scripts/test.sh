#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets up a fresh Debian 12 machine, builds and runs every test: once in the
# normal build, once under AddressSanitizer and UndefinedBehaviorSanitizer,
# then the fuzzers of the plain libraries for a short fixed time each, and
# last the plain libraries and the window session built without Qt.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

for preset in default asan fuzz noqt; do
  echo "== build and test: $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" -j 2
done
