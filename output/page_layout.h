// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <vector>

namespace qrb {

// The vertical measures of the print font, in the device units of the page.
struct LineMetrics {
    int ascent = 0;
    int descent = 0;
    int lineSpacing = 0;
};

// Where one printed line stands: its page (from 0) and the baseline's
// distance from the top of the page's printable area.
struct PlacedLine {
    int page = 0;
    int baseline = 0;
};

// Lays `count` lines out top to bottom on pages whose printable area is
// `pageHeight` high; a line whose descent would reach below it goes to the
// top of a new page. Every page holds at least one line.
std::vector<PlacedLine> layOutLines(std::size_t count, const LineMetrics& metrics, int pageHeight);

} // namespace qrb
