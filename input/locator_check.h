// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace qrb {

// Leading and trailing blanks (code 32 only) removed.
std::u16string trimBlanks(std::u16string_view text);

struct LocatorCheck {
    bool error = false;  // FEHLER
    std::u16string text; // trimmed, cut to at most four characters
};

// Check of an own or foreign locator: field letters and sub-square letters
// A..X, square digits 0..9, seventh character on not examined. Every position
// is examined. The length is not: a shorter text breaks no rule.
LocatorCheck checkLocator(std::u16string_view text);

} // namespace qrb
