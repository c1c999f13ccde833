// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/printout.h"

#include "output/page_layout.h"
#include "report/contact.h"

namespace qrb::report {

void PrintLines::line(std::string_view text) {
    lines.push_back(decodeUtf8(text));
}

PrintJob reportPrintJob(const std::vector<std::u16string>& text) {
    PrintJob job = logPrintJob({}, {});
    job.lines = ruledLines(text, decodeUtf8(textLogHeader()));
    return job;
}

} // namespace qrb::report
