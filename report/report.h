// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the contacts of logbooks add up to, beyond the single contact: blocks
// per station and own square, repeated calls, satellite and confirmed
// contacts marked, band tables and totals, the skipped contacts counted by
// reason, and the title of it all. Every output form (text, CSV, workbook,
// printout, map) is written from this one model.

#include "logbook/logbook.h"
#include "report/contact.h"
#include "report/skip.h"
#include "scoring/bands.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace qrb::report {

// What is remarkable about a contact that scored.
struct Marks {
    bool repeat = false;    // its call already scored on this band in this block
    bool satellite = false; // made through a satellite
    bool confirmed = false; // the other station's confirmation came in
};

// One line of a band table.
struct BandTotals {
    std::uint64_t contacts = 0;
    std::uint64_t squares = 0; // distinct squares worked
    std::int64_t qrb = 0;
    std::uint64_t repeats = 0;
    std::uint64_t satellite = 0;
    std::uint64_t confirmed = 0;
};

// The contacts of one station from one own square, from however many files.
struct Block {
    std::string station; // the call, upper case; empty when the logs name none
    std::string square;  // the own square
    std::vector<std::string> files;
    std::array<BandTotals, kBands.size()> bands{};
    BandTotals sum; // its squares: distinct over all bands
    std::string firstDate;
    std::string lastDate; // YYYY-MM-DD, of its scored contacts with a valid date
};

// One contact that counts for a block, as a consumer such as a map of the
// worked squares receives it, after the report's rules have been applied.
struct BlockContact {
    std::size_t block = 0;
    std::string_view square; // the foreign square, four characters
    int band = 0;            // 0 (50 MHz) … 9 (47 GHz)
    int points = 0;          // PKT
    int qrb = 0;
    std::string_view call; // as the file writes it, trimmed
    std::string_view date; // YYYY-MM-DD when the file's date is valid
    Marks marks;
};

class BlockContactSink {
public:
    virtual ~BlockContactSink() = default;
    virtual void contact(const Block& block, const BlockContact& contact) = 0;
};

// Takes the contacts of logbooks one after the other, as the report has
// judged them: an output form written as the contacts come.
class ContactWriter {
public:
    virtual ~ContactWriter() = default;
    // The logbook the following contacts come from, as the user named it.
    virtual void beginFile(std::string_view name) = 0;
    // A contact, scored or skipped; `block` is the report's block of a
    // contact that scored.
    virtual void contact(const logbook::Record& record, const ContactScore& contact,
                         const Marks& marks, std::size_t block) = 0;
};

// The station's call for the heading of a block, or its absence.
std::string stationText(const std::string& station);

// The marks of a contact in words, joined by ", " ("Wiederholung, Satellit,
// bestätigt"), appended to `to`; nothing for a contact without marks.
void appendMarks(std::string& to, const Marks& marks);

// The band index that stands for all bands.
inline constexpr int kAllBands = -1;

// A station's points over its blocks, for a station with several.
struct StationTotal {
    std::string station; // as in its blocks
    std::int64_t qrb = 0;
};

// The report's own lines, the same in every output (the text log shows a
// control character in a station or file name as "?"):
// "Eigener Locator: JO62, Station: DL0XYZ, Datei: a.adi" ("Dateien: a, b").
std::string blockHeading(const Block& block);
// "Summe QRB:" and the block's sum, written as the window writes its sum.
std::string blockSumText(const Block& block);
// "Gesamtsumme QRB (Station DL0XYZ):" and the station's sum over its blocks.
std::string stationTotalText(const StationTotal& total);
// "Nicht gewertet: 3".
std::string skippedCaption(std::uint64_t count);
inline constexpr std::string_view kNothingScoredText = "Keine Verbindung gewertet.";
// A skipped contact whose record names no call is listed as this.
inline constexpr std::string_view kWithoutCallText = "ohne Rufzeichen";
// The columns of a band table, as the workbook and the page head them (the
// text log pads them to its columns).
inline constexpr std::array<std::string_view, 7> kBandTableColumns{
    "Band", "Verbindungen", "Quadrate", "QRB", "Wiederholungen", "Satellit", "Bestätigt"};

// What every output is titled with: the stations and own squares of the
// blocks (the first few of each), the band when the output shows only one,
// and the dates of the contacts.
struct ReportTitle {
    std::string stations; // "DL1XYZ, DL0XYZ"; "nicht angegeben" for a log that names none
    std::string squares;  // "JO62, JO63 und 2 weitere"
    std::string band;     // the band button's caption; empty for all bands
    std::string dates;    // "2024-05-06 bis 2024-05-14", one date, or empty
};

// The days the contacts were made on, as the title and the workbook give
// them: "2024-05-06 bis 2024-05-14", the one date when all fall on one day,
// or empty when no contact has a date.
std::string dateSpan(const std::string& first, const std::string& last);

// The title as one line: "QRB-Punkte: DL1XYZ · Locator JO62 · 2024-05-06 bis
// 2024-05-08", the parts that are empty left out.
std::string titleText(const ReportTitle& title);

class Report {
public:
    struct Rules {
        bool unique = false;    // leave repeats out ("Wiederholung")
        bool noSat = false;     // leave satellite contacts out ("über Satellit")
        bool confirmed = false; // leave unconfirmed contacts out ("nicht bestätigt")
    };
    // With `tables`, the distinct squares of every band are counted (for the
    // text log and the workbook; the CSV does without).
    Report(Rules rules, bool tables);
    ~Report();
    Report(const Report&) = delete;
    Report& operator=(const Report&) = delete;

    // The logbook the following contacts come from, as the user named it.
    void beginFile(std::string_view name);

    // Marks a contact that scored and applies the rules: a contact left out
    // becomes a skipped one with its reason. Counts the skipped ones by
    // reason. Returns the block of a contact that still scores.
    std::size_t judge(const logbook::Record& record, ContactScore& contact, Marks& marks);

    // Looks at the calls of contacts about to be judged, all at once, so
    // that the memory judge() will want for them is fetched together rather
    // than one contact after the other. Speed only.
    void expect(const logbook::Record* records, std::size_t count);

    // Told of every contact that counts, as it comes.
    void addSink(BlockContactSink& sink) { sinks_.push_back(&sink); }

    const std::vector<Block>& blocks() const { return blocks_; }
    const Rules& rules() const { return rules_; }
    // Skipped contacts per reason, in the order the reasons first came.
    const std::vector<std::pair<Skip, std::uint64_t>>& skipped() const { return skipped_; }
    std::uint64_t skippedTotal() const { return skippedTotal_; }
    // The files with contacts that lack an own locator (none given for all).
    const std::vector<std::string>& filesWithoutOwn() const { return withoutOwn_; }
    // The earliest and latest date of all blocks ("" when none).
    std::pair<std::string, std::string> dateRange() const;
    // The grand totals: for each station with several blocks, in the order
    // of its first block, the points of all of them. The blocks of different
    // stations are never added up.
    std::vector<StationTotal> stationTotals() const;
    // The title of an output that shows the contacts of `band` (or of all).
    ReportTitle title(int band = kAllBands) const;

private:
    class KeySet;
    class CallBands;

    std::size_t blockOf(const std::string& station, const std::string& square);
    bool firstOnBand(std::size_t block, int band, std::string_view call,
                     std::optional<std::uint64_t> packed);
    void countSkipped(Skip reason);

    Rules rules_;
    bool tables_;
    std::vector<Block> blocks_;
    std::unordered_map<std::string, std::size_t> blockIndex_; // station '\n' square
    std::size_t lastBlock_ = 0;
    std::string file_;
    bool fileInLastBlock_ = false;
    std::string station_;        // of the contact being judged, upper case
    std::string stationWritten_; // the same as the file writes it, trimmed
    std::string call_;           // its call, trimmed and upper case, when it cannot be packed
    std::string date_;
    // The calls seen per block, with their bands: packed into 64 bits; calls
    // too long or too odd for that in one set of texts.
    std::vector<std::unique_ptr<CallBands>> calls_;
    std::unordered_set<std::string> oddCalls_;
    std::unique_ptr<KeySet> squares_; // block, band and square worked
    std::vector<std::pair<Skip, std::uint64_t>> skipped_;
    std::uint64_t skippedTotal_ = 0;
    std::vector<std::string> withoutOwn_;
    std::vector<BlockContactSink*> sinks_;
    std::uint64_t expected_ = 0; // what expect() read, kept so that it is read
    std::vector<const logbook::Record*> aheadRecords_; // the contacts expect() saw
    std::vector<std::uint64_t> aheadPacked_;           // and their packed calls
    std::size_t aheadNext_ = 0;
};

// ADIF PROP_MODE "SAT", or a satellite named in SAT_NAME.
bool madeThroughSatellite(const logbook::Record& record);

// The other station's confirmation came in: QSL_RCVD, LOTW_QSL_RCVD or
// EQSL_QSL_RCVD is "Y" or "V", in either case.
bool confirmedContact(const logbook::Record& record);

} // namespace qrb::report
