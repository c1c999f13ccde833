// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace qrb {

// The program works on single-byte character codes, as the old code page did:
// a character outside it (any code above 255) is stored as "?" (63). Every
// rule on letters, digits and shift signs is written against these codes.
constexpr std::int16_t charCode(char16_t c) {
    return c > 255 ? std::int16_t{63} : static_cast<std::int16_t>(c);
}

} // namespace qrb
