// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Shared pieces of the libFuzzer targets: turning the fuzzer's bytes into the
// 16-bit character codes the entry fields deliver, and stopping hard when a
// result breaks a rule it must keep.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace qrb::fuzz {

// Reports the broken rule and stops with a trap, which libFuzzer records as a
// crash together with the input that caused it.
[[noreturn]] inline void violated(const char* rule, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: rule broken: %s\n", file, line, rule);
    std::fflush(stderr);
    __builtin_trap();
}

#define QRB_FUZZ_REQUIRE(cond)                                                                     \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            ::qrb::fuzz::violated(#cond, __FILE__, __LINE__);                                      \
        }                                                                                          \
    } while (false)

// The escape byte of the character encoding below.
inline constexpr std::uint8_t kWideEscape = 0xFF;

// Bytes to 16-bit character codes. A byte other than 0xFF is the code of the
// same value (ASCII and Latin-1, so seed files stay readable text); 0xFF
// followed by two bytes, low byte first, is any code from 0 to 0xFFFF, which
// reaches the characters above 255 that a text field can also hold. An escape
// cut short by the end of the input is dropped.
inline std::u16string decodeUnits(const std::uint8_t* data, std::size_t size) {
    std::u16string units;
    units.reserve(size);
    std::size_t i = 0;
    while (i < size) {
        if (data[i] != kWideEscape) {
            units.push_back(static_cast<char16_t>(data[i]));
            ++i;
            continue;
        }
        if (i + 2 >= size) {
            break;
        }
        const auto low = static_cast<unsigned>(data[i + 1]);
        const auto high = static_cast<unsigned>(data[i + 2]);
        units.push_back(static_cast<char16_t>(low | (high << 8U)));
        i += 3;
    }
    return units;
}

// The text split at every line feed (code 10); n line feeds give n + 1 parts.
inline std::vector<std::u16string> splitLines(std::u16string_view text) {
    std::vector<std::u16string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(u'\n', start);
        if (end == std::u16string_view::npos) {
            parts.emplace_back(text.substr(start));
            return parts;
        }
        parts.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
}

// Leading and trailing blanks (code 32 only) removed; written here again so
// that the checks do not rely on the library's own trimming.
inline std::u16string withoutOuterBlanks(std::u16string_view text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && text[first] == u' ') {
        ++first;
    }
    while (last > first && text[last - 1] == u' ') {
        --last;
    }
    return std::u16string(text.substr(first, last - first));
}

inline bool isUpperLetterBetween(char16_t c, char16_t first, char16_t last) {
    return c >= first && c <= last;
}

inline bool isDecimalDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

} // namespace qrb::fuzz
