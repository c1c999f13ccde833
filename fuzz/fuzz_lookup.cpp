// SPDX-License-Identifier: GPL-3.0-or-later
// Point lookup by square distance: two locators converted with the same
// sub-square letters, their table indices, whether those lie in the table,
// and the points read from it when they do.
//
// Input, decoded by decodeUnits: four characters of the own square, four of
// the foreign square (the rest of the text, as the foreign field would hold
// it), and optionally the two sub-square letters both are completed with
// (the first two characters after the foreign square; "MM" when missing, as
// in the program). Inputs of fewer than eight characters are skipped.

#include "fuzz/fuzz_support.h"
#include "scoring/coords.h"
#include "scoring/lookup.h"
#include "scoring/qrb_table.h"
#include "scoring/score.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

int codeOf(char16_t c) {
    return c > 255 ? '?' : static_cast<int>(c);
}

// West edge of the square in whole degrees: 20 degrees a field letter ("J" at
// the Greenwich meridian, folded to the west from 180 on), 2 a square digit.
int squareWest(const std::u16string& square) {
    int field = (codeOf(square[0]) - 64) * 20 + 160;
    if (field >= 180) {
        field -= 360;
    }
    return field + (codeOf(square[2]) - 48) * 2;
}

// South edge in whole degrees: 10 a field letter ("J" at the equator), 1 a digit.
int squareSouth(const std::u16string& square) {
    return (codeOf(square[1]) - 64) * 10 - 100 + (codeOf(square[3]) - 48);
}

const qrb::QrbTable& table() {
    static const qrb::QrbTable built = qrb::buildQrbTable();
    return built;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string units = qrb::fuzz::decodeUnits(data, size);
    if (units.size() < 8) {
        return 0;
    }
    const std::u16string ownSquare = units.substr(0, 4);
    const std::u16string foreignField = units.substr(4);
    const std::u16string foreignSquare = units.substr(4, 4);
    const std::u16string subSquare = units.size() >= 10 ? units.substr(8, 2) : u"MM";

    const bool fourBlanks = foreignSquare == u"    ";
    QRB_FUZZ_REQUIRE(qrb::startsWithFourBlanks(foreignField) == fourBlanks);

    const qrb::Coords own = qrb::locatorToCoords(ownSquare + subSquare);
    const qrb::Coords foreign = qrb::locatorToCoords(foreignSquare + subSquare);
    const qrb::SquareIndices idx = qrb::squareIndices(own, foreign);

    // With the same sub-square letters the two centres lie a whole number of
    // squares apart: x - 1 squares of 2 degrees east-west, y - 1 of 1 degree
    // north-south, whatever the float rounding of each centre.
    const int expectedX = std::abs(squareWest(ownSquare) - squareWest(foreignSquare)) / 2 + 1;
    const int expectedY = std::abs(squareSouth(ownSquare) - squareSouth(foreignSquare)) + 1;
    QRB_FUZZ_REQUIRE(idx.x >= 1 && idx.y >= 1);
    QRB_FUZZ_REQUIRE(idx.x == expectedX);
    QRB_FUZZ_REQUIRE(idx.y == expectedY);

    // The order of the two stations does not matter.
    const qrb::SquareIndices swapped = qrb::squareIndices(foreign, own);
    QRB_FUZZ_REQUIRE(swapped.x == idx.x && swapped.y == idx.y);

    const bool within = idx.x <= 40 && idx.y <= 40;
    QRB_FUZZ_REQUIRE(qrb::inTable(idx) == within);

    // The one scoring path, with the foreign field as it stands: the same
    // indices (the common sub-square does not matter) and the verdict on them.
    const qrb::QrbTable& points = table();
    const qrb::SquareScore score = qrb::scoreSquares(points, ownSquare, foreignField);
    if (fourBlanks) {
        QRB_FUZZ_REQUIRE(score.scored() && score.points == 0 && !score.converted);
    } else {
        QRB_FUZZ_REQUIRE(score.converted);
        QRB_FUZZ_REQUIRE(score.indices.x == idx.x && score.indices.y == idx.y);
        QRB_FUZZ_REQUIRE(score.scored() == within);
        QRB_FUZZ_REQUIRE(within || score.why == qrb::NoPoints::OutOfTable);
    }
    if (!within) {
        return 0;
    }

    // Points only for indices inside the table.
    const int here = points.at(idx.x, idx.y);
    QRB_FUZZ_REQUIRE(fourBlanks || score.points == here);
    QRB_FUZZ_REQUIRE(here >= 1 && here <= 43);
    // One square more in either direction never scores less.
    QRB_FUZZ_REQUIRE(idx.x == 1 || points.at(idx.x - 1, idx.y) <= here);
    QRB_FUZZ_REQUIRE(idx.y == 1 || points.at(idx.x, idx.y - 1) <= here);
    // Counted in longitude squares a distance scores at least as much as the
    // same count in latitude squares.
    if (idx.x >= idx.y) {
        QRB_FUZZ_REQUIRE(here >= points.at(idx.y, idx.x));
    }
    // Outside the irregular corner of small distances the points follow two
    // simple rules: more latitude squares give y plus a bonus that grows with
    // x; from 13 longitude squares on, x + 3.
    if (idx.y > idx.x) {
        const int bonus = idx.x <= 3 ? 0 : idx.x <= 6 ? 1 : idx.x <= 9 ? 2 : 3;
        QRB_FUZZ_REQUIRE(here == idx.y + bonus);
    } else if (idx.x >= 13) {
        QRB_FUZZ_REQUIRE(here == idx.x + 3);
    }
    return 0;
}
