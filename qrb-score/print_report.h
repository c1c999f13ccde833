// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The outputs that need the platform's drawing and printing: the printout
// (--print, --pdf), the map file (--map), and which of them a platform offers.

#include "map/map.h"
#include "report/map_sink.h"
#include "report/report.h"

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
int printReport(const std::vector<std::u16string>& text, const std::u16string& title,
                const std::optional<std::string>& pdf, char* program, report::ReportMap* map,
                const report::Report& report);

// Writes the map as SVG or PNG by the file's ending; empty when written,
// else why not.
std::string writeMapFile(const map::MapInput& in, const std::string& path, char* program);

// Empty where --pdf is offered; otherwise the one line that says it is not.
std::string_view pdfUnavailable();

// Empty where a map file of this name may be asked for; otherwise the one
// line that says which the platform writes. (Where it is empty, a name of no
// known type is refused by writeMapFile.)
std::string mapFileUnavailable(const std::string& path);

// The outputs this platform offers, as the usage line names them (without
// the last line's start) and as --help explains them.
std::string_view usageOutputs();
std::string_view helpOutputs();

} // namespace qrb::score
