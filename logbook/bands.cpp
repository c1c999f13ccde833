// SPDX-License-Identifier: GPL-3.0-or-later
// The ten bands of the award, as logbooks name them: ADIF band names, a
// frequency in MHz, or the band line of an EDI header ("144 MHz", "1,3 GHz").
//
// Frequencies are compared exactly, digit by digit: "1,3 GHz" is 1300 MHz and
// lies inside the 23 cm range, which ends at 1300 MHz, where a binary floating
// point product could land just above it.

#include "logbook/internal.h"

#include <array>
#include <cstdint>

namespace qrb::logbook {

namespace {

struct NamedBand {
    std::string_view name; // upper case
    int index;
};

constexpr std::array<NamedBand, 10> kAdifBands{{
    {"6M", 0},
    {"2M", 1},
    {"70CM", 2},
    {"23CM", 3},
    {"13CM", 4},
    {"9CM", 5},
    {"6CM", 6},
    {"3CM", 7},
    {"1.25CM", 8},
    {"6MM", 9},
}};

// Band edges in whole MHz, both included.
struct Range {
    std::uint64_t low;
    std::uint64_t high;
};

constexpr std::array<Range, 10> kRanges{{
    {50, 54},
    {144, 148},
    {420, 450},
    {1240, 1300},
    {2300, 2450},
    {3300, 3500},
    {5650, 5925},
    {10000, 10500},
    {24000, 24250},
    {47000, 47200},
}};

constexpr bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

constexpr std::string_view trimSpace(std::string_view text) {
    while (!text.empty() && isSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

constexpr int kFractionDigits = 12;
constexpr std::uint64_t kFractionScale = 1'000'000'000'000; // 10^12
// Larger numbers lie outside every band in either unit.
constexpr std::uint64_t kLargestWhole = 1'000'000;

// A decimal number as a whole number of 10^-12 units, and whether digits
// beyond those twelve places make it a little larger still.
struct Decimal {
    std::uint64_t units = 0;
    bool beyond = false;
};

// Reads the number at the front of `text` (digits, one decimal point or comma,
// digits) and removes it. Empty when there are no digits or the number is too
// large for any band.
std::optional<Decimal> takeDecimal(std::string_view& text) {
    std::size_t i = 0;
    std::uint64_t whole = 0;
    bool digits = false;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        whole = whole * 10 + static_cast<std::uint64_t>(text[i] - '0');
        if (whole > kLargestWhole) {
            return std::nullopt;
        }
        digits = true;
        ++i;
    }
    Decimal value;
    std::uint64_t fraction = 0;
    int places = 0;
    if (i < text.size() && (text[i] == '.' || text[i] == ',')) {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            if (places < kFractionDigits) {
                fraction = fraction * 10 + static_cast<std::uint64_t>(text[i] - '0');
                ++places;
            } else if (text[i] != '0') {
                value.beyond = true;
            }
            digits = true;
            ++i;
        }
    }
    if (!digits) {
        return std::nullopt;
    }
    for (; places < kFractionDigits; ++places) {
        fraction *= 10;
    }
    value.units = whole * kFractionScale + fraction;
    text.remove_prefix(i);
    return value;
}

// The band of a frequency given in 10^-12 MHz.
std::optional<int> bandOf(Decimal mhz) {
    for (std::size_t i = 0; i < kRanges.size(); ++i) {
        const std::uint64_t low = kRanges[i].low * kFractionScale;
        const std::uint64_t high = kRanges[i].high * kFractionScale;
        if (mhz.units >= low && (mhz.units < high || (mhz.units == high && !mhz.beyond))) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<int> bandFromFrequency(std::string_view mhz) {
    std::string_view text = trimSpace(mhz);
    const std::optional<Decimal> value = takeDecimal(text);
    if (!value || !text.empty()) {
        return std::nullopt;
    }
    return bandOf(*value);
}

std::optional<int> bandFromAdif(std::string_view band, std::string_view freqMhz) {
    const std::string_view name = trimSpace(band);
    if (name.empty()) {
        return bandFromFrequency(freqMhz);
    }
    // A band that is named but is none of the ten stays without a band even
    // when the frequency would name one: the two disagree, and the name is
    // what the operator chose.
    for (const NamedBand& known : kAdifBands) {
        if (detail::equalsNoCase(name, known.name)) {
            return known.index;
        }
    }
    return std::nullopt;
}

std::optional<int> bandFromEdi(std::string_view pband) {
    std::string_view text = trimSpace(pband);
    const std::optional<Decimal> value = takeDecimal(text);
    if (!value) {
        return std::nullopt;
    }
    const std::string_view unit = trimSpace(text);
    bool giga = false;
    if (unit.empty()) {
        // A bare number: MHz from 50 up, GHz below ("1,3", "10", "24").
        giga = value->units < 50 * kFractionScale;
    } else if (detail::equalsNoCase(unit, "GHZ") || detail::equalsNoCase(unit, "G")) {
        giga = true;
    } else if (!detail::equalsNoCase(unit, "MHZ") && !detail::equalsNoCase(unit, "M")) {
        return std::nullopt;
    }
    if (!giga) {
        return bandOf(*value);
    }
    if (value->units > kLargestWhole / 1000 * kFractionScale) {
        return std::nullopt;
    }
    return bandOf(Decimal{value->units * 1000, value->beyond});
}

} // namespace qrb::logbook
