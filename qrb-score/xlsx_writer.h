// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "logbook/logbook.h"
#include "qrb-score/contact.h"
#include "qrb-score/report.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace qrb::score {

// Empty where --xlsx is offered; otherwise the one line that says it is not.
std::string_view xlsxUnavailable();

// A workbook for a spreadsheet program: the sheet "Verbindungen" with one row
// per contact, scored or not, written as the contacts come (the rows go to a
// temporary file, not into memory), and the sheet "Übersicht" with the band
// tables and totals of the report, written at the end.
class XlsxWriter {
public:
    explicit XlsxWriter(const std::string& path);
    ~XlsxWriter();
    XlsxWriter(const XlsxWriter&) = delete;
    XlsxWriter& operator=(const XlsxWriter&) = delete;

    void beginFile(std::string_view name);
    void row(const logbook::Record& record, const ContactScore& contact, const Marks& marks);
    // Writes the overview and the file. Empty when the file was written, else
    // why not (German).
    std::string finish(const Report& report);

private:
    void text(lxw_worksheet* sheet, std::uint32_t row, std::uint16_t column, std::string_view value,
              lxw_format* format = nullptr);
    void number(lxw_worksheet* sheet, std::uint32_t row, std::uint16_t column, double value);

    std::string path_;
    lxw_workbook* book_ = nullptr;
    lxw_worksheet* contacts_ = nullptr;
    lxw_worksheet* overview_ = nullptr;
    lxw_format* bold_ = nullptr;
    lxw_format* date_ = nullptr;
    std::array<std::string, kBands.size()> captions_;
    std::string file_;
    std::uint32_t row_ = 1;
    bool full_ = false; // more contacts than a sheet has rows
    std::string clean_; // a text made safe for the workbook
};

} // namespace qrb::score
