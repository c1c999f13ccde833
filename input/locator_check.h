// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
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

// Characters of a whole square: two field letters and two digits.
inline constexpr std::size_t kSquareLength = 4;

// Check of a completed locator, one that is to be scored: the check above,
// and it must hold a whole square. A shorter text breaks no character rule
// but cannot be scored.
LocatorCheck checkCompletedLocator(std::u16string_view text);

} // namespace qrb
