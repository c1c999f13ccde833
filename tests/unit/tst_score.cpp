// SPDX-License-Identifier: GPL-3.0-or-later
// Scoring logbook contacts by the window's rules, and the CSV and text forms
// of the result.

#include "output/page_layout.h"
#include "report/contact.h"
#include "report/csv_writer.h"
#include "report/date_time.h"
#include "report/output_buffer.h"
#include "report/report.h"
#include "report/run.h"
#include "report/scratch.h"
#include "report/text_log.h"
#include "scoring/score.h"

#include <QByteArray>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTest>
#include <cerrno>

using qrb::logbook::Format;
using qrb::logbook::Record;
using qrb::report::ContactScore;
using qrb::report::Skip;

namespace {

std::string bytes(const QByteArray& text) {
    return text.toStdString();
}

QString text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// Collects the text log.
class Lines : public qrb::report::LineSink {
public:
    void line(std::string_view line) override { lines << text(line); }
    QStringList lines;
};

ContactScore scored(const char* own, const char* loc, int band, int pkt, int mul) {
    ContactScore c;
    c.scored = true;
    c.own = own;
    c.loc = loc;
    c.band = band;
    c.pkt = static_cast<std::int16_t>(pkt);
    c.mul = static_cast<std::int16_t>(mul);
    c.qrb = pkt * mul;
    return c;
}

ContactScore skipped(const char* own, const char* loc, int band, Skip why) {
    ContactScore c;
    c.own = own;
    c.loc = loc;
    c.band = band;
    c.reason = why;
    return c;
}

Record record(std::size_t number, const char* call) {
    Record r;
    r.number = number;
    r.call = call;
    r.date = "20240506";
    r.time = "1234";
    return r;
}

// One contact for the text log tests: own square, foreign square, band,
// points; an empty own square stands for a skipped contact.
struct Entry {
    const char* own;
    const char* loc;
    int band;
    int pkt;
    const char* call = "DL1ABC";
    const char* qsl = "";  // QSL_RCVD
    const char* date = ""; // QSO_DATE, when not the usual one
};

// Four contacts from two own squares, interleaved, and one skipped.
const std::vector<Entry> kTwoOwn{
    {"JO62", "JO73", 2, 2}, {"JN58", "JN58", 1, 1}, {"", "", 0, 0}, {"JO62", "IO91", 0, 9}};

QStringList writeTextLog(const std::vector<Entry>& entries, std::uint64_t budget) {
    Lines lines;
    qrb::report::Report report({}, true);
    qrb::report::MemoryScratch scratch;
    qrb::report::TextLog log(lines, report, scratch);
    log.setMemoryBudget(budget);
    report.beginFile("a.adi");
    log.beginFile("a.adi");
    std::size_t number = 0;
    qrb::report::Marks marks;
    for (const Entry& e : entries) {
        ++number;
        Record r = record(number, e.call);
        r.qslReceived = e.qsl;
        if (*e.date != '\0') {
            r.date = e.date;
        }
        ContactScore c = *e.own == '\0'
                             ? skipped("JO62", "JO6", 1, Skip::ForeignInvalid)
                             : scored(e.own, e.loc, e.band, e.pkt, e.band == 0 ? 1 : e.band);
        const std::size_t block = report.judge(r, c, marks);
        log.contact(r, c, marks, block);
    }
    if (const auto failed = log.finish()) {
        lines.lines << QStringLiteral("ERROR ") + text(qrb::report::textLogFailureText(*failed));
    }
    return lines.lines;
}

// What the report made of a contact: its block and marks, or why it skipped it.
QString judged(qrb::report::Report& report, const Record& r, ContactScore& score) {
    qrb::report::Marks marks;
    const std::size_t block = report.judge(r, score, marks);
    if (!score.scored) {
        return text(qrb::report::skipText(score.reason));
    }
    QString line = QString::number(block);
    line += marks.repeat ? " repeat" : "";
    line += marks.satellite ? " sat" : "";
    line += marks.confirmed ? " conf" : "";
    return line;
}

} // namespace

class TstScore : public QObject {
    Q_OBJECT

private slots:
    void contactRules_data();
    void contactRules();
    void manyOwnSquaresScoreAlike();
    void ownLocatorOption_data();
    void ownLocatorOption();
    void utf8_data();
    void utf8();
    void csvRows_data();
    void csvRows();
    void textLog_data();
    void textLog();
    void textLogKeepsOrderWhateverTheMemory();
    void skippedLineIsShortAndPrintable();
    void datesAndTimes_data();
    void datesAndTimes();
    void reportMarks_data();
    void reportMarks();
    void confirmedRule_data();
    void confirmedRule();
    void title_data();
    void title();
    void logScoring_data();
    void logScoring();
    void pageLayout_data();
    void pageLayout();
};

void TstScore::contactRules_data() {
    QTest::addColumn<QByteArray>("own");
    QTest::addColumn<QByteArray>("loc");
    QTest::addColumn<QByteArray>("band");
    QTest::addColumn<QByteArray>("freq");
    QTest::addColumn<bool>("edi");
    QTest::addColumn<bool>("duplicate");
    QTest::addColumn<QString>("reason"); // empty: scored
    QTest::addColumn<QString>("ownOut");
    QTest::addColumn<QString>("locOut");
    QTest::addColumn<int>("bandOut");
    QTest::addColumn<int>("qrb");
    QTest::addColumn<QString>("line");

    const QString none;
    const QByteArray empty;
    const auto why = [](Skip r) { return text(qrb::report::skipText(r)); };

    QTest::newRow("lower case six characters with blanks")
        << QByteArray(" jo62qm ") << QByteArray("  jo73ab") << QByteArray("70CM") << empty << false
        << false << none << "JO62"
        << "JO73" << 2 << 4 << QStringLiteral("JO73   432     2     2     4");
    QTest::newRow("50 MHz: no points and multiplier columns")
        << QByteArray("JO62") << QByteArray("JN58") << QByteArray("6m") << empty << false << false
        << none << "JO62"
        << "JN58" << 0 << 5 << QStringLiteral("JN58    50                 5");
    QTest::newRow("largest value: 43 points on 47 GHz")
        << QByteArray("JO62") << QByteArray("NO52") << QByteArray("6mm") << empty << false << false
        << none << "JO62"
        << "NO52" << 9 << 387 << QStringLiteral("NO52    47    43     9   387");
    QTest::newRow("band from the frequency")
        << QByteArray("JO62") << QByteArray("IO91") << empty << QByteArray("1296.2") << false
        << false << none << "JO62"
        << "IO91" << 3 << 27 << QStringLiteral("IO91   1.2     9     3    27");
    QTest::newRow("eight characters: seventh on not examined")
        << QByteArray("JO62qm12") << QByteArray("KM72ab\xc3\xa4") << QByteArray("2m") << empty
        << false << false << none << "JO62"
        << "KM72" << 1 << 24 << QStringLiteral("KM72   144    24     1    24");
    QTest::newRow("field letters up to X")
        << QByteArray("XX00") << QByteArray("XX00") << QByteArray("2m") << empty << false << false
        << none << "XX00"
        << "XX00" << 1 << 1 << QStringLiteral("XX00   144     1     1     1");
    QTest::newRow("EDI band with unit")
        << QByteArray("kn17wp") << QByteArray("kn16tu") << QByteArray("1,3 GHz") << empty << true
        << false << none << "KN17"
        << "KN16" << 3 << 6 << QStringLiteral("KN16   1.2     2     3     6");

    QTest::newRow("EDI duplicate")
        << QByteArray("KN17") << QByteArray("KN16") << QByteArray("144 MHz") << empty << true
        << true << why(Skip::Duplicate) << "KN17"
        << "KN16" << 1 << 0 << none;
    QTest::newRow("band missing") << QByteArray("JO62") << QByteArray("JO73") << QByteArray("  ")
                                  << empty << false << false << why(Skip::BandMissing) << "JO62"
                                  << "JO73" << -1 << 0 << none;
    QTest::newRow("short-wave band")
        << QByteArray("JO62") << QByteArray("JO73") << QByteArray("20m") << QByteArray("14.074")
        << false << false << why(Skip::BandUnknown) << "JO62"
        << "JO73" << -1 << 0 << none;
    QTest::newRow("own missing") << QByteArray("   ") << QByteArray("JO73") << QByteArray("2m")
                                 << empty << false << false << why(Skip::OwnMissing) << ""
                                 << "JO73" << 1 << 0 << none;
    QTest::newRow("own letter beyond X")
        << QByteArray("JY62") << QByteArray("JO73") << QByteArray("2m") << empty << false << false
        << why(Skip::OwnInvalid) << "JY62"
        << "JO73" << 1 << 0 << none;
    QTest::newRow("own shorter than a square")
        << QByteArray("JO6") << QByteArray("JO73") << QByteArray("2m") << empty << false << false
        << why(Skip::OwnInvalid) << "JO6"
        << "JO73" << 1 << 0 << none;
    QTest::newRow("foreign missing") << QByteArray("JO62") << empty << QByteArray("2m") << empty
                                     << false << false << why(Skip::ForeignMissing) << "JO62"
                                     << "" << 1 << 0 << none;
    QTest::newRow("foreign digit zero for the letter O")
        << QByteArray("JO62") << QByteArray(" J062 ") << QByteArray("2m") << empty << false << false
        << why(Skip::ForeignInvalid) << "JO62"
        << "J062" << 1 << 0 << none;
    QTest::newRow("foreign bad sub-square letter")
        << QByteArray("JO62") << QByteArray("jo62qy") << QByteArray("2m") << empty << false << false
        << why(Skip::ForeignInvalid) << "JO62"
        << "jo62qy" << 1 << 0 << none;
    QTest::newRow("foreign with a tab")
        << QByteArray("JO62") << QByteArray("JO62\t") << QByteArray("2m") << empty << false << false
        << why(Skip::ForeignInvalid) << "JO62"
        << "JO62\t" << 1 << 0 << none;
    QTest::newRow("foreign in full-width letters")
        << QByteArray("JO62") << QByteArray("\xef\xbc\xaa\xef\xbc\xaf\xef\xbc\x96\xef\xbc\x92")
        << QByteArray("2m") << empty << false << false << why(Skip::ForeignInvalid) << "JO62"
        << QStringLiteral("ＪＯ６２") << 1 << 0 << none;
    QTest::newRow("foreign with a broken UTF-8 byte")
        << QByteArray("JO62") << QByteArray("JO62\xff") << QByteArray("2m") << empty << false
        << false << why(Skip::ForeignInvalid) << "JO62" << QString() << 1 << 0 << none;
    QTest::newRow("40 squares east") << QByteArray("JO62") << QByteArray("NO62") << QByteArray("2m")
                                     << empty << false << false << why(Skip::OutOfTable) << "JO62"
                                     << "NO62" << 1 << 0 << none;
    QTest::newRow("40 squares south, six characters")
        << QByteArray("jo62qm") << QByteArray("jk62aa") << QByteArray("2m") << empty << false
        << false << why(Skip::OutOfTable) << "jo62qm"
        << "jk62aa" << 1 << 0 << none;
}

void TstScore::contactRules() {
    QFETCH(QByteArray, own);
    QFETCH(QByteArray, loc);
    QFETCH(QByteArray, band);
    QFETCH(QByteArray, freq);
    QFETCH(bool, edi);
    QFETCH(bool, duplicate);
    QFETCH(QString, reason);
    QFETCH(QString, ownOut);
    QFETCH(QString, locOut);
    QFETCH(int, bandOut);
    QFETCH(int, qrb);
    QFETCH(QString, line);

    Record r = record(1, "DL1ABC");
    r.ownLocator = bytes(own);
    r.locator = bytes(loc);
    r.band = bytes(band);
    r.freq = bytes(freq);
    r.duplicate = duplicate;
    qrb::report::ContactScorer scorer;
    ContactScore c;
    scorer.score(r, edi ? Format::Edi : Format::Adif, c);

    QCOMPARE(c.scored, reason.isEmpty());
    QCOMPARE(c.scored ? QString() : text(qrb::report::skipText(c.reason)), reason);
    QCOMPARE(text(c.own), ownOut);
    if (!locOut.isNull()) {
        QCOMPARE(text(c.loc), locOut);
    }
    QCOMPARE(c.band, bandOut);
    QCOMPARE(c.qrb, qrb);
    if (c.scored) {
        QCOMPARE(c.qrb, c.pkt * c.mul);
        QCOMPARE(text(qrb::report::logLineOf(c)), line);
    }
}

void TstScore::manyOwnSquaresScoreAlike() {
    // The scorer remembers the points of square pairs for a few own squares
    // at a time; with more own squares than it keeps, in turns, every contact
    // must still score as the one scoring path scores it.
    const qrb::QrbTable table = qrb::buildQrbTable();
    qrb::report::ContactScorer scorer;
    ContactScore c;
    for (int round = 0; round < 3; ++round) {
        for (int own = 0; own < 40; ++own) {
            for (int foreign = 0; foreign < 30; ++foreign) {
                const int col = 80 + own * 2; // fields I to U: all pass the check
                const int row = 100 + own;
                auto square = [](int c, int r) {
                    return std::string{char('A' + c / 10), char('A' + r / 10), char('0' + c % 10),
                                       char('0' + r % 10)};
                };
                Record r = record(1, "DL1ABC");
                r.ownLocator = square(col, row);
                r.locator = square(col + foreign * 3 - 40, row + foreign * 2 - 30);
                r.band = "2m";
                scorer.score(r, Format::Adif, c);
                const qrb::SquareScore want = qrb::scoreSquares(
                    table, std::u16string(r.ownLocator.begin(), r.ownLocator.end()),
                    std::u16string(r.locator.begin(), r.locator.end()));
                QCOMPARE(c.scored, want.scored());
                QCOMPARE(c.pkt, c.scored ? want.points : std::int16_t{0});
            }
        }
    }
}

void TstScore::ownLocatorOption_data() {
    QTest::addColumn<QByteArray>("option");
    QTest::addColumn<bool>("whereMissing"); // only for contacts without an own locator
    QTest::addColumn<QByteArray>("fileOwn");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("ownOut");
    QTest::addColumn<int>("pkt");

    QTest::newRow("lower case with blanks")
        << QByteArray(" jo62qm ") << false << QByteArray("KN17") << true << "JO62" << 9;
    QTest::newRow("square") << QByteArray("IO91") << false << QByteArray("KN17") << true << "IO91"
                            << 1;
    QTest::newRow("shorter than a square")
        << QByteArray("JO6") << false << QByteArray("KN17") << false << "JO6" << 0;
    QTest::newRow("bad letter") << QByteArray("JO62QZ") << false << QByteArray("KN17") << false
                                << "JO62QZ" << 0;
    QTest::newRow("empty") << QByteArray("") << false << QByteArray("KN17") << false << "" << 0;
    // Asked for where a file gives none: the file's own locator stays.
    QTest::newRow("where missing: the file's kept")
        << QByteArray("JO62QM") << true << QByteArray("IO91") << true << "IO91" << 1;
    QTest::newRow("where missing: blank in the file")
        << QByteArray(" jo62qm ") << true << QByteArray(" ") << true << "JO62" << 9;
    QTest::newRow("where missing: no square")
        << QByteArray("JO6") << true << QByteArray("") << false << "JO6" << 0;
}

void TstScore::ownLocatorOption() {
    QFETCH(QByteArray, option);
    QFETCH(bool, whereMissing);
    QFETCH(QByteArray, fileOwn);
    QFETCH(bool, accepted);
    QFETCH(QString, ownOut);
    QFETCH(int, pkt);

    qrb::report::ContactScorer scorer;
    QCOMPARE(whereMissing ? scorer.setOwnLocatorWhereMissing(bytes(option))
                          : scorer.setOwnLocator(bytes(option)),
             accepted);
    // The option stands in for the file's own locator in every contact, or
    // only where the file gives none.
    Record r = record(1, "DL1ABC");
    r.ownLocator = bytes(fileOwn);
    r.locator = "IO91";
    r.band = "2m";
    ContactScore c;
    scorer.score(r, Format::Adif, c);
    QCOMPARE(c.scored, accepted);
    QCOMPARE(text(c.own), ownOut);
    QCOMPARE(int(c.pkt), pkt);
}

void TstScore::utf8_data() {
    QTest::addColumn<QByteArray>("in");
    QTest::addColumn<QString>("out");

    const QChar bad(0xFFFD);
    QTest::newRow("ASCII") << QByteArray("JO62") << QStringLiteral("JO62");
    QTest::newRow("two bytes") << QByteArray("\xc3\xa4") << QStringLiteral("ä");
    QTest::newRow("four bytes: a surrogate pair")
        << QByteArray("\xf0\x9f\x93\xbb") << QString::fromUtf8("\xf0\x9f\x93\xbb");
    QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << QString(2, bad);
    QTest::newRow("encoded surrogate") << QByteArray("\xed\xa0\x80") << QString(3, bad);
    QTest::newRow("beyond U+10FFFF") << QByteArray("\xf4\x90\x80\x80") << QString(4, bad);
    QTest::newRow("cut at the end") << QByteArray("A\xe2\x82") << QStringLiteral("A") + bad + bad;
    QTest::newRow("lone continuation") << QByteArray("\x80O") << bad + QStringLiteral("O");
}

void TstScore::utf8() {
    QFETCH(QByteArray, in);
    QFETCH(QString, out);
    QCOMPARE(QString::fromStdU16String(qrb::report::decodeUtf8(bytes(in))), out);
}

void TstScore::csvRows_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("call");
    QTest::addColumn<QByteArray>("station"); // STATION_CALLSIGN; the OPERATOR is " DL0XYZ "
    QTest::addColumn<bool>("isScored");
    QTest::addColumn<QByteArray>("row");

    QTest::newRow("scored") << QByteArray("log.adi") << QByteArray("DL1ABC") << QByteArray() << true
                            << QByteArray("log.adi,7,DL1ABC,2024-05-06,12:34,JO62,JO73,432,2,2,4,"
                                          "scored,,DL0XYZ,1,0,0\r\n");
    QTest::newRow("skipped") << QByteArray("-") << QByteArray("DL1ABC") << QByteArray() << false
                             << QByteArray("-,7,DL1ABC,2024-05-06,12:34,JO62,JO6,144,,,,skipped,"
                                           "fremder Locator ungültig,DL0XYZ,,,\r\n");
    QTest::newRow("comma and quote quoted")
        << QByteArray("my,log.adi") << QByteArray("DL1\"X\"") << QByteArray() << true
        << QByteArray("\"my,log.adi\",7,\"DL1\"\"X\"\"\",2024-05-06,12:34,JO62,JO73,432,2,2,4,"
                      "scored,,DL0XYZ,1,0,0\r\n");
    QTest::newRow("line break quoted")
        << QByteArray("log.adi") << QByteArray("DL1\r\nABC") << QByteArray() << false
        << QByteArray("log.adi,7,\"DL1\r\nABC\",2024-05-06,12:34,JO62,JO6,144,,,,skipped,"
                      "fremder Locator ungültig,DL0XYZ,,,\r\n");
    // White space around a call or a station is blank, a tab as a blank.
    QTest::newRow("tab after the station, white space around the call")
        << QByteArray("log.adi") << QByteArray("\t DL1ABC\r\n") << QByteArray("DL9ABC\t") << true
        << QByteArray(
               "log.adi,7,DL1ABC,2024-05-06,12:34,JO62,JO73,432,2,2,4,scored,,DL9ABC,1,0,0\r\n");
}

void TstScore::csvRows() {
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, call);
    QFETCH(QByteArray, station);
    QFETCH(bool, isScored);
    QFETCH(QByteArray, row);

    // A row is written straight into the output's block, or, longer than the
    // whole block, on its own.
    for (const std::size_t block : {std::size_t{1} << 20U, std::size_t{16}}) {
        qrb::report::StringSink captured;
        {
            qrb::report::OutputBuffer out(captured, block);
            qrb::report::CsvWriter csv(out);
            csv.beginFile(bytes(file));
            const ContactScore c = isScored ? scored("JO62", "JO73", 2, 2, 2)
                                            : skipped("JO62", "JO6", 1, Skip::ForeignInvalid);
            const std::string callText = bytes(call);
            const qrb::report::Marks marks{true, false};
            Record r = record(7, callText.c_str());
            r.operatorCall = " DL0XYZ ";
            r.stationCall = bytes(station);
            csv.contact(r, c, marks, 0);
            r.number = 8;
            csv.contact(r, c, marks, 0);
            QVERIFY(out.flush());
        }
        QByteArray second = row;
        second.replace(QByteArray(",7,"), QByteArray(",8,"));
        QCOMPARE(
            QByteArray::fromStdString(captured.text),
            QByteArray("file,record,call,date,time,own,loc,band,pkt,mul,qrb,status,reason,station,"
                       "repeat,satellite,confirmed\r\n") +
                row + second);
    }
}

void TstScore::textLog_data() {
    QTest::addColumn<int>("which");
    QTest::addColumn<QStringList>("expected");

    const QString header = "Eigener Locator: JO62, Station: nicht angegeben, Datei: a.adi";
    const QString columns =
        " LOC   QRG   PKT   MUL   QRB   Rufzeichen     Datum        Zeit    Hinweis";
    // A header with "ä": the numbers under it stand by characters, not bytes.
    const QString table =
        " Band  Verbindungen  Quadrate     QRB  Wiederholungen  Satellit  Bestätigt";
    QTest::newRow("one own square, the same call twice on a band")
        << 0
        << QStringList{header,
                       columns,
                       "JO73   432     2     2     4   DL1ABC         2024-05-06   12:34",
                       "IO91    50                 9   DL1ABC         2024-05-06   12:34",
                       "IO91   432    17     2    34   DL1ABC         2024-05-06   12:34   "
                       "Wiederholung",
                       "",
                       table,
                       "   50             1         1       9               0         0          0",
                       "  432             2         2      38               1         0          0",
                       "Summe             3         2      47               1         0          0",
                       "Summe QRB: 47"};
    QTest::newRow("two own squares, interleaved, one skipped")
        << 1
        << QStringList{header,
                       columns,
                       "JO73   432     2     2     4   DL1ABC         2024-05-06   12:34",
                       "IO91    50                 9   DL1ABC         2024-05-06   12:34",
                       "",
                       table,
                       "   50             1         1       9               0         0          0",
                       "  432             1         1       4               0         0          0",
                       "Summe             2         2      13               0         0          0",
                       "Summe QRB: 13",
                       "",
                       "Eigener Locator: JN58, Station: nicht angegeben, Datei: a.adi",
                       columns,
                       "JN58   144     1     1     1   DL1ABC         2024-05-06   12:34",
                       "",
                       table,
                       "  144             1         1       1               0         0          0",
                       "Summe             1         1       1               0         0          0",
                       "Summe QRB: 1",
                       "",
                       "Gesamtsumme QRB (Station nicht angegeben): 14",
                       "",
                       "Nicht gewertet: 1",
                       "  fremder Locator ungültig: 1",
                       "",
                       "a.adi, Nr. 3, DL1ABC: fremder Locator ungültig"};
    // The mark after the others; a call with "ä" padded by characters.
    QTest::newRow("confirmed, a call beyond ASCII")
        << 3
        << QStringList{
               header,
               columns,
               "JO73   432     2     2     4   DL1ÄBC         2024-05-06   12:34   bestätigt",
               "JO73   432     2     2     4   DL1ÄBC         2024-05-06   12:34   "
               "Wiederholung, bestätigt",
               "IO91    50                 9   DL1ABC         2024-05-06   12:34",
               "",
               table,
               "   50             1         1       9               0         0          0",
               "  432             2         1       8               1         0          2",
               "Summe             3         2      17               1         0          2",
               "Summe QRB: 17"};
    // A date that is none stands as written, without its control characters.
    QTest::newRow("a date with a line break")
        << 4
        << QStringList{header,
                       columns,
                       "JO73   432     2     2     4   DL1ABC         2024?05?   12:34",
                       "",
                       table,
                       "  432             1         1       4               0         0          0",
                       "Summe             1         1       4               0         0          0",
                       "Summe QRB: 4"};
    QTest::newRow("nothing scored")
        << 2 << QStringList{"Keine Verbindung gewertet.",
                            "",
                            "Nicht gewertet: 1",
                            "  fremder Locator ungültig: 1",
                            "",
                            "a.adi, Nr. 1, DL1ABC: fremder Locator ungültig"};
}

void TstScore::textLog() {
    QFETCH(int, which);
    QFETCH(QStringList, expected);
    const std::vector<Entry> entries[] = {
        {{"JO62", "JO73", 2, 2}, {"JO62", "IO91", 0, 9}, {"JO62", "IO91", 2, 17}},
        kTwoOwn,
        {{"", "", 0, 0}},
        {{"JO62", "JO73", 2, 2,
          "DL1\xc3\x84"
          "BC",
          "Y"},
         {"JO62", "JO73", 2, 2,
          "DL1\xc3\x84"
          "BC",
          " v"},
         {"JO62", "IO91", 0, 9}},
        {{"JO62", "JO73", 2, 2, "DL1ABC", "", "2024\n05\x07"}}};
    QCOMPARE(writeTextLog(entries[which], std::uint64_t{1} << 20U), expected);
}

void TstScore::textLogKeepsOrderWhateverTheMemory() {
    // Many own squares, each with several contacts, written through the
    // temporary file in passes of every size: one square at a time, a few
    // together, all at once.
    std::vector<Entry> entries;
    const char* owns[] = {"JO62", "JN58", "IO91", "KM72", "JO73", "AA00"};
    const char* locs[] = {"JO62", "JO73", "JN58", "IO91"};
    for (int n = 0; n < 60; ++n) {
        entries.push_back({owns[(n + n / 6) % 6], locs[n % 4], 1 + n % 9, 1 + n % 43});
        if (n % 11 == 0) {
            entries.push_back({"", "", 0, 0});
        }
    }
    const QStringList all = writeTextLog(entries, std::uint64_t{1} << 30U);
    QCOMPARE(all.count(QString::fromStdString(qrb::report::textLogHeader())), 6);
    QCOMPARE(all.count(QStringLiteral("Nicht gewertet: 6")), 1);
    for (const std::uint64_t budget : {1, 29, 100, 300}) {
        QCOMPARE(writeTextLog(entries, budget), all);
    }
}

void TstScore::skippedLineIsShortAndPrintable() {
    Record r = record(12, "");
    QCOMPARE(text(qrb::report::skippedLine("x.edi", r, Skip::BandMissing)),
             QStringLiteral("x.edi, Nr. 12, ohne Rufzeichen: Band fehlt"));
    // A call cut inside a two-byte letter keeps no half of it; control
    // characters would garble the terminal.
    r.call = std::string(31, 'A') + "\xc3\xa4" + "BC\x1b[2J";
    QCOMPARE(text(qrb::report::skippedLine("x\ty.edi", r, Skip::BandMissing)),
             QStringLiteral("x?y.edi, Nr. 12, ") + QString(31, QChar('A')) +
                 QStringLiteral("...: Band fehlt"));
}

void TstScore::datesAndTimes_data() {
    QTest::addColumn<QByteArray>("date");
    QTest::addColumn<QString>("iso");
    QTest::addColumn<QByteArray>("time");
    QTest::addColumn<QString>("clock");
    QTest::addColumn<QString>("clockSeconds");

    QTest::newRow("ADIF") << QByteArray("20231230") << "2023-12-30" << QByteArray("183215")
                          << "18:32"
                          << "18:32:15";
    QTest::newRow("EDI, this century")
        << QByteArray("160507") << "2016-05-07" << QByteArray("0715") << "07:15"
        << "07:15";
    QTest::newRow("EDI, two-digit year 79")
        << QByteArray("790101") << "2079-01-01" << QByteArray(" 2359 ") << "23:59"
        << "23:59";
    QTest::newRow("EDI, two-digit year 80")
        << QByteArray("801231") << "1980-12-31" << QByteArray("0000") << "00:00"
        << "00:00";
    QTest::newRow("leap day") << QByteArray("20240229") << "2024-02-29" << QByteArray("2400")
                              << "2400"
                              << "2400";
    QTest::newRow("no leap day in 2100")
        << QByteArray("21000229") << "21000229" << QByteArray("1260") << "1260"
        << "1260";
    QTest::newRow("month 13") << QByteArray("241301") << "241301" << QByteArray("12:00") << "12:00"
                              << "12:00";
    QTest::newRow("empty") << QByteArray("") << "" << QByteArray("") << ""
                           << "";
}

void TstScore::datesAndTimes() {
    QFETCH(QByteArray, date);
    QFETCH(QString, iso);
    QFETCH(QByteArray, time);
    QFETCH(QString, clock);
    QFETCH(QString, clockSeconds);
    QCOMPARE(text(qrb::report::isoDate(bytes(date))), iso);
    QCOMPARE(text(qrb::report::clockTime(bytes(time), false)), clock);
    QCOMPARE(text(qrb::report::clockTime(bytes(time), true)), clockSeconds);
}

// Contacts of several logs judged in turn: which block each falls into, and
// what is marked or left out.
void TstScore::reportMarks_data() {
    QTest::addColumn<bool>("unique");
    QTest::addColumn<bool>("noSat");
    QTest::addColumn<QStringList>("expected"); // per contact: block and marks, or the reason

    // station | operator | own | band | call | PROP_MODE | SAT_NAME
    QTest::newRow("marked") << false << false
                            << QStringList{"0",     "0 repeat",     "0", "1",       "2",
                                           "2 sat", "2 repeat sat", "3", "3 repeat"};
    QTest::newRow("--unique") << true << false
                              << QStringList{"0",     "Wiederholung", "0", "1",           "2",
                                             "2 sat", "Wiederholung", "3", "Wiederholung"};
    QTest::newRow("--no-sat")
        << false << true
        << QStringList{"0", "0 repeat", "0", "1", "2", "über Satellit", "über Satellit",
                       "3", "3 repeat"};
}

void TstScore::reportMarks() {
    QFETCH(bool, unique);
    QFETCH(bool, noSat);
    QFETCH(QStringList, expected);
    struct Contact {
        const char* station;
        const char* op;
        const char* own;
        int band;
        const char* call;
        const char* propMode;
        const char* satName;
    };
    const Contact contacts[] = {
        {"DL0XYZ", "", "JO62", 1, "OK1KT", "", ""},
        {" dl0xyz", "", "JO62", 1, "ok1kt ", "", ""}, // same station and call, other case
        {"DL0XYZ", "", "JO62", 2, "OK1KT", "", ""},   // another band
        {"DL0XYZ", "", "JO63", 1, "OK1KT", "", ""},   // another own square
        {"", "DL1ABC", "JO62", 1, "OK1KT", "", ""},   // the operator names the station
        {"", "DL1ABC", "JO62", 1, "DL/OK1KT/P", "sat", ""},
        {"", "DL1ABC", "JO62", 1, "DL/OK1KT/P", "", "QO-100"},
        {"", "", "JO62", 1, "A-LONG-CALL-BEYOND-12", "", ""},
        {"", "", "JO62", 1, "A-LONG-CALL-BEYOND-12", "", ""}};
    qrb::report::Report report({unique, noSat}, true);
    // What a consumer of the blocks (a map of the squares) is handed.
    struct Handed : qrb::report::BlockContactSink {
        void contact(const qrb::report::Block& block, const qrb::report::BlockContact& c) override {
            lines << QStringLiteral("%1 %2 %3 %4 %5 %6")
                         .arg(c.block)
                         .arg(text(block.square), text(c.square))
                         .arg(c.band)
                         .arg(c.qrb)
                         .arg(text(c.call));
        }
        QStringList lines;
    } handed;
    report.addSink(handed);
    report.beginFile("a.adi");
    QStringList got;
    for (const Contact& c : contacts) {
        Record r = record(1, c.call);
        r.stationCall = c.station;
        r.operatorCall = c.op;
        r.propMode = c.propMode;
        r.satName = c.satName;
        ContactScore score = scored(c.own, "JO73", c.band, 2, c.band);
        got << judged(report, r, score);
    }
    QCOMPARE(got, expected);
    QCOMPARE(handed.lines.size(), expected.filter(QRegularExpression("^[0-9]")).size());
    QCOMPARE(handed.lines.first(), QStringLiteral("0 JO62 JO73 1 2 OK1KT"));
    // Blocks: DL0XYZ from JO62 and from JO63, DL1ABC, and the contacts that
    // name no station.
    QCOMPARE(report.blocks().size(), std::size_t{4});
    QCOMPARE(text(report.blocks()[0].station), QStringLiteral("DL0XYZ"));
    QCOMPARE(text(report.blocks()[3].station), QString());
    QCOMPARE(text(report.blocks()[2].station), QStringLiteral("DL1ABC"));
    QCOMPARE(report.blocks()[0].bands[1].repeats, unique ? 0U : 1U);
}

// Only confirmed contacts count: the rule applies to contacts that would
// score, before repeats are judged among those that remain.
void TstScore::confirmedRule_data() {
    QTest::addColumn<bool>("unique");
    QTest::addColumn<bool>("noSat");
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<QStringList>("expected"); // per contact: block and marks, or the reason

    QTest::newRow("marked") << false << false << false
                            << QStringList{"0", "0 repeat conf", "0 sat", "0 conf", "Band fehlt"};
    QTest::newRow("--confirmed") << false << false << true
                                 << QStringList{"nicht bestätigt", "0 conf", "nicht bestätigt",
                                                "0 conf", "Band fehlt"};
    QTest::newRow("--confirmed --unique --no-sat")
        << true << true << true
        << QStringList{"nicht bestätigt", "0 conf", "über Satellit", "0 conf", "Band fehlt"};
}

void TstScore::confirmedRule() {
    QFETCH(bool, unique);
    QFETCH(bool, noSat);
    QFETCH(bool, confirmed);
    QFETCH(QStringList, expected);
    struct Contact {
        const char* call;
        const char* propMode;
        const char* qsl;  // QSL_RCVD
        const char* lotw; // LOTW_QSL_RCVD
        const char* eqsl; // EQSL_QSL_RCVD
    };
    const Contact contacts[] = {{"OK1KT", "", "N", "R", ""}, // card not received, LoTW requested
                                {"OK1KT", "", "", "", "y"},  // the same call confirmed through eQSL
                                {"OK2AB", "SAT", "", "", ""},  // an unconfirmed satellite contact
                                {"OK3CD", "", " V ", "", ""},  // verified card
                                {"OK4EF", "", "Y", "Y", "Y"}}; // confirmed, but scores nothing
    qrb::report::Report report({unique, noSat, confirmed}, true);
    report.beginFile("a.adi");
    QStringList got;
    for (const Contact& c : contacts) {
        Record r = record(1, c.call);
        r.propMode = c.propMode;
        r.qslReceived = c.qsl;
        r.lotwReceived = c.lotw;
        r.eqslReceived = c.eqsl;
        ContactScore score = c.call == std::string_view("OK4EF")
                                 ? skipped("JO62", "JO73", -1, Skip::BandMissing)
                                 : scored("JO62", "JO73", 1, 2, 1);
        got << judged(report, r, score);
    }
    QCOMPARE(got, expected);
    // The band table counts the confirmed contacts among those that count.
    QCOMPARE(report.blocks().front().sum.confirmed, 2U);
    // Unconfirmed contacts are counted, not listed.
    QVERIFY(qrb::report::countedOnly(Skip::Unconfirmed));
}

// The one title of every output.
void TstScore::title_data() {
    QTest::addColumn<QStringList>("blocks"); // station, own square, date
    QTest::addColumn<int>("band");
    QTest::addColumn<QString>("title");

    QTest::newRow("one block, one day")
        << QStringList{"DL1XYZ JO62 20240506"} << -1
        << QStringLiteral("QRB-Punkte: DL1XYZ · Locator JO62 · 2024-05-06");
    QTest::newRow("two stations from one square, one band")
        << QStringList{"DL1XYZ JO62 20240508", "DL0XYZ JO62 20240506"} << 3
        << QStringLiteral("QRB-Punkte: DL1XYZ, DL0XYZ · Locator JO62 · Band 1.2 · "
                          "2024-05-06 bis 2024-05-08");
    QTest::newRow("many squares, no station")
        << QStringList{"- JO60 20240506", "- JO61 20240506", "- JO62 20240506", "- JO63 20240506",
                       "- JO64 20240506"}
        << -1
        << QStringLiteral(
               "QRB-Punkte: nicht angegeben · Locator JO60, JO61, JO62 und 2 weitere · 2024-05-06");
    QTest::newRow("nothing scored") << QStringList{} << -1 << QStringLiteral("QRB-Punkte");
}

void TstScore::title() {
    QFETCH(QStringList, blocks);
    QFETCH(int, band);
    QFETCH(QString, title);
    qrb::report::Report report({}, true);
    report.beginFile("a.adi");
    qrb::report::Marks marks;
    for (const QString& block : blocks) {
        const QStringList parts = block.split(' ');
        Record r = record(1, "OK1KT");
        r.stationCall = parts[0] == "-" ? std::string() : parts[0].toStdString();
        r.date = parts[2].toStdString();
        ContactScore score = scored(parts[1].toLatin1().constData(), "JO73", 1, 2, 1);
        report.judge(r, score, marks);
    }
    QCOMPARE(text(qrb::report::titleText(report.title(band))), title);
}

// A logbook read from memory into the report and a writer: what became of
// it, and a source that fails halfway.
void TstScore::logScoring_data() {
    QTest::addColumn<QByteArray>("log");
    QTest::addColumn<int>("failAfter"); // bytes the source hands over before it fails; -1: never
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<QString>("outcome"); // contacts read, EDI note, failure text

    const QByteArray adif =
        "<CALL:4>DL1A<MY_GRIDSQUARE:4>JO62<GRIDSQUARE:4>JO73<BAND:4>70cm"
        "<QSL_RCVD:1>Y<EOR>\n"
        "<CALL:4>DL2B<MY_GRIDSQUARE:4>JO62<GRIDSQUARE:4>JO73<BAND:4>70cm<EOR>\n";
    const QByteArray edi = "[REG1TEST;1]\nPWWLo=JO62QM\nPBand=432 MHz\n[QSORecords;1]\n"
                           "240514;1802;OZ1ABC;1;59;001;59;003;;JO65DQ;412;;;;\n";
    QTest::newRow("ADIF") << adif << -1 << true << "2 contacts, 1 scored";
    QTest::newRow("EDI, only confirmed contacts count")
        << edi << -1 << true
        << "1 contacts, 0 scored, EDI-Logs enthalten keine Bestätigungen: alle Verbindungen nicht "
           "bestätigt";
    QTest::newRow("EDI") << edi << -1 << false << "1 contacts, 1 scored";
    QTest::newRow("read failure after the first contact")
        << adif << 80 << false << "1 contacts, 1 scored, keine Leseberechtigung";
    QTest::newRow("read failure at once") << adif << 0 << false
                                          << "0 contacts, 0 scored, "
                                             "keine Leseberechtigung";
}

void TstScore::logScoring() {
    QFETCH(QByteArray, log);
    QFETCH(int, failAfter);
    QFETCH(bool, confirmed);
    QFETCH(QString, outcome);
    // Hands over the bytes a few at a time, then fails as a file without
    // permission would.
    class Source : public qrb::report::ByteSource {
    public:
        Source(std::string_view bytes, int failAfter) : bytes_(bytes), failAfter_(failAfter) {}
        long long read(char* into, std::size_t size) override {
            if (failAfter_ >= 0 && handed >= static_cast<std::size_t>(failAfter_)) {
                return -1;
            }
            const std::size_t count = std::min({size, bytes_.size() - handed, std::size_t{7}});
            std::copy_n(bytes_.data() + handed, count, into);
            handed += count;
            return static_cast<long long>(count);
        }
        int error() const override { return EACCES; }
        std::size_t handed = 0;

    private:
        std::string_view bytes_;
        int failAfter_;
    } source(std::string_view(log.constData(), static_cast<std::size_t>(log.size())), failAfter);

    qrb::report::ContactScorer scorer;
    qrb::report::Report report({false, false, confirmed}, false);
    qrb::report::LogScoring scoring(scorer, report);
    qrb::report::StringSink rows;
    qrb::report::OutputBuffer out(rows);
    qrb::report::CsvWriter csv(out);
    scoring.addWriter(csv);
    std::uint64_t progressed = 0;
    const qrb::report::LogOutcome got = scoring.score(
        "a.log", source, [&progressed](std::uint64_t bytes, std::uint64_t) { progressed = bytes; });
    QVERIFY(out.flush());
    QString said = QStringLiteral("%1 contacts, %2 scored")
                       .arg(got.contacts)
                       .arg(QString::fromStdString(rows.text).count(QStringLiteral(",scored,")));
    if (got.withoutConfirmations) {
        said += ", " + text(qrb::report::withoutConfirmationsText());
    }
    if (got.failure) {
        said += ", " + text(qrb::report::logFailureText(*got.failure));
    }
    QCOMPARE(said, outcome);
    QCOMPARE(progressed, source.handed);
}

void TstScore::pageLayout_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("perPage");
    QTest::addColumn<int>("columns");
    QTest::addColumn<QStringList>("pages"); // the pages' lines joined by '|'

    QTest::newRow("one page") << QStringList{"a", "b"} << 6 << 20
                              << QStringList{"Titel||a|b||       Seite 1 von 1"};
    QTest::newRow("two pages") << QStringList{"a", "b", "c"} << 6 << 20
                               << QStringList{"Titel||a|b||       Seite 1 von 2",
                                              "Titel||c|||       Seite 2 von 2"};
    QTest::newRow("a long line wrapped after a blank, kept on one page")
        << QStringList{"x", "  eins zwei drei vier fuenf sechs"} << 7 << 20
        << QStringList{
               "Titel||x||||       Seite 1 von 2",
               "Titel||  eins zwei drei|      vier fuenf|      sechs||       Seite 2 von 2"};
    QTest::newRow("a long word cut into pieces, nothing lost")
        << QStringList{"ABCDEFGHIJKLMNOPQRSTUVWXYZ"} << 6 << 20
        << QStringList{"Titel||ABCDEFGHIJKLMNOPQRST|    UVWXYZ||       Seite 1 von 1"};
}

void TstScore::pageLayout() {
    QFETCH(QStringList, lines);
    QFETCH(int, perPage);
    QFETCH(int, columns);
    QFETCH(QStringList, pages);
    std::vector<std::u16string> given;
    for (const QString& line : lines) {
        given.push_back(line.toStdU16String());
    }
    QStringList got;
    for (const qrb::PageLines& page : qrb::layoutPages(given, u"Titel", perPage, columns)) {
        QStringList one;
        for (const std::u16string& line : page) {
            QVERIFY(line.size() <= static_cast<std::size_t>(columns));
            one << QString::fromStdU16String(line);
        }
        QCOMPARE(one.size(), perPage);
        got << one.join('|');
    }
    QCOMPARE(got, pages);
}

QTEST_APPLESS_MAIN(TstScore)
#include "tst_score.moc"
