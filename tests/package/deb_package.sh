#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package from CPack installs like any other: apt-get installs it
# with its dependencies, the desktop entry and metadata it brings are valid,
# the program it puts on the menu and the command line starts and keeps
# running, `man qrb-punkte` shows its manual page, its copyright file is
# there, the page its second entry opens in the browser is installed, and
# apt-get removes it again without a trace.
#
# Needs root, since it installs into the system; exits 77 (skipped) otherwise.
# Usage: deb_package.sh CPACK BUILD_DIR APP_ID VERSION
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"

cpack=$1
build=$2
id=$3
version=$4
package=qrb-punkte

installed() {
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'
}

[[ $(id -u) -eq 0 ]] || skip "installing the package needs root (apt-get install); run as root to test it"
if installed; then
    skip "$package is installed on this machine already; this test would replace and remove it"
fi
need_tools apt-get:apt dpkg-deb:dpkg dpkg-shlibdeps:dpkg-dev desktop-file-validate:desktop-file-utils \
    appstreamcli:appstream timeout:coreutils

work=$(mktemp -d)
chmod 755 "$work" # apt's download user reads the package from here
ours=0
cleanup() {
    if ((ours)) && installed; then
        DEBIAN_FRONTEND=noninteractive apt-get purge -y -q -o DPkg::Lock::Timeout=300 "$package" \
            >/dev/null 2>&1 || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

echo "== cpack"
"$cpack" -G DEB -B "$work" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 ||
    fail "cpack failed: $(cat "$work/cpack.log")"
debs=("$work"/"${package}_${version}"_*.deb)
[[ ${#debs[@]} -eq 1 && -f ${debs[0]} ]] || fail "cpack made no ${package}_${version}_*.deb"
deb=${debs[0]}
echo "$deb"

echo "== control"
dpkg-deb -f "$deb" Package Version Section Maintainer Depends Description
field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == "$package" ]] || fail "Package is '$(field Package)'"
[[ $(field Version) == "$version" ]] || fail "Version is '$(field Version)'"
[[ -n $(field Maintainer) ]] || fail "no Maintainer"
[[ -n $(field Section) ]] || fail "no Section"
[[ $(field Description) == *EU-UKW-Diplom* ]] || fail "Description does not say what it is"
depends=$(field Depends)
[[ $depends == *fonts-liberation* ]] || fail "Depends lacks fonts-liberation: $depends"
# Found by dpkg-shlibdeps from the libraries the program links.
[[ $depends == *libqt6widgets6* && $depends == *libc6* ]] ||
    fail "Depends lacks the shared libraries: $depends"
# A native window on Wayland desktops.
[[ $(field Recommends) == *qt6-wayland* ]] || fail "Recommends lacks qt6-wayland: $(field Recommends)"
# The map's coastlines are compiled in: neither GSHHG's files nor libnetcdf at run time.
for relation in Depends Recommends Suggests; do
    [[ $(field "$relation") != *netcdf* && $(field "$relation") != *gshhg* ]] ||
        fail "$relation names libnetcdf or the coastline data: $(field "$relation")"
done

echo "== contents"
dpkg-deb -x "$deb" "$work/root"
for file in usr/bin/qrb-punkte "usr/share/applications/$id.desktop" \
    "usr/share/metainfo/$id.metainfo.xml" "usr/share/icons/hicolor/scalable/apps/$id.svg" \
    "usr/share/icons/hicolor/16x16/apps/$id.png" "usr/share/icons/hicolor/256x256/apps/$id.png" \
    usr/share/man/man1/qrb-punkte.1.gz usr/share/doc/qrb-punkte/copyright \
    usr/share/qrb-punkte/qrb-punkte.html "usr/share/applications/$id.Logbuch.desktop"; do
    [[ -f $work/root/$file ]] || fail "the package lacks /$file"
done
grep -q "^Files: map/coastlines.bin" "$work/root/usr/share/doc/qrb-punkte/copyright" ||
    fail "the copyright file does not name the coastlines (GSHHG) compiled in"
grep -q "^Files: qrb-punkte.html" "$work/root/usr/share/doc/qrb-punkte/copyright" ||
    fail "the copyright file does not name what the page carries"
desktop-file-validate "$work/root/usr/share/applications/$id.desktop" ||
    fail "desktop-file-validate refuses the desktop entry"
appstreamcli validate --no-net "$work/root/usr/share/metainfo/$id.metainfo.xml" ||
    fail "appstreamcli refuses the metadata"

echo "== apt-get install"
ours=1
DEBIAN_FRONTEND=noninteractive apt-get install -y -q -o DPkg::Lock::Timeout=300 "$deb" \
    >"$work/install.log" 2>&1 || fail "apt-get install failed: $(cat "$work/install.log")"
installed || fail "$package is not installed after apt-get install"
[[ -x /usr/bin/qrb-punkte ]] || fail "no /usr/bin/qrb-punkte"
if ldd /usr/bin/qrb-punkte | grep -q 'not found'; then
    fail "libraries missing: $(ldd /usr/bin/qrb-punkte | grep 'not found')"
fi

# Started as the menu starts it: the Exec line of the installed desktop entry,
# found on the PATH. The window runs until it is ended, so `timeout` has to
# stop it (status 124); any other status means it could not start or died.
run() { # NAME COMMAND...
    local status=0
    env QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work/runtime" \
        timeout 3 "${@:2}" >"$work/run.log" 2>&1 || status=$?
    [[ $status -eq 124 ]] ||
        fail "$1: ended with status $status instead of running: $(cat "$work/run.log")"
    echo "$1: still running after 3 s"
}
mkdir -m 700 "$work/runtime"
desktop=/usr/share/applications/$id.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate refuses the installed $desktop"
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
[[ $exec_line != *%* ]] || fail "Exec has field codes, but the program takes no arguments: $exec_line"
[[ $(command -v "$exec_line") == /usr/bin/qrb-punkte ]] ||
    fail "Exec=$exec_line does not find /usr/bin/qrb-punkte on the PATH"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[[ -f /usr/share/icons/hicolor/48x48/apps/$icon.png ]] || fail "Icon=$icon is not in the hicolor theme"
run "menu ($exec_line)" "$exec_line"
# The logbook's entry opens the installed page in the default browser.
logbook=/usr/share/applications/$id.Logbuch.desktop
desktop-file-validate "$logbook" || fail "desktop-file-validate refuses the installed $logbook"
read -r opener opened < <(sed -n 's/^Exec=//p' "$logbook")
[[ $opener == xdg-open && -f $opened && $opened == /usr/share/qrb-punkte/qrb-punkte.html ]] ||
    fail "the logbook's entry does not open the installed page: $opener $opened"
run "command line (/usr/bin/qrb-punkte)" /usr/bin/qrb-punkte
[[ $(timeout 10 env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/qrb-punkte --version) == "qrb-punkte $version" ]] ||
    fail "qrb-punkte --version does not say $version"

# The manual page as a user calls it up, and the licence.
[[ $(man -w qrb-punkte 2>/dev/null) == /usr/share/man/man1/qrb-punkte.1.gz ]] ||
    fail "man does not find /usr/share/man/man1/qrb-punkte.1.gz"
page=$(MANWIDTH=80 timeout 60 man qrb-punkte 2>/dev/null) || fail "man qrb-punkte fails"
grep -Eq "qrb-punkte +- +compute the QRB points" <<<"$page" ||
    fail "man qrb-punkte does not show the manual page: $page"
echo "man qrb-punkte: shows the manual page"
[[ -f /usr/share/doc/qrb-punkte/copyright ]] || fail "no /usr/share/doc/qrb-punkte/copyright"

echo "== apt-get purge"
DEBIAN_FRONTEND=noninteractive apt-get purge -y -q -o DPkg::Lock::Timeout=300 "$package" \
    >"$work/purge.log" 2>&1 || fail "apt-get purge failed: $(cat "$work/purge.log")"
ours=0
! installed || fail "$package is still installed after apt-get purge"
for file in /usr/bin/qrb-punkte "$desktop" "$logbook" /usr/share/qrb-punkte \
    "/usr/share/metainfo/$id.metainfo.xml" \
    "/usr/share/icons/hicolor/scalable/apps/$id.svg" /usr/share/man/man1/qrb-punkte.1.gz \
    /usr/share/doc/qrb-punkte/copyright; do
    [[ ! -e $file ]] || fail "$file is left after apt-get purge"
done
echo "package $package $version: built, valid, installed, started and removed"
