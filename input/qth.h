// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace qrb {

struct QthCheck {
    bool error = false;  // FEHLER
    std::u16string text; // trimmed of leading and trailing blanks
};

// Check of an old QTH-Kenner: letters A..Z in positions 1 and 2, no "+" or "-"
// in positions 1 to 4, blank/"+"/"-" in position 5, "+"/"-" in position 6.
// Shorter than four characters after trimming is an error.
QthCheck checkQth(std::u16string_view text);

// The Maidenhead square (four characters) that contains the area named by
// a checked QTH-Kenner, with its west/east (position 5) and south/north
// (position 6) shifts of 26 columns or rows.
std::u16string qthToSquare(std::u16string_view checked);

} // namespace qrb
