#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Puts the licence line
#     SPDX-License-Identifier: GPL-3.0-or-later
# at the top of every source file of the project that has no SPDX line yet,
# in the file's own comment syntax: after a "#!" line, and in Python after a
# coding line. Running it again changes nothing.
#
#   scripts/spdx.sh [--check] [SOURCE_DIR]
#
# --check changes nothing: it lists the files without the line and exits 1
# when there are any. The files are those git knows (tracked, or new and not
# ignored); outside a git checkout, every file but build/ and out/.
#
# Source files: C++ (.cpp .h and .h.in), CMake (CMakeLists.txt, .cmake),
# shell and Python (by extension or by their "#!" line), scenario files
# (.scn, whose "#" lines are comments), desktop entries and manual pages.
# Not touched: data (fuzz corpora, expected outputs), the fixtures in
# tests/runner/selftest/ (their expected outputs quote line numbers), the
# AppStream metadata (under CC0-1.0, named in its metadata_license),
# Markdown, JSON and tool settings.
set -euo pipefail

license=GPL-3.0-or-later
check=0
if [[ ${1:-} == --check ]]; then
    check=1
    shift
fi
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"

list_files() {
    if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        git ls-files -z --cached --others --exclude-standard
    else
        find . \( -path ./build -o -path ./out -o -name .git \) -prune -o -type f -print0 |
            sed -z 's|^\./||'
    fi
}

# The comment that starts the line for FILE, or nothing when FILE is not a
# source file.
comment_for() {
    local file=$1 first
    case $file in
    */selftest/* | fuzz/corpus/*) return ;;
    esac
    case ${file##*/} in
    *.cpp | *.h | *.hpp | *.cc | *.h.in | *.cpp.in) echo '//' ;;
    CMakeLists.txt | *.cmake | *.cmake.in) echo '#' ;;
    *.sh | *.bash | *.py | *.scn | *.desktop) echo '#' ;;
    *.[1-8]) echo '.\"' ;;
    *.*) ;;
    *)
        # No extension: a script by its "#!" line.
        IFS= read -r first <"$file" || true
        if [[ $first =~ ^#!.*(sh|bash|python3?)([[:space:]]|$) ]]; then
            echo '#'
        fi
        ;;
    esac
}

# The line after which the licence line goes: 0 (top), 1 after "#!", 2 after
# "#!" and a Python coding line.
insert_after() {
    local file=$1 first='' second=''
    { IFS= read -r first || true; IFS= read -r second || true; } <"$file"
    if [[ $first != '#!'* ]]; then
        echo 0
    elif [[ $file == *.py && $second =~ ^#.*coding[:=] ]]; then
        echo 2
    else
        echo 1
    fi
}

missing=()
while IFS= read -r -d '' file; do
    [[ -f $file && ! -L $file ]] || continue
    comment=$(comment_for "$file")
    [[ -n $comment ]] || continue
    # Already there: an SPDX line among the first lines, whatever the licence.
    if head -n 5 "$file" | grep -q 'SPDX-License-Identifier:'; then
        continue
    fi
    missing+=("$file")
    ((check)) && continue
    after=$(insert_after "$file")
    line="$comment SPDX-License-Identifier: $license"
    tmp=$(mktemp "$file.spdx.XXXXXX")
    {
        head -n "$after" "$file"
        printf '%s\n' "$line"
        tail -n "+$((after + 1))" "$file"
    } >"$tmp"
    chmod --reference="$file" "$tmp"
    mv "$tmp" "$file"
done < <(list_files)

if ((check)); then
    if ((${#missing[@]} > 0)); then
        echo "${#missing[@]} source files lack 'SPDX-License-Identifier: $license' at the top" \
            "(scripts/spdx.sh adds it):" >&2
        printf '  %s\n' "${missing[@]}" >&2
        exit 1
    fi
    echo "every source file has its SPDX line"
elif ((${#missing[@]} > 0)); then
    echo "added the SPDX line to ${#missing[@]} files:"
    printf '  %s\n' "${missing[@]}"
else
    echo "every source file has its SPDX line already"
fi
