# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash
# Shared helpers of the packaging tests; sourced by each test script, which
# runs with `set -euo pipefail`.
#
# Exit status of a test: 0 passed, 1 failed, 77 skipped (the reason printed).

skip() {
    echo "SKIP: $*"
    exit 77
}

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# need_tools TOOL:PACKAGE...: fails naming the Debian package of a missing tool.
need_tools() {
    local tool
    for tool in "$@"; do
        command -v "${tool%%:*}" >/dev/null ||
            fail "${tool%%:*} is missing (Debian package ${tool#*:}; scripts/setup.sh installs it)"
    done
}

# Ends the processes given: TERM, a bounded wait, then KILL.
stop_pids() {
    local pid
    for pid in "$@"; do
        kill -TERM "$pid" 2>/dev/null || true
    done
    for pid in "$@"; do
        for _ in $(seq 50); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
}
