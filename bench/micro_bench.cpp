// SPDX-License-Identifier: GPL-3.0-or-later
// Microbenchmarks of the plain C++ layers: the point table, a locator turned
// into coordinates, the point lookup, the QTH-Kenner conversion and a log line.
#include "input/locator_check.h"
#include "input/qth.h"
#include "output/log_line.h"
#include "scoring/coords.h"
#include "scoring/lookup.h"
#include "scoring/qrb_table.h"
#include "scoring/score.h"

#include <array>
#include <benchmark/benchmark.h>
#include <cstddef>
#include <string_view>

namespace {

// Foreign squares around an own station in JO62: near and far, east and west,
// all within the table.
constexpr std::array<std::u16string_view, 8> kForeign{
    u"JO73MM", u"JN58MM", u"IO91MM", u"KP20MM", u"JO62MM", u"KN17MM", u"IN83MM", u"LO08MM",
};

// Old QTH-Kenner, with and without their west/east and south/north shifts.
constexpr std::array<std::u16string_view, 8> kQth{
    u"DL47", u"EK12", u"GH55+", u"FN33-+", u"AB12 -", u"ZZ99", u"HK01 +", u"CM70--",
};

void BM_BuildQrbTable(benchmark::State& state) {
    for (auto _ : state) {
        qrb::QrbTable table = qrb::buildQrbTable();
        benchmark::DoNotOptimize(table);
    }
}
BENCHMARK(BM_BuildQrbTable);

// The listing of the table that start-up puts into the hidden list.
void BM_TableListing(benchmark::State& state) {
    const qrb::QrbTable table = qrb::buildQrbTable();
    for (auto _ : state) {
        auto lines = qrb::tableListing(table);
        benchmark::DoNotOptimize(lines);
    }
}
BENCHMARK(BM_TableListing);

void BM_LocatorToCoords(benchmark::State& state) {
    std::size_t i = 0;
    for (auto _ : state) {
        std::u16string_view locator = kForeign[i];
        benchmark::DoNotOptimize(locator);
        qrb::Coords coords = qrb::locatorToCoords(locator);
        benchmark::DoNotOptimize(coords);
        i = (i + 1) % kForeign.size();
    }
}
BENCHMARK(BM_LocatorToCoords);

// The pure lookup: square distances from two converted centres, the range
// check and the table read.
void BM_Lookup(benchmark::State& state) {
    const qrb::QrbTable table = qrb::buildQrbTable();
    const qrb::Coords own = qrb::locatorToCoords(u"JO62MM");
    std::array<qrb::Coords, kForeign.size()> foreign{};
    for (std::size_t k = 0; k < kForeign.size(); ++k) {
        foreign[k] = qrb::locatorToCoords(kForeign[k]);
    }
    std::size_t i = 0;
    for (auto _ : state) {
        qrb::Coords other = foreign[i];
        benchmark::DoNotOptimize(other);
        const qrb::SquareIndices idx = qrb::squareIndices(own, other);
        std::int16_t points = -1;
        if (qrb::inTable(idx)) {
            points = table.at(idx.x, idx.y);
        }
        benchmark::DoNotOptimize(points);
        i = (i + 1) % foreign.size();
    }
}
BENCHMARK(BM_Lookup);

// The whole way from two squares to points, as a completed entry and
// qrb-score run it: both conversions, the distances and the table read.
void BM_ScoreSquares(benchmark::State& state) {
    const qrb::QrbTable table = qrb::buildQrbTable();
    std::size_t i = 0;
    for (auto _ : state) {
        std::u16string_view other = kForeign[i];
        benchmark::DoNotOptimize(other);
        const qrb::SquareScore score = qrb::scoreSquares(table, u"JO62", other);
        benchmark::DoNotOptimize(score);
        i = (i + 1) % kForeign.size();
    }
}
BENCHMARK(BM_ScoreSquares);

void BM_CheckLocator(benchmark::State& state) {
    std::size_t i = 0;
    for (auto _ : state) {
        std::u16string_view text = kForeign[i];
        benchmark::DoNotOptimize(text);
        qrb::LocatorCheck check = qrb::checkLocator(text);
        benchmark::DoNotOptimize(check);
        i = (i + 1) % kForeign.size();
    }
}
BENCHMARK(BM_CheckLocator);

void BM_QthToSquare(benchmark::State& state) {
    std::size_t i = 0;
    for (auto _ : state) {
        std::u16string_view text = kQth[i];
        benchmark::DoNotOptimize(text);
        const qrb::QthCheck check = qrb::checkQth(text);
        std::u16string square = qrb::qthToSquare(check.text);
        benchmark::DoNotOptimize(square);
        i = (i + 1) % kQth.size();
    }
}
BENCHMARK(BM_QthToSquare);

void BM_LogLine(benchmark::State& state) {
    const int band = static_cast<int>(state.range(0));
    for (auto _ : state) {
        std::u16string line = qrb::logLine(u"JO73", band, 25, 2, 50);
        benchmark::DoNotOptimize(line);
    }
}
// Band 2 (432 MHz) writes every column, band 0 (50 MHz) leaves two blank.
BENCHMARK(BM_LogLine)->Arg(2)->Arg(0);

} // namespace

BENCHMARK_MAIN();
