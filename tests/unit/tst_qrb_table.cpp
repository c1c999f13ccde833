// SPDX-License-Identifier: GPL-3.0-or-later
// Checks the point table against a second, closed-form description of the
// award's points and checks the text listing of the table.

#include "scoring/qrb_table.h"

#include <QList>
#include <QString>
#include <QTest>
#include <array>
#include <string>
#include <vector>

using qrb::QrbTable;

namespace {

constexpr int kLast = 40;

// Points where both distances are at most 11 squares, typed in from the
// award's corner table: kCorner[y - 1][x - 1], x and y = 1..13.
constexpr std::array<std::array<int, 13>, 13> kCorner{{
    {1, 2, 3, 4, 5, 6, 8, 9, 10, 12, 13, 14, 16},
    {2, 2, 3, 4, 5, 6, 8, 9, 10, 12, 13, 14, 16},
    {3, 3, 3, 4, 5, 6, 8, 9, 10, 12, 13, 14, 16},
    {4, 4, 4, 5, 6, 7, 8, 9, 10, 12, 13, 14, 16},
    {5, 5, 5, 6, 6, 7, 8, 9, 10, 12, 13, 14, 16},
    {6, 6, 6, 7, 7, 7, 8, 9, 10, 12, 13, 14, 16},
    {7, 7, 7, 8, 8, 8, 9, 10, 11, 12, 13, 14, 16},
    {8, 8, 8, 9, 9, 9, 10, 10, 11, 12, 13, 14, 16},
    {9, 9, 9, 10, 10, 10, 11, 11, 11, 12, 13, 14, 16},
    {10, 10, 10, 11, 11, 11, 12, 12, 12, 13, 14, 15, 16},
    {11, 11, 11, 12, 12, 12, 13, 13, 13, 14, 14, 15, 16},
    {12, 12, 12, 13, 13, 13, 14, 14, 14, 15, 15, 15, 16},
    {13, 13, 13, 14, 14, 14, 15, 15, 15, 16, 16, 16, 16},
}};

// Bonus a longitude index earns on the cells where the latitude distance is larger.
int latitudeSideBonus(int x) {
    if (x <= 3) {
        return 0;
    }
    if (x <= 6) {
        return 1;
    }
    if (x <= 9) {
        return 2;
    }
    return 3;
}

// The award's points in closed form.
int expectedPoints(int x, int y) {
    if (y > x) {
        return y + latitudeSideBonus(x);
    }
    if (x >= 13) {
        return x + 3;
    }
    return kCorner[static_cast<std::size_t>(y - 1)][static_cast<std::size_t>(x - 1)];
}

QList<int> rowOf(const QrbTable& t, int y) {
    QList<int> values;
    for (int x = 1; x <= kLast; ++x) {
        values.append(t.at(x, y));
    }
    return values;
}

QList<int> diagonalOf(const QrbTable& t) {
    QList<int> values;
    for (int n = 1; n <= kLast; ++n) {
        values.append(t.at(n, n));
    }
    return values;
}

QList<int> columnOf(const QrbTable& t, int x) {
    QList<int> values;
    for (int y = 1; y <= kLast; ++y) {
        values.append(t.at(x, y));
    }
    return values;
}

// Appends `first`, `first + 1`, ... `last` each increased by `offset`.
void appendRun(QList<int>& values, int first, int last, int offset) {
    for (int n = first; n <= last; ++n) {
        values.append(n + offset);
    }
}

void appendRepeated(QList<int>& values, int value, int count) {
    for (int i = 0; i < count; ++i) {
        values.append(value);
    }
}

QString field(int n) {
    return QString::number(n).rightJustified(3, QLatin1Char(' '));
}

const QrbTable& pointTable() {
    static const QrbTable table = qrb::buildQrbTable();
    return table;
}

const std::vector<std::string>& listing() {
    static const std::vector<std::string> lines = qrb::tableListing(pointTable());
    return lines;
}

} // namespace

class TstQrbTable : public QObject {
    Q_OBJECT

private slots:
    void everyColumnMatchesClosedForm_data();
    void everyColumnMatchesClosedForm();
    void cornerMatchesTypedTable();
    void tellingCells_data();
    void tellingCells();
    void tellingLines_data();
    void tellingLines();
    void rowsTwoAndThreeFollowRowOne();
    void indexZeroCellsStayZero();
    void valuesLieBetweenOneAndFortyThree();
    void longitudeScoresAtLeastLatitude();
    void maximumAndMinimum();
    void rowsAndColumnsNeverDecrease();
    void innerBlockIsSymmetric();

    void listingShape_data();
    void listingShape();
    void listingBottomRowExactly();
    void listingTopRow();
    void listingCellsMatchTable();
};

void TstQrbTable::everyColumnMatchesClosedForm_data() {
    QTest::addColumn<int>("x");
    for (int x = 1; x <= kLast; ++x) {
        QTest::addRow("x=%d", x) << x;
    }
}

void TstQrbTable::everyColumnMatchesClosedForm() {
    QFETCH(int, x);
    QList<int> expected;
    for (int y = 1; y <= kLast; ++y) {
        expected.append(expectedPoints(x, y));
    }
    QCOMPARE(columnOf(pointTable(), x), expected);
}

void TstQrbTable::cornerMatchesTypedTable() {
    // The typed-in corner also covers cells above the diagonal and the x = 13
    // column, which the closed form describes by formula.
    for (int y = 1; y <= 13; ++y) {
        for (int x = 1; x <= 13; ++x) {
            const int typed =
                kCorner[static_cast<std::size_t>(y - 1)][static_cast<std::size_t>(x - 1)];
            QVERIFY2(pointTable().at(x, y) == typed,
                     qPrintable(QStringLiteral("(%1, %2): %3 instead of %4")
                                    .arg(x)
                                    .arg(y)
                                    .arg(pointTable().at(x, y))
                                    .arg(typed)));
        }
    }
}

void TstQrbTable::tellingCells_data() {
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("points");

    QTest::newRow("same square") << 1 << 1 << 1;
    QTest::newRow("one east") << 2 << 1 << 2;
    QTest::newRow("one north") << 1 << 2 << 2;
    QTest::newRow("first jump of two") << 7 << 1 << 8;
    QTest::newRow("second jump of two") << 10 << 1 << 12;
    QTest::newRow("third jump of two") << 13 << 1 << 16;
    QTest::newRow("fixed 8/8") << 8 << 8 << 10;
    QTest::newRow("fixed 9/8") << 9 << 8 << 11;
    QTest::newRow("fixed 9/9") << 9 << 9 << 11;
    QTest::newRow("fixed 11/11") << 11 << 11 << 14;
    QTest::newRow("fixed 12/11") << 12 << 11 << 15;
    QTest::newRow("fixed 12/12") << 12 << 12 << 15;
    QTest::newRow("mirror 8/9") << 8 << 9 << 11;
    QTest::newRow("mirror 11/12") << 11 << 12 << 15;
    QTest::newRow("east 20") << 20 << 1 << 23;
    QTest::newRow("north 20") << 1 << 20 << 20;
    QTest::newRow("east 40") << 40 << 1 << 43;
    QTest::newRow("north 40") << 1 << 40 << 40;
    QTest::newRow("far corner") << 40 << 40 << 43;
    QTest::newRow("above diagonal from 13") << 13 << 14 << 17;
    QTest::newRow("below diagonal at 13") << 13 << 12 << 16;
    QTest::newRow("step 2 start") << 4 << 4 << 5;
    QTest::newRow("step 2 below start") << 4 << 3 << 4;
    QTest::newRow("step 3 single add") << 7 << 7 << 9;
    QTest::newRow("step 3 below start") << 7 << 6 << 8;
    QTest::newRow("step 5 single add") << 10 << 10 << 13;
    QTest::newRow("step 5 below start") << 10 << 9 << 12;
}

void TstQrbTable::tellingCells() {
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, points);
    QCOMPARE(int(pointTable().at(x, y)), points);
}

void TstQrbTable::tellingLines_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("index");
    QTest::addColumn<QList<int>>("expected");

    QList<int> row1{1, 2, 3, 4, 5, 6, 8, 9, 10, 12, 13, 14, 16};
    appendRun(row1, 14, 40, 3);
    QTest::newRow("row y=1") << QStringLiteral("row") << 1 << row1;

    QList<int> col1;
    appendRun(col1, 1, 40, 0);
    QTest::newRow("column x=1") << QStringLiteral("column") << 1 << col1;

    QList<int> col2{2, 2};
    appendRun(col2, 3, 40, 0);
    QTest::newRow("column x=2") << QStringLiteral("column") << 2 << col2;

    QList<int> row10{10, 10, 10, 11, 11, 11, 12, 12, 12, 13, 14, 15, 16};
    appendRun(row10, 14, 40, 3);
    QTest::newRow("row y=10") << QStringLiteral("row") << 10 << row10;

    QList<int> col10;
    appendRepeated(col10, 12, 9);
    col10.append(13);
    appendRun(col10, 11, 40, 3);
    QTest::newRow("column x=10") << QStringLiteral("column") << 10 << col10;

    QList<int> row20{20, 20, 20, 21, 21, 21, 22, 22, 22};
    appendRepeated(row20, 23, 11);
    appendRun(row20, 21, 40, 3);
    QTest::newRow("row y=20") << QStringLiteral("row") << 20 << row20;

    QList<int> col20;
    appendRepeated(col20, 23, 20);
    appendRun(col20, 21, 40, 3);
    QTest::newRow("column x=20") << QStringLiteral("column") << 20 << col20;

    QList<int> row40{40, 40, 40, 41, 41, 41, 42, 42, 42};
    appendRepeated(row40, 43, 31);
    QTest::newRow("row y=40") << QStringLiteral("row") << 40 << row40;

    QList<int> col40;
    appendRepeated(col40, 43, 40);
    QTest::newRow("column x=40") << QStringLiteral("column") << 40 << col40;

    QList<int> diagonal{1, 2, 3, 5, 6, 7, 9, 10, 11};
    appendRun(diagonal, 10, 40, 3);
    QTest::newRow("diagonal") << QStringLiteral("diagonal") << 0 << diagonal;
}

void TstQrbTable::tellingLines() {
    QFETCH(QString, kind);
    QFETCH(int, index);
    QFETCH(QList<int>, expected);
    QCOMPARE(expected.size(), kLast);
    QList<int> actual;
    if (kind == QLatin1String("row")) {
        actual = rowOf(pointTable(), index);
    } else if (kind == QLatin1String("column")) {
        actual = columnOf(pointTable(), index);
    } else {
        actual = diagonalOf(pointTable());
    }
    QCOMPARE(actual, expected);
}

void TstQrbTable::rowsTwoAndThreeFollowRowOne() {
    for (int y = 2; y <= 3; ++y) {
        QList<int> expected = rowOf(pointTable(), 1);
        expected[0] = y; // (1, 2) = 2 and (1, 3) = 3
        if (y == 3) {
            expected[1] = 3; // (2, 3) = 3
        }
        QCOMPARE(rowOf(pointTable(), y), expected);
    }
}

void TstQrbTable::indexZeroCellsStayZero() {
    for (int n = 0; n < QrbTable::kSize; ++n) {
        QCOMPARE(int(pointTable().at(0, n)), 0);
        QCOMPARE(int(pointTable().at(n, 0)), 0);
    }
}

void TstQrbTable::valuesLieBetweenOneAndFortyThree() {
    for (int x = 1; x <= kLast; ++x) {
        for (int y = 1; y <= kLast; ++y) {
            QVERIFY(pointTable().at(x, y) >= 1);
            QVERIFY(pointTable().at(x, y) <= 43);
        }
    }
}

void TstQrbTable::longitudeScoresAtLeastLatitude() {
    int differing = 0;
    for (int x = 2; x <= kLast; ++x) {
        for (int y = 1; y < x; ++y) {
            QVERIFY2(pointTable().at(x, y) >= pointTable().at(y, x),
                     qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
            if (pointTable().at(x, y) != pointTable().at(y, x)) {
                ++differing;
            } else {
                // At 12 or more longitude squares against at most 8 latitude
                // squares, the longitude side always scores more.
                QVERIFY2(!(x >= 13 && y <= 9),
                         qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
            }
        }
    }
    QCOMPARE(differing, 279);
}

void TstQrbTable::maximumAndMinimum() {
    int maxCount = 0;
    int minCount = 0;
    for (int x = 1; x <= kLast; ++x) {
        for (int y = 1; y <= kLast; ++y) {
            const bool expectMax = x == kLast || (y == kLast && x >= 10);
            QCOMPARE(pointTable().at(x, y) == 43, expectMax);
            maxCount += pointTable().at(x, y) == 43 ? 1 : 0;
            minCount += pointTable().at(x, y) == 1 ? 1 : 0;
        }
    }
    QCOMPARE(maxCount, 70);
    QCOMPARE(minCount, 1);
    QCOMPARE(int(pointTable().at(1, 1)), 1);
}

void TstQrbTable::rowsAndColumnsNeverDecrease() {
    for (int a = 1; a <= kLast; ++a) {
        for (int b = 2; b <= kLast; ++b) {
            QVERIFY2(pointTable().at(b, a) >= pointTable().at(b - 1, a),
                     qPrintable(QStringLiteral("row %1 at x=%2").arg(a).arg(b)));
            QVERIFY2(pointTable().at(a, b) >= pointTable().at(a, b - 1),
                     qPrintable(QStringLiteral("column %1 at y=%2").arg(a).arg(b)));
        }
    }
}

void TstQrbTable::innerBlockIsSymmetric() {
    for (int x = 7; x <= 12; ++x) {
        for (int y = 7; y <= 12; ++y) {
            QCOMPARE(pointTable().at(x, y), pointTable().at(y, x));
        }
    }
}

void TstQrbTable::listingShape_data() {
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("prefix");

    for (int i = 0; i < kLast; ++i) {
        const int y = kLast - i;
        QTest::addRow("table line y=%d", y) << i << 126 << field(y) + QStringLiteral(" | ");
    }
    QTest::newRow("rule line") << 40 << 120 << QStringLiteral("  _  _");
    QTest::newRow("axis line") << 41 << 126 << QStringLiteral("        1  2  3");
}

void TstQrbTable::listingShape() {
    QFETCH(int, line);
    QFETCH(int, length);
    QFETCH(QString, prefix);
    QCOMPARE(listing().size(), std::size_t{42});
    const QString text = QString::fromStdString(listing()[static_cast<std::size_t>(line)]);
    QCOMPARE(text.size(), length);
    QVERIFY2(text.startsWith(prefix), qPrintable(text));
}

void TstQrbTable::listingBottomRowExactly() {
    QCOMPARE(listing().size(), std::size_t{42});
    QCOMPARE(QString::fromStdString(listing()[39]),
             QStringLiteral("  1 |   1  2  3  4  5  6  8  9 10 12 13 14 16 17 18 19 20 21 22 23 24 "
                            "25 26 27 28 29 30 31 32 33 34 35 36 37 38 39 40 41 42 43"));

    QString rule;
    QString axis = QStringLiteral("      ");
    for (int n = 1; n <= kLast; ++n) {
        rule += QStringLiteral("  _");
        axis += field(n);
    }
    QCOMPARE(QString::fromStdString(listing()[40]), rule);
    QCOMPARE(QString::fromStdString(listing()[41]), axis);
}

void TstQrbTable::listingTopRow() {
    QCOMPARE(listing().size(), std::size_t{42});
    QString expected = QStringLiteral(" 40 |  40 40 40 41 41 41 42 42 42");
    for (int i = 0; i < 31; ++i) {
        expected += QStringLiteral(" 43");
    }
    QCOMPARE(QString::fromStdString(listing()[0]), expected);
}

void TstQrbTable::listingCellsMatchTable() {
    QCOMPARE(listing().size(), std::size_t{42});
    for (int i = 0; i < kLast; ++i) {
        const int y = kLast - i;
        const QString text = QString::fromStdString(listing()[static_cast<std::size_t>(i)]);
        for (int x = 1; x <= kLast; ++x) {
            const QString cell = text.mid(6 + 3 * (x - 1), 3);
            QCOMPARE(cell, field(pointTable().at(x, y)));
        }
    }
}

QTEST_APPLESS_MAIN(TstQrbTable)
#include "tst_qrb_table.moc"
