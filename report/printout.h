// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The report on paper: the text log's lines as one print job, for whichever
// printer the program has.

#include "output/printer.h"
#include "report/text_log.h"

#include <string>
#include <string_view>
#include <vector>

namespace qrb::report {

// Keeps the text log's lines for the printer, which lays the whole document
// out at once.
class PrintLines : public LineSink {
public:
    void line(std::string_view text) override;
    std::vector<std::u16string> lines;
};

// The text log as one print job: indented by the printout's margin, a rule
// under every column header, in the window's fixed-pitch font.
PrintJob reportPrintJob(const std::vector<std::u16string>& text);

} // namespace qrb::report
