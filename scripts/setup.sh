#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian 12 packages that building, running and testing need,
# and only those that are missing. Uses sudo when not run as root.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config python3
  clang clang-format clang-tidy libclang-rt-14-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools libqt6printsupport6 qt6-qpa-plugins libgl-dev libcups2-dev
  libfontconfig-dev
  libexpat1-dev libxlsxwriter-dev python3-openpyxl
  # the map: coastlines baked at build time (never needed at run time), the SVG drawn in its test
  libnetcdf-dev gmt-gshhg-low librsvg2-bin
  fonts-liberation
  xvfb xauth xdotool
  cups cups-client cups-bsd poppler-utils
  desktop-file-utils appstream dpkg-dev imagemagick
  groff-base man-db python3-debian
  weston qt6-wayland
  g++-mingw-w64-x86-64 wine wine64 nsis zip ghostscript
  # zlib for the Windows build's libxlsxwriter, linked statically
  libz-mingw-w64-dev
  # the page: the WebAssembly toolchain, the font subsets, the browser its tests drive
  wasi-libc libc++-14-dev-wasm32 libclang-rt-14-dev-wasm32 lld-14 fonttools
  chromium nlohmann-json3-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

sudo=()
if [[ $(id -u) -ne 0 ]]; then
  sudo=(sudo)
fi

# The Windows build and the page compile expat and libxlsxwriter (the page zlib too) from
# Debian's own source packages (apt-get source), which needs a deb-src entry for this
# machine's suite.
# Added once, from the mirror the binary packages come from.
deb822_lists=()
oneline_lists=()
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*; do
  [[ -f $f ]] || continue
  case $f in
    *.sources) deb822_lists+=("$f") ;;
    *.list) oneline_lists+=("$f") ;;
  esac
done

debian_mirror() {
  local suite=$1
  {
  # deb822 (*.sources): the URIs of the first "Types: deb" stanza that lists the suite.
  awk -v suite="$suite" '
    function done_stanza() {
      if (types ~ /(^| )deb( |$)/ && (" " suites " ") ~ (" " suite " ") && uri != "" && !found) {
        print uri; found = 1
      }
      types = ""; suites = ""; uri = ""
    }
    /^[ \t]*$/ { done_stanza(); next }
    /^Types:/ { sub(/^Types:[ \t]*/, ""); types = $0 }
    /^Suites:/ { sub(/^Suites:[ \t]*/, ""); suites = $0 }
    /^URIs:/ { sub(/^URIs:[ \t]*/, ""); split($0, u, /[ \t]+/); uri = u[1] }
    END { done_stanza() }' /dev/null "${deb822_lists[@]}"
  # one-line format (sources.list, *.list): "deb [options] URI suite components"
  awk -v suite="$suite" '$1 == "deb" {
      i = 2; if ($i ~ /^\[/) { while ($i !~ /\]$/) i++; i++ }
      if ($(i + 1) == suite) { print $i; exit } }' /dev/null "${oneline_lists[@]}" 2> /dev/null
  } | head -n 1
}

source_lists_cover() {
  local suite=$1
  grep -qsE "^deb-src[[:space:]].*[[:space:]]${suite}[[:space:]]" /dev/null "${oneline_lists[@]}" ||
    awk -v suite="$suite" '
      /^[ \t]*$/ { if (t && s) f = 1; t = 0; s = 0; next }
      /^Types:/ && /deb-src/ { t = 1 }
      /^Suites:/ && (" " $0 " ") ~ (" " suite " ") { s = 1 }
      END { if (t && s) f = 1; exit !f }' /dev/null "${deb822_lists[@]}"
}

need_update=0
suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
if [[ -n $suite ]] && ! source_lists_cover "$suite"; then
  mirror=$(debian_mirror "$suite" || true)
  if [[ -n $mirror ]]; then
    echo "Adding a deb-src entry for $suite ($mirror)"
    printf 'Types: deb-src\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
      "$mirror" "$suite" | "${sudo[@]}" tee /etc/apt/sources.list.d/qrb-deb-src.sources > /dev/null
    need_update=1
  else
    echo "No Debian mirror for $suite found in the apt sources: the Windows build and the page cannot fetch their libraries' sources" >&2
  fi
fi

if ((${#missing[@]} > 0)); then
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" apt-get update -q
  need_update=0
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
if ((need_update)); then
  "${sudo[@]}" apt-get update -q
fi
