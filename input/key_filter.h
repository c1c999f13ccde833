// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace qrb {

// The three entry fields share one key counter. It counts every key that
// delivers a character since the last Enter in any of them; the value 1 marks
// the first key of a new entry. It saturates instead of wrapping, so no number
// of keys can bring it back to 1 without an Enter.
using KeyCount = std::uint64_t;

inline constexpr char16_t kEnter = 13;
inline constexpr char16_t kBackspace = 8;

// What the shared filter decided about one key.
struct KeyStep {
    bool firstKey = false; // run the field's first-key actions before inserting
    bool enter = false;    // run the field's completion after inserting
    char16_t code = 0;     // the code the field inserts (upper case)
};

// One key through the filter: counts it, tells whether it starts a new entry,
// upper-cases it and, on Enter, sets the counter back to 0.
KeyStep filterKey(KeyCount& count, char16_t code);

// The character in upper case: a..z and the lower-case letters of the
// single-byte set; everything else stays as it is.
char16_t toUpperKey(char16_t code);

// True for the keys the filter sees: printable characters, Backspace, Enter.
// Other control characters (Tab, Escape, Ctrl+letters) never reach it.
bool deliversCharacter(char16_t code);

// Click counter of the help button: only its parity matters, and it keeps
// alternating however often it is clicked (unsigned wrap from the odd maximum
// goes to the even 0).
inline constexpr std::uint64_t nextClickCount(std::uint64_t count) {
    return count + 1U;
}
inline constexpr bool helpShown(std::uint64_t count) {
    return (count % 2U) == 1U;
}

} // namespace qrb
