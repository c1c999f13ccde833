// SPDX-License-Identifier: GPL-3.0-or-later
#include "qrb-score/print_report.h"

#include "output/page_layout.h"
#include "qrb-score/contact.h"
#include "qrb-score/text_log.h"

namespace qrb::score {

PrintJob reportPrintJob(const std::vector<std::u16string>& text) {
    PrintJob job = logPrintJob({}, {});
    job.lines = qrb::ruledLines(text, decodeUtf8(textLogHeader()));
    return job;
}

} // namespace qrb::score
