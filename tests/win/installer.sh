#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows installer under Wine: a silent install for the current user
# (no administrator rights), the files, the Start-menu entries (among them
# "Logbuch auswerten", a shortcut to the page) and the entry in the list of
# apps, the installed qrb-score.exe runs, and a silent uninstall takes all of
# it away again, nothing left in the temp folders.
#
# Usage: installer.sh WINDOWS_BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../package/lib.sh
source "$here/../package/lib.sh"
# shellcheck source=../../scripts/win/wine_env.sh
source "$here/../../scripts/win/wine_env.sh"

build=${1:?usage: installer.sh WINDOWS_BUILD_DIR}
need_tools wine:wine python3:python3
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[[ -n $version ]] || fail "no project version in $build/CMakeCache.txt"
setup=$build/packages/qrb-punkte-$version-windows-x64-setup.exe
zip=$build/packages/qrb-punkte-$version-windows-x64.zip
[[ -s $setup ]] || fail "no installer $setup (target package-windows)"
[[ -s $zip ]] || fail "no zip archive $zip (target package-windows)"

# The zip: the programs, the page and the three texts in one folder, nothing
# else.
listing=$(python3 -c 'import sys, zipfile; print("\n".join(zipfile.ZipFile(sys.argv[1]).namelist()))' "$zip" | sort)
expected=$(printf "qrb-punkte-$version-windows-x64/%s\n" "" LIESMICH.txt LIZENZ.txt LIZENZHINWEISE.txt qrb-punkte.exe qrb-score.exe qrb-punkte.html | sort)
[[ $listing == "$expected" ]] || fail "the zip holds"$'\n'"$listing"$'\n'"not"$'\n'"$expected"

# The notice names every part linked in and holds its licence's text.
python3 - "$zip" << 'PY' || fail "LIZENZHINWEISE.txt lacks a part or its licence"
import sys, zipfile
book = zipfile.ZipFile(sys.argv[1])
notice = book.read(next(n for n in book.namelist() if n.endswith("/LIZENZHINWEISE.txt"))).decode()
want = {
    "expat (MIT)": ["expat 2.", "Expat maintainers", "Permission is hereby granted"],
    "libxlsxwriter (BSD-2-Clause)": ["libxlsxwriter 1.", "John McNamara", "Redistributions in binary form"],
    "minizip (zlib)": ["minizip", "Gilles Vollant"],
    "tmpfileplus (MPL-2.0)": ["tmpfileplus (MPL-2.0)", "Mozilla Public License Version 2.0"],
    "zlib": ["zlib 1.", "Jean-loup Gailly and Mark Adler", "This software is provided 'as-is'"],
    "GSHHG (LGPL-3.0-or-later)": ["GSHHG", "GNU LESSER GENERAL PUBLIC LICENSE"],
    "the C++ runtime": ["libstdc++", "GCC RUNTIME LIBRARY EXCEPTION", "Eligible Compilation Process"],
    "winpthreads": ["winpthreads", "mingw-w64-libraries/winpthreads"],
}
missing = [part for part, needles in want.items() if not all(n in notice for n in needles)]
if "\n" in notice.replace("\r\n", ""):
    missing.append("CR LF at the end of every line")
if missing:
    print("LIZENZHINWEISE.txt lacks: " + ", ".join(missing))
sys.exit(1 if missing else 0)
PY

# The program carries its version, icon and manifest (UTF-8 code page) as
# resources: the version strings are UTF-16 in the file.
python3 - "$build/qrb-score/qrb-score.exe" "$version" << 'PY' || fail "qrb-score.exe lacks its resources"
import sys
data = open(sys.argv[1], "rb").read()
want = {
    "version resource": "ProductVersion".encode("utf-16-le"),
    "its version": (sys.argv[2] + "\0").encode("utf-16-le"),
    "the product name": "QRB-Punkte".encode("utf-16-le"),
    "the manifest's UTF-8 code page": b"<activeCodePage",
    "the icon (PNG of 256 px)": b"\x89PNG",
}
missing = [what for what, needle in want.items() if needle not in data]
if missing:
    print("qrb-score.exe lacks: " + ", ".join(missing))
sys.exit(1 if missing else 0)
PY

trap 'status=$?; wine_env_cleanup || status=1; exit "$status"' EXIT
# The display the window tests share (display.sh), when it runs; otherwise
# one of its own.
unset DISPLAY
if [[ -f $build/wine-display ]] && kill -0 "$(sed -n 2p "$build/wine-display")" 2> /dev/null; then
    DISPLAY=$(sed -n 1p "$build/wine-display")
    export DISPLAY
fi
wine_env_init "$build" display || fail "Wine could not be set up"

# The installer downloaded onto drive C: of the prefix, and started from there.
wine_env_workdir installer
cp -- "$setup" "$WINE_WORK/"
setup=$WINE_WORK/${setup##*/}
cd "$WINE_WORK"
home=$(wine_env_user_dir) || fail "no user folder in the prefix"
target=$home/AppData/Local/Programs/QRB-Punkte
menu=$home/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/QRB-Punkte
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\QRB-Punkte'
rm -rf -- "$target" "$menu"

# A user without administrator rights: the installer asks for none, so Wine
# starts it as it is.
wine "$setup" /S || fail "the silent install ended with status $?"
for file in qrb-punkte.exe qrb-score.exe qrb-punkte.html LIESMICH.txt LIZENZ.txt LIZENZHINWEISE.txt \
    Deinstallieren.exe; do
    [[ -s $target/$file ]] || fail "not installed: $target/$file"
done
for link in QRB-Punkte.lnk "qrb-score (Eingabeaufforderung).lnk" "Logbuch auswerten.lnk" \
    Liesmich.lnk "QRB-Punkte deinstallieren.lnk"; do
    [[ -s $menu/$link ]] || fail "no Start-menu entry \"$link\" in $menu"
done
# "Logbuch auswerten" is a shortcut to the installed page, which Windows opens
# in the default browser; the page is the web build's.
grep -aq 'qrb-punkte\.html' "$menu/Logbuch auswerten.lnk" ||
    fail "\"Logbuch auswerten\" does not lead to qrb-punkte.html"
page=$(sed -n 's/^QRB_PAGE:FILEPATH=//p' "$build/CMakeCache.txt")
cmp -s "$target/qrb-punkte.html" "$page" || fail "the installed qrb-punkte.html is not the web build's $page"
cmp -s "$target/qrb-score.exe" "$build/qrb-score/qrb-score.exe" ||
    fail "the installed qrb-score.exe is not the one built"
shown=$(wine reg query "$uninstall_key" /v DisplayVersion 2>&1 | tr -d '\r')
[[ $shown == *"DisplayVersion"*"$version"* ]] ||
    fail "no entry with version $version in the list of apps: $shown"

out=$(wine "$target/qrb-score.exe" --version | tr -d '\r')
[[ $out == "qrb-score $version" ]] || fail "the installed qrb-score.exe --version says \"$out\""
echo "installed: $target; qrb-score.exe --version: $out"

# The installed window starts, shows itself, and its close box ends it at
# once (taskkill without /F closes the window as its close box does).
wine "$target/qrb-punkte.exe" &
window_pid=$!
shown=""
for ((i = 0; i < 200; i++)); do
    shown=$(xdotool search --name '^QRB-PUNKTE$' 2> /dev/null || true)
    [[ -n $shown ]] && break
    kill -0 "$window_pid" 2> /dev/null || break
    sleep 0.1
done
[[ -n $shown ]] || { kill "$window_pid" 2> /dev/null; fail "the installed qrb-punkte.exe showed no window QRB-PUNKTE"; }
wine taskkill /im qrb-punkte.exe > /dev/null 2>&1 || true
for ((i = 0; i < 100; i++)); do
    kill -0 "$window_pid" 2> /dev/null || break
    sleep 0.1
done
if kill -0 "$window_pid" 2> /dev/null; then
    kill "$window_pid" 2> /dev/null
    fail "the installed qrb-punkte.exe did not end when its window was closed"
fi
wait "$window_pid" || fail "the installed qrb-punkte.exe ended with status $? after its window was closed"
echo "the installed qrb-punkte.exe showed its window and ended when it was closed"

# The uninstaller copies itself away and goes on from there: wait for it,
# bounded.
wine "$target/Deinstallieren.exe" /S || fail "the silent uninstall ended with status $?"
for ((i = 0; i < 300; i++)); do
    [[ -e $target || -e $menu ]] || break
    sleep 0.1
done
[[ ! -e $target ]] || fail "left behind after the uninstall: $(find "$target" | tr '\n' ' ')"
[[ ! -e $menu ]] || fail "Start-menu folder left behind: $(find "$menu" | tr '\n' ' ')"
if wine reg query "$uninstall_key" > /dev/null 2>&1; then
    fail "the entry in the list of apps is left behind"
fi
# The uninstaller ran from a copy of itself in the temp folder, which it
# leaves for Windows to delete at the next start: start the prefix anew, so
# that the check of the temp folders sees what a user would.
wine wineboot -r > /dev/null 2>&1 || fail "wineboot -r ended with status $?"
echo "PASS: installed, started and uninstalled silently"
