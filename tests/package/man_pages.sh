#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every manual page in packaging/man/ formats without a single warning, both
# with groff and as man(1) shows it, names itself as its file does, and, for
# each program given, describes every long option its --help lists.
#
# Usage: man_pages.sh SOURCE_DIR [PROGRAM...]
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"

source=$1
shift

need_tools groff:groff-base man:man-db timeout:coreutils

shopt -s nullglob
pages=("$source"/packaging/man/*.1)
((${#pages[@]} > 0)) || fail "no manual page in packaging/man/"

for page in "${pages[@]}"; do
    name=$(basename "$page" .1)
    # -ww: every warning groff knows; -z: format, print nothing.
    warnings=$(groff -ww -man -z "$page" 2>&1) || fail "groff fails on $page: $warnings"
    [[ -z $warnings ]] || fail "groff warns about $page:"$'\n'"$warnings"
    warnings=$(MANWIDTH=80 timeout 60 man --warnings -l "$page" 2>&1 >/dev/null) ||
        fail "man fails on $page: $warnings"
    [[ -z $warnings ]] || fail "man --warnings warns about $page:"$'\n'"$warnings"

    th=$(sed -n 's/^\.TH  *\([^ ]*\)  *\([^ ]*\).*/\1 \2/p' "$page")
    [[ $th == "${name^^} 1" ]] || fail "$page: .TH says '$th', not '${name^^} 1'"
    text=$(MANWIDTH=80 timeout 60 man -l "$page" 2>/dev/null)
    grep -q "^NAME" <<<"$text" || fail "$page has no NAME section"
    grep -Eq "^ +$name +- " <<<"$text" || fail "$page: NAME does not start with '$name - '"
    grep -q "^SYNOPSIS" <<<"$text" || fail "$page has no SYNOPSIS section"
    echo "$name(1): no warnings"
done

# The options a program lists in its --help are in its manual page.
for program in "$@"; do
    name=$(basename "$program")
    page=$source/packaging/man/$name.1
    [[ -f $page ]] || fail "$name has no manual page packaging/man/$name.1"
    help=$(env -u DISPLAY -u WAYLAND_DISPLAY timeout 10 "$program" --help) ||
        fail "$name --help failed"
    options=$(grep -Eo -- '--[a-z][a-z-]*' <<<"$help" | sort -u)
    [[ -n $options ]] || fail "$name --help lists no long option"
    text=$(MANWIDTH=200 timeout 60 man -l "$page" 2>/dev/null)
    for option in $options; do
        grep -q -- "$option" <<<"$text" || fail "$page does not describe $option from $name --help"
    done
    echo "$name(1) describes $(wc -w <<<"$options") options of $name --help"
done
