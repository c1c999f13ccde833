// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the map of each logbook given and prints how long reading, drawing,
// writing the SVG and painting the PNG took. Judges nothing.
//
//   qrb-bench-map [--own LOC] [--band INDEX] [--out DIR] LOG...

#include "logbook/logbook.h"
#include "map/qt/qt_map.h"
#include "map/svg.h"
#include "scoring/bands.h"
#include "scoring/score.h"

#include <QGuiApplication>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// Locators as the window takes them: upper case.
std::u16string widen(const std::string& text) {
    std::u16string out;
    for (char c : text) {
        out += static_cast<char16_t>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    return out;
}

double msSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    std::string own;
    std::string outDir = ".";
    int band = qrb::map::kAllBands;
    const qrb::QrbTable table = qrb::buildQrbTable();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--own" && i + 1 < argc) {
            own = argv[++i];
            continue;
        }
        if (arg == "--band" && i + 1 < argc) {
            band = std::stoi(argv[++i]);
            continue;
        }
        if (arg == "--out" && i + 1 < argc) {
            outDir = argv[++i];
            continue;
        }
        const auto start = std::chrono::steady_clock::now();
        std::ifstream file(arg, std::ios::binary);
        qrb::logbook::ReadError error;
        auto reader = qrb::logbook::openReader(file, error);
        if (!reader) {
            std::printf("%s: %s\n", arg.c_str(), qrb::logbook::readErrorText(error).c_str());
            continue;
        }
        qrb::map::MapInput in;
        in.tally = qrb::map::SquareTally(band);
        qrb::logbook::Record record;
        long contacts = 0;
        std::string firstOwn;
        while (reader->next(record)) {
            ++contacts;
            const std::optional<int> b = reader->format() == qrb::logbook::Format::Edi
                                             ? qrb::logbook::bandFromEdi(record.band)
                                             : qrb::logbook::bandFromAdif(record.band, record.freq);
            const std::string& mine = record.ownLocator.empty() ? own : record.ownLocator;
            if (!b || mine.empty()) {
                continue;
            }
            const qrb::SquareScore score =
                qrb::scoreSquares(table, widen(mine), widen(record.locator));
            if (score.scored()) {
                const int mul = qrb::kBands[static_cast<std::size_t>(*b)].multiplier;
                in.tally.add(record.locator, score.points * mul, *b);
                if (firstOwn.empty()) {
                    firstOwn = mine;
                }
            }
        }
        const double readMs = msSince(start);
        in.ownSquares = {firstOwn};
        in.title.ownSquare = firstOwn;
        in.title.station = std::filesystem::path(arg).stem().string();
        const std::string base = outDir + "/" + std::filesystem::path(arg).stem().string();
        auto t = std::chrono::steady_clock::now();
        const qrb::map::Scene scene = qrb::map::drawMap(in);
        const double drawMs = msSince(t);
        t = std::chrono::steady_clock::now();
        const std::string svg = qrb::map::toSvg(scene);
        std::ofstream(base + ".svg", std::ios::binary) << svg;
        const double svgMs = msSince(t);
        t = std::chrono::steady_clock::now();
        std::string message;
        const bool png = qrb::map::writePng(in, base + ".png", message);
        const double pngMs = msSince(t);
        std::printf("%-45s %7ld contacts %5zu squares  read %7.1f ms  draw %6.1f ms  svg %6.1f ms "
                    "(%zu kB)  png %6.1f ms%s\n",
                    std::filesystem::path(arg).filename().c_str(), contacts, in.tally.size(),
                    readMs, drawMs, svgMs, svg.size() / 1024, pngMs,
                    png ? "" : (" " + message).c_str());
    }
    return 0;
}
