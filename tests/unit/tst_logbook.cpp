// SPDX-License-Identifier: GPL-3.0-or-later
// The logbook readers: ADIF, ADX and EDI files as loggers write them, rough
// and broken files, the band names and frequencies, the format told from the
// content, and the real logs in the shared folder next to the source tree.

#include "logbook/logbook.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTest>
#include <cstddef>
#include <memory>
#include <optional>
#include <sstream>
#include <streambuf>
#include <string>

using qrb::logbook::Format;
using qrb::logbook::Reader;
using qrb::logbook::ReadError;
using qrb::logbook::Record;

Q_DECLARE_METATYPE(qrb::logbook::Format)

namespace {

const QString kSamples = QStringLiteral(QRB_LOGBOOK_SAMPLES);
const QString kRealData = QStringLiteral(QRB_REALDATA_DIR);

QString text(const std::string& bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// One contact as "number@line call|date|time|own|locator|band|freq", with " D"
// for an EDI duplicate.
QString render(const Record& r) {
    return QStringLiteral("%1@%2 %3|%4|%5|%6|%7|%8|%9")
               .arg(r.number)
               .arg(r.line)
               .arg(text(r.call), text(r.date), text(r.time), text(r.ownLocator), text(r.locator),
                    text(r.band), text(r.freq)) +
           (r.duplicate ? QStringLiteral(" D") : QString());
}

struct Outcome {
    std::optional<Format> format; // empty when openReader refused the content
    QString refusal;              // openReader's message then
    QStringList records;
    std::optional<ReadError> error;
    bool moreAfterEnd = false; // next() gave a contact after it had said false
};

// Everything a reader delivers, with the format recognised from the content
// (chunkBytes 0) or forced and read that many bytes at a time.
Outcome readAll(const QByteArray& bytes, std::size_t chunkBytes = 0, Format forced = Format::Adif) {
    std::istringstream in(bytes.toStdString());
    Outcome outcome;
    std::unique_ptr<Reader> reader;
    if (chunkBytes == 0) {
        ReadError refused;
        reader = qrb::logbook::openReader(in, refused);
        if (!reader) {
            outcome.refusal = text(qrb::logbook::readErrorText(refused));
            return outcome;
        }
    } else {
        reader = qrb::logbook::openReader(in, forced, chunkBytes);
    }
    outcome.format = reader->format();
    Record record;
    while (reader->next(record)) {
        outcome.records << render(record);
    }
    outcome.error = reader->error();
    outcome.moreAfterEnd = reader->next(record);
    return outcome;
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

// A stream over bytes that fails like a broken disk where a read would reach
// their end: reads that fit are served whole, the one that does not throws, as
// a file buffer does on a read error.
class FailingBuffer : public std::streambuf {
public:
    explicit FailingBuffer(std::string bytes) : bytes_(std::move(bytes)) {}

protected:
    std::streamsize xsgetn(char* out, std::streamsize count) override {
        if (count > static_cast<std::streamsize>(bytes_.size() - pos_)) {
            throw std::ios_base::failure("read error");
        }
        bytes_.copy(out, static_cast<std::size_t>(count), pos_);
        pos_ += static_cast<std::size_t>(count);
        return count;
    }
    int_type underflow() override { throw std::ios_base::failure("read error"); }

private:
    std::string bytes_;
    std::size_t pos_ = 0;
};

} // namespace

std::string errorText(const ReadError& error) {
    return qrb::logbook::readErrorText(error);
}

class TestLogbook : public QObject {
    Q_OBJECT

private slots:
    void sampleLogs_data();
    void sampleLogs();
    void utf8TextKeepsLaterFields_data();
    void utf8TextKeepsLaterFields();
    void roughInput_data();
    void roughInput();
    void readFailureKeepsEarlierRecords();
    void formatFromContent_data();
    void formatFromContent();
    void stationAndSatellite_data();
    void stationAndSatellite();
    void adifBands_data();
    void adifBands();
    void ediBands_data();
    void ediBands();
    void realLogs_data();
    void realLogs();
    void sameRecordsInSmallChunks_data();
    void sameRecordsInSmallChunks();
};

// Sample logs shaped like those of several loggers, each contact with all the
// fields kept, its number and the line it begins on.
void TestLogbook::sampleLogs_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<Format>("format");
    QTest::addColumn<QStringList>("records");

    // Header text, lower-case tags, CRLF, one contact per line, an empty GRIDSQUARE.
    QTest::newRow("WSJT-X") << "wsjtx.adi" << Format::Adif
                            << QStringList{
                                   "1@8 SP2XYZ|20240512|183215|JO62QM||2m|144.174512",
                                   "2@9 OZ1FF|20240512|184030|JO62QM|JO65|2m|144.174512",
                                   "3@10 EA8ZZ|20240513|071502|JO62QM|IL18|10m|28.075100",
                                   "4@11 OK1KIR|20240513|190045|JO62QM|JO70|70cm|432.065000",
                               };
    // Header fields from the first byte, one field per line, type letters,
    // UTF-8 names and places counted in bytes and (second contact) in characters.
    QTest::newRow("Log4OM") << "log4om.adi" << Format::Adif
                            << QStringList{
                                   "1@5 OE3XYZ|20230617|0912|JO62qm|jn78sf|2M|144.290000",
                                   "2@17 SP9AB|20230617|0930|JO62QM|KO00fb|70CM|",
                                   "3@28 HA5KDR|20230618|1105|JO62QM|JN97lm|23cm|1296.200",
                               };
    // One line per contact with APP_ fields; a contact with FREQ only and one
    // with a band outside the award.
    QTest::newRow("N1MM") << "n1mm.adi" << Format::Adif
                          << QStringList{
                                 "1@5 G4ABC|20240601|140102|JO62QM|IO91VL|2m|144.28512",
                                 "2@6 PA0XX|20240601|141530|JO62QM|JO22||432.2001",
                                 "3@7 F5LEN|20240601|150000|JO62QM|JN18|33cm|144.300",
                             };
    QTest::newRow("no header") << "noheader.adi" << Format::Adif
                               << QStringList{
                                      "1@1 K1JT|20120304|2210||FN20|2M|",
                                      "2@8 W5UN|20120304|2210||EM13|2M|",
                                  };
    // Header with a comment, an entity, USERDEF and APP fields that are no
    // contact fields, element names in three spellings, CDATA.
    QTest::newRow("ADX") << "sample.adx" << Format::Adx
                         << QStringList{
                                "1@10 OK1ABC|20240512|1412|JO62QM|JO70fd|2m|144.300",
                                "2@22 SP1ABC|20240512|1430|JO62QM|JO73||1296.210",
                                "3@26 DL0XX/P||||JO50|13CM|",
                            };
    // CRLF, a wrong count in [QSORecords;5], a lower-case locator, a duplicate,
    // [Remarks] before and [END] after the contacts.
    QTest::newRow("EDI UcxLog") << "ucxlog.edi" << Format::Edi
                                << QStringList{
                                       "1@15 OK1KIR|240507|1805|JO62QM|JO70FD|432 MHz|",
                                       "2@16 SP6JLW|240507|1812|JO62QM|jo81ck|432 MHz|",
                                       "3@17 OK1KIR|240507|1830|JO62QM|JO70FD|432 MHz| D",
                                       "4@18 DF0MU|240507|1844|JO62QM|JN58SE|432 MHz|",
                                   };
    // "[REGITEST;1]", LF, a lower-case PWWLo, "1,3 GHz", 16 fields, a last
    // line without its ';' and the count 9 for three contacts.
    QTest::newRow("EDI mistyped") << "tucnak.edi" << Format::Edi
                                  << QStringList{
                                         "1@10 YO5KUC|20240507|1901|kn17wp|kn27oa|1,3 GHz|",
                                         "2@11 HG7F|20240507|1915|kn17wp|JN97MM|1,3 GHz|",
                                         "3@12 YO9XYZ| 20240507|1930|kn17wp|KN34BM|1,3 GHz| D",
                                     };
}

void TestLogbook::sampleLogs() {
    QFETCH(QString, file);
    QFETCH(Format, format);
    QFETCH(QStringList, records);
    const QByteArray bytes = fileBytes(kSamples + QLatin1Char('/') + file);
    QVERIFY2(!bytes.isEmpty(), qPrintable(file));
    const Outcome outcome = readAll(bytes);
    QCOMPARE(outcome.format, std::optional<Format>(format));
    QCOMPARE(outcome.records, records);
    QVERIFY2(!outcome.error, outcome.error ? errorText(*outcome.error).c_str() : "");
    QVERIFY(!outcome.moreAfterEnd);
}

// A UTF-8 text field, its length counted in bytes (as ADIF says) or in
// characters (as some loggers do), must not shift the fields after it.
void TestLogbook::utf8TextKeepsLaterFields_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("countCharacters");

    for (const bool characters : {false, true}) {
        const char* how = characters ? "characters" : "bytes";
        QTest::addRow("NAME %s", how) << "NAME" << QStringLiteral("Jiří Šťastný") << characters;
        QTest::addRow("QTH %s", how) << "qth" << QStringLiteral("Kraków-Łagiewniki") << characters;
        QTest::addRow("COMMENT %s", how)
            << "Comment" << QStringLiteral("Tnx für QSO – 73 ✓ 😀") << characters;
        QTest::addRow("ending in a wide character %s", how)
            << "NAME" << QStringLiteral("Øø") << characters;
    }
}

void TestLogbook::utf8TextKeepsLaterFields() {
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(bool, countCharacters);
    const QByteArray utf8 = value.toUtf8();
    const qsizetype length = countCharacters ? value.toUcs4().size() : utf8.size();
    QVERIFY(countCharacters == (length < utf8.size()));
    const QByteArray contact = "<CALL:5>OK1XY<" + field.toLatin1() + ':' +
                               QByteArray::number(length) + '>' + utf8 +
                               "<GRIDSQUARE:4>JO70<BAND:4>70cm<QSO_DATE:8>20240101<EOR>\n";
    const Outcome outcome = readAll(contact + contact);
    QCOMPARE(outcome.records,
             (QStringList{"1@1 OK1XY|20240101|||JO70|70cm|", "2@2 OK1XY|20240101|||JO70|70cm|"}));
    QVERIFY(!outcome.error);
}

// Files that cannot be read to their end: the contacts before the fault are
// delivered, then the reading stops with a message, line and contact.
void TestLogbook::roughInput_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("records");
    QTest::addColumn<QString>("message"); // a part of it
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("record");

    const QByteArray one = "<CALL:5>OK1XY<GRIDSQUARE:4>JO70<EOR>\n";
    QTest::newRow("ADIF data past the end")
        << one + "<CALL:10>OK1" << 1 << "endet mitten im Feld CALL" << 2 << 2;
    QTest::newRow("ADIF fields without <EOR>")
        << one + one + "\n<CALL:5>OK1XY\n<GRIDSQUARE:4>JO70\n"
        << 2 << "<EOR> fehlt" << 4 << 3;
    QTest::newRow("ADIF a gigabyte announced")
        << one + "<CALL:5>OK2XY<NOTES:1073741824>short" << 1 << "1073741824 Bytes" << 2 << 2;
    QTest::newRow("ADIF a length beyond 64 bits")
        << one + "<NOTES:99999999999999999999999>x" << 1 << "Feld NOTES" << 2 << 2;
    QTest::newRow("ADIF end marks with an empty length")
        << "made by hand <EOH:0>\n" + one + "<CALL:5>OK2XY<eor:0>\n<CALL:5>OK3XY<EOR:0:S>\n"
        << 3 << "" << 0 << 0;
    QTest::newRow("ADIF only a header")
        << QByteArray("made by hand\n<ADIF_VER:5>3.1.4<EOH>\n") << 0 << "" << 0 << 0;
    QTest::newRow("EDI a line of a million characters")
        << "[REG1TEST;1]\r\nPWWLo=JO62QM\r\n[QSORecords;2]\r\n240101;1200;OK1XY;1;59;001;59;"
           "001;;JO70FD;300;;;;\r\n" +
               QByteArray(1000000, 'x') + "\r\n"
        << 1 << "länger als 65536" << 5 << 2;
    QTest::newRow("EDI without contact section")
        << QByteArray("[REG1TEST;1]\nPWWLo=JO62QM\nPBand=144 MHz\n") << 0 << "[QSORecords]" << 3
        << 0;
    QTest::newRow("ADX malformed")
        << QByteArray("<?xml version=\"1.0\"?>\n<ADX><RECORDS>\n<RECORD><CALL>OK1XY</CALL>"
                      "</RECORD>\n<RECORD><CALL>OK2XY</GRIDSQUARE></RECORD>\n</RECORDS></ADX>")
        << 1 << "XML-Fehler: mismatched tag" << 4 << 2;
    QTest::newRow("ADX cut off")
        << QByteArray("<?xml version=\"1.0\"?>\n<ADX><RECORDS>\n<RECORD><CALL>OK1XY</CALL>"
                      "</RECORD>\n<RECORD><CALL>OK2")
        << 1 << "XML-Fehler" << 4 << 2;
    QTest::newRow("ADX nested without end")
        << "<ADX>" + QByteArray(300, 0).replace(QByteArray(1, 0), "<a>") << 0 << "verschachtelt"
        << 1 << 0;
    QTest::newRow("ADX a comment of 2 MiB")
        << "<ADX><RECORDS><RECORD><!--" + QByteArray(2 << 20, 'x') + "--></RECORD></RECORDS></ADX>"
        << 0 << "länger als 1 MiB" << 1 << 1;
    QTest::newRow("ADX an entity bomb")
        << QByteArray("<?xml version=\"1.0\"?><!DOCTYPE ADX [<!ENTITY a \"aaaaaaaaaaaaaaaa\">"
                      "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
                      "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
                      "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
                      "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">"
                      "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">"
                      "<!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">]>"
                      "<ADX><RECORDS><RECORD><CALL>&g;</CALL></RECORD></RECORDS></ADX>")
        << 0 << "XML-Fehler" << 1 << 1;
}

void TestLogbook::roughInput() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, records);
    QFETCH(QString, message);
    QFETCH(int, line);
    QFETCH(int, record);
    const Outcome outcome = readAll(bytes);
    QVERIFY2(outcome.format, qPrintable(outcome.refusal));
    QCOMPARE(outcome.records.size(), records);
    for (qsizetype i = 0; i < outcome.records.size(); ++i) {
        QVERIFY(outcome.records[i].startsWith(QString::number(i + 1) + QLatin1Char('@')));
    }
    QVERIFY(!outcome.moreAfterEnd);
    if (message.isEmpty()) {
        QVERIFY(!outcome.error);
        return;
    }
    QVERIFY(outcome.error);
    QVERIFY2(text(errorText(*outcome.error)).contains(message), errorText(*outcome.error).c_str());
    QCOMPARE(outcome.error->line, static_cast<std::size_t>(line));
    QCOMPARE(outcome.error->record, static_cast<std::size_t>(record));
}

// The stream itself fails half-way (in every format): the contacts read so
// far come out, then the reader says it could not read on.
void TestLogbook::readFailureKeepsEarlierRecords() {
    // Two contacts in the first 512 bytes read, the third beyond them.
    const std::string fill(600, 'x');
    const std::string adif =
        "<CALL:5>OK1XY<EOR>\n<CALL:5>OK2XY<EOR>\n<CALL:5>OK3XY<NOTES:600>" + fill + "<EOR>\n";
    const std::string edi =
        "[REG1TEST;1]\n[QSORecords;3]\n1;2;OK1XY\n1;2;OK2XY\n1;2;OK3XY;" + fill + "\n";
    const std::string adx = "<ADX><RECORDS><RECORD><CALL>OK1XY</CALL></RECORD>"
                            "<RECORD><CALL>OK2XY</CALL></RECORD><RECORD><CALL>OK3XY</CALL><NOTES>" +
                            fill + "</NOTES></RECORD></RECORDS></ADX>";
    for (const auto& [bytes, format] : {std::pair{adif, Format::Adif}, std::pair{edi, Format::Edi},
                                        std::pair{adx, Format::Adx}}) {
        FailingBuffer buffer(bytes);
        std::istream in(&buffer);
        const std::unique_ptr<Reader> reader = qrb::logbook::openReader(in, format, 512);
        Record record;
        QStringList calls;
        while (reader->next(record)) {
            calls << text(record.call);
        }
        QCOMPARE(calls, (QStringList{"OK1XY", "OK2XY"}));
        QVERIFY(reader->error());
        QCOMPARE(reader->error()->fault, qrb::logbook::ReadFault::ReadFailed);
        QVERIFY2(text(errorText(*reader->error())).contains(QStringLiteral("weitergelesen")),
                 errorText(*reader->error()).c_str());
    }
}

void TestLogbook::formatFromContent_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("format"); // "" when refused
    QTest::addColumn<QString>("refusal");

    QTest::newRow("empty") << QByteArray() << ""
                           << "leer";
    QTest::newRow("blanks and line ends") << QByteArray(" \r\n\t\n") << ""
                                          << "leer";
    QTest::newRow("plain text") << QByteArray("QSO list\nDL1ABC JO62 2m\n") << ""
                                << "weder";
    QTest::newRow("binary noise") << QByteArray("\x00\x9f\xff<\x01\x02>[\x7f:", 10) << ""
                                  << "weder";
    QTest::newRow("an HTML page") << QByteArray("<html><body>log</body></html>") << ""
                                  << "weder";
    QTest::newRow("ADIF with header text") << QByteArray("Log\n<EOH>\n") << "ADIF"
                                           << "";
    QTest::newRow("ADIF from '<'") << QByteArray("<call:4>OK1A<eor>") << "ADIF"
                                   << "";
    QTest::newRow("ADIF after a byte order mark")
        << QByteArray("\xEF\xBB\xBF<CALL:4>OK1A<EOR>") << "ADIF"
        << "";
    QTest::newRow("ADX declaration") << QByteArray("<?xml version=\"1.0\"?><ADX/>") << "ADX"
                                     << "";
    QTest::newRow("ADX without declaration") << QByteArray("\n  <adx></adx>") << "ADX"
                                             << "";
    QTest::newRow("ADX in UTF-16") << QByteArray("\xFF\xFE<\0A\0D\0X\0/\0>\0", 14) << "ADX"
                                   << "";
    QTest::newRow("EDI") << QByteArray("[REG1TEST;1]\r\nPBand=144 MHz\r\n") << "EDI"
                         << "";
    QTest::newRow("EDI mistyped") << QByteArray("[REGITEST;1]\n") << "EDI"
                                  << "";
    QTest::newRow("EDI without first line") << QByteArray("PWWLo=JO62QM\n[QSORecords;0]\n") << ""
                                            << "weder";
    QTest::newRow("ADX after a document type, no declaration")
        << QByteArray("<!DOCTYPE ADX [<!ENTITY x \">\">]>\n<!-- export -->\n<ADX><RECORDS>"
                      "<RECORD><NOTES><![CDATA[<EOR>]]></NOTES></RECORD></RECORDS></ADX>")
        << "ADX"
        << "";
    QTest::newRow("XML of another root") << QByteArray("<?xml version=\"1.0\"?><ADXLOG/>") << ""
                                         << "weder";
    QTest::newRow("ADIF header with prose after it")
        << QByteArray("Example:\n<ADIF_VER:5>3.1.4 <EOH>\n<CALL:4>OK1A<EOR>\nThat is all.\n") << ""
        << "weder";
    QTest::newRow("ADIF with a field spanning lines")
        << QByteArray("Log\n<EOH>\n<NOTES:9>two\nlines<CALL:4>OK1A<EOR>\n") << "ADIF"
        << "";
    QTest::newRow("README with an EDI example")
        << QByteArray("# Tool\n\nAn EDI log:\n\n```\n[REG1TEST;1]\nPCall=DL0XYZ\n[QSORecords;1]\n"
                      "240514;1802;OZ1ABC;1;59;001;59;003;;JO65DQ;412;;;;\n```\n")
        << ""
        << "weder";
}

void TestLogbook::formatFromContent() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, format);
    QFETCH(QString, refusal);
    std::istringstream in(bytes.toStdString());
    ReadError error;
    const std::unique_ptr<Reader> reader = qrb::logbook::openReader(in, error);
    if (format.isEmpty()) {
        QVERIFY(!reader);
        QVERIFY2(text(errorText(error)).contains(refusal), errorText(error).c_str());
        return;
    }
    QVERIFY(reader);
    QCOMPARE(QString::fromLatin1(qrb::logbook::formatName(reader->format())), format);
}

// The fields that name the station, a satellite and the confirmations, in
// every format.
void TestLogbook::stationAndSatellite_data() {
    QTest::addColumn<QByteArray>("bytes");
    // station|operator|PROP_MODE|SAT_NAME|QSL_RCVD|LOTW_QSL_RCVD|EQSL_QSL_RCVD
    QTest::addColumn<QString>("fields");

    QTest::newRow("ADIF") << QByteArray("<station_callsign:6>DL0XYZ<OPERATOR:5>DL1AB<PROP_MODE:3>"
                                        "SAT<SAT_NAME:6>QO-100<Lotw_Qsl_Rcvd:1>v<QSL_RCVD:1>N"
                                        "<EQSL_QSL_RCVD:1>Y<CALL:4>OK1A<EOR>")
                          << "DL0XYZ|DL1AB|SAT|QO-100|N|v|Y";
    QTest::newRow("ADIF: the names' look-alikes are not read")
        << QByteArray("<QSL_RCVD_VIA:1>B<LOTW_QSL_SENT:1>Y<EQSL_QSL_RCVDX:1>Y<XQSL_QSL_RCVD:1>Y"
                      "<CALL:4>OK1A<EOR>")
        << "||||||";
    QTest::newRow("ADX") << QByteArray("<ADX><RECORDS><RECORD><OPERATOR>DL1AB</OPERATOR>"
                                       "<prop_mode>SAT</prop_mode><QSL_RCVD>Y</QSL_RCVD>"
                                       "<EQSL_QSL_RCVD>N</EQSL_QSL_RCVD></RECORD></RECORDS></ADX>")
                         << "|DL1AB|SAT||Y||N";
    QTest::newRow("EDI") << QByteArray("[REG1TEST;1]\nPCall=DL0XYZ\n[QSORecords;1]\n"
                                       "240101;1200;OK1XY;1;59;001;59;001;;JO70FD;300;;;;\n")
                         << "DL0XYZ||||||";
}

void TestLogbook::stationAndSatellite() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, fields);
    std::istringstream in(bytes.toStdString());
    ReadError refused;
    const std::unique_ptr<Reader> reader = qrb::logbook::openReader(in, refused);
    QVERIFY(reader);
    Record record;
    QVERIFY(reader->next(record));
    QCOMPARE(QStringList({text(record.stationCall), text(record.operatorCall),
                          text(record.propMode), text(record.satName), text(record.qslReceived),
                          text(record.lotwReceived), text(record.eqslReceived)})
                 .join('|'),
             fields);
}

void TestLogbook::adifBands_data() {
    QTest::addColumn<QString>("band");
    QTest::addColumn<QString>("freq");
    QTest::addColumn<int>("index"); // -1: none

    const char* names[] = {"6m",  "2m",  "70cm", "23cm",   "13cm",
                           "9cm", "6cm", "3cm",  "1.25cm", "6mm"};
    for (int i = 0; i < 10; ++i) {
        QTest::addRow("%s", names[i]) << names[i] << "" << i;
        QTest::addRow("%s upper case", names[i])
            << QString::fromLatin1(names[i]).toUpper() << "" << i;
    }
    QTest::newRow("mixed case, blanks") << " 70Cm "
                                        << "" << 2;
    QTest::newRow("band wins over freq") << "2m"
                                         << "432.1" << 1;
    QTest::newRow("1.25m is not 1.25cm") << "1.25m"
                                         << "" << -1;
    QTest::newRow("4m") << "4m"
                        << "70.2" << -1;
    QTest::newRow("20m, freq on 2 m") << "20m"
                                      << "144.3" << -1;
    QTest::newRow("33cm") << "33cm"
                          << "" << -1;

    // No band: the frequency in MHz, every range with its ends.
    const struct {
        const char* low;
        const char* high;
    } ranges[] = {{"50", "54"},       {"144", "148"},    {"420", "450"},   {"1240", "1300"},
                  {"2300", "2450"},   {"3300", "3500"},  {"5650", "5925"}, {"10000", "10500"},
                  {"24000", "24250"}, {"47000", "47200"}};
    for (int i = 0; i < 10; ++i) {
        QTest::addRow("freq %s", ranges[i].low) << "" << ranges[i].low << i;
        QTest::addRow("freq %s", ranges[i].high) << "" << ranges[i].high << i;
        QTest::addRow("freq %s.000001", ranges[i].high)
            << "" << QString::fromLatin1(ranges[i].high) + ".000001" << -1;
        QTest::addRow("freq just below %s", ranges[i].low)
            << "" << QString::number(QString::fromLatin1(ranges[i].low).toInt() - 1) + ".9999999"
            << -1;
    }
    QTest::newRow("freq 144.174753") << ""
                                     << "144.174753" << 1;
    QTest::newRow("freq with comma") << ""
                                     << "432,2" << 2;
    QTest::newRow("freq 1300.0000000000001") << ""
                                             << "1300.0000000000001" << -1;
    QTest::newRow("freq 1300.0000000000000") << ""
                                             << "1300.0000000000000" << 3;
    QTest::newRow("freq in Hz") << ""
                                << "432109060" << -1;
    QTest::newRow("freq with letters") << ""
                                       << "144.3MHz" << -1;
    QTest::newRow("freq negative") << ""
                                   << "-144.3" << -1;
    QTest::newRow("freq only a point") << ""
                                       << "." << -1;
    QTest::newRow("empty band, blanks") << "  "
                                        << " 144.3 " << 1;
    QTest::newRow("nothing") << ""
                             << "" << -1;
}

void TestLogbook::adifBands() {
    QFETCH(QString, band);
    QFETCH(QString, freq);
    QFETCH(int, index);
    const std::optional<int> found =
        qrb::logbook::bandFromAdif(band.toStdString(), freq.toStdString());
    QCOMPARE(found.value_or(-1), index);
}

void TestLogbook::ediBands_data() {
    QTest::addColumn<QString>("pband");
    QTest::addColumn<int>("index");

    QTest::newRow("50 MHz") << "50 MHz" << 0;
    QTest::newRow("144 MHz") << "144 MHz" << 1;
    QTest::newRow("145 MHz") << "145 MHz" << 1;
    QTest::newRow("144") << "144" << 1;
    QTest::newRow("145") << "145" << 1;
    QTest::newRow("144MHz") << "144MHz" << 1;
    QTest::newRow("432 MHz") << "432 MHz" << 2;
    QTest::newRow("435 MHz") << "435 MHz" << 2;
    QTest::newRow("1,3 GHz") << "1,3 GHz" << 3;
    QTest::newRow("1.3 GHz") << "1.3 GHz" << 3;
    QTest::newRow("1296 MHz") << "1296 MHz" << 3;
    QTest::newRow("bare 1,3 is GHz") << "1,3" << 3;
    QTest::newRow("2,3 GHz") << "2,3 GHz" << 4;
    QTest::newRow("2320 MHz") << "2320 MHz" << 4;
    QTest::newRow("3,4 GHz") << "3,4 GHz" << 5;
    QTest::newRow("5,7 GHz") << "5,7 GHz" << 6;
    QTest::newRow("10 GHz") << "10 GHz" << 7;
    QTest::newRow("bare 10 is GHz") << "10" << 7;
    QTest::newRow("10368 MHz") << "10368 MHz" << 7;
    QTest::newRow("24 GHz") << "24 GHz" << 8;
    QTest::newRow("bare 47 is GHz") << "47" << 9;
    QTest::newRow("bare 50 is MHz") << "50" << 0;
    QTest::newRow("lower case unit, blanks") << "  432 mhz " << 2;
    QTest::newRow("70 MHz") << "70 MHz" << -1;
    QTest::newRow("76 GHz") << "76 GHz" << -1;
    QTest::newRow("1,3 THz") << "1,3 THz" << -1;
    QTest::newRow("band name") << "2m" << -1;
    QTest::newRow("empty") << "" << -1;
}

void TestLogbook::ediBands() {
    QFETCH(QString, pband);
    QFETCH(int, index);
    QCOMPARE(qrb::logbook::bandFromEdi(pband.toStdString()).value_or(-1), index);
}

// Every real log in the shared folder is read to its end without an error,
// with the number of contacts its maker wrote and of those with a locator.
void TestLogbook::realLogs_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<Format>("format");
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("withLocator");

    const struct {
        const char* file;
        Format format;
        int records;
        int withLocator;
    } logs[] = {
        {"yo2lza_20160514_091251.edi", Format::Edi, 187, 187},
        {"yo5ocz_20160525_192605.edi", Format::Edi, 91, 91},
        {"adrian_20160514_202826.edi", Format::Edi, 14, 14},
        {"yo2ya_20160510_111709.edi", Format::Edi, 29, 29},
        {"YT5W_1296.edi", Format::Edi, 27, 27},
        {"yo5qcd_20160523_214559.edi", Format::Edi, 11, 11},
        {"manuela_323_20160520_163727.edi", Format::Edi, 27, 27},
        {"virgilz.yo3vz_20160510_191302.edi", Format::Edi, 21, 20},
        {"yo8cqq_20160509_161507.edi", Format::Edi, 8, 7},
        {"M0KPW_2021_07_06_144MHz.adi", Format::Adif, 45, 45},
        {"dl8obf_wsjtx_log.adi", Format::Adif, 185, 138},
        {"qrz-snippet.adi", Format::Adif, 114, 83},
        {"cloudlog_uploads_log.adi", Format::Adif, 708, 708},
        {"cloudlog_backup_logbook.adi", Format::Adif, 3546, 1391},
        {"ADIF_316_test_QSOs_2025_08_27.adi", Format::Adif, 6191, 7},
    };
    for (const auto& log : logs) {
        QTest::newRow(log.file) << log.file << log.format << log.records << log.withLocator;
    }
}

void TestLogbook::realLogs() {
    QFETCH(QString, file);
    QFETCH(Format, format);
    QFETCH(int, records);
    QFETCH(int, withLocator);
    const QString path = kRealData + QLatin1Char('/') + file;
    if (!QFile::exists(path)) {
        QSKIP(qPrintable(QStringLiteral("no real log at ") + path));
    }
    const Outcome outcome = readAll(fileBytes(path));
    QCOMPARE(outcome.format, std::optional<Format>(format));
    QVERIFY2(!outcome.error, outcome.error ? errorText(*outcome.error).c_str() : "");
    QCOMPARE(outcome.records.size(), records);
    int located = 0;
    for (qsizetype i = 0; i < outcome.records.size(); ++i) {
        const QString& record = outcome.records[i];
        QVERIFY(record.startsWith(QString::number(i + 1) + QLatin1Char('@')));
        located += record.section(QLatin1Char('|'), 4, 4).isEmpty() ? 0 : 1;
    }
    QCOMPARE(located, withLocator);
}

// Read a few hundred bytes at a time, tags, fields, lines and XML break at
// every possible place between two reads: the contacts must not change.
void TestLogbook::sameRecordsInSmallChunks_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<Format>("format");

    for (const QString& dir : {kSamples, kRealData}) {
        const QStringList files = QDir(dir).entryList(
            {QStringLiteral("*.adi"), QStringLiteral("*.adx"), QStringLiteral("*.edi")},
            QDir::Files, QDir::Name);
        for (const QString& file : files) {
            const Format format = file.endsWith(QLatin1String(".adi"))   ? Format::Adif
                                  : file.endsWith(QLatin1String(".adx")) ? Format::Adx
                                                                         : Format::Edi;
            QTest::newRow(qPrintable(file)) << dir + QLatin1Char('/') + file << format;
        }
    }
}

void TestLogbook::sameRecordsInSmallChunks() {
    QFETCH(QString, path);
    QFETCH(Format, format);
    const QByteArray bytes = fileBytes(path);
    const Outcome whole = readAll(bytes);
    QVERIFY(!whole.records.isEmpty());
    for (const std::size_t chunk : {512, 513, 600, 777, 1000, 4096}) {
        const Outcome pieces = readAll(bytes, chunk, format);
        QCOMPARE(pieces.records, whole.records);
        QCOMPARE(pieces.error.has_value(), whole.error.has_value());
    }
}

QTEST_APPLESS_MAIN(TestLogbook)
#include "tst_logbook.moc"
