#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# scripts/spdx.sh on a small tree of every kind of file it knows: the line
# goes in each source file's own comment syntax, after a "#!" line (and a
# Python coding line), data and fixtures stay untouched, a second run changes
# nothing, and --check fails naming exactly the files that lack the line.
#
# Usage: spdx_script.sh SPDX_SCRIPT
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"

script=$1
line='SPDX-License-Identifier: GPL-3.0-or-later'

tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree"/{app,bench,tests/runner/selftest,fuzz/corpus/qth,packaging/man,.ci,build}
printf '#pragma once\n' >"$tree/app/a.h"
printf '#include "a.h"\n' >"$tree/app/a.cpp"
printf '#pragma once\n#define V "@V@"\n' >"$tree/version.h.in"
printf 'project(x)\n' >"$tree/CMakeLists.txt"
printf 'message(x)\n' >"$tree/bench/run.cmake"
printf '#!/usr/bin/env bash\necho\n' >"$tree/bench/run.sh"
printf '#!/usr/bin/env bash\nexit 0\n' >"$tree/.ci/run"
chmod +x "$tree/bench/run.sh" "$tree/.ci/run"
printf '#!/usr/bin/env python3\n# -*- coding: utf-8 -*-\nprint()\n' >"$tree/gen.py"
printf 'click OK1\n' >"$tree/tests/a.scn"
printf '[Desktop Entry]\nType=Application\n' >"$tree/packaging/x.desktop"
printf '.TH X 1\n' >"$tree/packaging/man/x.1"
printf '// SPDX-License-Identifier: MIT\nint b;\n' >"$tree/app/b.cpp"
# Not source files, or not to be touched:
printf 'click OK1\n' >"$tree/tests/runner/selftest/fixture.scn"
printf '#!sh\n' >"$tree/fuzz/corpus/qth/seed"
printf '<?xml version="1.0"?>\n<component/>\n' >"$tree/packaging/x.metainfo.xml.in"
printf '# Title\n' >"$tree/README.md"
printf 'int built;\n' >"$tree/build/generated.cpp"

status=0
"$script" --check "$tree" 2>"$tree.check" || status=$?
[[ $status -eq 1 ]] || fail "--check on a tree without the lines exits $status, not 1"
listed=$(grep '^  ' "$tree.check" | sed 's/^  //' | sort | tr '\n' ' ')
want=".ci/run CMakeLists.txt app/a.cpp app/a.h bench/run.cmake bench/run.sh gen.py packaging/man/x.1 packaging/x.desktop tests/a.scn version.h.in "
[[ $listed == "$want" ]] || fail "--check lists '$listed', not '$want'"
rm -f "$tree.check"

"$script" "$tree" >/dev/null
before=$(cd "$tree" && find . -type f -exec md5sum {} + | sort)
"$script" "$tree" >/dev/null
after=$(cd "$tree" && find . -type f -exec md5sum {} + | sort)
[[ $before == "$after" ]] || fail "a second run changed files"
"$script" --check "$tree" >/dev/null || fail "--check fails after the script ran"

# FILE | the whole file as it must be now (\n between lines).
expected=(
    "app/a.h|// $line\n#pragma once"
    "app/a.cpp|// $line\n#include \"a.h\""
    "version.h.in|// $line\n#pragma once\n#define V \"@V@\""
    "CMakeLists.txt|# $line\nproject(x)"
    "bench/run.cmake|# $line\nmessage(x)"
    "bench/run.sh|#!/usr/bin/env bash\n# $line\necho"
    ".ci/run|#!/usr/bin/env bash\n# $line\nexit 0"
    "gen.py|#!/usr/bin/env python3\n# -*- coding: utf-8 -*-\n# $line\nprint()"
    "tests/a.scn|# $line\nclick OK1"
    "packaging/x.desktop|# $line\n[Desktop Entry]\nType=Application"
    "packaging/man/x.1|.\\\\\" $line\n.TH X 1"
    "app/b.cpp|// SPDX-License-Identifier: MIT\nint b;"
    "tests/runner/selftest/fixture.scn|click OK1"
    "fuzz/corpus/qth/seed|#!sh"
    "packaging/x.metainfo.xml.in|<?xml version=\"1.0\"?>\n<component/>"
    "README.md|# Title"
    "build/generated.cpp|int built;"
)
for entry in "${expected[@]}"; do
    file=${entry%%|*}
    want=$(printf '%b' "${entry#*|}")
    got=$(cat "$tree/$file")
    [[ $got == "$want" ]] || fail "$file is"$'\n'"$got"$'\n'"instead of"$'\n'"$want"
done
for file in bench/run.sh .ci/run; do
    [[ -x $tree/$file ]] || fail "the script dropped the executable bit of $file"
done
echo "scripts/spdx.sh: right line in the right place, idempotent, --check exact"
