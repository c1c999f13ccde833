// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "scoring/coords.h"
#include "scoring/lookup.h"
#include "scoring/qrb_table.h"

#include <cstdint>
#include <string_view>

namespace qrb {

// Why a pair of locators scored no points from the table.
enum class NoPoints {
    None,         // scored: `points` holds them
    ShortOwn,     // the own locator has fewer than four characters
    ShortForeign, // the foreign locator has fewer than four characters
    OutOfTable,   // 40 or more squares apart east-west or north-south
};

struct SquareScore {
    NoPoints why = NoPoints::None;
    std::int16_t points = 0; // from the table; 0 for a foreign locator of four blanks
    // Whether the two squares were converted at all (not for a short locator
    // nor for four blanks), and the centres the distance was measured between.
    bool converted = false;
    Coords own;
    Coords foreign;
    SquareIndices indices;

    bool scored() const { return why == NoPoints::None; }
};

// The sub-square both squares are completed with, so that their centres
// differ by whole squares.
inline constexpr std::u16string_view kCentreSubSquare = u"MM";

// Points of a contact between two locators: only their first four characters
// (the squares) count. Each square, completed with "MM", is turned into the
// coordinates of its centre; the distance in squares east-west and
// north-south is looked up in the point table. A foreign locator beginning
// with four blanks scores 0 without any conversion.
SquareScore scoreSquares(const QrbTable& table, std::u16string_view own,
                         std::u16string_view foreign);

} // namespace qrb
