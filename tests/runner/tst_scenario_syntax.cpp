// SPDX-License-Identifier: GPL-3.0-or-later
// Reading scenario lines: splitting into words and strings, escapes, commands,
// targets and values, and how values are compared and shown.

#include "tests/runner/scenario_command.h"
#include "tests/runner/scenario_tokens.h"

#include <QTest>
#include <cmath>
#include <limits>

using namespace scenario;

namespace {

ParsedLine parsed(const QString& line) {
    return parseLine(line);
}

Command commandOf(const QString& line) {
    const ParsedLine p = parseLine(line);
    if (p.status != ParsedLine::Status::Command) {
        qWarning("not a command: %s (%s)", qPrintable(line), qPrintable(p.reason));
    }
    return p.command;
}

// The value an expectation of that target reads from the given text.
Value valueOf(const QString& target, const QString& valueText) {
    return commandOf(QStringLiteral("expect ") + target + QLatin1Char(' ') + valueText).value;
}

Value twips4(std::int64_t a, std::int64_t b, std::int64_t c, std::int64_t d) {
    Value v;
    v.kind = ValueKind::Twips4;
    v.twips = {a, b, c, d};
    return v;
}

Value font(const QString& family, double points) {
    Value v;
    v.kind = ValueKind::Font;
    v.text = family;
    v.points = points;
    return v;
}

Value decimal(float number) {
    Value v;
    v.kind = ValueKind::Decimal;
    v.decimal = number;
    return v;
}

} // namespace

class TestScenarioSyntax : public QObject {
    Q_OBJECT

private slots:
    void ignorableLines_data();
    void ignorableLines();
    void wordsAndStrings();
    void escapes();
    void tokenErrors_data();
    void tokenErrors();
    void quotedReadsBack_data();
    void quotedReadsBack();
    void quotedEscapes();
    void commands();
    void targets_data();
    void targets();
    void values();
    void malformed_data();
    void malformed();
    void integersCompareBySignAndMagnitude();
    void twipsTolerance();
    void fontTolerance();
    void decimalsCompareAsFloats();
    void rendering();
};

void TestScenarioSyntax::ignorableLines_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("ignorable");
    QTest::newRow("empty") << QString() << true;
    QTest::newRow("blanks") << QStringLiteral(" \t  ") << true;
    QTest::newRow("comment") << QStringLiteral("# a comment") << true;
    QTest::newRow("indented comment") << QStringLiteral("  \t#x") << true;
    QTest::newRow("command") << QStringLiteral("dump") << false;
    QTest::newRow("hash later") << QStringLiteral("keys \"#\"") << false;
}

void TestScenarioSyntax::ignorableLines() {
    QFETCH(QString, line);
    QFETCH(bool, ignorable);
    QCOMPARE(isIgnorable(line), ignorable);
    QCOMPARE(parsed(line).status == ParsedLine::Status::Ignored, ignorable);
}

void TestScenarioSyntax::wordsAndStrings() {
    const Tokens t = tokenize(QStringLiteral("  type\tLOC1 \"a b\tc\"  x.y"));
    QVERIFY2(t.error.isEmpty(), qPrintable(t.error));
    QCOMPARE(t.tokens.size(), std::size_t{4});
    QCOMPARE(t.tokens[0].kind, Token::Kind::Word);
    QCOMPARE(t.tokens[0].text, QStringLiteral("type"));
    QCOMPARE(t.tokens[0].column, 3);
    QCOMPARE(t.tokens[1].text, QStringLiteral("LOC1"));
    QCOMPARE(t.tokens[1].column, 8);
    QCOMPARE(t.tokens[2].kind, Token::Kind::String);
    QCOMPARE(t.tokens[2].text, QStringLiteral("a b\tc"));
    QCOMPARE(t.tokens[2].column, 13);
    QCOMPARE(t.tokens[3].kind, Token::Kind::Word);
    QCOMPARE(t.tokens[3].text, QStringLiteral("x.y"));

    const Tokens empty = tokenize(QStringLiteral("keys \"\""));
    QCOMPARE(empty.tokens.size(), std::size_t{2});
    QCOMPARE(empty.tokens[1].kind, Token::Kind::String);
    QVERIFY(empty.tokens[1].text.isEmpty());
}

void TestScenarioSyntax::escapes() {
    const Tokens t = tokenize(QStringLiteral("\"\\\"\\\\\\r\\b\\t\\u00e9\\u20AC\\u0041#\""));
    QVERIFY2(t.error.isEmpty(), qPrintable(t.error));
    QCOMPARE(t.tokens.size(), std::size_t{1});
    const QString want = QStringLiteral("\"\\") + QChar(13) + QChar(8) + QChar(9) + QChar(0xE9) +
                         QChar(0x20AC) + QStringLiteral("A#");
    QCOMPARE(t.tokens[0].text, want);
}

void TestScenarioSyntax::tokenErrors_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("reasonPart");
    QTest::newRow("unterminated") << QStringLiteral("keys \"abc") << QStringLiteral("not closed");
    QTest::newRow("escaped end") << QStringLiteral("keys \"abc\\\"")
                                 << QStringLiteral("not closed");
    QTest::newRow("backslash at end")
        << QStringLiteral("keys \"abc\\") << QStringLiteral("backslash ends");
    QTest::newRow("unknown escape")
        << QStringLiteral("keys \"a\\nb\"") << QStringLiteral("unknown escape \\n");
    QTest::newRow("short \\u") << QStringLiteral("keys \"\\u00e\"")
                               << QStringLiteral("four hexadecimal");
    QTest::newRow("non-hex \\u") << QStringLiteral("keys \"\\u00g0\"")
                                 << QStringLiteral("four hexadecimal");
    QTest::newRow("quote in word") << QStringLiteral("keys ab\"c\"")
                                   << QStringLiteral("column 8: a double quote inside a word");
    QTest::newRow("word after string")
        << QStringLiteral("keys \"a\"b") << QStringLiteral("column 9: a blank must follow");
}

void TestScenarioSyntax::tokenErrors() {
    QFETCH(QString, line);
    QFETCH(QString, reasonPart);
    const Tokens t = tokenize(line);
    QVERIFY(!t.error.isEmpty());
    QVERIFY2(t.error.contains(reasonPart), qPrintable(t.error));
    const ParsedLine p = parsed(line);
    QCOMPARE(p.status, ParsedLine::Status::Malformed);
    QCOMPARE(p.reason, t.error);
}

void TestScenarioSyntax::quotedReadsBack_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("plain") << QStringLiteral("JO62QM");
    QTest::newRow("blanks") << QStringLiteral(" LOC   QRG ");
    QTest::newRow("specials") << QStringLiteral("\"\\") + QChar(13) + QChar(8) + QChar(9);
    QTest::newRow("controls") << QString(QChar(0)) + QChar(1) + QChar(10) + QChar(27) + QChar(127);
    QTest::newRow("umlaut") << QStringLiteral("f\u00fcr");
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) + QChar(u'x');
    QTest::newRow("pair") << QString::fromUcs4(U"a\U0001F600b");
}

void TestScenarioSyntax::quotedReadsBack() {
    QFETCH(QString, text);
    const Tokens t = tokenize(quoted(text));
    QVERIFY2(t.error.isEmpty(), qPrintable(t.error));
    QCOMPARE(t.tokens.size(), std::size_t{1});
    QCOMPARE(t.tokens[0].text, text);
}

void TestScenarioSyntax::quotedEscapes() {
    const QString text =
        QStringLiteral("a\"b\\c") + QChar(13) + QChar(8) + QChar(9) + QChar(1) + QChar(0xE9);
    QCOMPARE(quoted(text), QStringLiteral("\"a\\\"b\\\\c\\r\\b\\t\\u0001") + QChar(0xE9) + u'"');
    QCOMPARE(quoted(QString(QChar(0xAB))), QStringLiteral("\"\u00ab\""));
    QCOMPARE(quoted(QString(QChar(0x9F))), QStringLiteral("\"\\u009F\""));
    QCOMPARE(quoted(QString()), QStringLiteral("\"\""));
}

void TestScenarioSyntax::commands() {
    Command c = commandOf(QStringLiteral("click OK2"));
    QCOMPARE(c.kind, Command::Kind::Click);
    QCOMPARE(c.control, QStringLiteral("OK2"));

    c = commandOf(QStringLiteral("keys \"jo62\\r\""));
    QCOMPARE(c.kind, Command::Kind::Keys);
    QCOMPARE(c.text, QStringLiteral("jo62\r"));

    c = commandOf(QStringLiteral("type LOC2 \"jo73\""));
    QCOMPARE(c.kind, Command::Kind::Type);
    QCOMPARE(c.control, QStringLiteral("LOC2"));
    QCOMPARE(c.text, QStringLiteral("jo73"));

    c = commandOf(QStringLiteral("paste \" A\""));
    QCOMPARE(c.kind, Command::Kind::Paste);
    QCOMPARE(c.text, QStringLiteral(" A"));

    QCOMPARE(commandOf(QStringLiteral("close")).kind, Command::Kind::Close);
    QCOMPARE(commandOf(QStringLiteral("  dump  ")).kind, Command::Kind::Dump);

    c = commandOf(QStringLiteral("expect LOC1.text \"JO62QM\""));
    QCOMPARE(c.kind, Command::Kind::Expect);
    QCOMPARE(c.target.kind, Target::Kind::Control);
    QCOMPARE(c.target.control, QStringLiteral("LOC1"));
    QCOMPARE(c.target.property, Property::Text);
    QCOMPARE(c.value.kind, ValueKind::String);
    QCOMPARE(c.value.text, QStringLiteral("JO62QM"));
}

void TestScenarioSyntax::targets_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("property");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("index2");
    QTest::addColumn<int>("valueKind");
    QTest::addColumn<QString>("written");

    const auto row = [](const char* line, Target::Kind kind, const char* control, Property property,
                        int index, int index2, ValueKind valueKind, const char* written) {
        QTest::newRow(line) << QString::fromLatin1(line) << static_cast<int>(kind)
                            << QString::fromLatin1(control) << static_cast<int>(property) << index
                            << index2 << static_cast<int>(valueKind)
                            << QString::fromLatin1(written);
    };
    using K = Target::Kind;
    using P = Property;
    using V = ValueKind;
    row("expect TELVOR.caption \"QRB-PUNKTE\"", K::Control, "TELVOR", P::Caption, 0, 0, V::String,
        "TELVOR.caption");
    row("expect OK1.tooltip \"\"", K::Control, "OK1", P::Tooltip, 0, 0, V::String, "OK1.tooltip");
    row("expect LOC1.color 0xC0FFC0", K::Control, "LOC1", P::Color, 0, 0, V::Colour, "LOC1.color");
    row("expect B3.checked 1", K::Control, "B3", P::Checked, 0, 0, V::Flag, "B3.checked");
    row("expect Text2.visible 1", K::Control, "Text2", P::Visible, 0, 0, V::Flag, "Text2.visible");
    row("expect DRU.enabled 0", K::Control, "DRU", P::Enabled, 0, 0, V::Flag, "DRU.enabled");
    row("expect LOC1.geometry 1500 1047 975 300", K::Control, "LOC1", P::Geometry, 0, 0, V::Twips4,
        "LOC1.geometry");
    row("expect Linie10.line 100 570 1700 570", K::Control, "Linie10", P::Line, 0, 0, V::Twips4,
        "Linie10.line");
    row("expect TEXT1.font \"Arial\" 9.75", K::Control, "TEXT1", P::Font, 0, 0, V::Font,
        "TEXT1.font");
    row("expect LIST1.taborder 2", K::Control, "LIST1", P::TabOrder, 0, 0, V::Integer,
        "LIST1.taborder");
    row("expect LIST3.count 3", K::Control, "LIST3", P::Count, 0, 0, V::Integer, "LIST3.count");
    row("expect LIST1[12] \"x\"", K::Control, "LIST1", P::Item, 12, 0, V::String, "LIST1[12]");
    row("expect TELVOR.size 6690 5595", K::Control, "TELVOR", P::Size, 0, 0, V::Twips2,
        "TELVOR.size");
    row("expect focus none", K::Focus, "", P::Text, 0, 0, V::FocusName, "focus");
    row("expect focus OK2", K::Focus, "", P::Text, 0, 0, V::FocusName, "focus");
    row("expect ended 0", K::Ended, "", P::Text, 0, 0, V::Flag, "ended");
    row("expect FEHLER 1", K::Shared, "", P::Text, 0, 0, V::Integer, "FEHLER");
    row("expect TAST_ZAEHL 18446744073709551615", K::Shared, "", P::Text, 0, 0, V::Integer,
        "TAST_ZAEHL");
    row("expect LAENGE 12.5", K::Shared, "", P::Text, 0, 0, V::Decimal, "LAENGE");
    row("expect QTH_TEXT \"EK\"", K::Shared, "", P::Text, 0, 0, V::String, "QTH_TEXT");
    row("expect QRB_TAB(0,40) 0", K::QrbTab, "", P::Text, 0, 40, V::Integer, "QRB_TAB(0,40)");
    row("expect QRB_TAB(40,1) 7", K::QrbTab, "", P::Text, 40, 1, V::Integer, "QRB_TAB(40,1)");
    row("expect PRINT.jobs 1", K::PrintJobs, "", P::Text, 0, 0, V::Integer, "PRINT.jobs");
    row("expect PRINT[2].count 5", K::PrintCount, "", P::Text, 2, 0, V::Integer, "PRINT[2].count");
    row("expect PRINT[0][7] \"\"", K::PrintLine, "", P::Text, 0, 7, V::String, "PRINT[0][7]");
    row("expect PRINT[1].font \"Courier New\" 10", K::PrintFont, "", P::Text, 1, 0, V::Font,
        "PRINT[1].font");
}

void TestScenarioSyntax::targets() {
    QFETCH(QString, line);
    QFETCH(int, kind);
    QFETCH(QString, control);
    QFETCH(int, property);
    QFETCH(int, index);
    QFETCH(int, index2);
    QFETCH(int, valueKind);
    QFETCH(QString, written);
    const ParsedLine p = parsed(line);
    QVERIFY2(p.status == ParsedLine::Status::Command, qPrintable(p.reason));
    const Target& t = p.command.target;
    QCOMPARE(static_cast<int>(t.kind), kind);
    if (t.kind == Target::Kind::Control) {
        QCOMPARE(t.control, control);
        QCOMPARE(static_cast<int>(t.property), property);
    }
    QCOMPARE(t.index, index);
    QCOMPARE(t.index2, index2);
    QCOMPARE(static_cast<int>(p.command.value.kind), valueKind);
    QCOMPARE(targetText(t), written);
}

void TestScenarioSyntax::values() {
    QCOMPARE(valueOf(QStringLiteral("LOC1.color"), QStringLiteral("C0FFC0")).colour, 0xC0FFC0U);
    QCOMPARE(valueOf(QStringLiteral("LOC1.color"), QStringLiteral("0xc0c0ff")).colour, 0xC0C0FFU);
    QCOMPARE(valueOf(QStringLiteral("LOC1.color"), QStringLiteral("0X00ff00")).colour, 0x00FF00U);

    const Value minus = valueOf(QStringLiteral("QRB_PKT"), QStringLiteral("-17"));
    QVERIFY(minus.integer.negative);
    QCOMPARE(minus.integer.magnitude, std::uint64_t{17});
    QCOMPARE(valueOf(QStringLiteral("TAST_ZAEHL"), QStringLiteral("18446744073709551615"))
                 .integer.magnitude,
             std::numeric_limits<std::uint64_t>::max());

    QVERIFY(valueOf(QStringLiteral("ended"), QStringLiteral("1")).flag);
    QVERIFY(!valueOf(QStringLiteral("ended"), QStringLiteral("0")).flag);

    const Value g = valueOf(QStringLiteral("LOC2.geometry"), QStringLiteral("1500 -1646 0 300"));
    QCOMPARE(g.twips[0], 1500);
    QCOMPARE(g.twips[1], -1646);
    QCOMPARE(g.twips[2], 0);
    QCOMPARE(g.twips[3], 300);
    const Value s = valueOf(QStringLiteral("TELVOR.size"), QStringLiteral("6690 5595"));
    QCOMPARE(s.twips[0], 6690);
    QCOMPARE(s.twips[1], 5595);

    const Value f = valueOf(QStringLiteral("LIST3.font"), QStringLiteral("\"Courier New\" 6.75"));
    QCOMPARE(f.text, QStringLiteral("Courier New"));
    QCOMPARE(f.points, 6.75);

    QCOMPARE(valueOf(QStringLiteral("LAENGE"), QStringLiteral("0.1")).decimal, 0.1F);
    QCOMPARE(valueOf(QStringLiteral("BREITE"), QStringLiteral("-52.5")).decimal, -52.5F);
    QCOMPARE(valueOf(QStringLiteral("BREITE"), QStringLiteral("+.5")).decimal, 0.5F);
    QCOMPARE(valueOf(QStringLiteral("BREITE"), QStringLiteral("1e1")).decimal, 10.0F);
    QCOMPARE(valueOf(QStringLiteral("BREITE"), QStringLiteral("-52.5")).decimalText,
             QStringLiteral("-52.5"));

    QCOMPARE(valueOf(QStringLiteral("focus"), QStringLiteral("LIST1")).text,
             QStringLiteral("LIST1"));
}

void TestScenarioSyntax::malformed_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("reasonPart");
    const auto row = [](const char* line, const char* part) {
        QTest::newRow(line) << QString::fromLatin1(line) << QString::fromLatin1(part);
    };
    row("klick OK1", "unknown command 'klick'");
    row("\"click\" OK1", "must start with a command");
    row("CLICK OK1", "unknown command 'CLICK'");
    row("click", "write click NAME");
    row("click OK3", "unknown control 'OK3'");
    row("click ok1", "did you mean OK1?");
    row("click OK1 OK2", "column 11: unexpected 'OK2'");
    row("click \"OK1\"", "needs a control name");
    row("keys abc", "needs a string");
    row("keys", "write keys \"TEXT\"");
    row("keys \"a\" \"b\"", "unexpected the string \"b\"");
    row("type LOC1", "write type NAME \"TEXT\"");
    row("type \"jo62\"", "needs a control name");
    row("type LOCX \"jo62\"", "unknown control 'LOCX'");
    row("paste", "write paste");
    row("close now", "unexpected 'now'");
    row("dump all", "unexpected 'all'");
    row("expect", "write expect TARGET VALUE");
    row("expect \"focus\" LOC1", "needs a target");
    row("expect LOC1.text", "the value is missing");
    row("expect LOC1.text JO62", "needs a string in double quotes; found 'JO62'");
    row("expect LOC1.text \"a\" \"b\"", "unexpected the string \"b\" after the value");
    row("expect TEXT1.text \"x\"", "TEXT1 has no .text");
    row("expect LOC1.caption \"x\"", "LOC1 has no .caption");
    row("expect LIST1.caption \"x\"", "LIST1 has no .caption");
    row("expect OK1.checked 0", "OK1 has no .checked");
    row("expect LOC1.size 1 2", "LOC1 has no .size");
    row("expect TELVOR.geometry 0 0 1 1", "TELVOR has no .geometry");
    row("expect TELVOR.taborder 1", "TELVOR has no .taborder");
    row("expect LOC1.line 0 0 1 1", "LOC1 has no .line");
    row("expect Line1.geometry 0 0 1 1", "Line1 has no .geometry");
    row("expect Line1.color C0C0C0", "Line1 has no .color");
    row("expect LOC1.colour C0C0C0", "unknown property .colour");
    row("expect LOC1 \"x\"", "unknown target 'LOC1'");
    row("expect LOC9.text \"x\"", "unknown control 'LOC9'");
    row("expect loc1.text \"x\"", "did you mean LOC1?");
    row("expect LOC1[0] \"x\"", "LOC1 is not a list");
    row("expect LIST1[] \"x\"", "LIST1[I]");
    row("expect LIST1[-1] \"x\"", "LIST1[I]");
    row("expect LIST1[1 \"x\"", "LIST1[I]");
    row("expect LIST9[1] \"x\"", "unknown control 'LIST9'");
    row("expect LOC1.color C0FFC", "six hexadecimal digits");
    row("expect LOC1.color C0FFC00", "six hexadecimal digits");
    row("expect LOC1.color 0x", "six hexadecimal digits");
    row("expect LOC1.color GGFFC0", "six hexadecimal digits");
    row("expect LOC1.color \"C0FFC0\"", "six hexadecimal digits");
    row("expect OK1.enabled 2", "0 or 1; found '2'");
    row("expect OK1.enabled yes", "0 or 1");
    row("expect ended true", "0 or 1");
    row("expect FEHLER 1.0", "a whole number; found '1.0'");
    row("expect FEHLER +1", "a whole number");
    row("expect FEHLER --1", "a whole number");
    row("expect TAST_ZAEHL 18446744073709551616", "a whole number");
    row("expect LIST1.count \"2\"", "a whole number");
    row("expect LOC1.geometry 1500 1047 975", "found only 3 of 4 words");
    row("expect LOC1.geometry 1500 1047 975 300 1", "unexpected '1'");
    row("expect LOC1.geometry 1500 1047 975 3.5", "number 4 is '3.5'");
    row("expect TELVOR.size 6690", "two whole numbers");
    row("expect TEXT1.font \"Arial\"", "found only 1 of 2 words");
    row("expect TEXT1.font Arial 9.75", "the name is 'Arial'");
    row("expect TEXT1.font \"Arial\" big", "the size is 'big'");
    row("expect LAENGE abc", "a decimal number");
    row("expect LAENGE 1,5", "a decimal number");
    row("expect LAENGE inf", "a decimal number");
    row("expect LAENGE nan", "a decimal number");
    row("expect LAENGE 0x1p3", "a decimal number");
    row("expect LAENGE 1e", "a decimal number");
    row("expect LAENGE .", "a decimal number");
    row("expect LAENGE 1e39", "beyond a 32-bit float");
    row("expect LOC_TEXT JO62", "a string in double quotes");
    row("expect focus LOC9", "unknown control 'LOC9'");
    row("expect focus \"LOC1\"", "a control name or none");
    row("expect QRB_TAB(41,0) 0", "from 0 to 40");
    row("expect QRB_TAB(0,41) 0", "from 0 to 40");
    row("expect QRB_TAB(1, 2) 0", "without blanks");
    row("expect QRB_TAB(a,1) 0", "QRB_TAB(X,Y)");
    row("expect QRB_TAB(1;2) 0", "QRB_TAB(X,Y)");
    row("expect QRB_TAB 0", "QRB_TAB(X,Y)");
    row("expect PRINT.count 1", "print targets");
    row("expect PRINT[x].count 1", "job number");
    row("expect PRINT[0].lines 1", "print targets");
    row("expect PRINT[0][y] \"\"", "line number");
    row("expect PRINT[0] 1", "print targets");
    row("expect fehler 1", "unknown target 'fehler'");
}

void TestScenarioSyntax::malformed() {
    QFETCH(QString, line);
    QFETCH(QString, reasonPart);
    const ParsedLine p = parsed(line);
    QCOMPARE(p.status, ParsedLine::Status::Malformed);
    QVERIFY2(p.reason.contains(reasonPart), qPrintable(p.reason));
}

void TestScenarioSyntax::integersCompareBySignAndMagnitude() {
    QCOMPARE(Integer::of(-1).toString(), QStringLiteral("-1"));
    QCOMPARE(Integer::of(std::numeric_limits<std::int64_t>::min()).toString(),
             QStringLiteral("-9223372036854775808"));
    QCOMPARE(Integer::ofUnsigned(std::numeric_limits<std::uint64_t>::max()).toString(),
             QStringLiteral("18446744073709551615"));
    QVERIFY(Integer::of(5) == Integer::ofUnsigned(5));
    QVERIFY(!(Integer::of(-5) == Integer::of(5)));
    QVERIFY(!(Integer::of(4) == Integer::of(5)));

    Value want = valueOf(QStringLiteral("QRB_PKT"), QStringLiteral("-0"));
    Value got;
    got.kind = ValueKind::Integer;
    got.integer = Integer::of(0);
    QVERIFY(matches(want, got));
    QCOMPARE(render(want), QStringLiteral("0"));
    want = valueOf(QStringLiteral("QRB_PKT"), QStringLiteral("-3"));
    got.integer = Integer::of(3);
    QVERIFY(!matches(want, got));
    got.integer = Integer::of(-3);
    QVERIFY(matches(want, got));
}

void TestScenarioSyntax::twipsTolerance() {
    const Value want = twips4(1500, 1047, 975, 300);
    QVERIFY(matches(want, twips4(1500, 1047, 975, 300)));
    QVERIFY(matches(want, twips4(1515, 1032, 990, 285)));
    for (std::size_t i = 0; i < 4; ++i) {
        Value over = want;
        over.twips[i] += 16;
        QVERIFY2(!matches(want, over), qPrintable(render(over)));
        Value under = want;
        under.twips[i] -= 16;
        QVERIFY2(!matches(want, under), qPrintable(render(under)));
    }
    Value size = want;
    size.kind = ValueKind::Twips2;
    Value sizeGot = size;
    sizeGot.twips[3] = 99999; // outside a pair
    QVERIFY(matches(size, sizeGot));
    sizeGot.twips[1] += 16;
    QVERIFY(!matches(size, sizeGot));
    QVERIFY(!matches(size, want)); // different kinds never match
}

void TestScenarioSyntax::fontTolerance() {
    const Value want = font(QStringLiteral("Arial"), 8.25);
    QVERIFY(matches(want, font(QStringLiteral("Arial"), 8.25)));
    QVERIFY(matches(want, font(QStringLiteral("Arial"), 8.26)));
    QVERIFY(matches(want, font(QStringLiteral("Arial"), 8.24)));
    QVERIFY(!matches(want, font(QStringLiteral("Arial"), 8.27)));
    QVERIFY(!matches(want, font(QStringLiteral("Arial"), 8.0)));
    QVERIFY(!matches(want, font(QStringLiteral("arial"), 8.25)));
    QVERIFY(!matches(want, font(QStringLiteral("Courier New"), 8.25)));
}

void TestScenarioSyntax::decimalsCompareAsFloats() {
    const Value want = valueOf(QStringLiteral("LAENGE"), QStringLiteral("12.3"));
    QVERIFY(matches(want, decimal(12.3F)));
    QVERIFY(!matches(want, decimal(std::nextafter(12.3F, 13.0F))));
    QVERIFY(!matches(want, decimal(std::nextafter(12.3F, 12.0F))));
    // More digits than a float holds still name the nearest float.
    QVERIFY(
        matches(valueOf(QStringLiteral("LAENGE"), QStringLiteral("12.30000001")), decimal(12.3F)));
    QCOMPARE(render(want), QStringLiteral("12.3"));
    QCOMPARE(floatText(12.3F), QStringLiteral("12.3"));
    QCOMPARE(floatText(-0.5F), QStringLiteral("-0.5"));
    QCOMPARE(render(decimal(std::nextafter(12.3F, 13.0F))), QStringLiteral("12.300001"));
}

void TestScenarioSyntax::rendering() {
    Value colour;
    colour.kind = ValueKind::Colour;
    colour.colour = 0x00C0C0;
    QCOMPARE(render(colour), QStringLiteral("00C0C0"));
    colour.colour = 0xc0ffc0;
    QCOMPARE(render(colour), QStringLiteral("C0FFC0"));

    QCOMPARE(render(font(QStringLiteral("Arial"), 8.25)), QStringLiteral("\"Arial\" 8.25"));
    QCOMPARE(render(font(QStringLiteral("Arial"), 10)), QStringLiteral("\"Arial\" 10"));
    QCOMPARE(render(twips4(-15, 0, 975, 300)), QStringLiteral("-15 0 975 300"));
    QCOMPARE(render(valueOf(QStringLiteral("TELVOR.size"), QStringLiteral("6690 5595"))),
             QStringLiteral("6690 5595"));
    QCOMPARE(render(valueOf(QStringLiteral("LIST1[1]"), QStringLiteral("\"a\\tb\\\"\""))),
             QStringLiteral("\"a\\tb\\\"\""));
    QCOMPARE(render(valueOf(QStringLiteral("ended"), QStringLiteral("1"))), QStringLiteral("1"));
    QCOMPARE(render(valueOf(QStringLiteral("focus"), QStringLiteral("none"))),
             QStringLiteral("none"));
}

QTEST_APPLESS_MAIN(TestScenarioSyntax)
#include "tst_scenario_syntax.moc"
