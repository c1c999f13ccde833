// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "logbook/logbook.h"
#include "report/contact.h"
#include "report/output_buffer.h"
#include "report/report.h"
#include "scoring/bands.h"

#include <array>
#include <string>
#include <string_view>

namespace qrb::report {

// One CSV row (RFC 4180) for every contact of every logbook, scored or not,
// written as the contacts come.
class CsvWriter : public ContactWriter {
public:
    static constexpr std::string_view kHeader =
        "file,record,call,date,time,own,loc,band,pkt,mul,qrb,status,reason,station,repeat,"
        "satellite,confirmed";

    explicit CsvWriter(OutputBuffer& out);

    // The logbook the following rows belong to, as the user named it.
    void beginFile(std::string_view name) override;
    // The date as YYYY-MM-DD and the time as HH:MM or HH:MM:SS where the file's
    // are valid; repeat, satellite and confirmed 1 or 0 for a contact that
    // scored.
    void contact(const logbook::Record& record, const ContactScore& contact, const Marks& marks,
                 std::size_t block) override;

private:
    OutputBuffer& out_;
    std::string file_; // the file column, already quoted where needed
};

// A CSV field: as it is, or in double quotes with its quotes doubled when it
// holds a comma, a quote or a line break.
std::string csvField(std::string_view text);

} // namespace qrb::report
