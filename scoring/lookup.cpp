// SPDX-License-Identifier: GPL-3.0-or-later
#include "scoring/lookup.h"

#include <cmath>

namespace qrb {

namespace {

// Larger than any distance two converted locators can have (their coordinates
// stay within a few thousand degrees), small enough for an int. Anything
// beyond, including infinities and NaN, is held here so that the conversion
// to int is always defined; it lies far outside the table either way.
constexpr double kDistanceCap = 1.0e6;

// Nearest whole number of a non-negative distance in degrees, a value exactly
// halfway going to the even neighbour. Done by hand so that it does not depend
// on the floating-point rounding mode in force.
int roundHalfEven(double degrees) {
    if (!(degrees <= kDistanceCap)) {
        degrees = kDistanceCap;
    }
    // Truncation is the floor here, the distance being non-negative, and the
    // fraction left over is exact.
    int whole = static_cast<int>(degrees);
    const double fraction = degrees - whole;
    if (fraction > 0.5 || (fraction == 0.5 && whole % 2 != 0)) {
        ++whole;
    }
    return whole;
}

} // namespace

SquareIndices squareIndices(Coords own, Coords foreign) {
    // The two 32-bit values are subtracted in double precision, where the
    // difference of any two converted centres is exact; only the float
    // rounding of each centre remains, and rounding to the whole degree
    // removes it.
    const double dLaenge = std::fabs(static_cast<double>(own.laenge) - foreign.laenge);
    const double dBreite = std::fabs(static_cast<double>(own.breite) - foreign.breite);

    SquareIndices idx;
    // A square is 2 degrees of longitude wide and 1 degree of latitude high.
    idx.x = roundHalfEven(dLaenge) / 2 + 1;
    idx.y = roundHalfEven(dBreite) + 1;
    return idx;
}

bool inTable(SquareIndices idx) {
    constexpr int kLast = QrbTable::kSize - 1;
    return idx.x <= kLast && idx.y <= kLast;
}

bool startsWithFourBlanks(std::u16string_view text) {
    return text.size() >= 4 && text.substr(0, 4) == u"    ";
}

} // namespace qrb
