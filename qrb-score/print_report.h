// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "map/map.h"
#include "output/printer.h"
#include "qrb-score/report.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qrb::score {

// Prints the text log on the default printer, or lays it out into the PDF
// file `pdf`, with `title` on top: the rule under the column header of every
// block, as in the window's printout. 0 when printed; otherwise the reason is
// on standard error and the result is the exit status.
// With `map`, the map of the report's squares is the first page.
class ReportMap;
int printReport(const std::vector<std::u16string>& text, const std::u16string& title,
                const std::optional<std::string>& pdf, char* program, ReportMap* map,
                const Report& report);

// Empty where --pdf is offered; otherwise the one line that says it is not.
std::string_view pdfUnavailable();

// Empty where --map is offered; otherwise the one line that says it is not.
std::string_view mapUnavailable();

// The map of --map: the scored contacts, square by square as they come
// (after --unique and --no-sat), of one band or of all.
class ReportMap : public BlockContactSink {
public:
    explicit ReportMap(int band) : tally_(band) {}
    void contact(const Block& block, const BlockContact& contact) override;
    // Writes the map as SVG or PNG by the file's ending, titled with the
    // report's stations, own squares and dates; empty when written, else why
    // not.
    std::string write(const Report& report, const std::string& path, char* program);
    // What the map shows, titled with the report's stations, own squares and
    // dates. Takes the squares collected so far.
    qrb::map::MapInput input(const Report& report);

private:
    qrb::map::SquareTally tally_;
};

// The text log as one print job: indented by the printout's margin, a rule
// under every column header, in the window's fixed-pitch font.
PrintJob reportPrintJob(const std::vector<std::u16string>& text);

} // namespace qrb::score
