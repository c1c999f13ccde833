// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qrb {

// Decimal text, "-" for negatives, no blanks.
std::u16string decimalText(std::int64_t value);

// Filled with blanks in front to width 3; a longer text stays whole.
std::u16string padTo3(std::u16string_view text);

// A field's text read as a number the way the log reads PANZ and SU: leading
// blanks skipped, an optional sign, then digits up to the first other
// character; no digits at all counts as 0. Saturates instead of overflowing.
std::int64_t numberValue(std::u16string_view text);

// The column names above the log lines, as the header list shows them.
inline constexpr std::u16string_view kLogHeader = u" LOC   QRG   PKT   MUL   QRB";

// One confirmed contact:
// LOC, 3 blanks, band text, 3 blanks, PKT, 3 blanks, MUL, 3 blanks, QRB.
// On band 0 (50 MHz) the PKT and MUL columns are blank.
std::u16string logLine(std::u16string_view loc, int bandNr, std::int64_t qrbPkt,
                       std::int64_t bandMul, std::int64_t qrb);

// The running sum as SU shows it: one leading blank unless negative.
std::u16string sumText(std::int64_t sum);

} // namespace qrb
