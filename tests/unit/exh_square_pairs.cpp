// SPDX-License-Identifier: GPL-3.0-or-later
// Every ordered pair of squares with field letters A..X and digits 0..9 gets
// the square distances of plain integer counting, and the points or the
// out-of-range verdict that go with them.

#include "scoring/coords.h"
#include "scoring/lookup.h"
#include "scoring/qrb_table.h"

#include <QString>
#include <QTest>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kFieldLetters = 24;          // A..X
constexpr int kLines = kFieldLetters * 10; // columns (2 degrees) or rows (1 degree)
constexpr int kSquares = kLines * kLines;

// One square: its position in whole squares east and north of AA00, and the
// coordinates of its centre as the lookup converts it (square + "MM").
struct Square {
    int column = 0;
    int row = 0;
    qrb::Coords centre;
    char16_t name[4] = {};
};

std::vector<Square> allSquares() {
    std::vector<Square> squares;
    squares.reserve(kSquares);
    for (int lonField = 0; lonField < kFieldLetters; ++lonField) {
        for (int latField = 0; latField < kFieldLetters; ++latField) {
            for (int lonDigit = 0; lonDigit < 10; ++lonDigit) {
                for (int latDigit = 0; latDigit < 10; ++latDigit) {
                    Square s;
                    s.name[0] = static_cast<char16_t>(u'A' + lonField);
                    s.name[1] = static_cast<char16_t>(u'A' + latField);
                    s.name[2] = static_cast<char16_t>(u'0' + lonDigit);
                    s.name[3] = static_cast<char16_t>(u'0' + latDigit);
                    s.column = 10 * lonField + lonDigit;
                    s.row = 10 * latField + latDigit;
                    const std::u16string locator = std::u16string(s.name, 4) + u"MM";
                    s.centre = qrb::locatorToCoords(locator);
                    squares.push_back(s);
                }
            }
        }
    }
    return squares;
}

QString nameOf(const Square& s) {
    return QString::fromUtf16(s.name, 4);
}

// Result of one share of the pairs.
struct Share {
    std::int64_t pairs = 0;
    std::int64_t scored = 0;
    std::int64_t wrong = 0;
    int firstOwn = -1;
    int firstForeign = -1;
};

// Checks every pair whose own square index is congruent to `part` modulo `parts`.
// Counts locally and writes the share once at the end, so that the threads do
// not keep writing into one cache line.
void checkShare(const std::vector<Square>& squares, const qrb::QrbTable& table, int part, int parts,
                Share& result) {
    Share share;
    for (int i = part; i < kSquares; i += parts) {
        const Square& own = squares[static_cast<std::size_t>(i)];
        for (int j = 0; j < kSquares; ++j) {
            const Square& foreign = squares[static_cast<std::size_t>(j)];
            const int x = std::abs(own.column - foreign.column) + 1;
            const int y = std::abs(own.row - foreign.row) + 1;
            const bool scored = x <= 40 && y <= 40;

            const qrb::SquareIndices idx = qrb::squareIndices(own.centre, foreign.centre);
            bool right = idx.x == x && idx.y == y && qrb::inTable(idx) == scored;
            if (right && scored) {
                // Points read with the computed indices must lie within the
                // table's range: a zero here would mean an unfilled cell.
                const int points = table.at(idx.x, idx.y);
                right = points >= 1 && points <= 43;
                ++share.scored;
            }
            if (!right) {
                if (share.wrong == 0) {
                    share.firstOwn = i;
                    share.firstForeign = j;
                }
                ++share.wrong;
            }
        }
        share.pairs += kSquares;
    }
    result = share;
}

} // namespace

class ExhSquarePairs : public QObject {
    Q_OBJECT

private slots:
    void everyPairCountsWholeSquares();
};

void ExhSquarePairs::everyPairCountsWholeSquares() {
    const std::vector<Square> squares = allSquares();
    QCOMPARE(squares.size(), std::size_t{kSquares});
    const qrb::QrbTable table = qrb::buildQrbTable();

    constexpr int kThreads = 2;
    std::vector<Share> shares(kThreads);
    std::vector<std::thread> workers;
    workers.reserve(kThreads);
    for (int t = 0; t < kThreads; ++t) {
        workers.emplace_back(checkShare, std::cref(squares), std::cref(table), t, kThreads,
                             std::ref(shares[static_cast<std::size_t>(t)]));
    }
    for (std::thread& w : workers) {
        w.join();
    }

    std::int64_t pairs = 0;
    std::int64_t scored = 0;
    for (const Share& share : shares) {
        if (share.wrong != 0) {
            const Square& own = squares[static_cast<std::size_t>(share.firstOwn)];
            const Square& foreign = squares[static_cast<std::size_t>(share.firstForeign)];
            const qrb::SquareIndices idx = qrb::squareIndices(own.centre, foreign.centre);
            QFAIL(qPrintable(
                QStringLiteral("%1 wrong pairs, first %2 - %3: x=%4 y=%5 (in table: %6), "
                               "counted x=%7 y=%8")
                    .arg(share.wrong)
                    .arg(nameOf(own), nameOf(foreign))
                    .arg(idx.x)
                    .arg(idx.y)
                    .arg(qrb::inTable(idx))
                    .arg(std::abs(own.column - foreign.column) + 1)
                    .arg(std::abs(own.row - foreign.row) + 1)));
        }
        pairs += share.pairs;
        scored += share.scored;
    }
    QCOMPARE(pairs, std::int64_t{kSquares} * kSquares);

    // Ordered pairs of lines (columns or rows) at most 39 apart: the 240 equal
    // pairs plus both orders of every pair d = 1..39 apart.
    std::int64_t nearLines = kLines;
    for (int d = 1; d <= 39; ++d) {
        nearLines += 2 * std::int64_t{kLines - d};
    }
    QCOMPARE(scored, nearLines * nearLines);
}

QTEST_APPLESS_MAIN(ExhSquarePairs)
#include "exh_square_pairs.moc"
