// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/json.h"

namespace qrb::web::json {

namespace {

void hex4(std::string& out, unsigned code) {
    static constexpr std::string_view kDigits = "0123456789abcdef";
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) {
        out += kDigits[(code >> static_cast<unsigned>(shift)) & 0xFU];
    }
}

} // namespace

void string(std::string& out, std::u16string_view text) {
    out += '"';
    for (const char16_t c : text) {
        if (c == u'"' || c == u'\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            hex4(out, c);
        }
    }
    out += '"';
}

void string(std::string& out, std::string_view ascii) {
    out += '"';
    for (const char c : ascii) {
        if (c == '"' || c == '\\') {
            out += '\\';
        }
        out += c;
    }
    out += '"';
}

void number(std::string& out, std::int64_t value) {
    out += std::to_string(value);
}

void flag(std::string& out, bool value) {
    out += value ? "true" : "false";
}

void bigNumber(std::string& out, std::uint64_t value) {
    out += '"';
    out += std::to_string(value);
    out += '"';
}

void comma(std::string& out) {
    if (!out.empty() && out.back() != '{' && out.back() != '[' && out.back() != ':') {
        out += ',';
    }
}

void key(std::string& out, std::string_view name) {
    comma(out);
    string(out, name);
    out += ':';
}

} // namespace qrb::web::json
