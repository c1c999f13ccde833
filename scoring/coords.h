// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace qrb {

// Longitude and latitude in degrees, as the 32-bit values the window keeps.
struct Coords {
    float laenge = 0.0F; // east positive
    float breite = 0.0F; // north positive
};

// Centre of the sub-square of a six-character Maidenhead locator. Only the
// first six characters are read; a missing character counts as a blank.
// No character is rejected: the formulas simply continue past A..R and 0..9.
Coords locatorToCoords(std::u16string_view locator);

} // namespace qrb
