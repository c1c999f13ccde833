#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# `cmake --install` into a staging directory lays out a desktop program: the
# program in bin/, a valid desktop entry that starts it and names the icon,
# the icon in the hicolor theme at every size, and valid AppStream metadata
# for the same application, release and licence, every manual page of
# packaging/man/ where man finds it, and the Debian copyright file; and the
# page of the web build in share/qrb-punkte/ with its own desktop entry that
# opens it in the default browser.
#
# Usage: install_tree.sh SOURCE_DIR BUILD_DIR APP_ID VERSION PAGE
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"

source=$1
build=$2
id=$3
version=$4
page=$5

need_tools desktop-file-validate:desktop-file-utils appstreamcli:appstream

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR=$stage cmake --install "$build" --prefix /usr >"$stage.log" 2>&1 ||
    fail "cmake --install failed: $(cat "$stage.log")"
rm -f "$stage.log"
root=$stage/usr

[[ -x $root/bin/qrb-punkte ]] || fail "no program bin/qrb-punkte"

# The desktop entry.
desktop=$root/share/applications/$id.desktop
[[ -f $desktop ]] || fail "no desktop entry share/applications/$id.desktop"
desktop-file-validate "$desktop" || fail "desktop-file-validate refuses $desktop"
entry() { sed -n "s/^$1=//p" "$desktop"; }
[[ $(entry 'Name\[de\]') == "QRB-Punkte" ]] || fail "German name is '$(entry 'Name\[de\]')'"
[[ $(entry 'Comment\[de\]') == *EU-UKW-Diplom* ]] || fail "German comment is '$(entry 'Comment\[de\]')'"
[[ $(entry Exec) == qrb-punkte ]] || fail "Exec is '$(entry Exec)', not the installed program"
[[ $(entry Icon) == "$id" ]] || fail "Icon is '$(entry Icon)', not $id"
[[ $(entry Categories) == *HamRadio\;* ]] || fail "Categories '$(entry Categories)' lack HamRadio"

# The page, as the web build made it, and the entry that opens it.
[[ -f $page ]] || fail "no page $page: the web build (scripts/web/build.sh) makes it"
cmp -s "$page" "$root/share/qrb-punkte/qrb-punkte.html" ||
    fail "share/qrb-punkte/qrb-punkte.html is not the web build's $page"
logbook=$root/share/applications/$id.Logbuch.desktop
[[ -f $logbook ]] || fail "no desktop entry share/applications/$id.Logbuch.desktop"
desktop-file-validate "$logbook" || fail "desktop-file-validate refuses $logbook"
[[ $(sed -n 's/^Name=//p' "$logbook") == "QRB-Punkte Logbuch" ]] ||
    fail "the logbook's entry is named '$(sed -n 's/^Name=//p' "$logbook")'"
[[ $(sed -n 's/^Exec=//p' "$logbook") == "xdg-open /usr/share/qrb-punkte/qrb-punkte.html" ]] ||
    fail "the logbook's entry does not open the page: $(sed -n 's/^Exec=//p' "$logbook")"

# The icon at every usual size: PNG of exactly that size, and the SVG.
png_size() { # width and height from the PNG header
    od -An -tu1 -j16 -N8 "$1" | awk '{ print $1*16777216 + $2*65536 + $3*256 + $4 "x" \
        $5*16777216 + $6*65536 + $7*256 + $8 }'
}
for size in 16 32 48 64 128 256; do
    png=$root/share/icons/hicolor/${size}x${size}/apps/$id.png
    [[ -f $png ]] || fail "no icon $png"
    [[ $(head -c8 "$png" | od -An -tx1 | tr -d ' \n') == 89504e470d0a1a0a ]] || fail "$png is no PNG"
    [[ $(png_size "$png") == "${size}x${size}" ]] || fail "$png is $(png_size "$png")"
done
svg=$root/share/icons/hicolor/scalable/apps/$id.svg
[[ -f $svg ]] || fail "no icon $svg"
grep -q '<svg xmlns="http://www.w3.org/2000/svg"' "$svg" || fail "$svg is no SVG"

# The AppStream metadata: valid, for this application, its desktop entry and
# the version built.
metainfo=$root/share/metainfo/$id.metainfo.xml
[[ -f $metainfo ]] || fail "no metadata share/metainfo/$id.metainfo.xml"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli refuses $metainfo"
grep -q "<id>$id</id>" "$metainfo" || fail "metadata is not for $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
    fail "metadata does not launch $id.desktop"
grep -q "<release version=\"$version\" date=\"[0-9-]*\"" "$metainfo" ||
    fail "metadata has no release $version"
grep -q '<project_license>GPL-3.0-or-later</project_license>' "$metainfo" ||
    fail "metadata does not name the licence GPL-3.0-or-later"
grep -q '<summary xml:lang="de">' "$metainfo" || fail "metadata has no German summary"
grep -q '<screenshot type="default">' "$metainfo" || fail "metadata has no default screenshot"
# Each screenshot named there is committed under docs/screenshots/ at its size.
shots=$(sed -n 's|.*<image type="source" width="\([0-9]*\)" height="\([0-9]*\)">.*/\([^/<]*\)</image>.*|\3 \1x\2|p' "$metainfo")
[[ -n $shots ]] || fail "metadata names no screenshot image"
while read -r name size; do
    file=$source/docs/screenshots/$name
    [[ -f $file ]] || fail "screenshot $name is not in docs/screenshots/"
    [[ $(png_size "$file") == "$size" ]] || fail "screenshot $name is $(png_size "$file"), metadata says $size"
done <<<"$shots"

# The manual pages, compressed, where man looks for them.
shopt -s nullglob
pages=("$source"/packaging/man/*.1)
((${#pages[@]} > 0)) || fail "no manual page in packaging/man/"
for page in "${pages[@]}"; do
    name=$(basename "$page" .1)
    installed=$root/share/man/man1/$name.1.gz
    [[ -f $installed ]] || fail "no manual page share/man/man1/$name.1.gz"
    gzip -dc "$installed" | cmp -s - "$page" || fail "$installed is not $page"
    [[ $(man -M "$root/share/man" -w "$name" 2>/dev/null) == "$installed" ]] ||
        fail "man does not find $name in $root/share/man"
done

# The licence, as Debian wants it described.
copyright=$root/share/doc/qrb-punkte/copyright
[[ -f $copyright ]] || fail "no share/doc/qrb-punkte/copyright"
"$(dirname "$0")/check_copyright.py" "$copyright" GPL-3+ || fail "$copyright is not valid"
cmp -s "$source/LICENSE" /usr/share/common-licenses/GPL-3 ||
    [[ ! -f /usr/share/common-licenses/GPL-3 ]] || fail "LICENSE is not the text of the GPL version 3"

echo "installed tree of $id $version is complete and valid"
