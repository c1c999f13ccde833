// SPDX-License-Identifier: GPL-3.0-or-later
#include "input/locator_check.h"

#include "scoring/charcode.h"

#include <cstddef>

namespace qrb {

std::u16string trimBlanks(std::u16string_view text) {
    const std::size_t first = text.find_first_not_of(u' ');
    if (first == std::u16string_view::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(u' ');
    return std::u16string(text.substr(first, last - first + 1));
}

namespace {

// Field letters and sub-square letters run from A to X: 24 fields and 24
// sub-squares per square.
bool isLocatorLetter(std::int16_t c) {
    return c >= 65 && c <= 88;
}

bool isDigit(std::int16_t c) {
    return c >= 48 && c <= 57;
}

} // namespace

LocatorCheck checkLocator(std::u16string_view text) {
    LocatorCheck result;
    result.text = trimBlanks(text);
    // Every character is looked at, so one bad character anywhere in the first
    // six rejects the locator even after an earlier one has already failed.
    for (std::size_t i = 0; i < result.text.size(); ++i) {
        const std::int16_t c = charCode(result.text[i]);
        const std::size_t position = i + 1;
        bool ok = true;
        if (position == 1 || position == 2 || position == 5 || position == 6) {
            ok = isLocatorLetter(c);
        } else if (position == 3 || position == 4) {
            ok = isDigit(c);
        }
        if (!ok) {
            result.error = true;
        }
    }
    // Only the square counts; the sub-square letters were checked and go.
    constexpr std::size_t kSquareLength = 4;
    if (result.text.size() > kSquareLength) {
        result.text.resize(kSquareLength);
    }
    return result;
}

LocatorCheck checkCompletedLocator(std::u16string_view text) {
    LocatorCheck check = checkLocator(text);
    if (check.text.size() < kSquareLength) {
        check.error = true;
    }
    return check;
}

} // namespace qrb
