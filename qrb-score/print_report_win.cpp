// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/svg.h"
#include "map/win/gdi_map.h"
#include "output/printer.h"
#include "output/win/win_printer.h"
#include "qrb-score/platform.h"
#include "qrb-score/print_report.h"
#include "report/printout.h"

// clang-format off
#include <windows.h>
// clang-format on
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace qrb::score {

namespace {

bool endsWithSvg(const std::string& path) {
    constexpr std::string_view kSvg = ".svg";
    if (path.size() <= kSvg.size()) {
        return false;
    }
    return std::equal(kSvg.begin(), kSvg.end(), path.end() - kSvg.size(), [](char a, char b) {
        return a == std::tolower(static_cast<unsigned char>(b));
    });
}

} // namespace

int printReport(const std::vector<std::u16string>& text, const std::u16string& title,
                const std::optional<std::string>& pdf, char* /*program*/, report::ReportMap* map,
                const report::Report& report) {
    if (pdf) {
        return 2; // turned away before any log is read (pdfUnavailable)
    }
    qrb::WinPrinter printer;
    // Title and "Seite N von M" on every page, long lines wrapped.
    printer.setPageTitle(title);
    if (map != nullptr) {
        printer.setFrontPage([in = map->input(report)](HDC dc, const RECT& area) {
            qrb::map::drawOnPage(dc, area, in);
        });
    }
    const PrintOutcome outcome = printer.print(report::reportPrintJob(text));
    if (outcome.accepted) {
        return 0;
    }
    std::fprintf(stderr, "qrb-score: %s\n", printFailureMessage(outcome).c_str());
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

std::string mapFileUnavailable(const std::string& path) {
    if (endsWithSvg(path)) {
        return {};
    }
    return "--map " + path + ": die Windows-Ausgabe schreibt Karten als SVG (DATEI.svg)";
}

// SVG, written as text: the platform opens the file by its UTF-8 name.
std::string writeMapFile(const map::MapInput& in, const std::string& path, char* /*program*/) {
    const std::string svg = map::toSvg(map::drawMap(in));
    std::FILE* file = openOutputFile(path);
    if (file == nullptr) {
        return path + ": " + std::strerror(errno);
    }
    const bool written = std::fwrite(svg.data(), 1, svg.size(), file) == svg.size();
    const bool closed = std::fclose(file) == 0;
    return written && closed ? std::string() : path + ": " + std::strerror(errno);
}

std::string_view pdfUnavailable() {
    return "PDF-Ausgabe gibt es in der Windows-Ausgabe nicht; --print druckt auf dem "
           "Standarddrucker";
}

std::string_view usageOutputs() {
    return "[--print] [--xlsx DATEI]\n"
           "                 [--map DATEI.svg|page]";
}

std::string_view helpOutputs() {
    return "  --print            das Protokoll auf dem Standarddrucker ausgeben\n"
           "  --xlsx DATEI       zusätzlich eine Arbeitsmappe (Tabellenblätter\n"
           "                     \"Verbindungen\" und \"Übersicht\") in DATEI schreiben\n"
           "  --map DATEI.svg    zusätzlich eine Karte der gewerteten Quadrate als SVG\n"
           "                     in DATEI.svg schreiben\n"
           "  --map=page         die Karte als erste Seite von --print\n";
}

} // namespace qrb::score
