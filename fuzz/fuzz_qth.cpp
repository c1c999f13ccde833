// SPDX-License-Identifier: GPL-3.0-or-later
// Check of an old QTH-Kenner and, when it is accepted, its conversion into the
// Maidenhead square that contains the named area.
//
// Input: the text of the QTH-Kenner field, decoded by decodeUnits.

#include "fuzz/fuzz_support.h"
#include "input/locator_check.h"
#include "input/qth.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

using qrb::fuzz::isDecimalDigit;
using qrb::fuzz::isUpperLetterBetween;

bool isShiftSign(char16_t c) {
    return c == u'+' || c == u'-';
}

// Whether the character at 1-based position p of the trimmed QTH-Kenner keeps
// its rule: two letters A..Z, no shift sign among the first four, a blank or a
// sign in the fifth place, a sign in the sixth, anything after.
bool keepsRule(std::size_t position, char16_t c) {
    bool ok = true;
    if (position <= 2 && !isUpperLetterBetween(c, u'A', u'Z')) {
        ok = false;
    }
    if (position <= 4 && isShiftSign(c)) {
        ok = false;
    }
    if (position == 5 && c != u' ' && !isShiftSign(c)) {
        ok = false;
    }
    if (position == 6 && !isShiftSign(c)) {
        ok = false;
    }
    return ok;
}

// Shift of 26 columns or rows named by the fifth or sixth character.
int shiftAt(const std::u16string& text, std::size_t index) {
    if (index >= text.size()) {
        return 0;
    }
    if (text[index] == u'-') {
        return -26;
    }
    if (text[index] == u'+') {
        return 26;
    }
    return 0;
}

// The square in whole numbers. Column i counts 2 degrees eastward from the
// Greenwich meridian, row j 1 degree northward from 40 degrees north; a
// Maidenhead field is 10 columns wide and 10 rows high, counted from 180 west
// (90 columns to the west of i = 0) and 90 south (130 rows below j = 0).
std::u16string expectedSquare(const std::u16string& checked) {
    const int i = (checked[0] - u'A') + shiftAt(checked, 4);
    const int j = (checked[1] - u'A') + shiftAt(checked, 5);
    const int east = i + 90;
    const int north = j + 130;
    std::u16string square;
    square += static_cast<char16_t>(u'A' + east / 10);
    square += static_cast<char16_t>(u'A' + north / 10);
    square += static_cast<char16_t>(u'0' + east % 10);
    square += static_cast<char16_t>(u'0' + north % 10);
    return square;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string typed = qrb::fuzz::decodeUnits(data, size);
    const qrb::QthCheck check = qrb::checkQth(typed);

    const std::u16string trimmed = qrb::fuzz::withoutOuterBlanks(typed);
    QRB_FUZZ_REQUIRE(check.text == trimmed);

    bool anyBroken = trimmed.size() < 4;
    for (std::size_t i = 0; i < trimmed.size(); ++i) {
        if (!keepsRule(i + 1, trimmed[i])) {
            anyBroken = true;
        }
    }
    QRB_FUZZ_REQUIRE(check.error == anyBroken);
    if (check.error) {
        return 0;
    }

    const std::u16string square = qrb::qthToSquare(check.text);
    QRB_FUZZ_REQUIRE(square.size() == 4);
    // Columns -26..51 lie in the longitude fields G..O, rows -26..51 in the
    // latitude fields K..S.
    QRB_FUZZ_REQUIRE(isUpperLetterBetween(square[0], u'G', u'O'));
    QRB_FUZZ_REQUIRE(isUpperLetterBetween(square[1], u'K', u'S'));
    QRB_FUZZ_REQUIRE(isDecimalDigit(square[2]));
    QRB_FUZZ_REQUIRE(isDecimalDigit(square[3]));
    QRB_FUZZ_REQUIRE(square == expectedSquare(check.text));

    // The square goes on as a foreign locator: the locator check accepts it as
    // it stands.
    const qrb::LocatorCheck asLocator = qrb::checkLocator(square);
    QRB_FUZZ_REQUIRE(!asLocator.error);
    QRB_FUZZ_REQUIRE(asLocator.text == square);
    return 0;
}
