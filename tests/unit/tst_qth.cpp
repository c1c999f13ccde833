// SPDX-License-Identifier: GPL-3.0-or-later
// Check of an old QTH-Kenner and its conversion into a Maidenhead square.

#include "input/help_text.h"
#include "input/qth.h"

#include <QString>
#include <QTest>

namespace {

QString qs(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::u16string u16(const QString& text) {
    return text.toStdU16String();
}

// The square holding the area of column i and row j of the QTH-Kenner grid
// (i, j counted from the basic area's A, shifts included), worked out in whole
// numbers: the columns start at 0 degrees east, which is 90 two-degree squares
// east of 180 W, and the rows at 40 degrees north, 130 one-degree squares north
// of 90 S.
QString squareOfArea(int i, int j) {
    const int east = i + 90;
    const int north = j + 130;
    QString square;
    square += QChar(u'A' + east / 10);
    square += QChar(u'A' + north / 10);
    square += QChar(u'0' + east % 10);
    square += QChar(u'0' + north % 10);
    return square;
}

} // namespace

class TestQth : public QObject {
    Q_OBJECT

private slots:
    void everyArea_data();
    void everyArea();
    void workedExamples_data();
    void workedExamples();
    void checkQth_data();
    void checkQth();
    void shiftCharacters_data();
    void shiftCharacters();
    void helpExamples_data();
    void helpExamples();
};

void TestQth::everyArea_data() {
    QTest::addColumn<QString>("shifts"); // characters 5 and 6
    QTest::addColumn<int>("s");          // columns moved east
    QTest::addColumn<int>("t");          // rows moved north

    QTest::newRow("none") << "" << 0 << 0;
    QTest::newRow("west") << "-" << -26 << 0;
    QTest::newRow("east") << "+" << 26 << 0;
    QTest::newRow("south") << " -" << 0 << -26;
    QTest::newRow("north") << " +" << 0 << 26;
    QTest::newRow("south-west") << "--" << -26 << -26;
    QTest::newRow("north-west") << "-+" << -26 << 26;
    QTest::newRow("south-east") << "+-" << 26 << -26;
    QTest::newRow("north-east") << "++" << 26 << 26;
}

void TestQth::everyArea() {
    QFETCH(QString, shifts);
    QFETCH(int, s);
    QFETCH(int, t);

    for (int a = 0; a < 26; ++a) {
        for (int b = 0; b < 26; ++b) {
            // The two digits do not take part in the conversion; vary them anyway.
            QString kenner;
            kenner += QChar(u'A' + a);
            kenner += QChar(u'A' + b);
            kenner += QChar(u'0' + a % 10);
            kenner += QChar(u'0' + b % 10);
            kenner += shifts;

            const qrb::QthCheck check = qrb::checkQth(u16(kenner));
            QVERIFY2(!check.error, qPrintable(kenner));
            QCOMPARE(qs(check.text), kenner);
            const QString square = qs(qrb::qthToSquare(check.text));
            QVERIFY2(square == squareOfArea(a + s, b + t),
                     qPrintable(kenner + QStringLiteral(" -> ") + square +
                                QStringLiteral(", expected ") + squareOfArea(a + s, b + t)));
        }
    }
}

void TestQth::workedExamples_data() {
    QTest::addColumn<QString>("kenner");
    QTest::addColumn<QString>("square");

    QTest::newRow("DL47") << "DL47"
                          << "JO31";
    QTest::newRow("DL47-") << "DL47-"
                           << "GO71";
    QTest::newRow("DL47+") << "DL47+"
                           << "LO91";
    QTest::newRow("DL47 -") << "DL47 -"
                            << "JL35";
    QTest::newRow("DL47 +") << "DL47 +"
                            << "JQ37";
    QTest::newRow("DL47-+") << "DL47-+"
                            << "GQ77";
    QTest::newRow("DL47+-") << "DL47+-"
                            << "LL95";
    QTest::newRow("AA00") << "AA00"
                          << "JN00";
    QTest::newRow("EK13") << "EK13"
                          << "JO40";
    QTest::newRow("ZZ99") << "ZZ99"
                          << "LP55";
    QTest::newRow("ZZ99++") << "ZZ99++"
                            << "OS11";
    QTest::newRow("seventh ignored") << "DL47+-X"
                                     << "LL95";
    QTest::newRow("blanks around") << "  DL47  "
                                   << "JO31";
    QTest::newRow("blanks around shifts") << " DL47 - "
                                          << "JL35";
    QTest::newRow("south-west corner") << "AA00--"
                                       << "GK44";
}

void TestQth::workedExamples() {
    QFETCH(QString, kenner);
    QFETCH(QString, square);

    const qrb::QthCheck check = qrb::checkQth(u16(kenner));
    QVERIFY(!check.error);
    QCOMPARE(qs(qrb::qthToSquare(check.text)), square);
}

void TestQth::checkQth_data() {
    QTest::addColumn<QString>("kenner");
    QTest::addColumn<bool>("error");
    QTest::addColumn<QString>("trimmed");

    QTest::newRow("four characters") << "DL47" << false << "DL47";
    QTest::newRow("west") << "DL47-" << false << "DL47-";
    QTest::newRow("blank then north") << "DL47 +" << false << "DL47 +";
    QTest::newRow("both shifts") << "DL47+-" << false << "DL47+-";
    QTest::newRow("seventh not examined") << "DL47+-X" << false << "DL47+-X";
    QTest::newRow("blanks around") << "  DL47  " << false << "DL47";
    QTest::newRow("trailing blank after east") << "DL47+ " << false << "DL47+";
    QTest::newRow("Y and Z allowed") << "YZ00" << false << "YZ00";
    QTest::newRow("digits not demanded") << "DLAB" << false << "DLAB";
    QTest::newRow("three characters") << "DL4" << true << "DL4";
    QTest::newRow("empty") << "" << true << "";
    QTest::newRow("blanks only") << "      " << true << "";
    QTest::newRow("short after trimming") << "  DL4  " << true << "DL4";
    QTest::newRow("letter in fifth") << "DL47X" << true << "DL47X";
    QTest::newRow("blank in sixth") << "DL47  +" << true << "DL47  +";
    QTest::newRow("letter in sixth") << "DL47+X" << true << "DL47+X";
    QTest::newRow("shift in fourth") << "DL4+" << true << "DL4+";
    QTest::newRow("shift in third") << "DL-7" << true << "DL-7";
    QTest::newRow("shift in first") << "+L47" << true << "+L47";
    QTest::newRow("digit in second") << "D147" << true << "D147";
    QTest::newRow("lower case") << "dl47" << true << "dl47";
    QTest::newRow("lower case second") << "Dl47" << true << "Dl47";
    QTest::newRow("below A") << "@L47" << true << "@L47";
    QTest::newRow("above Z") << "D[47" << true << "D[47";
    QTest::newRow("tab in fifth") << "DL47\t+" << true << "DL47\t+";
    // Beyond the single-byte set every character is "?", whatever its low byte.
    QTest::newRow("wide letter with low byte A") << qs(u"\u0141L47") << true << qs(u"\u0141L47");
    QTest::newRow("wide digit with low byte +") << qs(u"DL4\u012B") << false << qs(u"DL4\u012B");
    QTest::newRow("wide fifth with low byte -") << qs(u"DL47\u012D") << true << qs(u"DL47\u012D");
    QTest::newRow("wide sixth with low byte +") << qs(u"DL47 \u012B") << true << qs(u"DL47 \u012B");
}

void TestQth::checkQth() {
    QFETCH(QString, kenner);
    QFETCH(bool, error);
    QFETCH(QString, trimmed);

    const qrb::QthCheck check = qrb::checkQth(u16(kenner));
    QCOMPARE(check.error, error);
    QCOMPARE(qs(check.text), trimmed);
}

void TestQth::shiftCharacters_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("square");

    // Only a real "+" or "-" shifts; anything else in places 5 and 6, or no
    // character there at all, leaves the area where it is.
    QTest::newRow("letters only") << "DL"
                                  << "JO31";
    QTest::newRow("no sixth") << "DL47-"
                              << "GO71";
    QTest::newRow("blank fifth only") << "DL47 "
                                      << "JO31";
    QTest::newRow("letter fifth") << "DL47X+"
                                  << "JQ37";
    QTest::newRow("letter sixth") << "DL47+X"
                                  << "LO91";
    QTest::newRow("wide signs") << qs(u"DL47\u012D\u012B") << "JO31";
    QTest::newRow("digits ignored") << "DL00"
                                    << "JO31";
    QTest::newRow("seventh ignored") << "DL47--+"
                                     << "GL75";
}

void TestQth::shiftCharacters() {
    QFETCH(QString, text);
    QFETCH(QString, square);
    QCOMPARE(qs(qrb::qthToSquare(u16(text))), square);
}

void TestQth::helpExamples_data() {
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("square");

    QTest::newRow("basic area") << 3 << "JO31";
    QTest::newRow("west") << 11 << "GO71";
    QTest::newRow("east") << 15 << "LO91";
    QTest::newRow("south") << 19 << "JL35";
    QTest::newRow("north") << 23 << "JQ37";
}

void TestQth::helpExamples() {
    QFETCH(int, line);
    QFETCH(QString, square);

    // The example in the help line, as the user would type it.
    const QString text = qs(qrb::kHelpLines.at(static_cast<std::size_t>(line - 1)));
    const qsizetype start = text.indexOf(u"z.B. ") + 5;
    const qsizetype end = text.lastIndexOf(u')');
    QVERIFY(start >= 5 && end > start);
    const QString example = text.mid(start, end - start);

    const qrb::QthCheck check = qrb::checkQth(u16(example));
    QVERIFY2(!check.error, qPrintable(example));
    QCOMPARE(qs(qrb::qthToSquare(check.text)), square);
}

QTEST_APPLESS_MAIN(TestQth)
#include "tst_qth.moc"
