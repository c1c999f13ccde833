// SPDX-License-Identifier: GPL-3.0-or-later
// Scoring logbook contacts by the window's rules, and the CSV and text forms
// of the result.

#include "output/page_layout.h"
#include "qrb-score/contact.h"
#include "qrb-score/csv_writer.h"
#include "qrb-score/output_buffer.h"
#include "qrb-score/report.h"
#include "qrb-score/text_log.h"
#include "scoring/score.h"

#include <QByteArray>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTest>
#include <cstdio>

using qrb::logbook::Format;
using qrb::logbook::Record;
using qrb::score::ContactScore;
namespace reason = qrb::score::reason;

namespace {

std::string bytes(const QByteArray& text) {
    return text.toStdString();
}

QString text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// Collects the text log.
class Lines : public qrb::score::LineSink {
public:
    void line(std::string_view line) override { lines << text(line); }
    QStringList lines;
};

// Everything an OutputBuffer writes, read back from a temporary file.
class Captured {
public:
    Captured() : file_(std::tmpfile()) {}
    ~Captured() { std::fclose(file_); }
    Captured(const Captured&) = delete;
    Captured& operator=(const Captured&) = delete;
    std::FILE* file() { return file_; }
    QByteArray contents() {
        std::fflush(file_);
        std::rewind(file_);
        QByteArray all;
        char chunk[4096];
        std::size_t got = 0;
        while ((got = std::fread(chunk, 1, sizeof chunk, file_)) > 0) {
            all.append(chunk, static_cast<qsizetype>(got));
        }
        return all;
    }

private:
    std::FILE* file_;
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

ContactScore skipped(const char* own, const char* loc, int band, std::string_view why) {
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
};

// Four contacts from two own squares, interleaved, and one skipped.
const std::vector<Entry> kTwoOwn{
    {"JO62", "JO73", 2, 2}, {"JN58", "JN58", 1, 1}, {"", "", 0, 0}, {"JO62", "IO91", 0, 9}};

QStringList writeTextLog(const std::vector<Entry>& entries, std::uint64_t budget) {
    Lines lines;
    qrb::score::Report report({}, true);
    qrb::score::TextLog log(lines, report);
    log.setMemoryBudget(budget);
    report.beginFile("a.adi");
    std::size_t number = 0;
    qrb::score::Marks marks;
    for (const Entry& e : entries) {
        ++number;
        const Record r = record(number, "DL1ABC");
        ContactScore c = *e.own == '\0'
                             ? skipped("JO62", "JO6", 1, reason::kForeignInvalid)
                             : scored(e.own, e.loc, e.band, e.pkt, e.band == 0 ? 1 : e.band);
        const std::size_t block = report.judge(r, c, marks);
        log.add("a.adi", r, c, marks, block);
    }
    const std::string error = log.finish();
    if (!error.empty()) {
        lines.lines << QStringLiteral("ERROR ") + text(error);
    }
    return lines.lines;
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
    const auto why = [](std::string_view r) { return text(r); };

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
        << true << why(reason::kDuplicate) << "KN17"
        << "KN16" << 1 << 0 << none;
    QTest::newRow("band missing") << QByteArray("JO62") << QByteArray("JO73") << QByteArray("  ")
                                  << empty << false << false << why(reason::kBandMissing) << "JO62"
                                  << "JO73" << -1 << 0 << none;
    QTest::newRow("short-wave band")
        << QByteArray("JO62") << QByteArray("JO73") << QByteArray("20m") << QByteArray("14.074")
        << false << false << why(reason::kBandUnknown) << "JO62"
        << "JO73" << -1 << 0 << none;
    QTest::newRow("own missing") << QByteArray("   ") << QByteArray("JO73") << QByteArray("2m")
                                 << empty << false << false << why(reason::kOwnMissing) << ""
                                 << "JO73" << 1 << 0 << none;
    QTest::newRow("own letter beyond X")
        << QByteArray("JY62") << QByteArray("JO73") << QByteArray("2m") << empty << false << false
        << why(reason::kOwnInvalid) << "JY62"
        << "JO73" << 1 << 0 << none;
    QTest::newRow("own shorter than a square")
        << QByteArray("JO6") << QByteArray("JO73") << QByteArray("2m") << empty << false << false
        << why(reason::kOwnInvalid) << "JO6"
        << "JO73" << 1 << 0 << none;
    QTest::newRow("foreign missing") << QByteArray("JO62") << empty << QByteArray("2m") << empty
                                     << false << false << why(reason::kForeignMissing) << "JO62"
                                     << "" << 1 << 0 << none;
    QTest::newRow("foreign digit zero for the letter O")
        << QByteArray("JO62") << QByteArray(" J062 ") << QByteArray("2m") << empty << false << false
        << why(reason::kForeignInvalid) << "JO62"
        << "J062" << 1 << 0 << none;
    QTest::newRow("foreign bad sub-square letter")
        << QByteArray("JO62") << QByteArray("jo62qy") << QByteArray("2m") << empty << false << false
        << why(reason::kForeignInvalid) << "JO62"
        << "jo62qy" << 1 << 0 << none;
    QTest::newRow("foreign with a tab")
        << QByteArray("JO62") << QByteArray("JO62\t") << QByteArray("2m") << empty << false << false
        << why(reason::kForeignInvalid) << "JO62"
        << "JO62\t" << 1 << 0 << none;
    QTest::newRow("foreign in full-width letters")
        << QByteArray("JO62") << QByteArray("\xef\xbc\xaa\xef\xbc\xaf\xef\xbc\x96\xef\xbc\x92")
        << QByteArray("2m") << empty << false << false << why(reason::kForeignInvalid) << "JO62"
        << QStringLiteral("ＪＯ６２") << 1 << 0 << none;
    QTest::newRow("foreign with a broken UTF-8 byte")
        << QByteArray("JO62") << QByteArray("JO62\xff") << QByteArray("2m") << empty << false
        << false << why(reason::kForeignInvalid) << "JO62" << QString() << 1 << 0 << none;
    QTest::newRow("40 squares east")
        << QByteArray("JO62") << QByteArray("NO62") << QByteArray("2m") << empty << false << false
        << why(reason::kOutOfTable) << "JO62"
        << "NO62" << 1 << 0 << none;
    QTest::newRow("40 squares south, six characters")
        << QByteArray("jo62qm") << QByteArray("jk62aa") << QByteArray("2m") << empty << false
        << false << why(reason::kOutOfTable) << "jo62qm"
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
    qrb::score::ContactScorer scorer;
    ContactScore c;
    scorer.score(r, edi ? Format::Edi : Format::Adif, c);

    QCOMPARE(c.scored, reason.isEmpty());
    QCOMPARE(text(c.reason), reason);
    QCOMPARE(text(c.own), ownOut);
    if (!locOut.isNull()) {
        QCOMPARE(text(c.loc), locOut);
    }
    QCOMPARE(c.band, bandOut);
    QCOMPARE(c.qrb, qrb);
    if (c.scored) {
        QCOMPARE(c.qrb, c.pkt * c.mul);
        QCOMPARE(text(qrb::score::logLineOf(c)), line);
    }
}

void TstScore::manyOwnSquaresScoreAlike() {
    // The scorer remembers the points of square pairs for a few own squares
    // at a time; with more own squares than it keeps, in turns, every contact
    // must still score as the one scoring path scores it.
    const qrb::QrbTable table = qrb::buildQrbTable();
    qrb::score::ContactScorer scorer;
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
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("ownOut");
    QTest::addColumn<int>("pkt");

    QTest::newRow("lower case with blanks") << QByteArray(" jo62qm ") << true << "JO62" << 9;
    QTest::newRow("square") << QByteArray("IO91") << true << "IO91" << 1;
    QTest::newRow("shorter than a square") << QByteArray("JO6") << false << "JO6" << 0;
    QTest::newRow("bad letter") << QByteArray("JO62QZ") << false << "JO62QZ" << 0;
    QTest::newRow("empty") << QByteArray("") << false << "" << 0;
}

void TstScore::ownLocatorOption() {
    QFETCH(QByteArray, option);
    QFETCH(bool, accepted);
    QFETCH(QString, ownOut);
    QFETCH(int, pkt);

    qrb::score::ContactScorer scorer;
    QCOMPARE(scorer.setOwnLocator(bytes(option)), accepted);
    // The option stands in for the file's own locator in every contact.
    Record r = record(1, "DL1ABC");
    r.ownLocator = "KN17";
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
    QCOMPARE(QString::fromStdU16String(qrb::score::decodeUtf8(bytes(in))), out);
}

void TstScore::csvRows_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("call");
    QTest::addColumn<bool>("isScored");
    QTest::addColumn<QByteArray>("row");

    QTest::newRow("scored") << QByteArray("log.adi") << QByteArray("DL1ABC") << true
                            << QByteArray("log.adi,7,DL1ABC,2024-05-06,12:34,JO62,JO73,432,2,2,4,"
                                          "scored,,DL0XYZ,1,0\r\n");
    QTest::newRow("skipped") << QByteArray("-") << QByteArray("DL1ABC") << false
                             << QByteArray("-,7,DL1ABC,2024-05-06,12:34,JO62,JO6,144,,,,skipped,"
                                           "fremder Locator ungültig,DL0XYZ,,\r\n");
    QTest::newRow("comma and quote quoted")
        << QByteArray("my,log.adi") << QByteArray("DL1\"X\"") << true
        << QByteArray("\"my,log.adi\",7,\"DL1\"\"X\"\"\",2024-05-06,12:34,JO62,JO73,432,2,2,4,"
                      "scored,,DL0XYZ,1,0\r\n");
    QTest::newRow("line break quoted")
        << QByteArray("log.adi") << QByteArray("DL1\r\nABC") << false
        << QByteArray("log.adi,7,\"DL1\r\nABC\",2024-05-06,12:34,JO62,JO6,144,,,,skipped,"
                      "fremder Locator ungültig,DL0XYZ,,\r\n");
}

void TstScore::csvRows() {
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, call);
    QFETCH(bool, isScored);
    QFETCH(QByteArray, row);

    // A row is written straight into the output's block, or, longer than the
    // whole block, on its own.
    for (const std::size_t block : {std::size_t{1} << 20U, std::size_t{16}}) {
        Captured captured;
        {
            qrb::score::OutputBuffer out(captured.file(), block);
            qrb::score::CsvWriter csv(out);
            csv.beginFile(bytes(file));
            const ContactScore c = isScored ? scored("JO62", "JO73", 2, 2, 2)
                                            : skipped("JO62", "JO6", 1, reason::kForeignInvalid);
            const std::string callText = bytes(call);
            const qrb::score::Marks marks{true, false};
            Record r = record(7, callText.c_str());
            r.operatorCall = " DL0XYZ ";
            csv.row(r, c, marks);
            r.number = 8;
            csv.row(r, c, marks);
            QVERIFY(out.flush());
        }
        QByteArray second = row;
        second.replace(QByteArray(",7,"), QByteArray(",8,"));
        QCOMPARE(
            captured.contents(),
            QByteArray("file,record,call,date,time,own,loc,band,pkt,mul,qrb,status,reason,station,"
                       "repeat,satellite\r\n") +
                row + second);
    }
}

void TstScore::textLog_data() {
    QTest::addColumn<int>("which");
    QTest::addColumn<QStringList>("expected");

    const QString header = "Eigener Locator: JO62, Station: nicht angegeben, Datei: a.adi";
    const QString columns =
        " LOC   QRG   PKT   MUL   QRB   Rufzeichen     Datum        Zeit    Hinweis";
    const QString table = " Band  Verbindungen  Quadrate     QRB  Wiederholungen  Satellit";
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
                       "   50             1         1       9               0         0",
                       "  432             2         2      38               1         0",
                       "Summe             3         2      47               1         0",
                       "Summe QRB: 47"};
    QTest::newRow("two own squares, interleaved, one skipped")
        << 1
        << QStringList{header,
                       columns,
                       "JO73   432     2     2     4   DL1ABC         2024-05-06   12:34",
                       "IO91    50                 9   DL1ABC         2024-05-06   12:34",
                       "",
                       table,
                       "   50             1         1       9               0         0",
                       "  432             1         1       4               0         0",
                       "Summe             2         2      13               0         0",
                       "Summe QRB: 13",
                       "",
                       "Eigener Locator: JN58, Station: nicht angegeben, Datei: a.adi",
                       columns,
                       "JN58   144     1     1     1   DL1ABC         2024-05-06   12:34",
                       "",
                       table,
                       "  144             1         1       1               0         0",
                       "Summe             1         1       1               0         0",
                       "Summe QRB: 1",
                       "",
                       "Gesamtsumme QRB (Station nicht angegeben): 14",
                       "",
                       "Nicht gewertet: 1",
                       "  fremder Locator ungültig: 1",
                       "",
                       "a.adi, Nr. 3, DL1ABC: fremder Locator ungültig"};
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
        {{"", "", 0, 0}}};
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
    QCOMPARE(all.count(QString::fromStdString(qrb::score::textLogHeader())), 6);
    QCOMPARE(all.count(QStringLiteral("Nicht gewertet: 6")), 1);
    for (const std::uint64_t budget : {1, 29, 100, 300}) {
        QCOMPARE(writeTextLog(entries, budget), all);
    }
}

void TstScore::skippedLineIsShortAndPrintable() {
    Record r = record(12, "");
    QCOMPARE(text(qrb::score::skippedLine("x.edi", r, reason::kBandMissing)),
             QStringLiteral("x.edi, Nr. 12, ohne Rufzeichen: Band fehlt"));
    // A call cut inside a two-byte letter keeps no half of it; control
    // characters would garble the terminal.
    r.call = std::string(31, 'A') + "\xc3\xa4" + "BC\x1b[2J";
    QCOMPARE(text(qrb::score::skippedLine("x\ty.edi", r, reason::kBandMissing)),
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
    QCOMPARE(text(qrb::score::isoDate(bytes(date))), iso);
    QCOMPARE(text(qrb::score::clockTime(bytes(time), false)), clock);
    QCOMPARE(text(qrb::score::clockTime(bytes(time), true)), clockSeconds);
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
    qrb::score::Report report({unique, noSat}, true);
    // What a consumer of the blocks (a map of the squares) is handed.
    struct Handed : qrb::score::BlockContactSink {
        void contact(const qrb::score::Block& block, const qrb::score::BlockContact& c) override {
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
    qrb::score::Marks marks;
    for (const Contact& c : contacts) {
        Record r = record(1, c.call);
        r.stationCall = c.station;
        r.operatorCall = c.op;
        r.propMode = c.propMode;
        r.satName = c.satName;
        ContactScore score = scored(c.own, "JO73", c.band, 2, c.band);
        const std::size_t block = report.judge(r, score, marks);
        if (!score.scored) {
            got << text(score.reason);
            continue;
        }
        QString line = QString::number(block);
        line += marks.repeat ? " repeat" : "";
        line += marks.satellite ? " sat" : "";
        got << line;
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
