// SPDX-License-Identifier: GPL-3.0-or-later
// Locator to coordinates for any six characters, not only Maidenhead ones:
// the formulas run on every single-byte code, and a character above 255 is
// taken as "?".
//
// Input: the locator text, decoded by decodeUnits. A text shorter than six
// characters reads as if filled up with blanks.

#include "fuzz/fuzz_support.h"
#include "scoring/coords.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

namespace {

// Single-byte code of the character at `index`: "?" above 255, a blank past
// the end of the text.
int codeAt(const std::u16string& text, std::size_t index) {
    if (index >= text.size()) {
        return ' ';
    }
    return text[index] > 255 ? '?' : static_cast<int>(text[index]);
}

// Whether `value` is a 32-bit float nearest to `exact`: neither neighbour lies
// closer. No exact value here lies halfway between two floats, so the nearest
// one is unique.
bool isNearestFloat(float value, double exact) {
    if (!std::isfinite(value)) {
        return false;
    }
    const double here = std::fabs(static_cast<double>(value) - exact);
    const float above = std::nextafter(value, std::numeric_limits<float>::infinity());
    const float below = std::nextafter(value, -std::numeric_limits<float>::infinity());
    return here <= std::fabs(static_cast<double>(above) - exact) &&
           here <= std::fabs(static_cast<double>(below) - exact);
}

// The bounds the formulas reach for codes 0..255 in every position: field
// west edge -1120..3620 (the fold at 180 included), square -96..414, sub-square
// centre -5.375..15.875 degrees; latitude -740..1810, -48..207 and
// -2.6875..7.9375. All are exact floats.
constexpr float kMinLaenge = -1221.375F;
constexpr float kMaxLaenge = 4049.875F;
constexpr float kMinBreite = -790.6875F;
constexpr float kMaxBreite = 2024.9375F;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string locator = qrb::fuzz::decodeUnits(data, size);
    const qrb::Coords coords = qrb::locatorToCoords(locator);

    const int k1 = codeAt(locator, 0);
    const int k2 = codeAt(locator, 1);
    const int k3 = codeAt(locator, 2);
    const int k4 = codeAt(locator, 3);
    const int k5 = codeAt(locator, 4);
    const int k6 = codeAt(locator, 5);

    // Longitude in 1/120 degree (half a minute of arc), where it is a whole
    // number: the field's west edge (20 degrees a letter, "J" at 0, folded to
    // the west from 180 on), 2 degrees a square digit, 5 minutes a sub-square
    // letter and 2.5 minutes more to the sub-square's centre.
    int fieldWest = (k1 - 64) * 20 + 160;
    if (fieldWest >= 180) {
        fieldWest -= 360;
    }
    const long halfMinutesEast = 120L * fieldWest + 240L * (k3 - 48) + 10L * (k5 - 65) + 5L;

    // Latitude in 1/48 degree (1.25 minutes): 10 degrees a field letter with
    // "J" at the equator, 1 degree a square digit, 2.5 minutes a sub-square
    // letter and 1.25 minutes to the centre.
    const int fieldSouth = (k2 - 64) * 10 - 100;
    const long quarterStepsNorth = 48L * fieldSouth + 48L * (k4 - 48) + 2L * (k6 - 65) + 1L;

    QRB_FUZZ_REQUIRE(std::isfinite(coords.laenge));
    QRB_FUZZ_REQUIRE(std::isfinite(coords.breite));
    QRB_FUZZ_REQUIRE(coords.laenge >= kMinLaenge && coords.laenge <= kMaxLaenge);
    QRB_FUZZ_REQUIRE(coords.breite >= kMinBreite && coords.breite <= kMaxBreite);
    QRB_FUZZ_REQUIRE(isNearestFloat(coords.laenge, static_cast<double>(halfMinutesEast) / 120.0));
    QRB_FUZZ_REQUIRE(isNearestFloat(coords.breite, static_cast<double>(quarterStepsNorth) / 48.0));
    return 0;
}
