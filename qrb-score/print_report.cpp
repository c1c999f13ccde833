// SPDX-License-Identifier: GPL-3.0-or-later
#include "qrb-score/print_report.h"

#include "output/log_line.h"

namespace qrb::score {

void splitReport(const std::vector<std::u16string>& text, std::vector<std::u16string>& header,
                 std::vector<std::u16string>& log) {
    header.clear();
    log.assign(1, std::u16string());
    bool inHeader = true;
    for (const std::u16string& line : text) {
        if (inHeader) {
            header.push_back(line);
            inHeader = line != qrb::kLogHeader;
        } else {
            log.push_back(line);
        }
    }
    if (inHeader) {
        // Nothing scored: no column header, only the list of skipped contacts.
        log = std::move(header);
        header.clear();
    }
}

} // namespace qrb::score
