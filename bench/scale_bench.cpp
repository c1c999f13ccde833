// SPDX-License-Identifier: GPL-3.0-or-later
// Scale benchmark of the real window (offscreen platform):
//  - 10,000 confirmed contacts, each timed, to show whether a contact costs
//    more once the log is long;
//  - a 1,000,000-character paste into each entry field, then Enter.
// Prints tables; it judges nothing.
#include "app/line_list.h"
#include "bench/window_driver.h"

#include <QApplication>
#include <QLineEdit>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double micros(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

// CPU time of the whole process: on a busy machine it varies far less than
// the wall time, which waits for the processor as well.
double cpuMicros() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

struct Timing {
    std::vector<double> wall; // microseconds per contact
    std::vector<double> cpu;
};

struct Stats {
    double median = 0;
    double mean = 0;
    double p90 = 0;
};

Stats stats(std::vector<double> values) {
    Stats s;
    if (values.empty()) {
        return s;
    }
    std::sort(values.begin(), values.end());
    s.median = values[values.size() / 2];
    s.p90 = values[values.size() * 9 / 10];
    double total = 0;
    for (double v : values) {
        total += v;
    }
    s.mean = total / static_cast<double>(values.size());
    return s;
}

std::vector<double> slice(const std::vector<double>& all, std::size_t from, std::size_t to) {
    return {all.begin() + static_cast<std::ptrdiff_t>(from),
            all.begin() + static_cast<std::ptrdiff_t>(std::min(to, all.size()))};
}

// Times every contact of a long session in one window.
Timing timeContacts(int count, bench::Repaint repaint) {
    bench::ContactWindow w;
    const QString foreign = QStringLiteral("jo73");
    Timing t;
    t.wall.reserve(static_cast<std::size_t>(count));
    t.cpu.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const double cpuBegin = cpuMicros();
        const auto begin = Clock::now();
        w.contact(foreign, repaint);
        t.wall.push_back(micros(Clock::now() - begin));
        t.cpu.push_back(cpuMicros() - cpuBegin);
    }
    if (w.log()->count() != count + 1) {
        std::fprintf(stderr, "only %d of %d contacts reached the log\n", w.log()->count() - 1,
                     count);
        std::exit(1);
    }
    return t;
}

void printContactTable(const char* title, const Timing& t, int block) {
    std::printf("\n%s\n", title);
    std::printf("  %-17s %12s %10s %10s %12s %10s\n", "contacts", "wall median", "mean", "p90",
                "CPU median", "p90");
    const std::size_t n = t.wall.size();
    const auto row = [&t](std::size_t from, std::size_t to) {
        const Stats wall = stats(slice(t.wall, from, to));
        const Stats cpu = stats(slice(t.cpu, from, to));
        std::printf("  %6zu .. %-7zu %9.1f us %10.1f %10.1f %9.1f us %10.1f\n", from + 1, to,
                    wall.median, wall.mean, wall.p90, cpu.median, cpu.p90);
    };
    row(0, 100);
    for (std::size_t from = 0; from < n; from += static_cast<std::size_t>(block)) {
        row(from, std::min(n, from + static_cast<std::size_t>(block)));
    }
    row(n - 100, n);
    const auto ratio = [n](const std::vector<double>& v) {
        return stats(slice(v, n - 100, n)).median / stats(slice(v, 0, 100)).median;
    };
    std::printf("  last 100 / first 100 (medians): wall %.2f, CPU %.2f\n", ratio(t.wall),
                ratio(t.cpu));
    // Least-squares slope of the CPU time over the contact number, the first
    // 100 (warming up) left out: how much a contact gains per line in the log.
    double sumX = 0;
    double sumY = 0;
    double sumXY = 0;
    double sumXX = 0;
    const auto m = static_cast<double>(n - 100);
    for (std::size_t i = 100; i < n; ++i) {
        const auto x = static_cast<double>(i);
        sumX += x;
        sumY += t.cpu[i];
        sumXY += x * t.cpu[i];
        sumXX += x * x;
    }
    const double slope = (m * sumXY - sumX * sumY) / (m * sumXX - sumX * sumX);
    std::printf("  CPU time trend: %+.1f us per contact for every 1,000 lines in the log\n",
                slope * 1000.0);
}

// 1,000,000 characters: the start of a good entry, then letters, digits and
// blanks that no check looks at.
QString bigPaste(const QString& start) {
    constexpr int kLength = 1000000;
    static const QString filler = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 ");
    QString text = start;
    text.reserve(kLength);
    while (text.size() < kLength) {
        text += filler;
    }
    text.truncate(kLength - 1);
    text += QLatin1Char('X'); // no trailing blank to trim
    return text;
}

void printPaste(const char* what, const bench::ContactWindow::PasteTimes& t, QLineEdit* field) {
    std::printf("  %-40s %9.2f %9.2f %9.2f %9.2f %9lld\n", what, t.pasteNs / 1e6,
                t.paintAfterPasteNs / 1e6, t.enterNs / 1e6, t.paintAfterEnterNs / 1e6,
                static_cast<long long>(field->text().size()));
}

void pasteTable() {
    std::printf("\n1,000,000-character paste into each entry field, then Enter (ms)\n");
    std::printf("  %-40s %9s %9s %9s %9s %9s\n", "", "paste", "repaint", "Enter", "repaint",
                "length");
    {
        // A first key typed, then the paste: Enter checks the whole pasted entry.
        bench::ContactWindow w{QString()};
        printPaste("LOC1 \"j\" + paste \"O62QM...\" + Enter",
                   w.pasteAndEnter(w.loc1(), QLatin1Char('j'), bigPaste(QStringLiteral("O62QM"))),
                   w.loc1());
        printPaste("LOC2 \"j\" + paste \"O73MM...\" + Enter",
                   w.pasteAndEnter(w.loc2(), QLatin1Char('j'), bigPaste(QStringLiteral("O73MM"))),
                   w.loc2());
        printPaste("QTH2 \"d\" + paste \"L47+-...\" + Enter",
                   w.pasteAndEnter(w.qth2(), QLatin1Char('d'), bigPaste(QStringLiteral("L47+-"))),
                   w.qth2());
        // The window goes on working with a 1,000,000-character own locator
        // (and QTH-Kenner) in its fields.
        std::vector<double> after;
        for (int i = 0; i < 21; ++i) {
            const auto begin = Clock::now();
            w.contact(QStringLiteral("jo73"), bench::Repaint::AfterEachStep);
            after.push_back(micros(Clock::now() - begin));
        }
        std::printf("  contacts afterwards: first %.1f us, median of the next 20 %.1f us,"
                    " log line \"%s\"\n",
                    after.front(), stats(slice(after, 1, after.size())).median,
                    qPrintable(w.log()->lines().last()));
    }
    {
        // Pasted straight into a field: the Enter is the first key of a new
        // entry and empties the field before it completes it.
        bench::ContactWindow w;
        bench::ContactWindow fresh{QString()};
        printPaste("LOC1 paste + Enter (new entry)",
                   fresh.pasteAndEnter(fresh.loc1(), QChar(), bigPaste(QStringLiteral("JO62QM"))),
                   fresh.loc1());
        printPaste("LOC2 paste + Enter (new entry)",
                   w.pasteAndEnter(w.loc2(), QChar(), bigPaste(QStringLiteral("JO73MM"))),
                   w.loc2());
        printPaste("QTH2 paste + Enter (new entry)",
                   w.pasteAndEnter(w.qth2(), QChar(), bigPaste(QStringLiteral("DL47+-"))),
                   w.qth2());
    }
}

} // namespace

int main(int argc, char** argv) {
    int contacts = 10000;
    bool paste = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--contacts") == 0 && i + 1 < argc) {
            contacts = std::max(200, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--no-paste") == 0) {
            paste = false;
        } else {
            std::fprintf(stderr, "usage: qrb-bench-scale [--contacts N] [--no-paste]\n");
            return 2;
        }
    }
    // The window runs on the offscreen platform: no display is needed.
    static char platformOption[] = "-platform";
    static char platform[] = "offscreen";
    char* qtArgv[] = {argv[0], platformOption, platform, nullptr};
    int qtArgc = 3;
    QApplication app(qtArgc, qtArgv);

    const int block = std::max(100, contacts / 10);
    printContactTable("Contacts repainted after every key and click (as typed by a person)",
                      timeContacts(contacts, bench::Repaint::AfterEachStep), block);
    printContactTable("Contacts through the handlers only (no repaint between inputs)",
                      timeContacts(contacts, bench::Repaint::Never), block);
    if (paste) {
        pasteTable();
    }
    return 0;
}
