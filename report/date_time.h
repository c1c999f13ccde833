// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Dates and times of contacts in one form, whatever the logger wrote.

#include <cstddef>
#include <string>
#include <string_view>

namespace qrb::report {

// A date as the file writes it, YYYYMMDD (ADIF, ADX) or YYMMDD (EDI), as
// YYYY-MM-DD. A two-digit year from 80 on is 19YY, below 80 20YY. A text that
// is no valid date comes back as written, trimmed.
std::string isoDate(std::string_view written);
// A time HHMM or HHMMSS as HH:MM or HH:MM:SS (HH:MM only when `seconds` is
// false); anything else as written, trimmed.
std::string clockTime(std::string_view written, bool seconds);
// The same into `to`, reusing its memory; false (and `to` as it was) when the
// text is no valid date or time.
bool isoDateInto(std::string& to, std::string_view written);
bool clockTimeInto(std::string& to, std::string_view written, bool seconds);
// The same written to `to`, which has room for the longest: the number of
// characters written, 0 (and nothing written) when the text is no valid date
// or time. For output written straight into a buffer, row after row.
inline constexpr std::size_t kIsoDateChars = 10;  // YYYY-MM-DD
inline constexpr std::size_t kClockTimeChars = 8; // HH:MM:SS
std::size_t isoDateChars(char* to, std::string_view written);
std::size_t clockTimeChars(char* to, std::string_view written, bool seconds);

} // namespace qrb::report
