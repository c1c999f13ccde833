// SPDX-License-Identifier: GPL-3.0-or-later
#include "scoring/score.h"

#include <string>

namespace qrb {

namespace {
Coords squareCentre(std::u16string_view locator) {
    std::u16string square(locator.substr(0, 4));
    square += kCentreSubSquare;
    return locatorToCoords(square);
}
} // namespace

SquareScore scoreSquares(const QrbTable& table, std::u16string_view own,
                         std::u16string_view foreign) {
    SquareScore score;
    if (own.size() < 4 || foreign.size() < 4) {
        // A field shorter than a square is never converted; the foreign one is
        // named when both are short.
        score.why = foreign.size() < 4 ? NoPoints::ShortForeign : NoPoints::ShortOwn;
        return score;
    }
    if (startsWithFourBlanks(foreign)) {
        return score;
    }
    score.converted = true;
    score.own = squareCentre(own);
    score.foreign = squareCentre(foreign);
    score.indices = squareIndices(score.own, score.foreign);
    if (!inTable(score.indices)) {
        score.why = NoPoints::OutOfTable;
        return score;
    }
    score.points = table.at(score.indices.x, score.indices.y);
    return score;
}

} // namespace qrb
