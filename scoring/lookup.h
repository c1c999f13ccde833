// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "scoring/coords.h"
#include "scoring/qrb_table.h"

#include <string_view>

namespace qrb {

// Distance between two squares as table indices: x - 1 longitude squares and
// y - 1 latitude squares lie between them. Both are at least 1.
struct SquareIndices {
    int x = 1;
    int y = 1;
};

// Indices from the coordinates of the two squares' centres (both converted
// with the same sub-square letters, so the differences are whole squares up
// to float rounding; the nearest whole number, halves to even, removes it).
SquareIndices squareIndices(Coords own, Coords foreign);

// True when both indices lie within the table (1..40).
bool inTable(SquareIndices idx);

// True when the text begins with exactly four blanks: such a foreign
// locator scores 0 points without any conversion.
bool startsWithFourBlanks(std::u16string_view text);

} // namespace qrb
