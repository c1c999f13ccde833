// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "logbook/logbook.h"
#include "report/contact.h"
#include "report/report.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace qrb::report {

// Why a workbook was not written whole.
struct XlsxFailure {
    enum class Kind {
        NotCreated,  // the workbook could not be begun
        TooManyRows, // more contacts than a sheet has rows: the others are missing
        NotWritten,  // the file could not be written
    };
    Kind kind = Kind::NotWritten;
    std::string path;
    std::string detail; // NotWritten: libxlsxwriter's words
};

// In German, as the command writes it: "FILE: nicht geschrieben: …".
std::string xlsxFailureText(const XlsxFailure& failure);

// A workbook for a spreadsheet program, written with libxlsxwriter: the sheet
// "Verbindungen" with one row per contact, scored or not, written as the
// contacts come (the rows go to temporary files, not into memory), and the
// sheet "Übersicht" with the band tables and totals of the report, written
// at the end.
class XlsxWriter : public ContactWriter {
public:
    // The workbook goes to the file `path`; its temporary files into the
    // folder `scratchDir`, or where the C library puts them when it is empty.
    // Either may be a name in an in-memory file system.
    explicit XlsxWriter(const std::string& path, const std::string& scratchDir = {});
    ~XlsxWriter() override;
    XlsxWriter(const XlsxWriter&) = delete;
    XlsxWriter& operator=(const XlsxWriter&) = delete;

    void beginFile(std::string_view name) override;
    void contact(const logbook::Record& record, const ContactScore& contact, const Marks& marks,
                 std::size_t block) override;
    // Writes the overview and the file. Empty when the file was written, else
    // what went wrong.
    std::optional<XlsxFailure> finish(const Report& report);

private:
    void text(lxw_worksheet* sheet, std::uint32_t row, std::uint16_t column, std::string_view value,
              lxw_format* format = nullptr);
    void number(lxw_worksheet* sheet, std::uint32_t row, std::uint16_t column, double value);

    std::string path_;
    std::string scratchDir_;
    lxw_workbook* book_ = nullptr;
    lxw_worksheet* contacts_ = nullptr;
    lxw_worksheet* overview_ = nullptr;
    lxw_format* bold_ = nullptr;
    lxw_format* date_ = nullptr;
    std::string file_;
    std::uint32_t row_ = 1;
    bool full_ = false; // more contacts than a sheet has rows
    std::string clean_; // a text made safe for the workbook
};

} // namespace qrb::report
