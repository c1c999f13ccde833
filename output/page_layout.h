// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Pages of a long printed report, for any printer: a title line on every
// page, "Seite N von M" at its foot, and lines too long for the paper wrapped
// rather than cut. Plain text in a fixed-pitch font: a page is so many lines
// of so many characters.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qrb {

using PageLines = std::vector<std::u16string>;

// The lines of a report as printed: each indented by the printout's left
// margin, and under every line that equals `columnHeader` a rule one
// character longer than it.
PageLines ruledLines(const std::vector<std::u16string>& lines, std::u16string_view columnHeader);

// The lines of a report on pages of `linesPerPage` lines of `columns`
// characters: the title (wrapped if need be) and an empty line on top, the
// page number under an empty line at the foot. A line longer than `columns`
// goes on over the next lines, broken after a blank where one is, indented
// like the line; its pieces stay on one page. Never cuts a character.
// Room for at least one line of text is assumed; the values are raised to it.
std::vector<PageLines> layoutPages(const std::vector<std::u16string>& lines,
                                   std::u16string_view title, std::size_t linesPerPage,
                                   std::size_t columns);

// "Seite N von M".
std::u16string pageNumber(std::size_t page, std::size_t pages);

// The window's printout, laid out by the printer's own font measures rather
// than by characters.

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
