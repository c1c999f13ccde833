// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/xlsx/xlsx_writer.h"

#include "report/date_time.h"

#include <vector>
#include <xlsxwriter.h>

namespace qrb::report {

namespace {

// The rows of a sheet, the header row included.
constexpr std::uint32_t kSheetRows = 1048576;

constexpr std::array<const char*, 17> kContactColumns{
    "Datei",           "Nr.",     "Station",      "Rufzeichen", "Datum",    "Zeit",
    "Eigener Locator", "Locator", "Band",         "PKT",        "MUL",      "QRB",
    "Status",          "Grund",   "Wiederholung", "Satellit",   "Bestätigt"};

// Valid UTF-8 without control characters: a workbook is XML, which allows
// neither. A broken byte becomes U+FFFD, a control character '?'.
void makeSafe(std::string& to, std::string_view text) {
    to.clear();
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            to.push_back(lead < 0x20 || lead == 0x7F ? '?' : static_cast<char>(lead));
            ++i;
            continue;
        }
        const std::u16string one = decodeUtf8(text.substr(i, lead >= 0xF0   ? 4
                                                             : lead >= 0xE0 ? 3
                                                                            : 2));
        std::size_t length = 0;
        if (!one.empty() && one.front() != 0xFFFD) {
            length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        }
        if (length == 0) {
            to += "\xEF\xBF\xBD";
            ++i;
        } else {
            to.append(text.substr(i, length));
            i += length;
        }
    }
}

} // namespace

std::string xlsxFailureText(const XlsxFailure& failure) {
    switch (failure.kind) {
    case XlsxFailure::Kind::NotCreated:
        return failure.path + ": Arbeitsmappe ließ sich nicht anlegen";
    case XlsxFailure::Kind::TooManyRows:
        return failure.path + ": mehr Verbindungen, als ein Tabellenblatt Zeilen hat (" +
               std::to_string(kSheetRows - 1) + "); die übrigen fehlen";
    case XlsxFailure::Kind::NotWritten:
        return failure.path + ": nicht geschrieben: " + failure.detail;
    }
    return {};
}

XlsxWriter::XlsxWriter(const std::string& path, const std::string& scratchDir)
    : path_(path), scratchDir_(scratchDir) {
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.use_zip64 = LXW_TRUE;
    if (!scratchDir_.empty()) {
        options.tmpdir = scratchDir_.data();
    }
    book_ = workbook_new_opt(path_.c_str(), &options);
    if (book_ == nullptr) {
        return;
    }
    contacts_ = workbook_add_worksheet(book_, "Verbindungen");
    overview_ = workbook_add_worksheet(book_, "Übersicht");
    bold_ = workbook_add_format(book_);
    format_set_bold(bold_);
    date_ = workbook_add_format(book_);
    format_set_num_format(date_, "yyyy-mm-dd");
    worksheet_set_column(contacts_, 0, 0, 24, nullptr);
    worksheet_set_column(contacts_, 2, 3, 12, nullptr);
    worksheet_set_column(contacts_, 4, 4, 11, nullptr);
    worksheet_set_column(contacts_, 6, 6, 15, nullptr);
    worksheet_set_column(contacts_, 13, 13, 30, nullptr);
    worksheet_set_column(overview_, 0, 0, 16, nullptr);
    worksheet_set_column(overview_, 1, 6, 15, nullptr);
    for (std::size_t column = 0; column < kContactColumns.size(); ++column) {
        worksheet_write_string(contacts_, 0, static_cast<lxw_col_t>(column),
                               kContactColumns[column], bold_);
    }
}

XlsxWriter::~XlsxWriter() {
    if (book_ != nullptr) {
        workbook_close(book_);
    }
}

void XlsxWriter::text(lxw_worksheet* sheet, std::uint32_t row, std::uint16_t column,
                      std::string_view value, lxw_format* format) {
    if (value.empty()) {
        return;
    }
    makeSafe(clean_, value);
    worksheet_write_string(sheet, row, column, clean_.c_str(), format);
}

void XlsxWriter::number(lxw_worksheet* sheet, std::uint32_t row, std::uint16_t column,
                        double value) {
    worksheet_write_number(sheet, row, column, value, nullptr);
}

void XlsxWriter::beginFile(std::string_view name) {
    file_ = name;
}

void XlsxWriter::contact(const logbook::Record& record, const ContactScore& contact,
                         const Marks& marks, std::size_t /*block*/) {
    if (book_ == nullptr) {
        return;
    }
    if (row_ >= kSheetRows) {
        full_ = true;
        return;
    }
    const std::uint32_t r = row_++;
    text(contacts_, r, 0, file_);
    number(contacts_, r, 1, static_cast<double>(record.number));
    text(contacts_, r, 2, stationOf(record));
    text(contacts_, r, 3, trimmedSpace(record.call));
    const std::string date = isoDate(record.date);
    if (date.size() == 10 && date[4] == '-') {
        lxw_datetime when{};
        when.year = std::stoi(date.substr(0, 4));
        when.month = std::stoi(date.substr(5, 2));
        when.day = std::stoi(date.substr(8, 2));
        worksheet_write_datetime(contacts_, r, 4, &when, date_);
    } else {
        text(contacts_, r, 4, date);
    }
    text(contacts_, r, 5, clockTime(record.time, true));
    text(contacts_, r, 6, contact.own);
    text(contacts_, r, 7, contact.loc);
    if (contact.band >= 0) {
        text(contacts_, r, 8, bandCaption(static_cast<std::size_t>(contact.band)));
    }
    if (contact.scored) {
        number(contacts_, r, 9, contact.pkt);
        number(contacts_, r, 10, contact.mul);
        number(contacts_, r, 11, contact.qrb);
        text(contacts_, r, 12, "gewertet");
        text(contacts_, r, 14, marks.repeat ? "ja" : "nein");
        text(contacts_, r, 15, marks.satellite ? "ja" : "nein");
        text(contacts_, r, 16, marks.confirmed ? "ja" : "nein");
    } else {
        text(contacts_, r, 12, "nicht gewertet");
        text(contacts_, r, 13, skipText(contact.reason));
    }
}

std::optional<XlsxFailure> XlsxWriter::finish(const Report& report) {
    if (book_ == nullptr) {
        return XlsxFailure{XlsxFailure::Kind::NotCreated, path_, {}};
    }
    std::uint32_t r = 0;
    const auto tableRow = [this, &r](std::string_view first, const BandTotals& totals) {
        text(overview_, r, 0, first);
        number(overview_, r, 1, static_cast<double>(totals.contacts));
        number(overview_, r, 2, static_cast<double>(totals.squares));
        number(overview_, r, 3, static_cast<double>(totals.qrb));
        number(overview_, r, 4, static_cast<double>(totals.repeats));
        number(overview_, r, 5, static_cast<double>(totals.satellite));
        number(overview_, r, 6, static_cast<double>(totals.confirmed));
        ++r;
    };
    for (const Block& block : report.blocks()) {
        text(overview_, r, 0, "Station", bold_);
        text(overview_, r++, 1, stationText(block.station));
        text(overview_, r, 0, "Eigener Locator", bold_);
        text(overview_, r++, 1, block.square);
        std::string files;
        for (const std::string& file : block.files) {
            files += files.empty() ? "" : ", ";
            files += file;
        }
        text(overview_, r, 0, "Dateien", bold_);
        text(overview_, r++, 1, files);
        text(overview_, r, 0, "Zeitraum", bold_);
        text(overview_, r++, 1, dateSpan(block.firstDate, block.lastDate));
        for (std::size_t column = 0; column < kBandTableColumns.size(); ++column) {
            text(overview_, r, static_cast<std::uint16_t>(column), kBandTableColumns[column],
                 bold_);
        }
        ++r;
        for (std::size_t band = 0; band < block.bands.size(); ++band) {
            if (block.bands[band].contacts > 0) {
                tableRow(bandCaption(band), block.bands[band]);
            }
        }
        tableRow("Summe", block.sum);
        ++r;
    }
    // Grand totals, each only over the blocks of one station.
    for (const StationTotal& total : report.stationTotals()) {
        text(overview_, r, 0, "Gesamtsumme QRB " + stationText(total.station), bold_);
        number(overview_, r++, 3, static_cast<double>(total.qrb));
    }
    if (report.skippedTotal() > 0) {
        ++r;
        text(overview_, r, 0, "Nicht gewertet", bold_);
        number(overview_, r++, 1, static_cast<double>(report.skippedTotal()));
        for (const auto& [why, count] : report.skipped()) {
            text(overview_, r, 0, skipText(why));
            number(overview_, r++, 1, static_cast<double>(count));
        }
    }
    lxw_workbook* book = book_;
    book_ = nullptr;
    const lxw_error closed = workbook_close(book);
    if (full_) {
        return XlsxFailure{XlsxFailure::Kind::TooManyRows, path_, {}};
    }
    if (closed != LXW_NO_ERROR) {
        return XlsxFailure{XlsxFailure::Kind::NotWritten, path_, lxw_strerror(closed)};
    }
    return std::nullopt;
}

} // namespace qrb::report
