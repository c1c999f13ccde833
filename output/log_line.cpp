// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/log_line.h"

#include "scoring/bands.h"
#include "scoring/charcode.h"

#include <cstddef>
#include <limits>
#include <string>

namespace qrb {

namespace {

constexpr std::u16string_view kColumnGap = u"   ";
constexpr std::size_t kColumnWidth = 3;

std::u16string widen(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

} // namespace

std::u16string decimalText(std::int64_t value) {
    return widen(std::to_string(static_cast<long long>(value)));
}

std::u16string padTo3(std::u16string_view text) {
    std::u16string padded;
    if (text.size() < kColumnWidth) {
        padded.assign(kColumnWidth - text.size(), u' ');
    }
    padded += text;
    return padded;
}

std::int64_t numberValue(std::u16string_view text) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    std::size_t i = 0;
    while (i < text.size() && charCode(text[i]) == 32) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (charCode(text[i]) == 43 || charCode(text[i]) == 45)) {
        negative = charCode(text[i]) == 45;
        ++i;
    }
    // Negative numbers are gathered downwards so that the smallest value is
    // reachable; a number beyond either limit stays at that limit.
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const std::int16_t c = charCode(text[i]);
        if (c < 48 || c > 57) {
            break;
        }
        const std::int64_t digit = c - 48;
        if (negative) {
            if (value < (kMin + digit) / 10) {
                return kMin;
            }
            value = value * 10 - digit;
        } else {
            if (value > (kMax - digit) / 10) {
                return kMax;
            }
            value = value * 10 + digit;
        }
    }
    return value;
}

std::u16string logLine(std::u16string_view loc, int bandNr, std::int64_t qrbPkt,
                       std::int64_t bandMul, std::int64_t qrb) {
    // A band index outside the table has no label; its column stays blank.
    const bool knownBand = bandNr >= 0 && bandNr < kBandCount;
    const std::u16string_view label =
        knownBand ? kBands[static_cast<std::size_t>(bandNr)].logText : kColumnGap;
    // 50 MHz contacts are logged without points and multiplier: only their
    // QRB value counts.
    const bool fiftyMhz = bandNr == 0;
    const std::u16string pkt = padTo3(fiftyMhz ? std::u16string(u" ") : decimalText(qrbPkt));
    const std::u16string mul = padTo3(fiftyMhz ? std::u16string(u" ") : decimalText(bandMul));

    std::u16string line(loc);
    line += kColumnGap;
    line += label;
    line += kColumnGap;
    line += pkt;
    line += kColumnGap;
    line += mul;
    line += kColumnGap;
    line += padTo3(decimalText(qrb));
    return line;
}

std::u16string sumText(std::int64_t sum) {
    std::u16string text = decimalText(sum);
    if (sum >= 0) {
        text.insert(text.begin(), u' ');
    }
    return text;
}

} // namespace qrb
