// SPDX-License-Identifier: GPL-3.0-or-later
// Log lines, the running sum and the printed log.

#include "output/log_line.h"
#include "output/page_layout.h"
#include "output/printer.h"

#include <QString>
#include <QStringList>
#include <QTest>
#include <limits>

namespace {

QString qs(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::u16string u16(const QString& text) {
    return text.toStdU16String();
}

constexpr qint64 kMax = std::numeric_limits<qint64>::max();
constexpr qint64 kMin = std::numeric_limits<qint64>::min();

const QString kHeader = QStringLiteral(" LOC   QRG   PKT   MUL   QRB");

// Stands in for the real printer and keeps every call in order.
class RecordingPrinter : public qrb::Printer {
public:
    explicit RecordingPrinter(bool accepts) : accepts_(accepts) {}

    qrb::PrintOutcome print(const qrb::PrintJob& job) override {
        calls << QStringLiteral("face:") + qs(job.fontFace);
        calls << QStringLiteral("size:") + QString::number(job.fontSize);
        sizes.push_back(job.fontSize);
        for (const std::u16string& line : job.lines) {
            calls << QStringLiteral("line:") + qs(line);
        }
        calls << QStringLiteral("end");
        return {accepts_, {}};
    }

    QStringList calls;
    std::vector<double> sizes;

private:
    bool accepts_;
};

std::vector<std::u16string> toLines(const QStringList& lines) {
    std::vector<std::u16string> result;
    for (const QString& line : lines) {
        result.push_back(u16(line));
    }
    return result;
}

} // namespace

class TestOutput : public QObject {
    Q_OBJECT

private slots:
    void decimalText_data();
    void decimalText();
    void padTo3_data();
    void padTo3();
    void numberValue_data();
    void numberValue();
    void logLine_data();
    void logLine();
    void columnsUnderHeader_data();
    void columnsUnderHeader();
    void sumText_data();
    void sumText();
    void runningSum_data();
    void runningSum();
    void printedLines_data();
    void printedLines();
    void printLog_data();
    void printLog();
    void printFailureMessage_data();
    void printFailureMessage();
    void layOutLines_data();
    void layOutLines();
};

void TestOutput::decimalText_data() {
    QTest::addColumn<qint64>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("zero") << qint64{0} << "0";
    QTest::newRow("one digit") << qint64{7} << "7";
    QTest::newRow("largest on screen") << qint64{387} << "387";
    QTest::newRow("negative") << qint64{-5} << "-5";
    QTest::newRow("largest") << kMax << "9223372036854775807";
    QTest::newRow("smallest") << kMin << "-9223372036854775808";
}

void TestOutput::decimalText() {
    QFETCH(qint64, value);
    QFETCH(QString, text);
    QCOMPARE(qs(qrb::decimalText(value)), text);
}

void TestOutput::padTo3_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("padded");

    QTest::newRow("empty") << ""
                           << "   ";
    QTest::newRow("one blank") << " "
                               << "   ";
    QTest::newRow("one digit") << "7"
                               << "  7";
    QTest::newRow("two digits") << "14"
                                << " 14";
    QTest::newRow("negative") << "-5"
                              << " -5";
    QTest::newRow("three digits") << "387"
                                  << "387";
    QTest::newRow("four digits not cut") << "1234"
                                         << "1234";
    QTest::newRow("long negative not cut") << "-123"
                                           << "-123";
}

void TestOutput::padTo3() {
    QFETCH(QString, text);
    QFETCH(QString, padded);
    QCOMPARE(qs(qrb::padTo3(u16(text))), padded);
}

void TestOutput::numberValue_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("value");

    QTest::newRow("sum with blank") << " 21" << qint64{21};
    QTest::newRow("plain") << "14" << qint64{14};
    QTest::newRow("empty") << "" << qint64{0};
    QTest::newRow("blanks only") << "   " << qint64{0};
    QTest::newRow("letters") << "abc" << qint64{0};
    QTest::newRow("digits then letter") << "12x" << qint64{12};
    QTest::newRow("digits then blank") << "1 2" << qint64{1};
    QTest::newRow("leading tab not skipped") << "\t5" << qint64{0};
    QTest::newRow("negative") << "-5" << qint64{-5};
    QTest::newRow("negative after blanks") << "  -17" << qint64{-17};
    QTest::newRow("plus sign") << "+7" << qint64{7};
    QTest::newRow("sign alone") << "-" << qint64{0};
    QTest::newRow("two signs") << "--5" << qint64{0};
    QTest::newRow("blank after sign") << "- 5" << qint64{0};
    QTest::newRow("leading zeros") << "0000000000000000000000000000012" << qint64{12};
    QTest::newRow("largest") << "9223372036854775807" << kMax;
    QTest::newRow("one above largest") << "9223372036854775808" << kMax;
    QTest::newRow("smallest") << "-9223372036854775808" << kMin;
    QTest::newRow("one below smallest") << "-9223372036854775809" << kMin;
    QTest::newRow("far above") << "99999999999999999999999" << kMax;
    QTest::newRow("million digits") << QString(1000000, u'9') << kMax;
    QTest::newRow("million digits negative")
        << QStringLiteral("-") + QString(1000000, u'7') << kMin;
    QTest::newRow("arabic-indic digit") << qs(u"\u0661\u0662") << qint64{0};
    QTest::newRow("wide character with low byte 1") << qs(u"\u0131") << qint64{0};
    QTest::newRow("wide character stops number") << qs(u"4\u01317") << qint64{4};
}

void TestOutput::numberValue() {
    QFETCH(QString, text);
    QFETCH(qint64, value);
    QCOMPARE(qint64{qrb::numberValue(u16(text))}, value);
}

void TestOutput::logLine_data() {
    QTest::addColumn<QString>("loc");
    QTest::addColumn<int>("band");
    QTest::addColumn<qint64>("pkt");
    QTest::addColumn<qint64>("mul");
    QTest::addColumn<qint64>("qrb");
    QTest::addColumn<QString>("line");

    QTest::newRow("432 MHz") << "JO40" << 2 << qint64{7} << qint64{2} << qint64{14}
                             << "JO40   432     7     2    14";
    QTest::newRow("50 MHz") << "JO40" << 0 << qint64{7} << qint64{1} << qint64{7}
                            << "JO40    50                 7";
    QTest::newRow("largest values")
        << "JO40" << 9 << qint64{43} << qint64{9} << qint64{387} << "JO40    47    43     9   387";
    QTest::newRow("neighbour square")
        << "JO73" << 2 << qint64{2} << qint64{2} << qint64{4} << "JO73   432     2     2     4";
    QTest::newRow("144 MHz") << "IO91" << 1 << qint64{9} << qint64{1} << qint64{9}
                             << "IO91   144     9     1     9";
    QTest::newRow("10 GHz") << "KM72" << 7 << qint64{24} << qint64{7} << qint64{168}
                            << "KM72    10    24     7   168";
    QTest::newRow("1.2 GHz") << "JN58" << 3 << qint64{5} << qint64{3} << qint64{15}
                             << "JN58   1.2     5     3    15";
    QTest::newRow("zero points") << "JO62" << 4 << qint64{0} << qint64{4} << qint64{0}
                                 << "JO62   2.3     0     4     0";
    QTest::newRow("50 MHz zero") << "JO62" << 0 << qint64{0} << qint64{1} << qint64{0}
                                 << "JO62    50                 0";
    QTest::newRow("longer locator") << "JO62QM" << 2 << qint64{7} << qint64{2} << qint64{14}
                                    << "JO62QM   432     7     2    14";
    QTest::newRow("shorter locator")
        << "JO" << 2 << qint64{7} << qint64{2} << qint64{14} << "JO   432     7     2    14";
    QTest::newRow("empty locator")
        << "" << 8 << qint64{3} << qint64{8} << qint64{24} << "    24     3     8    24";
    QTest::newRow("four-digit QRB") << "JO40" << 9 << qint64{43} << qint64{9} << qint64{1234}
                                    << "JO40    47    43     9   1234";
    QTest::newRow("four-digit points") << "JO40" << 5 << qint64{1000} << qint64{5} << qint64{5000}
                                       << "JO40   3.6   1000     5   5000";
    QTest::newRow("negative QRB") << "JO40" << 6 << qint64{3} << qint64{6} << qint64{-5}
                                  << "JO40   5.7     3     6    -5";
    QTest::newRow("long negative QRB")
        << "JO40" << 1 << qint64{1} << qint64{1} << qint64{-123} << "JO40   144     1     1   -123";
    QTest::newRow("negative points")
        << "JO40" << 2 << qint64{-1} << qint64{2} << qint64{-2} << "JO40   432    -1     2    -2";
    QTest::newRow("50 MHz negative QRB")
        << "JO40" << 0 << qint64{3} << qint64{1} << qint64{-3} << "JO40    50                -3";
}

void TestOutput::logLine() {
    QFETCH(QString, loc);
    QFETCH(int, band);
    QFETCH(qint64, pkt);
    QFETCH(qint64, mul);
    QFETCH(qint64, qrb);
    QFETCH(QString, line);
    QCOMPARE(qs(qrb::logLine(u16(loc), band, pkt, mul, qrb)), line);
}

void TestOutput::columnsUnderHeader_data() {
    QTest::addColumn<int>("band");
    QTest::addColumn<QString>("qrg");
    QTest::addColumn<qint64>("pkt");

    const char* const labels[] = {" 50", "144", "432", "1.2", "2.3",
                                  "3.6", "5.7", " 10", " 24", " 47"};
    for (int band = 0; band < 10; ++band) {
        for (const qint64 pkt : {qint64{0}, qint64{1}, qint64{9}, qint64{43}}) {
            QTest::addRow("band %d, %lld points", band, static_cast<long long>(pkt))
                << band << QString::fromLatin1(labels[band]) << pkt;
        }
    }
}

void TestOutput::columnsUnderHeader() {
    QFETCH(int, band);
    QFETCH(QString, qrg);
    QFETCH(qint64, pkt);

    // Multipliers of the award: 50 and 144 MHz count once, the others by index.
    const qint64 mul = band == 0 ? 1 : band;
    const QString line = qs(qrb::logLine(u"JO40", band, pkt, mul, pkt * mul));
    QCOMPARE(line.size(), kHeader.size());

    // Each column is three characters wide and stands exactly under its name.
    const auto column = [&](const char* name) {
        return line.mid(kHeader.indexOf(QLatin1String(name)), 3);
    };
    QCOMPARE(line.left(kHeader.indexOf(u"LOC") + 3).trimmed(), QStringLiteral("JO40"));
    QCOMPARE(column("QRG"), qrg);
    if (band == 0) {
        QCOMPARE(column("PKT"), QStringLiteral("   "));
        QCOMPARE(column("MUL"), QStringLiteral("   "));
    } else {
        QCOMPARE(column("PKT"), QString::number(pkt).rightJustified(3));
        QCOMPARE(column("MUL"), QString::number(mul).rightJustified(3));
    }
    QCOMPARE(column("QRB"), QString::number(pkt * mul).rightJustified(3));
    // Between the columns there are only blanks.
    QString gaps = line;
    for (const char* name : {"QRG", "PKT", "MUL", "QRB"}) {
        gaps.replace(kHeader.indexOf(QLatin1String(name)), 3, QStringLiteral("   "));
    }
    QCOMPARE(gaps.mid(4).trimmed(), QString());
}

void TestOutput::sumText_data() {
    QTest::addColumn<qint64>("sum");
    QTest::addColumn<QString>("text");

    QTest::newRow("small") << qint64{4} << " 4";
    QTest::newRow("two contacts") << qint64{21} << " 21";
    QTest::newRow("zero") << qint64{0} << " 0";
    QTest::newRow("negative") << qint64{-5} << "-5";
    QTest::newRow("large") << qint64{123456} << " 123456";
    QTest::newRow("largest") << kMax << " 9223372036854775807";
    QTest::newRow("smallest") << kMin << "-9223372036854775808";
}

void TestOutput::sumText() {
    QFETCH(qint64, sum);
    QFETCH(QString, text);
    QCOMPARE(qs(qrb::sumText(sum)), text);
}

void TestOutput::runningSum_data() {
    QTest::addColumn<QStringList>("qrbTexts"); // PANZ at each confirmation
    QTest::addColumn<QString>("sum");          // SU afterwards

    QTest::newRow("one contact") << QStringList{QStringLiteral("14")} << " 14";
    QTest::newRow("two contacts") << QStringList{QStringLiteral("14"), QStringLiteral("7")}
                                  << " 21";
    QTest::newRow("50 MHz counts")
        << QStringList{QStringLiteral("4"), QStringLiteral("7"), QStringLiteral("387")} << " 398";
    QTest::newRow("zero points") << QStringList{QStringLiteral("0")} << " 0";
    QTest::newRow("down below zero")
        << QStringList{QStringLiteral("3"), QStringLiteral("-8")} << "-5";
    QTest::newRow("back above zero")
        << QStringList{QStringLiteral("-8"), QStringLiteral("10")} << " 2";
}

void TestOutput::runningSum() {
    QFETCH(QStringList, qrbTexts);
    QFETCH(QString, sum);

    // SU starts empty and is read back, with its leading blank, at every step.
    std::u16string su;
    for (const QString& panz : qrbTexts) {
        const std::u16string qrbText = qrb::padTo3(qrb::decimalText(qrb::numberValue(u16(panz))));
        su = qrb::sumText(qrb::numberValue(su) + qrb::numberValue(qrbText));
    }
    QCOMPARE(qs(su), sum);
}

void TestOutput::printedLines_data() {
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<QStringList>("printed");

    const QString rule = QStringLiteral("     _____________________________");
    QTest::newRow("before any contact")
        << QStringList{QString()}
        << QStringList{QStringLiteral("     ") + kHeader, rule, QStringLiteral("     ")};
    QTest::newRow("one contact")
        << QStringList{QString(), QStringLiteral("JO40   432     7     2    14")}
        << QStringList{QStringLiteral("     ") + kHeader, rule, QStringLiteral("     "),
                       QStringLiteral("     JO40   432     7     2    14")};
    QTest::newRow("two contacts")
        << QStringList{QString(), QStringLiteral("JO40   432     7     2    14"),
                       QStringLiteral("JO40    50                 7")}
        << QStringList{QStringLiteral("     ") + kHeader, rule, QStringLiteral("     "),
                       QStringLiteral("     JO40   432     7     2    14"),
                       QStringLiteral("     JO40    50                 7")};
    QTest::newRow("long locator kept")
        << QStringList{QString(), QStringLiteral("JO62QM   432     7     2    14")}
        << QStringList{QStringLiteral("     ") + kHeader, rule, QStringLiteral("     "),
                       QStringLiteral("     JO62QM   432     7     2    14")};
}

void TestOutput::printedLines() {
    QFETCH(QStringList, log);
    QFETCH(QStringList, printed);

    const std::vector<std::u16string> lines = qrb::printedLines({u16(kHeader)}, toLines(log));
    QStringList got;
    for (const std::u16string& line : lines) {
        got << qs(line);
    }
    QCOMPARE(got, printed);
    // Indented header 33, rule 34, and every 28-character contact line 33.
    QCOMPARE(got.at(0).size(), 33);
    QCOMPARE(got.at(1).size(), 34);
    for (int i = 2; i < got.size(); ++i) {
        QCOMPARE(got.at(i).size(), 5 + log.at(i - 2).size());
    }
}

void TestOutput::printLog_data() {
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("one contact") << QStringList{QString(),
                                                QStringLiteral("JO40   432     7     2    14")}
                                 << true;
    QTest::newRow("printer refuses")
        << QStringList{QString(), QStringLiteral("JO40    50                 7")} << false;
    QTest::newRow("empty log") << QStringList{QString()} << true;
}

void TestOutput::printLog() {
    QFETCH(QStringList, log);
    QFETCH(bool, accepted);

    RecordingPrinter printer(accepted);
    QCOMPARE(qrb::printLog(printer, {u16(kHeader)}, toLines(log)), accepted);

    QStringList expected{QStringLiteral("face:Courier New"), QStringLiteral("size:10"),
                         QStringLiteral("line:     ") + kHeader,
                         QStringLiteral("line:     _____________________________")};
    for (const QString& line : log) {
        expected << QStringLiteral("line:     ") + line;
    }
    expected << QStringLiteral("end");
    QCOMPARE(printer.calls, expected);
    QCOMPARE(printer.sizes, std::vector<double>{10.0});

    // Printing again gives the same document.
    RecordingPrinter again(accepted);
    qrb::printLog(again, {u16(kHeader)}, toLines(log));
    QCOMPARE(again.calls, printer.calls);
}

// The line a program writes after its name, as the printers wrote it before
// they returned their outcome: the names put in, the system's words after a
// colon, UTF-8.
void TestOutput::printFailureMessage_data() {
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("detail");
    QTest::addColumn<QByteArray>("message");

    using E = qrb::PrintError;
    QTest::newRow("no printer") << int(E::NoDefaultPrinter) << QString() << QString()
                                << QByteArray("nicht gedruckt: kein Standarddrucker eingerichtet");
    QTest::newRow("server") << int(E::ServerUnreachable) << QStringLiteral("/run/cups/cups.sock")
                            << QString()
                            << QByteArray("nicht gedruckt: der Druckserver /run/cups/cups.sock "
                                          "ist nicht erreichbar");
    QTest::newRow("refused with the server's words")
        << int(E::NotTaken) << QStringLiteral("Büro") << QStringLiteral("Queue stopped")
        << QByteArray("nicht gedruckt: B\xC3\xBCro nimmt den Auftrag nicht an: Queue stopped");
    QTest::newRow("refused by the spooler")
        << int(E::NotTaken) << QStringLiteral("HP") << QString()
        << QByteArray("nicht gedruckt: HP nimmt den Auftrag nicht an");
    QTest::newRow("printer not opened")
        << int(E::PrinterNotOpened) << QStringLiteral("HP") << QString()
        << QByteArray("nicht gedruckt: der Drucker HP l\xC3\xA4sst sich nicht \xC3\xB6"
                      "ffnen");
    QTest::newRow("file") << int(E::FileNotWritten) << QStringLiteral("/ro/log.pdf")
                          << QStringLiteral("Permission denied")
                          << QByteArray("nicht geschrieben: /ro/log.pdf: Permission denied");
    QTest::newRow("no reason") << int(E::Unknown) << QString() << QString()
                               << QByteArray("nicht gedruckt");
}

void TestOutput::printFailureMessage() {
    QFETCH(int, error);
    QFETCH(QString, subject);
    QFETCH(QString, detail);
    QFETCH(QByteArray, message);
    const qrb::PrintOutcome outcome{
        false, {static_cast<qrb::PrintError>(error), u16(subject), u16(detail)}};
    QCOMPARE(QByteArray::fromStdString(qrb::printFailureMessage(outcome)), message);
}

void TestOutput::layOutLines_data() {
    // Font: ascent 8, descent 2, 10 per line; a page holds the lines whose
    // descent stays within its height.
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("pageHeight");
    QTest::addColumn<QString>("expected"); // page:baseline of each line

    QTest::newRow("no line") << 0 << 100 << QString();
    QTest::newRow("one page") << 3 << 100 << QStringLiteral("0:8 0:18 0:28");
    // The tenth line ends exactly at the bottom: it still fits.
    QTest::newRow("last line flush with the bottom")
        << 11 << 100 << QStringLiteral("0:8 0:18 0:28 0:38 0:48 0:58 0:68 0:78 0:88 0:98 1:8");
    QTest::newRow("one unit short: next page")
        << 10 << 99 << QStringLiteral("0:8 0:18 0:28 0:38 0:48 0:58 0:68 0:78 0:88 1:8");
    QTest::newRow("three pages of two") << 5 << 25 << QStringLiteral("0:8 0:18 1:8 1:18 2:8");
    // A page lower than one line still takes one line each, never an empty page.
    QTest::newRow("page lower than a line") << 2 << 5 << QStringLiteral("0:8 1:8");
}

void TestOutput::layOutLines() {
    QFETCH(int, count);
    QFETCH(int, pageHeight);
    QFETCH(QString, expected);

    const std::vector<qrb::PlacedLine> placed =
        qrb::layOutLines(static_cast<std::size_t>(count), {8, 2, 10}, pageHeight);
    QStringList got;
    for (const qrb::PlacedLine& line : placed) {
        got << QStringLiteral("%1:%2").arg(line.page).arg(line.baseline);
    }
    QCOMPARE(got.join(QLatin1Char(' ')), expected);
}

QTEST_APPLESS_MAIN(TestOutput)
#include "tst_output.moc"
