// SPDX-License-Identifier: GPL-3.0-or-later
// The log line of a confirmed contact, its number columns and the running sum:
// any field texts and any numbers, the extremes of 64 bits included.
//
// Input, decoded by decodeUnits and split at line feeds into up to six texts:
// the foreign locator as the log takes it, the band index, the points, the
// multiplier, the QRB value (as the points field shows it) and the sum field.
// Each of the last five is read as a number by numberValue; missing texts are
// empty.

#include "fuzz/fuzz_support.h"
#include "output/log_line.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();

// QRG column of the log, by band index: exactly three characters each.
constexpr std::array<std::u16string_view, 10> kBandColumn{u" 50", u"144", u"432", u"1.2", u"2.3",
                                                          u"3.6", u"5.7", u" 10", u" 24", u" 47"};

std::u16string decimal(std::int64_t value) {
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::u16string(buffer.data(), result.ptr);
}

// A column of at least three characters, right-aligned.
std::u16string column(std::u16string_view text) {
    std::u16string filled;
    while (filled.size() + text.size() < 3) {
        filled += u' ';
    }
    filled += text;
    return filled;
}

// A field read as a number: blanks skipped, an optional sign, then the digits
// up to the first other character; a value beyond 64 bits stays at the limit.
std::int64_t readNumber(std::u16string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == u' ') {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    constexpr std::uint64_t kAll = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t magnitude = 0;
    for (; i < text.size() && qrb::fuzz::isDecimalDigit(text[i]); ++i) {
        const auto digit = static_cast<std::uint64_t>(text[i] - u'0');
        magnitude = magnitude > (kAll - digit) / 10 ? kAll : magnitude * 10 + digit;
    }
    constexpr auto kMaxMagnitude = static_cast<std::uint64_t>(kMax);
    if (negative) {
        return magnitude > kMaxMagnitude ? kMin : -static_cast<std::int64_t>(magnitude);
    }
    return magnitude > kMaxMagnitude ? kMax : static_cast<std::int64_t>(magnitude);
}

void checkNumberText(std::u16string_view text) {
    QRB_FUZZ_REQUIRE(qrb::numberValue(text) == readNumber(text));

    const std::u16string padded = qrb::padTo3(text);
    QRB_FUZZ_REQUIRE(padded == column(text));
    QRB_FUZZ_REQUIRE(padded.size() >= 3 && padded.size() >= text.size());
}

void checkDecimal(std::int64_t value) {
    const std::u16string text = qrb::decimalText(value);
    QRB_FUZZ_REQUIRE(text == decimal(value));
    QRB_FUZZ_REQUIRE(qrb::numberValue(text) == value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::u16string> fields = qrb::fuzz::splitLines(qrb::fuzz::decodeUnits(data, size));
    fields.resize(6);
    for (const std::u16string& field : fields) {
        checkNumberText(field);
    }
    const std::u16string& loc = fields[0];
    const std::int64_t bandValue = qrb::numberValue(fields[1]);
    const std::int64_t qrbPkt = qrb::numberValue(fields[2]);
    const std::int64_t bandMul = qrb::numberValue(fields[3]);
    const std::int64_t qrbValue = qrb::numberValue(fields[4]);
    const std::int64_t sum = qrb::numberValue(fields[5]);
    for (const std::int64_t value : {bandValue, qrbPkt, bandMul, qrbValue, sum}) {
        checkDecimal(value);
    }

    // The sum field: a blank in front unless negative, read back unchanged.
    const std::u16string sumShown = qrb::sumText(sum);
    QRB_FUZZ_REQUIRE(sumShown == (sum >= 0 ? u" " : u"") + decimal(sum));
    QRB_FUZZ_REQUIRE(qrb::numberValue(sumShown) == sum);

    constexpr std::int64_t kBandLimit = 1000;
    const int bandNr = static_cast<int>(std::clamp(bandValue, -kBandLimit, kBandLimit));
    const std::u16string line = qrb::logLine(loc, bandNr, qrbPkt, bandMul, qrbValue);
    const std::u16string_view gap = u"   ";

    if (bandNr >= 0 && bandNr < static_cast<int>(kBandColumn.size())) {
        // LOC as given, then the band, points, multiplier and QRB columns, each
        // at least three wide and three blanks apart. 50 MHz leaves points and
        // multiplier blank.
        const bool fifty = bandNr == 0;
        std::u16string expected = loc;
        expected += gap;
        expected += kBandColumn[static_cast<std::size_t>(bandNr)];
        expected += gap;
        expected += column(fifty ? u"" : decimal(qrbPkt));
        expected += gap;
        expected += column(fifty ? u"" : decimal(bandMul));
        expected += gap;
        expected += column(decimal(qrbValue));
        QRB_FUZZ_REQUIRE(line == expected);
        // Points and multipliers of the table and band list fit their columns:
        // with a four-character locator the line is 28 characters long.
        const bool fits = qrbPkt >= 0 && qrbPkt <= 999 && bandMul >= 0 && bandMul <= 999 &&
                          qrbValue >= 0 && qrbValue <= 999;
        QRB_FUZZ_REQUIRE(!fits || line.size() == loc.size() + 24);
        return 0;
    }

    // A band index outside the table: whatever its column shows, it is three
    // characters wide, and the layout around it stays.
    const std::u16string tail = std::u16string(gap) + column(decimal(qrbValue));
    QRB_FUZZ_REQUIRE(line.size() >= loc.size() + 3 + 3 + 3 + tail.size());
    QRB_FUZZ_REQUIRE(std::u16string_view(line).substr(0, loc.size() + 3) == loc + u"   ");
    QRB_FUZZ_REQUIRE(std::u16string_view(line).substr(loc.size() + 6, 3) == gap);
    QRB_FUZZ_REQUIRE(std::u16string_view(line).substr(line.size() - tail.size()) == tail);
    return 0;
}
