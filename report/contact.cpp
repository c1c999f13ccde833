// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/contact.h"

#include "input/key_filter.h"
#include "input/locator_check.h"
#include "output/log_line.h"
#include "scoring/bands.h"
#include "scoring/score.h"

#include <array>
#include <cstddef>
#include <optional>
#include <utility>

namespace qrb::report {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

std::u16string widen(std::string_view ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

bool blank(std::string_view text) {
    return trimmedBlanks(text).empty();
}

// The band of a contact: EDI names it once for the whole file, ADIF and ADX
// by band name or frequency.
int bandOf(const logbook::Record& record, logbook::Format format) {
    const std::optional<int> band = format == logbook::Format::Edi
                                        ? logbook::bandFromEdi(record.band)
                                        : logbook::bandFromAdif(record.band, record.freq);
    return band.value_or(-1);
}

} // namespace

std::string_view bandCaption(std::size_t band) {
    // The captions are digits and a comma: their UTF-16 units are bytes.
    static const std::array<std::string, kBands.size()> captions = [] {
        std::array<std::string, kBands.size()> narrowed;
        for (std::size_t i = 0; i < kBands.size(); ++i) {
            narrowed[i].assign(kBands[i].caption.begin(), kBands[i].caption.end());
        }
        return narrowed;
    }();
    return captions[band];
}

std::string_view trimmedBlanksTabs(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string_view trimmedSpace(std::string_view text) {
    const auto space = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (!text.empty() && space(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && space(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string_view stationOf(const logbook::Record& record) {
    const std::string_view station = trimmedSpace(record.stationCall);
    return station.empty() ? trimmedSpace(record.operatorCall) : station;
}

std::string_view trimmedBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::u16string decodeUtf8(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            text.push_back(lead);
            ++i;
            continue;
        }
        // Length of the sequence and the smallest code it may carry (shorter
        // forms of a code are not valid UTF-8).
        std::size_t length = 0;
        char32_t code = 0;
        char32_t smallest = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            code = lead & 0x1FU;
            smallest = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            code = lead & 0x0FU;
            smallest = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07U;
            smallest = 0x10000;
        }
        bool valid = length != 0 && i + length <= bytes.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            valid = (next & 0xC0U) == 0x80U;
            code = (code << 6U) | (next & 0x3FU);
        }
        valid = valid && code >= smallest && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
        if (!valid) {
            text.push_back(kReplacement);
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            text.push_back(static_cast<char16_t>(0xD800U + (code >> 10U)));
            text.push_back(static_cast<char16_t>(0xDC00U + (code & 0x3FFU)));
        } else {
            text.push_back(static_cast<char16_t>(code));
        }
        i += length;
    }
    return text;
}

namespace {

// The judgement of judgeLocator() for a text of ASCII bytes only, which is
// what nearly every logbook holds: there the decoding is the identity and the
// key filter's upper case touches a..z alone, so the window's check comes
// down to a look at the first six bytes, without a UTF-16 copy. Empty for any
// other text.
std::optional<LogLocator> judgeAsciiLocator(std::string_view fileText) {
    const std::string_view text = trimmedBlanks(fileText);
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return std::nullopt;
        }
    }
    const auto upper = [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 0x20) : c;
    };
    LogLocator result;
    if (text.empty()) {
        return result;
    }
    // As the check: letters A..X at the first, second, fifth and sixth
    // place, digits at the third and fourth, the rest not looked at.
    constexpr std::size_t kChecked = 6;
    bool error = false;
    for (std::size_t i = 0; i < text.size() && i < kChecked; ++i) {
        const char c = upper(text[i]);
        const bool digitPlace = i == 2 || i == 3;
        error = error || (digitPlace ? !(c >= '0' && c <= '9') : !(c >= 'A' && c <= 'X'));
    }
    constexpr std::size_t kSquareLength = 4;
    if (error || text.size() < kSquareLength) {
        result.verdict = LogLocator::Verdict::Invalid;
        return result;
    }
    result.verdict = LogLocator::Verdict::Square;
    result.square.resize(kSquareLength);
    for (std::size_t i = 0; i < kSquareLength; ++i) {
        result.square[i] = upper(text[i]);
    }
    return result;
}

} // namespace

LogLocator judgeLocator(std::string_view fileText) {
    if (std::optional<LogLocator> ascii = judgeAsciiLocator(fileText)) {
        return std::move(*ascii);
    }
    LogLocator result;
    if (blank(fileText)) {
        return result;
    }
    // The characters as the key filter hands them to the field.
    std::u16string typed = decodeUtf8(fileText);
    for (char16_t& c : typed) {
        c = toUpperKey(c);
    }
    // The same check as the window's on Enter: a whole square or nothing.
    const LocatorCheck check = checkCompletedLocator(typed);
    if (check.error) {
        result.verdict = LogLocator::Verdict::Invalid;
        return result;
    }
    result.verdict = LogLocator::Verdict::Square;
    // The check passed letters and digits only here, so this is ASCII.
    result.square.assign(check.text.begin(), check.text.begin() + kSquareLength);
    return result;
}

ContactScorer::ContactScorer() : table_(buildQrbTable()) {}

bool ContactScorer::setOwnLocator(std::string_view text) {
    ownGiven_ = true;
    ownText_ = trimmedBlanks(text);
    return ownOf(ownText_).verdict == LogLocator::Verdict::Square;
}

bool ContactScorer::setOwnLocatorWhereMissing(std::string_view text) {
    missingOwnText_ = trimmedBlanks(text);
    return ownOf(missingOwnText_).verdict == LogLocator::Verdict::Square;
}

const LogLocator& ContactScorer::ownOf(std::string_view text) {
    if (!haveLastOwn_ || text != lastOwnText_) {
        lastOwnText_ = text;
        lastOwn_ = judgeLocator(text);
        haveLastOwn_ = true;
    }
    return lastOwn_;
}

void ContactScorer::score(const logbook::Record& record, logbook::Format format,
                          ContactScore& out) {
    out.scored = false;
    out.pkt = 0;
    out.mul = 0;
    out.qrb = 0;
    std::string_view ownText = ownGiven_ ? ownText_ : trimmedBlanks(record.ownLocator);
    if (ownText.empty()) {
        ownText = missingOwnText_;
    }
    const std::string_view foreignText = trimmedBlanks(record.locator);
    out.band = bandOf(record, format);
    // A skipped contact shows the texts the file (or --own) held; a scored
    // one the squares it was scored with. Each is copied once, when known.
    const auto skip = [&](Skip why) {
        out.reason = why;
        out.own = ownText;
        out.loc = foreignText;
    };

    if (record.duplicate) {
        skip(Skip::Duplicate);
        return;
    }
    if (out.band < 0) {
        const bool missing =
            blank(record.band) && (format == logbook::Format::Edi || blank(record.freq));
        skip(missing ? Skip::BandMissing : Skip::BandUnknown);
        return;
    }
    const LogLocator& own = ownOf(ownText);
    if (own.verdict != LogLocator::Verdict::Square) {
        skip(own.verdict == LogLocator::Verdict::Missing ? Skip::OwnMissing : Skip::OwnInvalid);
        return;
    }
    const LogLocator foreign = judgeLocator(foreignText);
    if (foreign.verdict != LogLocator::Verdict::Square) {
        skip(foreign.verdict == LogLocator::Verdict::Missing ? Skip::ForeignMissing
                                                             : Skip::ForeignInvalid);
        return;
    }
    const int points = pointsBetween(own.square, foreign.square);
    if (points < 0) {
        skip(Skip::OutOfTable);
        return;
    }
    out.scored = true;
    out.own = own.square;
    out.loc = foreign.square;
    out.pkt = static_cast<std::int16_t>(points);
    out.mul = kBands[static_cast<std::size_t>(out.band)].multiplier;
    out.qrb = out.pkt * out.mul;
}

int ContactScorer::pointsBetween(const std::string& own, const std::string& foreign) {
    if (lastPoints_ == nullptr || own != lastPointsOwn_) {
        // Kept for a few own squares only, so that memory stays small.
        constexpr std::size_t kOwnSquaresKept = 16;
        if (points_.size() >= kOwnSquaresKept && points_.count(own) == 0) {
            points_.clear();
        }
        std::vector<std::int8_t>& known = points_[own];
        if (known.empty()) {
            known.assign(kSquareCount, kNotYet);
        }
        lastPointsOwn_ = own;
        lastPoints_ = &known;
    }
    std::vector<std::int8_t>& known = *lastPoints_;
    std::int8_t& points = known[squareIndex(foreign)];
    if (points == kNotYet) {
        const SquareScore score = scoreSquares(table_, widen(own), widen(foreign));
        // Two whole squares are never short: only the distance can fail.
        points = score.scored() ? static_cast<std::int8_t>(score.points) : std::int8_t{-1};
    }
    return points;
}

std::string logLineOf(const ContactScore& contact) {
    const std::u16string line =
        logLine(widen(contact.loc), contact.band, contact.pkt, contact.mul, contact.qrb);
    // Square, band text and numbers: ASCII only.
    return std::string(line.begin(), line.end());
}

} // namespace qrb::report
