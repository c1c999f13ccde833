// SPDX-License-Identifier: GPL-3.0-or-later
#include "input/key_filter.h"

#include <limits>

namespace qrb {

KeyStep filterKey(KeyCount& count, char16_t code) {
    // The counter stops at its maximum: a wrap to 0 would make the next key
    // look like the first key of a new entry although no Enter came.
    if (count < std::numeric_limits<KeyCount>::max()) {
        ++count;
    }
    KeyStep step;
    step.firstKey = (count == 1U);
    step.code = toUpperKey(code);
    if (step.code == kEnter) {
        count = 0;
        step.enter = true;
    }
    return step;
}

char16_t toUpperKey(char16_t code) {
    // Distance between a lower-case letter and its capital, in ASCII and in
    // the Latin-1 letters alike.
    constexpr char16_t kCaseOffset = 0x20;
    if (code >= u'a' && code <= u'z') {
        return static_cast<char16_t>(code - kCaseOffset);
    }
    // Latin-1 small letters à..þ; the division sign sits between them. ß and ÿ
    // have no capital in the single-byte set and stay as they are.
    constexpr char16_t kSmallAGrave = 0x00E0;
    constexpr char16_t kSmallThorn = 0x00FE;
    constexpr char16_t kDivisionSign = 0x00F7;
    if (code >= kSmallAGrave && code <= kSmallThorn && code != kDivisionSign) {
        return static_cast<char16_t>(code - kCaseOffset);
    }
    return code;
}

bool deliversCharacter(char16_t code) {
    if (code == kBackspace || code == kEnter) {
        return true;
    }
    constexpr char16_t kDelete = 127;
    constexpr char16_t kFirstC1 = 0x80;
    constexpr char16_t kLastC1 = 0x9F;
    if (code < u' ' || code == kDelete) {
        return false;
    }
    return code < kFirstC1 || code > kLastC1;
}

} // namespace qrb
