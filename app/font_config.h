// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace qrb {

// Reads the system's font configuration (fontconfig: the configuration files
// and the font caches) and makes it the one this process uses, as fontconfig
// does itself when a program first asks it for a font, but without also
// reading the configuration templates beside it (conf.avail), which only the
// tools that list them show: on a Debian system that is every template file
// parsed a second time, a third of what finding the first font costs. Must
// run before anything asks fontconfig (Qt's font database does at the first
// text). When it cannot read the configuration, when the configuration names
// no cache folder, or when FC_DEBUG asks fontconfig for its debugging output,
// it changes nothing: fontconfig then reads its configuration its own way at
// the first use. Returns whether it made its configuration the current one.
bool loadFontConfiguration();

} // namespace qrb
