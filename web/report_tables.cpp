// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/report_tables.h"

#include "output/log_line.h"
#include "report/date_time.h"
#include "report/skip.h"
#include "scoring/bands.h"
#include "web/json.h"

#include <array>

namespace qrb::web {

namespace {

using json::comma;
using json::key;
using json::number;
using json::string;

// After the window's log line (its own header): call, date, time, marks.
constexpr std::array<std::string_view, 4> kMoreColumns{"Rufzeichen", "Datum", "Zeit", "Hinweis"};
constexpr std::array<std::string_view, 4> kSkippedColumns{"Datei", "Nr.", "Rufzeichen", "Grund"};

void columns(std::string& out, std::string_view name, const auto& captions) {
    key(out, name);
    out += '[';
    for (const std::string_view caption : captions) {
        comma(out);
        jsonUtf8(out, caption);
    }
    out += ']';
}

void bandRow(std::string& out, std::u16string_view caption, const report::BandTotals& totals) {
    comma(out);
    out += '[';
    string(out, caption);
    for (const std::uint64_t n : {totals.contacts, totals.squares}) {
        out += ',';
        number(out, static_cast<std::int64_t>(n));
    }
    out += ',';
    number(out, totals.qrb);
    for (const std::uint64_t n : {totals.repeats, totals.satellite, totals.confirmed}) {
        out += ',';
        number(out, static_cast<std::int64_t>(n));
    }
    out += ']';
}

} // namespace

void jsonUtf8(std::string& out, std::string_view bytes) {
    // Most texts of a logbook are ASCII: they go as they are.
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20U || byte >= 0x7FU) {
            string(out, report::decodeUtf8(bytes));
            return;
        }
    }
    string(out, bytes);
}

void ReportTables::beginFile(std::string_view name) {
    file_ = name;
}

void ReportTables::contact(const logbook::Record& record, const report::ContactScore& contact,
                           const report::Marks& marks, std::size_t block) {
    if (!contact.scored) {
        if (!report::countedOnly(contact.reason)) {
            comma(skipped_);
            skipped_ += '[';
            jsonUtf8(skipped_, file_);
            skipped_ += ',';
            number(skipped_, static_cast<std::int64_t>(record.number));
            skipped_ += ',';
            const std::string_view call = report::trimmedSpace(record.call);
            jsonUtf8(skipped_, call.empty() ? report::kWithoutCallText : call);
            skipped_ += ',';
            jsonUtf8(skipped_, report::skipText(contact.reason));
            skipped_ += ']';
        }
        return;
    }
    if (block >= lines_.size()) {
        lines_.resize(block + 1);
    }
    std::string& out = lines_[block];
    comma(out);
    out += '[';
    string(out, report::logLineOf(contact));
    out += ',';
    jsonUtf8(out, report::trimmedSpace(record.call));
    out += ',';
    jsonUtf8(out, report::isoDate(record.date));
    out += ',';
    jsonUtf8(out, report::clockTime(record.time, false));
    out += ',';
    std::string marked;
    report::appendMarks(marked, marks);
    jsonUtf8(out, marked);
    out += ']';
}

std::string ReportTables::finish() const {
    std::string out = "{";
    key(out, "title");
    jsonUtf8(out, report::titleText(report_.title()));
    if (!report_.filesWithoutOwn().empty()) {
        key(out, "withoutOwn");
        out += '{';
        key(out, "caption");
        jsonUtf8(out, "Ohne eigenen Locator (im Feld „Eigener Locator“ angeben):");
        key(out, "files");
        out += '[';
        for (const std::string& file : report_.filesWithoutOwn()) {
            comma(out);
            jsonUtf8(out, file);
        }
        out += "]}";
    }
    key(out, "lineColumns");
    out += '[';
    string(out, kLogHeader);
    for (const std::string_view caption : kMoreColumns) {
        out += ',';
        jsonUtf8(out, caption);
    }
    out += ']';
    columns(out, "bandColumns", report::kBandTableColumns);
    key(out, "blocks");
    out += '[';
    const std::vector<report::Block>& blocks = report_.blocks();
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const report::Block& block = blocks[i];
        comma(out);
        out += '{';
        key(out, "heading");
        jsonUtf8(out, report::blockHeading(block));
        key(out, "lines");
        out += '[';
        if (i < lines_.size()) {
            out += lines_[i];
        }
        out += ']';
        key(out, "bands");
        out += '[';
        for (std::size_t band = 0; band < block.bands.size(); ++band) {
            if (block.bands[band].contacts > 0) {
                bandRow(out, kBands[band].caption, block.bands[band]);
            }
        }
        bandRow(out, u"Summe", block.sum);
        out += ']';
        key(out, "sum");
        string(out, report::blockSumText(block));
        out += '}';
    }
    out += ']';
    if (blocks.empty()) {
        key(out, "nothing");
        string(out, report::kNothingScoredText);
    }
    key(out, "totals");
    out += '[';
    for (const report::StationTotal& total : report_.stationTotals()) {
        comma(out);
        jsonUtf8(out, report::stationTotalText(total));
    }
    out += ']';
    if (report_.skippedTotal() > 0) {
        key(out, "skipped");
        out += '{';
        key(out, "caption");
        string(out, report::skippedCaption(report_.skippedTotal()));
        key(out, "reasons");
        out += '[';
        for (const auto& [why, count] : report_.skipped()) {
            comma(out);
            out += '[';
            jsonUtf8(out, report::skipText(why));
            out += ',';
            number(out, static_cast<std::int64_t>(count));
            out += ']';
        }
        out += ']';
        columns(out, "columns", kSkippedColumns);
        key(out, "lines");
        out += '[';
        out += skipped_;
        out += "]}";
    }
    out += '}';
    return out;
}

} // namespace qrb::web
