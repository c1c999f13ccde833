// SPDX-License-Identifier: GPL-3.0-or-later
// Key filter of the entry fields, the locator check and the help text.

#include "input/help_text.h"
#include "input/key_filter.h"
#include "input/locator_check.h"

#include <QString>
#include <QTest>
#include <limits>

namespace {

QString qs(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::u16string u16(const QString& text) {
    return text.toStdU16String();
}

constexpr qulonglong kMaxCount = std::numeric_limits<qrb::KeyCount>::max();

} // namespace

class TestInput : public QObject {
    Q_OBJECT

private slots:
    void filterKey_data();
    void filterKey();
    void keySequence_data();
    void keySequence();
    void toUpperKey_data();
    void toUpperKey();
    void toUpperKeyLeavesWideCharacters();
    void deliversCharacter_data();
    void deliversCharacter();
    void trimBlanks_data();
    void trimBlanks();
    void checkLocator_data();
    void checkLocator();
    void helpText_data();
    void helpText();
    void helpLeadingBlanks_data();
    void helpLeadingBlanks();
    void helpExampleColumns();
};

void TestInput::filterKey_data() {
    QTest::addColumn<qulonglong>("before");
    QTest::addColumn<int>("code");
    QTest::addColumn<qulonglong>("after");
    QTest::addColumn<bool>("firstKey");
    QTest::addColumn<bool>("enter");
    QTest::addColumn<int>("inserted");

    QTest::newRow("first letter") << 0ULL << int('a') << 1ULL << true << false << int('A');
    QTest::newRow("second letter") << 1ULL << int('b') << 2ULL << false << false << int('B');
    QTest::newRow("digit") << 3ULL << int('4') << 4ULL << false << false << int('4');
    QTest::newRow("capital stays") << 2ULL << int('Q') << 3ULL << false << false << int('Q');
    QTest::newRow("enter as first key") << 0ULL << 13 << 0ULL << true << true << 13;
    QTest::newRow("enter inside entry") << 5ULL << 13 << 0ULL << false << true << 13;
    QTest::newRow("backspace first") << 0ULL << 8 << 1ULL << true << false << 8;
    QTest::newRow("backspace later") << 2ULL << 8 << 3ULL << false << false << 8;
    QTest::newRow("umlaut first") << 0ULL << 0xE4 << 1ULL << true << false << 0xC4;
    QTest::newRow("reaching the limit")
        << kMaxCount - 1 << int('x') << kMaxCount << false << false << int('X');
    QTest::newRow("at the limit") << kMaxCount << int('x') << kMaxCount << false << false
                                  << int('X');
    QTest::newRow("enter at the limit") << kMaxCount << 13 << 0ULL << false << true << 13;
}

void TestInput::filterKey() {
    QFETCH(qulonglong, before);
    QFETCH(int, code);
    QFETCH(qulonglong, after);
    QFETCH(bool, firstKey);
    QFETCH(bool, enter);
    QFETCH(int, inserted);

    qrb::KeyCount count = before;
    const qrb::KeyStep step = qrb::filterKey(count, static_cast<char16_t>(code));
    QCOMPARE(qulonglong{count}, after);
    QCOMPARE(step.firstKey, firstKey);
    QCOMPARE(step.enter, enter);
    QCOMPARE(int(step.code), inserted);
}

void TestInput::keySequence_data() {
    QTest::addColumn<qulonglong>("start");
    QTest::addColumn<QString>("keys");      // "\r" is Enter, "\b" Backspace
    QTest::addColumn<QString>("firstKeys"); // '1' where a key starts an entry
    QTest::addColumn<QString>("inserted");
    QTest::addColumn<qulonglong>("end");

    QTest::newRow("locator then enter") << 0ULL << "jo62qm\r"
                                        << "1000000"
                                        << "JO62QM\r" << 0ULL;
    QTest::newRow("next entry after enter") << 0ULL << "dl47\rx"
                                            << "100001"
                                            << "DL47\rX" << 1ULL;
    QTest::newRow("enter twice") << 0ULL << "\r\r"
                                 << "11"
                                 << "\r\r" << 0ULL;
    QTest::newRow("alternating") << 0ULL << "a\rb\rc"
                                 << "10101"
                                 << "A\rB\rC" << 1ULL;
    QTest::newRow("backspace counts") << 0ULL << "\bj\b"
                                      << "100"
                                      << "\bJ\b" << 3ULL;
    QTest::newRow("entry left open") << 4ULL << "jo"
                                     << "00"
                                     << "JO" << 6ULL;
    QTest::newRow("saturated until enter") << kMaxCount - 2 << "abcde\rf"
                                           << "0000001"
                                           << "ABCDE\rF" << 1ULL;
}

void TestInput::keySequence() {
    QFETCH(qulonglong, start);
    QFETCH(QString, keys);
    QFETCH(QString, firstKeys);
    QFETCH(QString, inserted);
    QFETCH(qulonglong, end);

    qrb::KeyCount count = start;
    QString firsts;
    QString typed;
    for (const QChar key : keys) {
        const qrb::KeyStep step = qrb::filterKey(count, key.unicode());
        firsts += step.firstKey ? u'1' : u'0';
        typed += QChar(step.code);
        QCOMPARE(step.enter, key == u'\r');
    }
    QCOMPARE(firsts, firstKeys);
    QCOMPARE(typed, inserted);
    QCOMPARE(qulonglong{count}, end);
}

void TestInput::toUpperKey_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("upper");

    QTest::newRow("a") << int('a') << int('A');
    QTest::newRow("m") << int('m') << int('M');
    QTest::newRow("z") << int('z') << int('Z');
    QTest::newRow("A") << int('A') << int('A');
    QTest::newRow("Z") << int('Z') << int('Z');
    QTest::newRow("backquote before a") << int('`') << int('`');
    QTest::newRow("brace after z") << int('{') << int('{');
    QTest::newRow("at sign") << int('@') << int('@');
    QTest::newRow("digit") << int('7') << int('7');
    QTest::newRow("plus") << int('+') << int('+');
    QTest::newRow("blank") << 32 << 32;
    QTest::newRow("enter") << 13 << 13;
    QTest::newRow("a grave") << 0xE0 << 0xC0;
    QTest::newRow("a umlaut") << 0xE4 << 0xC4;
    QTest::newRow("o umlaut") << 0xF6 << 0xD6;
    QTest::newRow("division sign") << 0xF7 << 0xF7;
    QTest::newRow("o slash") << 0xF8 << 0xD8;
    QTest::newRow("u umlaut") << 0xFC << 0xDC;
    QTest::newRow("thorn") << 0xFE << 0xDE;
    QTest::newRow("y umlaut") << 0xFF << 0xFF;
    QTest::newRow("sharp s") << 0xDF << 0xDF;
    QTest::newRow("capital A umlaut") << 0xC4 << 0xC4;
    QTest::newRow("multiplication sign") << 0xD7 << 0xD7;
    QTest::newRow("a macron") << 0x101 << 0x101;
    QTest::newRow("greek alpha") << 0x3B1 << 0x3B1;
    QTest::newRow("cyrillic a") << 0x430 << 0x430;
    QTest::newRow("fullwidth a") << 0xFF41 << 0xFF41;
}

void TestInput::toUpperKey() {
    QFETCH(int, code);
    QFETCH(int, upper);
    QCOMPARE(int(qrb::toUpperKey(static_cast<char16_t>(code))), upper);
}

void TestInput::toUpperKeyLeavesWideCharacters() {
    // Outside the single-byte set nothing is changed, and upper case is final.
    for (int code = 0; code <= 0xFFFF; ++code) {
        const char16_t c = static_cast<char16_t>(code);
        const char16_t upper = qrb::toUpperKey(c);
        if (code > 0xFF) {
            QCOMPARE(int(upper), code);
        }
        QCOMPARE(int(qrb::toUpperKey(upper)), int(upper));
    }
}

void TestInput::deliversCharacter_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("delivers");

    QTest::newRow("nul") << 0 << false;
    QTest::newRow("ctrl a") << 1 << false;
    QTest::newRow("backspace") << 8 << true;
    QTest::newRow("tab") << 9 << false;
    QTest::newRow("line feed") << 10 << false;
    QTest::newRow("enter") << 13 << true;
    QTest::newRow("escape") << 27 << false;
    QTest::newRow("unit separator") << 31 << false;
    QTest::newRow("blank") << 32 << true;
    QTest::newRow("letter") << int('A') << true;
    QTest::newRow("tilde") << 126 << true;
    QTest::newRow("delete") << 127 << false;
    QTest::newRow("first c1") << 0x80 << false;
    QTest::newRow("last c1") << 0x9F << false;
    QTest::newRow("no-break space") << 0xA0 << true;
    QTest::newRow("y umlaut") << 0xFF << true;
    QTest::newRow("a macron") << 0x100 << true;
    QTest::newRow("euro") << 0x20AC << true;
}

void TestInput::deliversCharacter() {
    QFETCH(int, code);
    QFETCH(bool, delivers);
    QCOMPARE(qrb::deliversCharacter(static_cast<char16_t>(code)), delivers);
}

void TestInput::trimBlanks_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("trimmed");

    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("blanks only") << "    "
                                 << "";
    QTest::newRow("none to trim") << "JO62"
                                  << "JO62";
    QTest::newRow("both sides") << "  JO62  "
                                << "JO62";
    QTest::newRow("inner blank kept") << " DL47 + "
                                      << "DL47 +";
    QTest::newRow("tab kept") << "\tJO62\t"
                              << "\tJO62\t";
    QTest::newRow("no-break space kept") << qs(u"\u00A0JO62") << qs(u"\u00A0JO62");
    QTest::newRow("ideographic space kept") << qs(u"JO62\u3000") << qs(u"JO62\u3000");
    QTest::newRow("single character") << " X "
                                      << "X";
}

void TestInput::trimBlanks() {
    QFETCH(QString, text);
    QFETCH(QString, trimmed);
    QCOMPARE(qs(qrb::trimBlanks(u16(text))), trimmed);
}

void TestInput::checkLocator_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("error");
    QTest::addColumn<QString>("square");

    QTest::newRow("square") << "JO62" << false << "JO62";
    QTest::newRow("full locator") << "JO62QM" << false << "JO62";
    QTest::newRow("one sub-square letter") << "JO62Q" << false << "JO62";
    QTest::newRow("seventh not examined") << "JO62QMX" << false << "JO62";
    QTest::newRow("anything from seventh on") << "JO62QM!x 9" << false << "JO62";
    QTest::newRow("bad sixth letter") << "JO62QY" << true << "JO62";
    QTest::newRow("bad fifth letter") << "JO62YM" << true << "JO62";
    QTest::newRow("digit as fifth") << "JO625M" << true << "JO62";
    QTest::newRow("letter as fourth") << "JO6A" << true << "JO6A";
    QTest::newRow("letter as third") << "JOA2" << true << "JOA2";
    QTest::newRow("Y as second") << "JY62" << true << "JY62";
    QTest::newRow("Y as first") << "YO62" << true << "YO62";
    QTest::newRow("zero for O") << "J062" << true << "J062";
    QTest::newRow("S as second") << "JS62" << false << "JS62";
    QTest::newRow("last field") << "XX00" << false << "XX00";
    QTest::newRow("first field") << "AA99AA" << false << "AA99";
    QTest::newRow("last everywhere") << "XX99XX" << false << "XX99";
    QTest::newRow("below A") << "@A00" << true << "@A00";
    QTest::newRow("below 0") << "AA/0" << true << "AA/0";
    QTest::newRow("above 9") << "AA0:" << true << "AA0:";
    QTest::newRow("lower case") << "jo62" << true << "jo62";
    QTest::newRow("lower case sub-square") << "JO62qm" << true << "JO62";
    QTest::newRow("blanks around") << "  JO62  " << false << "JO62";
    QTest::newRow("blanks around full locator") << " JO62QM " << false << "JO62";
    QTest::newRow("inner blank") << "JO 62" << true << "JO 6";
    QTest::newRow("leading tab") << "\tJO62" << true << "\tJO6";
    QTest::newRow("empty") << "" << false << "";
    QTest::newRow("blanks only") << "   " << false << "";
    QTest::newRow("one letter") << "J" << false << "J";
    QTest::newRow("three characters") << "JO6" << false << "JO6";
    QTest::newRow("short with bad letter") << "Z" << true << "Z";
    // Beyond the single-byte set every character is "?", whatever its low byte.
    QTest::newRow("wide letter with low byte O") << qs(u"J\u014F62") << true << qs(u"J\u014F62");
    QTest::newRow("wide digit with low byte 6") << qs(u"JO\u013662") << true << qs(u"JO\u01366");
    QTest::newRow("wide seventh") << qs(u"JO62QM\u20AC") << false << "JO62";
    QTest::newRow("fullwidth letters") << qs(u"\uFF2A\uFF2F62") << true << qs(u"\uFF2A\uFF2F62");
}

void TestInput::checkLocator() {
    QFETCH(QString, text);
    QFETCH(bool, error);
    QFETCH(QString, square);

    const qrb::LocatorCheck check = qrb::checkLocator(u16(text));
    QCOMPARE(check.error, error);
    QCOMPARE(qs(check.text), square);
}

void TestInput::helpText_data() {
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("text");

    const char16_t* const lines[] = {
        u"",
        u"Bei QSL mit dem alten QTH-Kenner:",
        u"Eingabe 4-stellig (z.B. DL47)",
        u"",
        u"Muss der G\u00FCltigkeitbereich",
        u"erweitert werden:",
        u"",
        u"Eingabe 6-stellig (z.B. DL47xy)",
        u"",
        u"Erweitern nach Westen",
        u"   x = - [Minus]  (z.B. DL47- )",
        u"",
        u"Erweitern nach Osten",
        u"   x = + [Plus]",
        u"   y = _ [Leer]   (z.B. DL47+ )",
        u"",
        u"Erweitern nach S\u00FCden",
        u"   x = _ [Leer]",
        u"   y = - [Minus]  (z.B. DL47 -)",
        u"",
        u"Erweitern nach Norden",
        u"  x = _ [Leer]",
        u"  y = + [Plus]    (z.B. DL47 +)",
        u"",
    };
    int number = 1;
    for (const char16_t* text : lines) {
        QTest::addRow("line %d", number) << number << qs(text);
        ++number;
    }
}

void TestInput::helpText() {
    QFETCH(int, line);
    QFETCH(QString, text);

    QCOMPARE(qrb::kHelpLines.size(), std::size_t{24});
    QCOMPARE(qs(qrb::kHelpLines.at(static_cast<std::size_t>(line - 1))), text);
}

void TestInput::helpLeadingBlanks_data() {
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("blanks");
    QTest::addColumn<bool>("empty");

    for (const int line : {1, 4, 7, 9, 12, 16, 20, 24}) {
        QTest::addRow("empty line %d", line) << line << 0 << true;
    }
    for (const int line : {11, 14, 15, 18, 19}) {
        QTest::addRow("three blanks line %d", line) << line << 3 << false;
    }
    for (const int line : {22, 23}) {
        QTest::addRow("two blanks line %d", line) << line << 2 << false;
    }
    for (const int line : {2, 3, 5, 6, 8, 10, 13, 17, 21}) {
        QTest::addRow("flush line %d", line) << line << 0 << false;
    }
}

void TestInput::helpLeadingBlanks() {
    QFETCH(int, line);
    QFETCH(int, blanks);
    QFETCH(bool, empty);

    const std::u16string_view text = qrb::kHelpLines.at(static_cast<std::size_t>(line - 1));
    QCOMPARE(text.empty(), empty);
    const std::size_t firstNonBlank = text.find_first_not_of(u' ');
    QCOMPARE(firstNonBlank == std::u16string_view::npos ? 0 : int(firstNonBlank), blanks);
}

void TestInput::helpExampleColumns() {
    // The four shift examples stand in one column, so the panel reads as a table.
    for (const std::size_t line : {11U, 15U, 19U, 23U}) {
        const QString text = qs(qrb::kHelpLines.at(line - 1));
        QCOMPARE(text.indexOf(u"(z.B. DL47"), 18);
        QCOMPARE(text.size(), 31);
        QVERIFY(text.endsWith(u')'));
    }
}

QTEST_APPLESS_MAIN(TestInput)
#include "tst_input.moc"
