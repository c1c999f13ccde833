// SPDX-License-Identifier: GPL-3.0-or-later
#include "scoring/coords.h"

#include "scoring/charcode.h"

#include <cstddef>
#include <cstdint>

namespace qrb {

namespace {

// Code of the character at `pos`; a locator that ends early reads as blanks there.
std::int16_t codeAt(std::u16string_view locator, std::size_t pos) {
    return pos < locator.size() ? charCode(locator[pos]) : std::int16_t{32};
}

// Integer steps in the 16-bit width the character codes are kept in. With
// codes 0..255 none of the intermediate values leaves that range.
std::int16_t sub16(std::int16_t a, std::int16_t b) {
    return static_cast<std::int16_t>(a - b);
}
std::int16_t mul16(std::int16_t a, std::int16_t b) {
    return static_cast<std::int16_t>(a * b);
}
std::int16_t add16(std::int16_t a, std::int16_t b) {
    return static_cast<std::int16_t>(a + b);
}

} // namespace

Coords locatorToCoords(std::u16string_view locator) {
    const std::int16_t k1 = codeAt(locator, 0);
    const std::int16_t k2 = codeAt(locator, 1);
    const std::int16_t k3 = codeAt(locator, 2);
    const std::int16_t k4 = codeAt(locator, 3);
    const std::int16_t k5 = codeAt(locator, 4);
    const std::int16_t k6 = codeAt(locator, 5);

    Coords result;

    // Longitude. A field is 20 degrees wide; counted from "@" (one before A)
    // and shifted so that field J starts at the Greenwich meridian, then folded
    // into the western half from 180 degrees on.
    std::int16_t fieldWest = add16(mul16(sub16(k1, 64), 20), 160);
    if (fieldWest >= 180) {
        fieldWest = sub16(fieldWest, 360);
    }
    // A square is 2 degrees wide.
    const std::int16_t squareWest = add16(fieldWest, mul16(sub16(k3, 48), 2));
    // A sub-square is 5 minutes of arc wide; its centre lies 2.5 minutes further east.
    const std::int16_t subWestMinutes = mul16(sub16(k5, 65), 5);
    const double laenge = squareWest + (subWestMinutes + 2.5) / 60.0;
    result.laenge = static_cast<float>(laenge);

    // Latitude. A field is 10 degrees high, field J starts at the equator.
    const std::int16_t fieldSouth = sub16(mul16(sub16(k2, 64), 10), 100);
    // A square is 1 degree high.
    const std::int16_t squareSouth = add16(fieldSouth, sub16(k4, 48));
    // A sub-square is 2.5 minutes of arc high; its centre lies 1.25 minutes further north.
    const std::int16_t subIndex = sub16(k6, 65);
    const double breite = squareSouth + (subIndex * 2.5 + 1.25) / 60.0;
    result.breite = static_cast<float>(breite);

    return result;
}

} // namespace qrb
