// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/printer.h"
#include "output/win/win_printer.h"
#include "qrb-score/print_report.h"
#include "report/printout.h"

// clang-format off
#include <windows.h>
// clang-format on
#include <cstdio>

namespace qrb::score {

int printReport(const std::vector<std::u16string>& text, const std::u16string& title,
                const std::optional<std::string>& pdf, char* /*program*/,
                report::ReportMap* /*map*/, const report::Report& /*report*/) {
    if (pdf) {
        return 2; // turned away before any log is read (pdfUnavailable)
    }
    qrb::WinPrinter printer("qrb-score");
    // Title and "Seite N von M" on every page, long lines wrapped.
    printer.setPageTitle(title);
    if (printer.print(report::reportPrintJob(text)).accepted) {
        return 0;
    }
    if (printer.abandoned()) {
        // The job hangs in the printer driver, maybe holding the loader lock
        // that a normal exit waits for: end at once. Nothing is left unwritten
        // (the log went to the printer, the reason is on standard error).
        std::fflush(stdout);
        std::fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 1);
    }
    return 1;
}

std::string_view mapUnavailable() {
    return "Karten (--map) gibt es in der Windows-Ausgabe nicht";
}

std::string writeMapFile(const map::MapInput& /*in*/, const std::string& /*path*/,
                         char* /*program*/) {
    return std::string(mapUnavailable());
}

std::string_view xlsxUnavailable() {
    return "Arbeitsmappen (--xlsx) gibt es in der Windows-Ausgabe nicht; --format csv "
           "schreibt eine Tabelle";
}

std::string_view pdfUnavailable() {
    return "PDF-Ausgabe gibt es in der Windows-Ausgabe nicht; --print druckt auf dem "
           "Standarddrucker";
}

} // namespace qrb::score

// The map's library is not built for Windows yet: --map is turned away before
// any log is read, so the report's map is never fed.
namespace qrb::report {

void ReportMap::contact(const Block& /*block*/, const BlockContact& /*contact*/) {}

map::MapInput ReportMap::input(const Report& /*report*/) const {
    map::MapInput in;
    return in;
}

} // namespace qrb::report
