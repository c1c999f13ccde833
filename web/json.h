// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// JSON for the page's modules, appended to a string. What they write is
// ASCII: every other character goes as \uXXXX, so that a lone surrogate a
// field may hold, or a byte of a logbook that is no UTF-8, survives the way
// into JavaScript.

#include <cstdint>
#include <string>
#include <string_view>

namespace qrb::web::json {

// A UTF-16 text.
void string(std::string& out, std::u16string_view text);
// An ASCII text.
void string(std::string& out, std::string_view ascii);
void number(std::string& out, std::int64_t value);
void flag(std::string& out, bool value);
// A number the page passes on without reading it (64 bits would not
// survive a JavaScript number).
void bigNumber(std::string& out, std::uint64_t value);
// The comma before an element or a member, unless it is the first.
void comma(std::string& out);
// A member's name, after the comma it needs.
void key(std::string& out, std::string_view name);

} // namespace qrb::web::json
