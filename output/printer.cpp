// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/printer.h"

namespace qrb {

namespace {

// The left margin of the printout.
constexpr std::u16string_view kIndent = u"     ";
// Under the header, one character longer than it.
constexpr std::u16string_view kRule = u"     _____________________________";

std::u16string indented(std::u16string_view line) {
    std::u16string text(kIndent);
    text += line;
    return text;
}

} // namespace

std::vector<std::u16string> printedLines(const std::vector<std::u16string>& header,
                                         const std::vector<std::u16string>& log) {
    std::vector<std::u16string> lines;
    lines.reserve(header.size() + 1 + log.size());
    for (const std::u16string& line : header) {
        lines.push_back(indented(line));
    }
    lines.emplace_back(kRule);
    for (const std::u16string& line : log) {
        lines.push_back(indented(line));
    }
    return lines;
}

PrintJob logPrintJob(const std::vector<std::u16string>& header,
                     const std::vector<std::u16string>& log) {
    return {u"Courier New", 10, printedLines(header, log)};
}

bool printLog(Printer& printer, const std::vector<std::u16string>& header,
              const std::vector<std::u16string>& log) {
    return printer.print(logPrintJob(header, log)).accepted;
}

} // namespace qrb
