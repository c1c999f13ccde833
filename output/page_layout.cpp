// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/page_layout.h"

#include <algorithm>

namespace qrb {

namespace {

constexpr std::u16string_view kIndent = u"     ";
// How far a wrapped line's further pieces stand in from its own start.
constexpr std::size_t kWrapIndent = 4;

std::u16string widen(std::string_view ascii) {
    return {ascii.begin(), ascii.end()};
}

// The pieces of one line, each at most `columns` characters.
PageLines wrapped(std::u16string_view line, std::size_t columns) {
    PageLines pieces;
    if (line.size() <= columns) {
        pieces.emplace_back(line);
        return pieces;
    }
    const std::size_t lead = std::min(line.find_first_not_of(u' ') == std::u16string_view::npos
                                          ? std::size_t{0}
                                          : line.find_first_not_of(u' '),
                                      columns / 2);
    const std::u16string indent(std::min(lead + kWrapIndent, columns / 2), u' ');
    std::u16string_view rest = line;
    bool first = true;
    while (!rest.empty()) {
        const std::size_t room = first ? columns : columns - indent.size();
        std::u16string_view piece = rest;
        if (piece.size() > room) {
            // Broken after the last blank that leaves some text on the piece.
            const std::size_t blank = rest.substr(0, room).find_last_of(u' ');
            const std::size_t cut =
                blank != std::u16string_view::npos && blank > room / 2 ? blank + 1 : room;
            piece = rest.substr(0, cut);
        }
        rest.remove_prefix(piece.size());
        std::u16string text = first ? std::u16string() : indent;
        text += piece;
        while (!text.empty() && text.back() == u' ') {
            text.pop_back();
        }
        pieces.push_back(std::move(text));
        if (!first) {
            while (!rest.empty() && rest.front() == u' ') {
                rest.remove_prefix(1);
            }
        }
        first = false;
    }
    return pieces;
}

} // namespace

PageLines ruledLines(const std::vector<std::u16string>& lines, std::u16string_view columnHeader) {
    PageLines printed;
    printed.reserve(lines.size());
    for (const std::u16string& line : lines) {
        std::u16string text(line.empty() ? std::u16string_view() : kIndent);
        text += line;
        printed.push_back(std::move(text));
        if (line == columnHeader) {
            std::u16string rule(kIndent);
            rule.append(columnHeader.size() + 1, u'_');
            printed.push_back(std::move(rule));
        }
    }
    return printed;
}

std::u16string pageNumber(std::size_t page, std::size_t pages) {
    return u"Seite " + widen(std::to_string(page)) + u" von " + widen(std::to_string(pages));
}

std::vector<PageLines> layoutPages(const std::vector<std::u16string>& lines,
                                   std::u16string_view title, std::size_t linesPerPage,
                                   std::size_t columns) {
    constexpr std::size_t kNarrowest = 20;
    columns = std::max(columns, kNarrowest);
    const PageLines head = wrapped(title, columns);
    // Title, empty line, at least one line of text, empty line, page number.
    linesPerPage = std::max(linesPerPage, head.size() + 4);
    const std::size_t body = linesPerPage - head.size() - 3;

    std::vector<PageLines> pages;
    PageLines page;
    for (const std::u16string& line : lines) {
        const PageLines pieces = wrapped(line, columns);
        const bool fitsHere = page.size() + pieces.size() <= body;
        const bool fitsAnyPage = pieces.size() <= body;
        for (const std::u16string& piece : pieces) {
            if (page.size() == body ||
                (!fitsHere && fitsAnyPage && !page.empty() && &piece == &pieces.front())) {
                pages.push_back(std::move(page));
                page.clear();
            }
            page.push_back(piece);
        }
    }
    if (!page.empty() || pages.empty()) {
        pages.push_back(std::move(page));
    }
    // The furniture, now that the number of pages is known.
    for (std::size_t n = 0; n < pages.size(); ++n) {
        PageLines full = head;
        full.emplace_back();
        full.insert(full.end(), pages[n].begin(), pages[n].end());
        full.resize(linesPerPage - 1);
        std::u16string number = pageNumber(n + 1, pages.size());
        if (number.size() < columns) {
            number.insert(0, columns - number.size(), u' ');
        }
        full.push_back(std::move(number));
        pages[n] = std::move(full);
    }
    return pages;
}

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
