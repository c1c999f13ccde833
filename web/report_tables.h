// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The report as the page shows it: tables of the same model the text log,
// the CSV and the workbook are written from, as one JSON document that the
// page turns into HTML tables without deciding anything:
//
//   {"title": "QRB-Punkte: …",
//    "withoutOwn": {"caption": "…", "files": [NAME…]},   when logs lack one
//    "lineColumns": [CAPTION…], "bandColumns": [CAPTION…],   (the first of
//                   lineColumns is the window's header over its log line)
//    "blocks": [{"heading": "Eigener Locator: …, Station: …, Datei: …",
//                "lines": [[LOG LINE, CALL, DATE, TIME, MARKS]…],
//                "bands": [[BAND, contacts, squares, QRB, repeats, satellite,
//                           confirmed]…, ["Summe", …]],
//                "sum": "Summe QRB: 12"}…],
//    "nothing": "Keine Verbindung gewertet.",             when no block
//    "totals": ["Gesamtsumme QRB (Station …): 42"…],
//    "skipped": {"caption": "Nicht gewertet: 3",
//                "reasons": [[REASON, count]…],
//                "columns": [CAPTION…],
//                "lines": [[FILE, NUMBER, CALL, REASON]…]}}   when any
//
// Every text is as the logbook has it (UTF-8 made safe for JSON); numbers
// in the tables are numbers.

#include "logbook/logbook.h"
#include "report/contact.h"
#include "report/report.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qrb::web {

class ReportTables : public report::ContactWriter {
public:
    explicit ReportTables(const report::Report& report) : report_(report) {}

    void beginFile(std::string_view name) override;
    void contact(const logbook::Record& record, const report::ContactScore& contact,
                 const report::Marks& marks, std::size_t block) override;

    // The whole document, once every logbook is read.
    std::string finish() const;

private:
    const report::Report& report_;
    std::string file_;
    // The lines of each block and the skipped contacts listed, as the
    // elements of their JSON arrays, written as they come.
    std::vector<std::string> lines_;
    std::string skipped_;
};

// A text in UTF-8 as a logbook or the report holds it, as a JSON string; a
// byte that starts no valid sequence becomes U+FFFD.
void jsonUtf8(std::string& out, std::string_view bytes);

} // namespace qrb::web
