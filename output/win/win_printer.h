// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "output/printer.h"

// clang-format off
#include <windows.h>
// clang-format on
#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace qrb {

// The system's default printer through the Windows printing API, without any
// dialog. Lines are collected and printed as one job when the document ends,
// laid out like the Linux printout (font, line spacing, page breaks). The job
// runs on a thread of its own; endDocument() waits for it at most the answer
// time, so a printer that hangs never holds the caller. A failure is the
// outcome; it is the program's to say.
class WinPrinter : public Printer {
public:
    // The whole job as one document: accepted only when the spooler took it
    // in time.
    PrintOutcome print(const PrintJob& job) override;

    void setFontFace(std::u16string_view face);
    void setFontSize(double points);
    void printLine(std::u16string_view line);
    // A report of many pages: this title on top of every page and "Seite N
    // von M" at its foot, long lines wrapped (output/page_layout.h), as the
    // Linux printout does it. Without a title the lines stand as they come.
    void setPageTitle(std::u16string title) { title_ = std::move(title); }
    // A page drawn before the lines (a map, say), given the printer's device
    // context and the page's printable area in its pixels; an empty function
    // for none. It is called on the job's thread.
    using FrontPage = std::function<void(HDC dc, const RECT& area)>;
    void setFrontPage(FrontPage draw) { front_ = std::move(draw); }
    // Accepted only when the spooler took the whole document in time.
    PrintOutcome endDocument();
    // True when the last job did not end in time and was left on its thread.
    // Such a thread may hold the system's loader lock (inside the printer
    // driver), so a program ending now must end with TerminateProcess: a
    // normal exit would wait for that lock.
    bool abandoned() const { return abandoned_; }

    // How long endDocument() waits for the job's thread: the time the Linux
    // printer gives its print server, with its grace.
    static constexpr std::chrono::seconds kAnswerTime{10};

private:
    std::u16string face_;
    double points_ = 10.0;
    std::vector<std::u16string> lines_;
    std::u16string title_;
    FrontPage front_;
    bool abandoned_ = false;
};

} // namespace qrb
