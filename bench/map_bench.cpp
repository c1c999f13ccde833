// SPDX-License-Identifier: GPL-3.0-or-later
// Prints the coastline asset's size by layer and how long decoding it takes,
// then draws the map of each logbook given and prints how long reading,
// drawing, writing the SVG and painting the PNG took. Judges nothing.
//
//   qrb-bench-map [--own LOC] [--band INDEX] [--out DIR] [LOG...]

#include "logbook/logbook.h"
#include "map/coast_asset.h"
#include "map/geography.h"
#include "map/qt/qt_map.h"
#include "map/svg.h"
#include "scoring/bands.h"
#include "scoring/score.h"

#include <QGuiApplication>
#include <algorithm>
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

// The fastest of a few runs, in milliseconds.
template <class F> double bestMs(F f) {
    double best = 1e9;
    for (int run = 0; run < 7; ++run) {
        const auto start = std::chrono::steady_clock::now();
        f();
        best = std::min(best, msSince(start));
    }
    return best;
}

void assetFigures() {
    namespace coast = qrb::map::coast;
    const std::span<const std::uint8_t> asset = coast::builtIn();
    std::vector<coast::LayerIndex> index;
    std::vector<coast::Layer> layers;
    if (!coast::readIndex(asset, index) || !coast::decode(asset, layers)) {
        std::printf("coastline asset: damaged\n");
        return;
    }
    std::printf("coastline asset: %zu bytes (%.1f KiB)\n", asset.size(), asset.size() / 1024.0);
    for (std::size_t i = 0; i < layers.size(); ++i) {
        const coast::Layer& l = layers[i];
        std::size_t pieces = 0;
        std::size_t points = 0;
        for (const coast::Bin& bin : l.bins) {
            pieces += bin.pieces.size();
            for (const coast::Piece& piece : bin.pieces) {
                points += piece.points.size();
            }
        }
        const double size = l.binDegrees();
        const double west =
            l.firstColumn * size >= 180.0 ? l.firstColumn * size - 360.0 : l.firstColumn * size;
        const double north = 90.0 - l.firstRow * size;
        std::printf("  %-7s %c  %4.0f to %4.0f E, %3.0f to %3.0f N  step %7.5f deg  %6zu pieces "
                    "%7zu points  %7zu bytes (%.2f per point)\n",
                    l.kind == coast::Kind::Shores ? "shores" : "borders", l.resolution, west,
                    west + l.columnCount * size, north - l.rowCount * size, north, l.step(), pieces,
                    points, index[i].bins.size(),
                    static_cast<double>(index[i].bins.size()) / static_cast<double>(points));
    }
    std::vector<coast::Layer> all;
    std::printf("  decoding all of it: %.2f ms\n", bestMs([&] { coast::decode(asset, all); }));
    struct Box {
        const char* what;
        qrb::map::GeoBox box;
        double pixelsPerDegree;
    };
    for (const Box& b : {Box{"the earth", {-180.0, 180.0, -90.0, 90.0}, 4.0},
                         Box{"Europe", {-15.0, 45.0, 35.0, 65.0}, 36.0},
                         Box{"a contest log (YO2LZA)", {4.4, 38.5, 39.2, 56.1}, 66.0},
                         Box{"one square (JO62)", {6.0, 18.0, 49.0, 55.0}, 183.0},
                         Box{"one square (FN42)", {-78.0, -66.0, 39.0, 45.0}, 183.0}}) {
        std::size_t points = 0;
        const double ms = bestMs([&] {
            const qrb::map::Geography geo = qrb::map::loadGeography(b.box, b.pixelsPerDegree);
            points = 0;
            for (const auto* lines : {&geo.land, &geo.coasts, &geo.borders}) {
                for (const auto& line : *lines) {
                    points += line.size();
                }
            }
        });
        std::printf("  %-24s %5.0f px/deg: %7zu points in %6.2f ms\n", b.what, b.pixelsPerDegree,
                    points, ms);
    }
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    std::string own;
    std::string outDir = ".";
    int band = qrb::map::kAllBands;
    const qrb::QrbTable table = qrb::buildQrbTable();
    assetFigures();
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
