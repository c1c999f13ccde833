// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/page_layout.h"

namespace qrb {

std::vector<PlacedLine> layOutLines(std::size_t count, const LineMetrics& metrics, int pageHeight) {
    std::vector<PlacedLine> placed;
    placed.reserve(count);
    int page = 0;
    int y = metrics.ascent;
    for (std::size_t i = 0; i < count; ++i) {
        if (i != 0 && y + metrics.descent > pageHeight) {
            ++page;
            y = metrics.ascent;
        }
        placed.push_back({page, y});
        y += metrics.lineSpacing;
    }
    return placed;
}

} // namespace qrb
