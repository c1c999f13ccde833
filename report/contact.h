// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "logbook/logbook.h"
#include "report/skip.h"
#include "scoring/qrb_table.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qrb::report {

// What became of one contact.
struct ContactScore {
    bool scored = false;
    Skip reason = Skip::Duplicate; // when not scored
    // The squares it was scored with; for a skipped contact what the file
    // (or --own) held, trimmed of blanks.
    std::string own;
    std::string loc;
    int band = -1; // 0 (50 MHz) … 9 (47 GHz); -1 when it names none of the ten
    std::int16_t pkt = 0;
    std::int16_t mul = 0;
    int qrb = 0; // pkt × mul
};

// A locator from a logbook, judged as the window judges one typed into its
// locator fields: the key filter's upper case, then the locator check, and
// only a whole square (four characters after the check) can be scored.
struct LogLocator {
    enum class Verdict { Missing, Invalid, Square };
    Verdict verdict = Verdict::Missing;
    std::string square; // the four characters, when Square
};
LogLocator judgeLocator(std::string_view fileText);

// A locator's text with leading and trailing blanks removed; any other
// white space is part of the locator (and fails its check).
std::string_view trimmedBlanks(std::string_view text);

// A field's value (a date, a time, PROP_MODE, SAT_NAME) without the blanks
// and tabs around it.
std::string_view trimmedBlanksTabs(std::string_view text);

// The number of a square that passed the check (field letters A..X, digits
// 0..9), 0 for AA00 up to kSquareCount - 1 for XX99.
inline constexpr std::size_t kSquareCount = std::size_t{24} * 24 * 10 * 10;
constexpr std::size_t squareIndex(std::string_view square) {
    return ((static_cast<std::size_t>(square[0] - 'A') * 24 +
             static_cast<std::size_t>(square[1] - 'A')) *
                10 +
            static_cast<std::size_t>(square[2] - '0')) *
               10 +
           static_cast<std::size_t>(square[3] - '0');
}

// The caption of a band's option button ("432", "1,3"), in UTF-8.
std::string_view bandCaption(std::size_t band);

// A call or a station as the log writes it: leading and trailing ASCII white
// space (blank, tab, line and page breaks) is blank, whatever the output.
std::string_view trimmedSpace(std::string_view text);

// The station a contact was made from: STATION_CALLSIGN (the EDI PCall),
// else OPERATOR; trimmed as a call.
std::string_view stationOf(const logbook::Record& record);

// UTF-8 to UTF-16; a byte that starts no valid sequence becomes U+FFFD.
std::u16string decodeUtf8(std::string_view bytes);

// Scores the contacts of logbooks with the window's rules, one at a time.
class ContactScorer {
public:
    ContactScorer();

    // The own locator for every contact, in place of the file's. False when
    // it is not a square the window would accept.
    bool setOwnLocator(std::string_view text);
    // The own locator for the contacts whose file gives none; the file's
    // stays where it gives one, and setOwnLocator() beats both. An empty text
    // takes it back. False when it is not a square the window would accept.
    bool setOwnLocatorWhereMissing(std::string_view text);

    void score(const logbook::Record& record, logbook::Format format, ContactScore& out);

private:
    const LogLocator& ownOf(std::string_view text);
    // Points between two squares that passed the check, -1 when they lie
    // beyond the table: worked out once per pair of squares.
    int pointsBetween(const std::string& own, const std::string& foreign);

    QrbTable table_;
    // Per own square: the points to every square, kNotYet until first asked.
    static constexpr std::int8_t kNotYet = -2;
    std::unordered_map<std::string, std::vector<std::int8_t>> points_;
    std::string lastPointsOwn_; // the own square asked last, and its points
    std::vector<std::int8_t>* lastPoints_ = nullptr;
    bool ownGiven_ = false;
    std::string ownText_;        // --own, trimmed
    std::string missingOwnText_; // for contacts without one, trimmed
    // The last own locator judged: it seldom changes within a log.
    std::string lastOwnText_;
    LogLocator lastOwn_;
    bool haveLastOwn_ = false;
};

// The line the window writes into its log for this scored contact.
std::string logLineOf(const ContactScore& contact);

} // namespace qrb::report
