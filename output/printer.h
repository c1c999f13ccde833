// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qrb {

// One document for a printer: the font it is printed in and its lines.
struct PrintJob {
    std::u16string fontFace;
    double fontSize = 10.0;
    std::vector<std::u16string> lines;
    bool operator==(const PrintJob&) const = default;
};

// Where a printed log goes: the real printer in the program, a recording one
// in tests. One document per print.
class Printer {
public:
    virtual ~Printer() = default;
    virtual void setFontFace(std::u16string_view face) = 0;
    virtual void setFontSize(double points) = 0;
    virtual void printLine(std::u16string_view line) = 0;
    // Hands the finished document over. False when it could not be printed.
    virtual bool endDocument() = 0;
};

// The printed lines of the log: header lines and log lines indented by five
// blanks, with the rule between them.
std::vector<std::u16string> printedLines(const std::vector<std::u16string>& header,
                                         const std::vector<std::u16string>& log);

// The printed log as one job, in a fixed-pitch font that keeps the columns
// of the log under their names.
PrintJob logPrintJob(const std::vector<std::u16string>& header,
                     const std::vector<std::u16string>& log);

// Sends the job to the printer as one document.
bool print(Printer& printer, const PrintJob& job);

// Sends the printed log to the printer as one document.
bool printLog(Printer& printer, const std::vector<std::u16string>& header,
              const std::vector<std::u16string>& log);

} // namespace qrb
