// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace qrb {

struct Band {
    std::u16string_view caption; // on the option button
    std::int16_t multiplier;     // BAND_MUL
    std::u16string_view logText; // QRG column of the log, exactly three characters
};

// Index 0 is 50 MHz; 1..6 are 144 MHz to 5.7 GHz; 7..9 are 10, 24, 47 GHz.
inline constexpr std::array<Band, 10> kBands{{
    {u"50", 1, u" 50"},
    {u"144", 1, u"144"},
    {u"432", 2, u"432"},
    {u"1.2", 3, u"1.2"},
    {u"2.3", 4, u"2.3"},
    {u"3.6", 5, u"3.6"},
    {u"5.7", 6, u"5.7"},
    {u"10", 7, u" 10"},
    {u"24", 8, u" 24"},
    {u"47", 9, u" 47"},
}};

inline constexpr int kBandCount = static_cast<int>(kBands.size());
// The band whose handler looks the points up again before showing them.
inline constexpr int kRelookupBand = 7;

// 50 MHz and the nine higher bands exclude each other within one contact:
// choosing "50" switches off the nine others, choosing any other switches off "50".
constexpr bool bandDisabledBy(int chosen, int other) {
    if (chosen == other) {
        return false;
    }
    return chosen == 0 || other == 0;
}

} // namespace qrb
