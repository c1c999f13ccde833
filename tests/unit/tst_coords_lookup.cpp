// SPDX-License-Identifier: GPL-3.0-or-later
// Locator to coordinates and the square distances derived from two locators.

#include "scoring/coords.h"
#include "scoring/lookup.h"
#include "scoring/qrb_table.h"
#include "scoring/score.h"

#include <QString>
#include <QTest>
#include <cmath>
#include <limits>
#include <string>

using qrb::Coords;
using qrb::SquareIndices;

namespace {

constexpr int kOutOfRange = -1;

Coords convert(const QString& locator) {
    return qrb::locatorToCoords(locator.toStdU16String());
}

const qrb::QrbTable& pointTable() {
    static const qrb::QrbTable table = qrb::buildQrbTable();
    return table;
}

// The contact between two locators through the one scoring path.
qrb::SquareScore scoreBetween(const QString& own, const QString& foreign) {
    return qrb::scoreSquares(pointTable(), own.toStdU16String(), foreign.toStdU16String());
}

// Points for a contact between two locators, or kOutOfRange.
int pointsBetween(const QString& own, const QString& foreign) {
    const qrb::SquareScore score = scoreBetween(own, foreign);
    return score.scored() ? score.points : kOutOfRange;
}

QString describe(float value) {
    return QString::number(double(value), 'g', 25);
}

bool sameCoords(Coords a, Coords b) {
    return a.laenge == b.laenge && a.breite == b.breite;
}

QString describe(Coords c) {
    return QStringLiteral("(%1, %2)").arg(describe(c.laenge), describe(c.breite));
}

QString withCharAt(QString text, int pos, char16_t c) {
    text[pos] = QChar(c);
    return text;
}

} // namespace

class TstCoordsLookup : public QObject {
    Q_OBJECT

private slots:
    void exactCoordinates_data();
    void exactCoordinates();
    void sameCoordinatesAs_data();
    void sameCoordinatesAs();
    void subSquareLettersMove_data();
    void subSquareLettersMove();
    void everyCodeStepsByItsUnit_data();
    void everyCodeStepsByItsUnit();

    void roundingOfDifferences_data();
    void roundingOfDifferences();
    void unusableCoordinatesLieOutsideTable_data();
    void unusableCoordinatesLieOutsideTable();
    void inTableLimits_data();
    void inTableLimits();
    void fourBlanks_data();
    void fourBlanks();
    void shortFieldsAreNotConverted_data();
    void shortFieldsAreNotConverted();

    void lookupExamples_data();
    void lookupExamples();
    void commonSubSquareDoesNotMatter_data();
    void commonSubSquareDoesNotMatter();
    void extremeCodesStayDefined();
};

void TstCoordsLookup::exactCoordinates_data() {
    QTest::addColumn<QString>("locator");
    QTest::addColumn<double>("laenge");
    QTest::addColumn<double>("breite");

    // Nearest 32-bit floats of the exact sub-square centres.
    QTest::newRow("JO62QM") << QStringLiteral("JO62QM") << 13.375 << 52.520832061767578125;
    QTest::newRow("AA00AA") << QStringLiteral("AA00AA") << -179.9583282470703125
                            << -89.97916412353515625;
    QTest::newRow("JO62MM") << QStringLiteral("JO62MM") << 13.04166698455810546875
                            << 52.520832061767578125;
    QTest::newRow("RR99XX") << QStringLiteral("RR99XX") << 179.9583282470703125
                            << 89.97916412353515625;
    QTest::newRow("XX99XX") << QStringLiteral("XX99XX") << 299.958343505859375
                            << 149.9791717529296875;
    // Here the sub-square centre rounded to a float on its own, before the sum,
    // would end one float step off in both coordinates.
    QTest::newRow("II88MM") << QStringLiteral("II88MM") << -2.9583332538604736328125
                            << -1.47916662693023681640625;
    // Field J begins at the zero meridian and at the equator.
    QTest::newRow("JJ00AA") << QStringLiteral("JJ00AA") << 0.0416666679084300994873046875
                            << 0.02083333395421504974365234375;
}

void TstCoordsLookup::exactCoordinates() {
    QFETCH(QString, locator);
    QFETCH(double, laenge);
    QFETCH(double, breite);
    const Coords c = convert(locator);
    // The expected values are exact floats, so the comparison is exact, too.
    QVERIFY2(double(c.laenge) == laenge, qPrintable(describe(c.laenge)));
    QVERIFY2(double(c.breite) == breite, qPrintable(describe(c.breite)));
}

void TstCoordsLookup::sameCoordinatesAs_data() {
    QTest::addColumn<QString>("locator");
    QTest::addColumn<QString>("equivalent");

    QTest::newRow("two characters after the sixth")
        << QStringLiteral("JO62QMAB") << QStringLiteral("JO62QM");
    QTest::newRow("digits after the sixth")
        << QStringLiteral("AA00AA99") << QStringLiteral("AA00AA");
    QTest::newRow("wide character after the sixth")
        << QStringLiteral("JO62QM") + QChar(0x20AC) << QStringLiteral("JO62QM");
    QTest::newRow("four characters") << QStringLiteral("JO62") << QStringLiteral("JO62  ");
    QTest::newRow("five characters") << QStringLiteral("JO62Q") << QStringLiteral("JO62Q ");
    QTest::newRow("one character") << QStringLiteral("J") << QStringLiteral("J     ");
    QTest::newRow("empty") << QString() << QStringLiteral("      ");
    for (int pos = 0; pos < 6; ++pos) {
        const QString base = QStringLiteral("JO62QM");
        QTest::addRow("code 256 at %d", pos + 1)
            << withCharAt(base, pos, 0x0100) << withCharAt(base, pos, u'?');
        QTest::addRow("euro sign at %d", pos + 1)
            << withCharAt(base, pos, 0x20AC) << withCharAt(base, pos, u'?');
        QTest::addRow("code 65535 at %d", pos + 1)
            << withCharAt(base, pos, 0xFFFF) << withCharAt(base, pos, u'?');
    }
}

void TstCoordsLookup::sameCoordinatesAs() {
    QFETCH(QString, locator);
    QFETCH(QString, equivalent);
    const Coords a = convert(locator);
    const Coords b = convert(equivalent);
    QVERIFY2(sameCoords(a, b), qPrintable(describe(a) + QStringLiteral(" vs ") + describe(b)));
}

void TstCoordsLookup::subSquareLettersMove_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<double>("eastMinutes");
    QTest::addColumn<double>("northMinutes");

    QTest::newRow("one letter east")
        << QStringLiteral("JO62QM") << QStringLiteral("JO62RM") << 5.0 << 0.0;
    QTest::newRow("one letter north")
        << QStringLiteral("JO62QM") << QStringLiteral("JO62QN") << 0.0 << 2.5;
    QTest::newRow("back one each")
        << QStringLiteral("JO62MM") << QStringLiteral("JO62LL") << -5.0 << -2.5;
    QTest::newRow("across the square")
        << QStringLiteral("AA00AA") << QStringLiteral("AA00XX") << 115.0 << 57.5;
    QTest::newRow("beyond X") << QStringLiteral("JO62XX") << QStringLiteral("JO62ZZ") << 10.0
                              << 5.0;
}

void TstCoordsLookup::subSquareLettersMove() {
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(double, eastMinutes);
    QFETCH(double, northMinutes);
    const Coords a = convert(from);
    const Coords b = convert(to);
    // Each float is within a few millionths of a degree of the true centre.
    const double tolerance = 1e-3;
    const double east = (double(b.laenge) - a.laenge) * 60.0;
    const double north = (double(b.breite) - a.breite) * 60.0;
    QVERIFY2(std::fabs(east - eastMinutes) < tolerance, qPrintable(QString::number(east, 'g', 17)));
    QVERIFY2(std::fabs(north - northMinutes) < tolerance,
             qPrintable(QString::number(north, 'g', 17)));
}

void TstCoordsLookup::everyCodeStepsByItsUnit_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<bool>("longitude");
    QTest::addColumn<double>("unit");

    QTest::newRow("field east") << 0 << true << 20.0;
    QTest::newRow("field north") << 1 << false << 10.0;
    QTest::newRow("square east") << 2 << true << 2.0;
    QTest::newRow("square north") << 3 << false << 1.0;
    QTest::newRow("sub-square east") << 4 << true << 5.0 / 60.0;
    QTest::newRow("sub-square north") << 5 << false << 2.5 / 60.0;
}

void TstCoordsLookup::everyCodeStepsByItsUnit() {
    QFETCH(int, position);
    QFETCH(bool, longitude);
    QFETCH(double, unit);

    // Every single-byte code is converted by the same straight-line rule, so
    // the next code moves the centre by one unit. The only break is in the
    // longitude field: from "A" on, the fields are counted from 180 degrees
    // west, so "@" (the code before "A") lies 340 degrees east of "A".
    const QString base = QStringLiteral("JO62MM");
    for (int code = 0; code < 255; ++code) {
        const Coords a = convert(withCharAt(base, position, char16_t(code)));
        const Coords b = convert(withCharAt(base, position, char16_t(code + 1)));
        const double moved = longitude ? double(b.laenge) - a.laenge : double(b.breite) - a.breite;
        const bool unchanged = longitude ? a.breite == b.breite : a.laenge == b.laenge;
        const double expected = (position == 0 && code == 64) ? -340.0 : unit;
        QVERIFY2(std::fabs(moved - expected) < 1e-3,
                 qPrintable(QStringLiteral("code %1: %2").arg(code).arg(moved, 0, 'g', 17)));
        QVERIFY2(unchanged, qPrintable(QStringLiteral("code %1").arg(code)));
    }
}

void TstCoordsLookup::roundingOfDifferences_data() {
    QTest::addColumn<float>("lon1");
    QTest::addColumn<float>("lon2");
    QTest::addColumn<float>("lat1");
    QTest::addColumn<float>("lat2");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");

    QTest::newRow("same point") << 7.0F << 7.0F << 3.0F << 3.0F << 1 << 1;
    QTest::newRow("half goes down to 0") << 0.5F << 0.0F << 0.0F << 0.5F << 1 << 1;
    QTest::newRow("1.5 goes up to 2") << 1.5F << 0.0F << 0.0F << 1.5F << 2 << 3;
    QTest::newRow("2.5 goes down to 2") << 0.0F << 2.5F << 2.5F << 0.0F << 2 << 3;
    QTest::newRow("3.5 goes up to 4") << 3.5F << 0.0F << 0.0F << 3.5F << 3 << 5;
    QTest::newRow("just below half") << 0.0F << 0.49999F << 0.49999F << 0.0F << 1 << 1;
    QTest::newRow("just above half") << 0.0F << 0.50001F << 0.50001F << 0.0F << 1 << 2;
    QTest::newRow("a little short of 14") << 13.99999F << 0.0F << 13.99999F << 0.0F << 8 << 15;
    QTest::newRow("a little over 14") << 0.0F << 14.00001F << 14.00001F << 0.0F << 8 << 15;
    // 63.49999994 and 37.49999994 in double; a float difference would already
    // have rounded them to 63.5 and 37.5.
    QTest::newRow("difference taken in double")
        << 64.0F << 0.50000006F << 0.50000006F << 38.0F << 32 << 38;
    QTest::newRow("odd degrees of longitude") << 10.0F << -9.0F << 0.0F << 0.0F << 10 << 1;
    QTest::newRow("78 degrees") << -39.0F << 39.0F << 0.0F << 0.0F << 40 << 1;
    QTest::newRow("79 degrees") << -39.5F << 39.5F << 0.0F << 0.0F << 40 << 1;
    QTest::newRow("80 degrees") << 0.0F << 80.0F << 0.0F << 0.0F << 41 << 1;
    QTest::newRow("39 degrees") << 0.0F << 0.0F << 0.0F << -39.0F << 1 << 40;
    QTest::newRow("40 degrees") << 0.0F << 0.0F << 20.0F << -20.0F << 1 << 41;
    QTest::newRow("float rounding of a large difference")
        << 299.958343505859375F << -179.9583282470703125F << 149.9791717529296875F
        << -89.97916412353515625F << 241 << 241;
}

void TstCoordsLookup::roundingOfDifferences() {
    QFETCH(float, lon1);
    QFETCH(float, lon2);
    QFETCH(float, lat1);
    QFETCH(float, lat2);
    QFETCH(int, x);
    QFETCH(int, y);

    const SquareIndices idx = qrb::squareIndices(Coords{lon1, lat1}, Coords{lon2, lat2});
    QCOMPARE(idx.x, x);
    QCOMPARE(idx.y, y);
    const SquareIndices swapped = qrb::squareIndices(Coords{lon2, lat2}, Coords{lon1, lat1});
    QCOMPARE(swapped.x, x);
    QCOMPARE(swapped.y, y);
}

void TstCoordsLookup::unusableCoordinatesLieOutsideTable_data() {
    QTest::addColumn<float>("lon");
    QTest::addColumn<float>("lat");

    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    QTest::newRow("largest float") << std::numeric_limits<float>::max() << 0.0F;
    QTest::newRow("infinite longitude") << inf << 0.0F;
    QTest::newRow("infinite latitude") << 0.0F << -inf;
    QTest::newRow("NaN longitude") << nan << 0.0F;
    QTest::newRow("NaN latitude") << 0.0F << nan;
}

void TstCoordsLookup::unusableCoordinatesLieOutsideTable() {
    QFETCH(float, lon);
    QFETCH(float, lat);
    const SquareIndices idx = qrb::squareIndices(Coords{lon, lat}, Coords{});
    QVERIFY(!qrb::inTable(idx));
    QVERIFY(idx.x >= 1);
    QVERIFY(idx.y >= 1);
}

void TstCoordsLookup::inTableLimits_data() {
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<bool>("inside");

    QTest::newRow("1/1") << 1 << 1 << true;
    QTest::newRow("40/40") << 40 << 40 << true;
    QTest::newRow("40/1") << 40 << 1 << true;
    QTest::newRow("1/40") << 1 << 40 << true;
    QTest::newRow("41/1") << 41 << 1 << false;
    QTest::newRow("1/41") << 1 << 41 << false;
    QTest::newRow("41/41") << 41 << 41 << false;
    QTest::newRow("far") << 2626 << 2806 << false;
}

void TstCoordsLookup::inTableLimits() {
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(bool, inside);
    QCOMPARE(qrb::inTable(SquareIndices{x, y}), inside);
}

void TstCoordsLookup::fourBlanks_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("blank");

    QTest::newRow("four blanks") << QStringLiteral("    ") << true;
    QTest::newRow("six blanks") << QStringLiteral("      ") << true;
    QTest::newRow("four blanks then text") << QStringLiteral("    MM") << true;
    QTest::newRow("three blanks") << QStringLiteral("   ") << false;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("square") << QStringLiteral("JO62") << false;
    QTest::newRow("leading blank") << QStringLiteral(" O62") << false;
    QTest::newRow("trailing letter in fourth place") << QStringLiteral("   X") << false;
    QTest::newRow("tab") << QStringLiteral("\t   ") << false;
    QTest::newRow("no-break space") << QStringLiteral("   ") + QChar(0x00A0) << false;
}

void TstCoordsLookup::fourBlanks() {
    QFETCH(QString, text);
    QFETCH(bool, blank);
    QCOMPARE(qrb::startsWithFourBlanks(text.toStdU16String()), blank);
}

void TstCoordsLookup::shortFieldsAreNotConverted_data() {
    QTest::addColumn<QString>("own");
    QTest::addColumn<QString>("foreign");
    QTest::addColumn<int>("why");

    const int shortOwn = int(qrb::NoPoints::ShortOwn);
    const int shortForeign = int(qrb::NoPoints::ShortForeign);
    QTest::newRow("own of three") << QStringLiteral("JO6") << QStringLiteral("JO62") << shortOwn;
    QTest::newRow("own empty") << QString() << QStringLiteral("    ") << shortOwn;
    QTest::newRow("foreign of three")
        << QStringLiteral("JO62") << QStringLiteral("JO7") << shortForeign;
    QTest::newRow("three blanks") << QStringLiteral("JO62") << QStringLiteral("   ")
                                  << shortForeign;
    QTest::newRow("both short, the foreign named")
        << QStringLiteral("J") << QString() << shortForeign;
}

void TstCoordsLookup::shortFieldsAreNotConverted() {
    QFETCH(QString, own);
    QFETCH(QString, foreign);
    QFETCH(int, why);
    const qrb::SquareScore score = scoreBetween(own, foreign);
    QCOMPARE(int(score.why), why);
    QVERIFY(!score.converted);
    QVERIFY(!score.scored());
}

void TstCoordsLookup::lookupExamples_data() {
    QTest::addColumn<QString>("own");
    QTest::addColumn<QString>("foreign");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("points");

    const QString jo62 = QStringLiteral("JO62");
    QTest::newRow("same square") << jo62 << jo62 << 1 << 1 << 1;
    QTest::newRow("JO73") << jo62 << QStringLiteral("JO73") << 2 << 2 << 2;
    QTest::newRow("JN58") << jo62 << QStringLiteral("JN58") << 2 << 5 << 5;
    QTest::newRow("IO91") << jo62 << QStringLiteral("IO91") << 8 << 2 << 9;
    QTest::newRow("KM72") << jo62 << QStringLiteral("KM72") << 12 << 21 << 24;
    QTest::newRow("NO52, 39 squares east") << jo62 << QStringLiteral("NO52") << 40 << 1 << 43;
    QTest::newRow("JK63, 39 squares south") << jo62 << QStringLiteral("JK63") << 1 << 40 << 40;
    QTest::newRow("NO62, 40 squares east")
        << jo62 << QStringLiteral("NO62") << 41 << 1 << kOutOfRange;
    QTest::newRow("JK62, 40 squares south")
        << jo62 << QStringLiteral("JK62") << 1 << 41 << kOutOfRange;
    QTest::newRow("FN31") << jo62 << QStringLiteral("FN31") << 44 << 12 << kOutOfRange;
    QTest::newRow("own and foreign swapped") << QStringLiteral("IO91") << jo62 << 8 << 2 << 9;
    QTest::newRow("FO72, 39 squares west") << jo62 << QStringLiteral("FO72") << 40 << 1 << 43;
    QTest::newRow("FO61, 40 squares west")
        << jo62 << QStringLiteral("FO61") << 41 << 2 << kOutOfRange;
    QTest::newRow("JO62QM counts as JO62")
        << QStringLiteral("JO62QM") << QStringLiteral("IO91") << 8 << 2 << 9;
    QTest::newRow("JO62AA counts as JO62")
        << QStringLiteral("IO91XX") << QStringLiteral("JO62AA") << 8 << 2 << 9;
    QTest::newRow("across the 180 degree meridian, no wrap")
        << QStringLiteral("AA00") << QStringLiteral("RA90") << 180 << 1 << kOutOfRange;
    QTest::newRow("field letters beyond R")
        << QStringLiteral("SS00") << QStringLiteral("RR99") << 2 << 2 << 2;
}

void TstCoordsLookup::lookupExamples() {
    QFETCH(QString, own);
    QFETCH(QString, foreign);
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, points);

    const qrb::SquareScore score = scoreBetween(own, foreign);
    QVERIFY(score.converted);
    QCOMPARE(score.indices.x, x);
    QCOMPARE(score.indices.y, y);
    QCOMPARE(pointsBetween(own, foreign), points);

    // The order of the two stations does not matter.
    const qrb::SquareScore swapped = scoreBetween(foreign, own);
    QCOMPARE(swapped.indices.x, x);
    QCOMPARE(swapped.indices.y, y);
    QCOMPARE(pointsBetween(foreign, own), points);

    // A foreign field of four blanks scores nothing, whatever the own square.
    QCOMPARE(pointsBetween(own, QStringLiteral("    ")), 0);
}

void TstCoordsLookup::commonSubSquareDoesNotMatter_data() {
    QTest::addColumn<QString>("own");
    QTest::addColumn<QString>("foreign");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");

    QTest::newRow("JO62 IO91") << QStringLiteral("JO62") << QStringLiteral("IO91") << 8 << 2;
    QTest::newRow("JO62 KM72") << QStringLiteral("JO62") << QStringLiteral("KM72") << 12 << 21;
    QTest::newRow("JO62 NO52") << QStringLiteral("JO62") << QStringLiteral("NO52") << 40 << 1;
    QTest::newRow("JO62 JK63") << QStringLiteral("JO62") << QStringLiteral("JK63") << 1 << 40;
    QTest::newRow("AA00 RR99") << QStringLiteral("AA00") << QStringLiteral("RR99") << 180 << 180;
    QTest::newRow("AA00 XX99") << QStringLiteral("AA00") << QStringLiteral("XX99") << 240 << 240;
    QTest::newRow("QQ44 QQ45") << QStringLiteral("QQ44") << QStringLiteral("QQ45") << 1 << 2;
}

void TstCoordsLookup::commonSubSquareDoesNotMatter() {
    QFETCH(QString, own);
    QFETCH(QString, foreign);
    QFETCH(int, x);
    QFETCH(int, y);

    // Whatever sub-square both locators share, the centres differ by whole
    // squares up to the float rounding, and the indices come out the same.
    for (char16_t east = u'A'; east <= u'X'; ++east) {
        for (char16_t north = u'A'; north <= u'X'; ++north) {
            const QString sub = QString(QChar(east)) + QChar(north);
            const SquareIndices idx =
                qrb::squareIndices(convert(own + sub), convert(foreign + sub));
            QVERIFY2(idx.x == x && idx.y == y,
                     qPrintable(sub + QStringLiteral(": %1/%2").arg(idx.x).arg(idx.y)));
        }
    }
}

void TstCoordsLookup::extremeCodesStayDefined() {
    // The lowest and highest single-byte codes in every position lie far
    // apart and far outside the table in both directions.
    const QString low(6, QChar(0));
    const QString high(6, QChar(0xFF));
    const SquareIndices idx = qrb::squareIndices(convert(low), convert(high));
    QVERIFY(idx.x > 40);
    QVERIFY(idx.y > 40);
    QVERIFY(!qrb::inTable(idx));
}

QTEST_APPLESS_MAIN(TstCoordsLookup)
#include "tst_coords_lookup.moc"
