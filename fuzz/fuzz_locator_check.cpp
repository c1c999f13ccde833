// SPDX-License-Identifier: GPL-3.0-or-later
// Locator check of the own and the foreign locator: any text a locator field
// can hold, including characters above 255.
//
// Input: the field's text, decoded by decodeUnits.

#include "fuzz/fuzz_support.h"
#include "input/locator_check.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

using qrb::fuzz::isDecimalDigit;
using qrb::fuzz::isUpperLetterBetween;

// Whether the character at 1-based position p of the trimmed locator keeps its
// rule: field and sub-square letters A..X, square digits 0..9, anything from
// the seventh character on.
bool keepsRule(std::size_t position, char16_t c) {
    switch (position) {
    case 1:
    case 2:
    case 5:
    case 6:
        return isUpperLetterBetween(c, u'A', u'X');
    case 3:
    case 4:
        return isDecimalDigit(c);
    default:
        return true;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string typed = qrb::fuzz::decodeUnits(data, size);
    const qrb::LocatorCheck check = qrb::checkLocator(typed);

    // The text left for the square: the trimmed entry, cut to four characters.
    const std::u16string trimmed = qrb::fuzz::withoutOuterBlanks(typed);
    QRB_FUZZ_REQUIRE(check.text.size() <= 4);
    QRB_FUZZ_REQUIRE(check.text == trimmed.substr(0, 4));
    QRB_FUZZ_REQUIRE(check.text.empty() || check.text.front() != u' ');
    QRB_FUZZ_REQUIRE(trimmed.size() > 4 || check.text.empty() || check.text.back() != u' ');

    // Every position is examined: the entry is refused exactly when one of its
    // characters breaks the rule of its position.
    bool anyBroken = false;
    for (std::size_t i = 0; i < trimmed.size(); ++i) {
        if (!keepsRule(i + 1, trimmed[i])) {
            anyBroken = true;
        }
    }
    QRB_FUZZ_REQUIRE(check.error == anyBroken);

    // An accepted entry gives a square that is accepted again unchanged, with
    // letters and digits in their places.
    if (!check.error) {
        for (std::size_t i = 0; i < check.text.size(); ++i) {
            QRB_FUZZ_REQUIRE(keepsRule(i + 1, check.text[i]));
        }
        const qrb::LocatorCheck again = qrb::checkLocator(check.text);
        QRB_FUZZ_REQUIRE(!again.error);
        QRB_FUZZ_REQUIRE(again.text == check.text);
    }

    // Blanks around the entry change nothing.
    const qrb::LocatorCheck padded = qrb::checkLocator(u"  " + typed + u" ");
    QRB_FUZZ_REQUIRE(padded.error == check.error);
    QRB_FUZZ_REQUIRE(padded.text == check.text);
    return 0;
}
