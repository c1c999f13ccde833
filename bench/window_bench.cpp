// SPDX-License-Identifier: GPL-3.0-or-later
// One whole contact through the real window, from the first key in LOC2 to the
// new log line: keys and clicks delivered by QTest to the controls, on the
// offscreen platform, with a printer that does nothing.
#include "app/line_list.h"
#include "bench/window_driver.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {

// Every iteration must have logged its contact, or the figure means nothing.
void checkLogged(benchmark::State& state, bench::ContactWindow& w, int before) {
    const int logged = w.log()->count() - before;
    const QString last = w.log()->lines().last();
    if (logged != static_cast<int>(state.iterations()) ||
        !last.startsWith(QStringLiteral("JO73   432"))) {
        state.SkipWithError("the contacts did not reach the log");
    }
    state.counters["log lines"] = w.log()->count();
}

void runContacts(benchmark::State& state, bench::Repaint repaint) {
    bench::ContactWindow w;
    const int before = w.log()->count();
    const QString foreign = QStringLiteral("jo73");
    for (auto _ : state) {
        w.contact(foreign, repaint);
    }
    checkLogged(state, w, before);
}

// The handlers without an event loop between the inputs. Only what Qt paints
// at once is painted: a pressed button repaints itself, and with it whatever
// else waits to be repainted.
void BM_ContactHandlers(benchmark::State& state) {
    runContacts(state, bench::Repaint::Never);
}
BENCHMARK(BM_ContactHandlers)->Unit(benchmark::kMicrosecond);

// As typed by a person: after every key and click the window repaints what
// changed (into the offscreen backing store).
void BM_ContactRepainted(benchmark::State& state) {
    runContacts(state, bench::Repaint::AfterEachStep);
}
BENCHMARK(BM_ContactRepainted)->Unit(benchmark::kMicrosecond);

// The timed contacts of BM_ContactAfterLog, apart from the fill, so that an
// instruction count can be limited to them:
//   valgrind --tool=callgrind --toggle-collect='*timedContacts*' ...
[[gnu::noinline]] void timedContacts(benchmark::State& state, bench::ContactWindow& w) {
    const QString foreign = QStringLiteral("jo73");
    for (auto _ : state) {
        w.contact(foreign, bench::Repaint::AfterEachStep);
    }
}

// A contact when the log already holds state.range(0) contacts: the fill is
// not timed, and the timed contacts are few against it.
void BM_ContactAfterLog(benchmark::State& state) {
    bench::ContactWindow w;
    const QString foreign = QStringLiteral("jo73");
    for (long i = 0; i < state.range(0); ++i) {
        w.contact(foreign, bench::Repaint::Never);
    }
    bench::ContactWindow::settle();
    const int before = w.log()->count();
    timedContacts(state, w);
    checkLogged(state, w, before);
}
BENCHMARK(BM_ContactAfterLog)->Arg(0)->Arg(10000)->Iterations(500)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    // The window runs on the offscreen platform: no display is needed.
    static char platformOption[] = "-platform";
    static char platform[] = "offscreen";
    char* qtArgv[] = {argv[0], platformOption, platform, nullptr};
    int qtArgc = 3;
    QApplication app(qtArgc, qtArgv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
