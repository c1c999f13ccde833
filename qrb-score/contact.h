// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "logbook/logbook.h"
#include "scoring/qrb_table.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qrb::score {

// Why a contact of a logbook scores nothing, in the words the user reads.
namespace reason {
inline constexpr std::string_view kDuplicate = "im EDI-Log als Duplikat markiert";
inline constexpr std::string_view kBandMissing = "Band fehlt";
inline constexpr std::string_view kBandUnknown = "kein Band des Diploms";
inline constexpr std::string_view kOwnMissing = "eigener Locator fehlt";
inline constexpr std::string_view kOwnInvalid = "eigener Locator ungültig";
inline constexpr std::string_view kForeignMissing = "fremder Locator fehlt";
inline constexpr std::string_view kForeignInvalid = "fremder Locator ungültig";
inline constexpr std::string_view kOutOfTable = "zu weit: außerhalb der Punktetabelle";
} // namespace reason

// What became of one contact.
struct ContactScore {
    bool scored = false;
    std::string_view reason; // empty when scored
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

// The file's text with leading and trailing blanks removed.
std::string_view trimmedBlanks(std::string_view text);

// UTF-8 to UTF-16; a byte that starts no valid sequence becomes U+FFFD.
std::u16string decodeUtf8(std::string_view bytes);

// Scores the contacts of logbooks with the window's rules, one at a time.
class ContactScorer {
public:
    ContactScorer();

    // The own locator for every contact, in place of the file's. False when
    // it is not a square the window would accept.
    bool setOwnLocator(std::string_view text);

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
    std::string ownText_; // --own, trimmed
    // The last own locator judged: it seldom changes within a log.
    std::string lastOwnText_;
    LogLocator lastOwn_;
    bool haveLastOwn_ = false;
};

// The line the window writes into its log for this scored contact.
std::string logLineOf(const ContactScore& contact);

} // namespace qrb::score
