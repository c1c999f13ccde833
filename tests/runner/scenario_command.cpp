// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/runner/scenario_command.h"

#include "tests/runner/scenario_tokens.h"

#include <QByteArray>
#include <QStringList>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <system_error>

namespace scenario {

namespace {

using Kind = ControlKind;

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

bool isHexDigit(QChar c) {
    return isDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool allDigits(QStringView text) {
    if (text.isEmpty()) {
        return false;
    }
    for (const QChar c : text) {
        if (!isDigit(c)) {
            return false;
        }
    }
    return true;
}

QString describe(const Token& token) {
    if (token.kind == Token::Kind::String) {
        return QStringLiteral("the string %1").arg(quoted(token.text));
    }
    return QStringLiteral("'%1'").arg(token.text);
}

// A non-negative index written in decimal digits.
std::optional<int> readIndex(QStringView text) {
    if (!allDigits(text)) {
        return std::nullopt;
    }
    long long value = 0;
    for (const QChar c : text) {
        value = value * 10 + (c.unicode() - u'0');
        if (value > INT_MAX) {
            return std::nullopt;
        }
    }
    return static_cast<int>(value);
}

// A whole number: an optional minus and decimal digits.
std::optional<Integer> readInteger(QStringView text) {
    Integer result;
    if (text.startsWith(u'-')) {
        result.negative = true;
        text = text.mid(1);
    }
    if (!allDigits(text)) {
        return std::nullopt;
    }
    constexpr std::uint64_t max = std::numeric_limits<std::uint64_t>::max();
    for (const QChar c : text) {
        const auto digit = static_cast<std::uint64_t>(c.unicode() - u'0');
        if (result.magnitude > (max - digit) / 10) {
            return std::nullopt;
        }
        result.magnitude = result.magnitude * 10 + digit;
    }
    if (result.magnitude == 0) {
        result.negative = false;
    }
    return result;
}

// A decimal number: optional sign, digits with an optional fraction (or a
// fraction alone), optional exponent. Nothing else, so that no locale and no
// hexadecimal or "inf" spelling can slip in.
bool isDecimal(QStringView text) {
    qsizetype pos = 0;
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) {
        ++pos;
    }
    qsizetype digits = 0;
    while (pos < text.size() && isDigit(text[pos])) {
        ++pos;
        ++digits;
    }
    if (pos < text.size() && text[pos] == u'.') {
        ++pos;
        while (pos < text.size() && isDigit(text[pos])) {
            ++pos;
            ++digits;
        }
    }
    if (digits == 0) {
        return false;
    }
    if (pos < text.size() && (text[pos] == u'e' || text[pos] == u'E')) {
        ++pos;
        if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) {
            ++pos;
        }
        if (pos == text.size()) {
            return false;
        }
        while (pos < text.size() && isDigit(text[pos])) {
            ++pos;
        }
    }
    return pos == text.size();
}

template <typename Number> std::optional<Number> readDecimal(QStringView text) {
    if (!isDecimal(text)) {
        return std::nullopt;
    }
    QByteArray bytes = text.toLatin1();
    if (bytes.startsWith('+')) {
        bytes.remove(0, 1);
    }
    Number value{};
    const auto [end, error] = std::from_chars(bytes.constData(), bytes.constData() + bytes.size(),
                                              value, std::chars_format::general);
    if (error != std::errc() || end != bytes.constData() + bytes.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

template <typename Number> QString shortestText(Number value) {
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return QString::fromLatin1(buffer.data(), result.ptr - buffer.data());
}

struct TargetResult {
    std::optional<Target> target;
    QString error;
};

TargetResult targetError(QString error) {
    return {std::nullopt, std::move(error)};
}

QString knownProperties(ControlKind kind) {
    QStringList words;
    for (const Property p : dottedProperties()) {
        if (appliesTo(p, kind)) {
            words << QLatin1Char('.') + propertyWord(p);
        }
    }
    if (appliesTo(Property::Item, kind)) {
        words << QStringLiteral("[I]");
    }
    return words.join(QStringLiteral(", "));
}

QString unknownControl(QStringView name) {
    QString message = QStringLiteral("unknown control '%1'").arg(name);
    for (const ControlInfo& info : controls()) {
        if (name.compare(QLatin1String(info.name), Qt::CaseInsensitive) == 0) {
            message += QStringLiteral(" (names are case-sensitive: did you mean %1?)")
                           .arg(QLatin1String(info.name));
        }
    }
    return message;
}

TargetResult readPrintTarget(QStringView word) {
    if (word == u"PRINT.jobs") {
        Target t;
        t.kind = Target::Kind::PrintJobs;
        return {t, {}};
    }
    const QString bad = QStringLiteral("unknown target '%1' (print targets: PRINT.jobs, "
                                       "PRINT[J].count, PRINT[J][I], PRINT[J].font)")
                            .arg(word);
    if (!word.startsWith(u"PRINT[")) {
        return targetError(bad);
    }
    const qsizetype close = word.indexOf(u']');
    if (close < 0) {
        return targetError(bad);
    }
    const std::optional<int> job = readIndex(word.mid(6, close - 6));
    if (!job) {
        return targetError(
            QStringLiteral("'%1': the job number must be a whole number from 0").arg(word));
    }
    Target t;
    t.index = *job;
    const QStringView rest = word.mid(close + 1);
    if (rest == u".count") {
        t.kind = Target::Kind::PrintCount;
        return {t, {}};
    }
    if (rest == u".font") {
        t.kind = Target::Kind::PrintFont;
        return {t, {}};
    }
    if (rest.startsWith(u'[') && rest.endsWith(u']') && rest.size() >= 2) {
        const std::optional<int> line = readIndex(rest.mid(1, rest.size() - 2));
        if (!line) {
            return targetError(
                QStringLiteral("'%1': the line number must be a whole number from 0").arg(word));
        }
        t.kind = Target::Kind::PrintLine;
        t.index2 = *line;
        return {t, {}};
    }
    return targetError(bad);
}

TargetResult readQrbTabTarget(QStringView word) {
    const QString bad =
        QStringLiteral("'%1': write a cell of the point table as QRB_TAB(X,Y) with X and Y from "
                       "0 to 40, without blanks")
            .arg(word);
    if (!word.startsWith(u"QRB_TAB(") || !word.endsWith(u')')) {
        return targetError(bad);
    }
    const QStringView inside = word.mid(8, word.size() - 9);
    const qsizetype comma = inside.indexOf(u',');
    if (comma < 0) {
        return targetError(bad);
    }
    const std::optional<int> x = readIndex(inside.left(comma));
    const std::optional<int> y = readIndex(inside.mid(comma + 1));
    if (!x || !y || *x > 40 || *y > 40) {
        return targetError(bad);
    }
    Target t;
    t.kind = Target::Kind::QrbTab;
    t.index = *x;
    t.index2 = *y;
    return {t, {}};
}

TargetResult readControlTarget(QStringView word) {
    const qsizetype bracket = word.indexOf(u'[');
    const qsizetype dot = word.indexOf(u'.');
    if (bracket >= 0 && (dot < 0 || bracket < dot)) {
        const QStringView name = word.left(bracket);
        const std::optional<ControlKind> kind = controlKind(name);
        if (!kind) {
            return targetError(unknownControl(name));
        }
        if (!appliesTo(Property::Item, *kind)) {
            return targetError(QStringLiteral("'%1': %2 is not a list; its targets are %3")
                                   .arg(word, name, knownProperties(*kind)));
        }
        const std::optional<int> index =
            word.endsWith(u']') ? readIndex(word.mid(bracket + 1, word.size() - bracket - 2))
                                : std::nullopt;
        if (!index) {
            return targetError(
                QStringLiteral("'%1': write a line of a list as %2[I] with I a whole number "
                               "from 0")
                    .arg(word, name));
        }
        Target t;
        t.kind = Target::Kind::Control;
        t.control = name.toString();
        t.property = Property::Item;
        t.index = *index;
        return {t, {}};
    }
    if (dot < 0) {
        return targetError(QStringLiteral("unknown target '%1'").arg(word));
    }
    const QStringView name = word.left(dot);
    const QStringView propertyText = word.mid(dot + 1);
    const std::optional<ControlKind> kind = controlKind(name);
    if (!kind) {
        return targetError(unknownControl(name));
    }
    for (const Property p : dottedProperties()) {
        if (propertyText == propertyWord(p)) {
            if (!appliesTo(p, *kind)) {
                return targetError(QStringLiteral("'%1': %2 has no .%3; its targets are %4")
                                       .arg(word, name, propertyText, knownProperties(*kind)));
            }
            Target t;
            t.kind = Target::Kind::Control;
            t.control = name.toString();
            t.property = p;
            return {t, {}};
        }
    }
    return targetError(QStringLiteral("'%1': unknown property .%2; %3 has %4")
                           .arg(word, propertyText, name, knownProperties(*kind)));
}

TargetResult readTarget(QStringView word) {
    if (word == u"focus") {
        Target t;
        t.kind = Target::Kind::Focus;
        return {t, {}};
    }
    if (word == u"ended") {
        Target t;
        t.kind = Target::Kind::Ended;
        return {t, {}};
    }
    for (const SharedVar var : sharedVars()) {
        if (word == sharedName(var)) {
            Target t;
            t.kind = Target::Kind::Shared;
            t.shared = var;
            return {t, {}};
        }
    }
    if (word.startsWith(u"QRB_TAB")) {
        return readQrbTabTarget(word);
    }
    if (word.startsWith(u"PRINT.") || word.startsWith(u"PRINT[")) {
        return readPrintTarget(word);
    }
    return readControlTarget(word);
}

QString valueDescription(ValueKind kind) {
    switch (kind) {
    case ValueKind::String:
        return QStringLiteral("a string in double quotes");
    case ValueKind::Integer:
        return QStringLiteral("a whole number");
    case ValueKind::Flag:
        return QStringLiteral("0 or 1");
    case ValueKind::Colour:
        return QStringLiteral("a colour of six hexadecimal digits such as C0FFC0 or 0xC0FFC0");
    case ValueKind::Twips4:
        return QStringLiteral("four whole numbers in twips");
    case ValueKind::Twips2:
        return QStringLiteral("two whole numbers in twips");
    case ValueKind::Font:
        return QStringLiteral("a font name in double quotes and a size in points");
    case ValueKind::Decimal:
        return QStringLiteral("a decimal number");
    case ValueKind::FocusName:
        return QStringLiteral("a control name or none");
    }
    return {};
}

// Reads the value tokens of an expectation (all tokens after the target).
std::optional<Value> readValue(ValueKind kind, const std::vector<Token>& tokens, QString& error,
                               const QString& target) {
    const auto fail = [&](const QString& what) {
        error = QStringLiteral("%1 needs %2; %3").arg(target, valueDescription(kind), what);
        return std::nullopt;
    };
    std::size_t wanted = 1;
    if (kind == ValueKind::Twips4) {
        wanted = 4;
    } else if (kind == ValueKind::Twips2 || kind == ValueKind::Font) {
        wanted = 2;
    }
    if (tokens.size() < wanted) {
        return fail(
            tokens.empty()
                ? QStringLiteral("the value is missing")
                : QStringLiteral("found only %1 of %2 words").arg(tokens.size()).arg(wanted));
    }
    if (tokens.size() > wanted) {
        error = QStringLiteral("column %1: unexpected %2 after the value of %3")
                    .arg(tokens[wanted].column)
                    .arg(describe(tokens[wanted]), target);
        return std::nullopt;
    }
    const Token& first = tokens.front();
    const auto isWord = [](const Token& t) { return t.kind == Token::Kind::Word; };
    Value value;
    value.kind = kind;
    switch (kind) {
    case ValueKind::String:
        if (first.kind != Token::Kind::String) {
            return fail(QStringLiteral("found %1").arg(describe(first)));
        }
        value.text = first.text;
        return value;
    case ValueKind::Integer: {
        const std::optional<Integer> number =
            isWord(first) ? readInteger(first.text) : std::nullopt;
        if (!number) {
            return fail(QStringLiteral("found %1").arg(describe(first)));
        }
        value.integer = *number;
        return value;
    }
    case ValueKind::Flag:
        if (!isWord(first) || (first.text != u"0" && first.text != u"1")) {
            return fail(QStringLiteral("found %1").arg(describe(first)));
        }
        value.flag = first.text == u"1";
        return value;
    case ValueKind::Colour: {
        QStringView digits = first.text;
        if (digits.startsWith(u"0x") || digits.startsWith(u"0X")) {
            digits = digits.mid(2);
        }
        bool ok = isWord(first) && digits.size() == 6;
        for (const QChar c : digits) {
            ok = ok && isHexDigit(c);
        }
        if (!ok) {
            return fail(QStringLiteral("found %1").arg(describe(first)));
        }
        value.colour = digits.toString().toUInt(nullptr, 16);
        return value;
    }
    case ValueKind::Twips4:
    case ValueKind::Twips2:
        for (std::size_t i = 0; i < wanted; ++i) {
            constexpr std::uint64_t limit = 1'000'000'000'000ULL;
            const std::optional<Integer> number =
                isWord(tokens[i]) ? readInteger(tokens[i].text) : std::nullopt;
            if (!number || number->magnitude > limit) {
                return fail(QStringLiteral("number %1 is %2").arg(i + 1).arg(describe(tokens[i])));
            }
            const auto magnitude = static_cast<std::int64_t>(number->magnitude);
            value.twips[i] = number->negative ? -magnitude : magnitude;
        }
        return value;
    case ValueKind::Font: {
        if (first.kind != Token::Kind::String) {
            return fail(QStringLiteral("the name is %1").arg(describe(first)));
        }
        const std::optional<double> points =
            isWord(tokens[1]) ? readDecimal<double>(tokens[1].text) : std::nullopt;
        if (!points) {
            return fail(QStringLiteral("the size is %1").arg(describe(tokens[1])));
        }
        value.text = first.text;
        value.points = *points;
        return value;
    }
    case ValueKind::Decimal: {
        const std::optional<float> number =
            isWord(first) ? readDecimal<float>(first.text) : std::nullopt;
        if (!number) {
            return fail(
                QStringLiteral("found %1 (or it lies beyond a 32-bit float)").arg(describe(first)));
        }
        value.decimal = *number;
        value.decimalText = first.text;
        return value;
    }
    case ValueKind::FocusName:
        if (!isWord(first) || (first.text != u"none" && !controlKind(first.text))) {
            return fail(QStringLiteral("found %1")
                            .arg(isWord(first) ? unknownControl(first.text) : describe(first)));
        }
        value.text = first.text;
        return value;
    }
    return std::nullopt;
}

ParsedLine malformed(QString reason) {
    ParsedLine result;
    result.status = ParsedLine::Status::Malformed;
    result.reason = std::move(reason);
    return result;
}

} // namespace

const std::vector<ControlInfo>& controls() {
    static const std::vector<ControlInfo> list = {
        {"TELVOR", Kind::Window},     {"TEXT1", Kind::Label},       {"OK1", Kind::CommandButton},
        {"LIST2", Kind::List},        {"DRU", Kind::CommandButton}, {"Text2", Kind::Label},
        {"SU", Kind::TextField},      {"Text4", Kind::Label},       {"LOC1", Kind::TextField},
        {"LIST0", Kind::List},        {"LIST1", Kind::List},        {"TEXT5", Kind::Label},
        {"LOC2", Kind::TextField},    {"LIST3", Kind::List},        {"TEXT6", Kind::Label},
        {"QTH2", Kind::TextField},    {"INF", Kind::CommandButton}, {"BAND", Kind::Frame},
        {"B0", Kind::OptionButton},   {"B1", Kind::OptionButton},   {"B6", Kind::OptionButton},
        {"B2", Kind::OptionButton},   {"B7", Kind::OptionButton},   {"B3", Kind::OptionButton},
        {"B8", Kind::OptionButton},   {"B4", Kind::OptionButton},   {"B9", Kind::OptionButton},
        {"B5", Kind::OptionButton},   {"TEXT7", Kind::Label},       {"PANZ", Kind::TextField},
        {"OK2", Kind::CommandButton}, {"Linie5", Kind::Line},       {"Line2", Kind::Line},
        {"Linie7", Kind::Line},       {"Linie9", Kind::Line},       {"Line1", Kind::Line},
        {"Linie10", Kind::Line},
    };
    return list;
}

std::optional<ControlKind> controlKind(QStringView name) {
    for (const ControlInfo& info : controls()) {
        if (name == QLatin1String(info.name)) {
            return info.kind;
        }
    }
    return std::nullopt;
}

const std::vector<Property>& dottedProperties() {
    static const std::vector<Property> list = {
        Property::Caption, Property::Text,     Property::Tooltip, Property::Enabled,
        Property::Visible, Property::Checked,  Property::Color,   Property::Font,
        Property::Size,    Property::Geometry, Property::Line,    Property::TabOrder,
        Property::Count,
    };
    return list;
}

QString propertyWord(Property property) {
    switch (property) {
    case Property::Text:
        return QStringLiteral("text");
    case Property::Caption:
        return QStringLiteral("caption");
    case Property::Tooltip:
        return QStringLiteral("tooltip");
    case Property::Color:
        return QStringLiteral("color");
    case Property::Enabled:
        return QStringLiteral("enabled");
    case Property::Visible:
        return QStringLiteral("visible");
    case Property::Checked:
        return QStringLiteral("checked");
    case Property::Geometry:
        return QStringLiteral("geometry");
    case Property::Line:
        return QStringLiteral("line");
    case Property::Font:
        return QStringLiteral("font");
    case Property::TabOrder:
        return QStringLiteral("taborder");
    case Property::Count:
        return QStringLiteral("count");
    case Property::Item:
        return QStringLiteral("[I]");
    case Property::Size:
        return QStringLiteral("size");
    }
    return {};
}

bool appliesTo(Property property, ControlKind kind) {
    switch (property) {
    case Property::Text:
        return kind == Kind::TextField;
    case Property::Caption:
        return kind == Kind::Window || kind == Kind::Label || kind == Kind::CommandButton ||
               kind == Kind::OptionButton || kind == Kind::Frame;
    case Property::Tooltip:
    case Property::Color:
    case Property::Enabled:
    case Property::Font:
        return kind != Kind::Line;
    case Property::Visible:
        return true;
    case Property::Checked:
        return kind == Kind::OptionButton;
    case Property::Geometry:
    case Property::TabOrder:
        return kind != Kind::Line && kind != Kind::Window;
    case Property::Line:
        return kind == Kind::Line;
    case Property::Count:
    case Property::Item:
        return kind == Kind::List;
    case Property::Size:
        return kind == Kind::Window;
    }
    return false;
}

const std::vector<SharedVar>& sharedVars() {
    static const std::vector<SharedVar> list = {
        SharedVar::FEHLER,   SharedVar::TAST_ZAEHL, SharedVar::INF_ZAEHL, SharedVar::BAND_NR,
        SharedVar::BAND_MUL, SharedVar::QRB_PKT,    SharedVar::LAENGE,    SharedVar::BREITE,
        SharedVar::LOC_TEXT, SharedVar::QTH_TEXT,
    };
    return list;
}

QString sharedName(SharedVar var) {
    switch (var) {
    case SharedVar::FEHLER:
        return QStringLiteral("FEHLER");
    case SharedVar::TAST_ZAEHL:
        return QStringLiteral("TAST_ZAEHL");
    case SharedVar::INF_ZAEHL:
        return QStringLiteral("INF_ZAEHL");
    case SharedVar::BAND_NR:
        return QStringLiteral("BAND_NR");
    case SharedVar::BAND_MUL:
        return QStringLiteral("BAND_MUL");
    case SharedVar::QRB_PKT:
        return QStringLiteral("QRB_PKT");
    case SharedVar::LAENGE:
        return QStringLiteral("LAENGE");
    case SharedVar::BREITE:
        return QStringLiteral("BREITE");
    case SharedVar::LOC_TEXT:
        return QStringLiteral("LOC_TEXT");
    case SharedVar::QTH_TEXT:
        return QStringLiteral("QTH_TEXT");
    }
    return {};
}

QString targetText(const Target& target) {
    switch (target.kind) {
    case Target::Kind::Control:
        if (target.property == Property::Item) {
            return QStringLiteral("%1[%2]").arg(target.control).arg(target.index);
        }
        return target.control + QLatin1Char('.') + propertyWord(target.property);
    case Target::Kind::Focus:
        return QStringLiteral("focus");
    case Target::Kind::Ended:
        return QStringLiteral("ended");
    case Target::Kind::Shared:
        return sharedName(target.shared);
    case Target::Kind::QrbTab:
        return QStringLiteral("QRB_TAB(%1,%2)").arg(target.index).arg(target.index2);
    case Target::Kind::PrintJobs:
        return QStringLiteral("PRINT.jobs");
    case Target::Kind::PrintCount:
        return QStringLiteral("PRINT[%1].count").arg(target.index);
    case Target::Kind::PrintLine:
        return QStringLiteral("PRINT[%1][%2]").arg(target.index).arg(target.index2);
    case Target::Kind::PrintFont:
        return QStringLiteral("PRINT[%1].font").arg(target.index);
    }
    return {};
}

Integer Integer::of(std::int64_t value) {
    Integer result;
    result.negative = value < 0;
    // Negating in unsigned arithmetic keeps the most negative value whole.
    result.magnitude = result.negative ? 0U - static_cast<std::uint64_t>(value)
                                       : static_cast<std::uint64_t>(value);
    return result;
}

Integer Integer::ofUnsigned(std::uint64_t value) {
    Integer result;
    result.magnitude = value;
    return result;
}

bool Integer::operator==(const Integer& other) const {
    return magnitude == other.magnitude && (negative == other.negative || magnitude == 0);
}

QString Integer::toString() const {
    return (negative && magnitude != 0 ? QStringLiteral("-") : QString()) +
           QString::number(magnitude);
}

ValueKind valueKindOf(const Target& target) {
    switch (target.kind) {
    case Target::Kind::Control:
        switch (target.property) {
        case Property::Text:
        case Property::Caption:
        case Property::Tooltip:
        case Property::Item:
            return ValueKind::String;
        case Property::Color:
            return ValueKind::Colour;
        case Property::Enabled:
        case Property::Visible:
        case Property::Checked:
            return ValueKind::Flag;
        case Property::Geometry:
        case Property::Line:
            return ValueKind::Twips4;
        case Property::Size:
            return ValueKind::Twips2;
        case Property::Font:
            return ValueKind::Font;
        case Property::TabOrder:
        case Property::Count:
            return ValueKind::Integer;
        }
        break;
    case Target::Kind::Focus:
        return ValueKind::FocusName;
    case Target::Kind::Ended:
        return ValueKind::Flag;
    case Target::Kind::Shared:
        switch (target.shared) {
        case SharedVar::LAENGE:
        case SharedVar::BREITE:
            return ValueKind::Decimal;
        case SharedVar::LOC_TEXT:
        case SharedVar::QTH_TEXT:
            return ValueKind::String;
        default:
            return ValueKind::Integer;
        }
    case Target::Kind::QrbTab:
    case Target::Kind::PrintJobs:
    case Target::Kind::PrintCount:
        return ValueKind::Integer;
    case Target::Kind::PrintLine:
        return ValueKind::String;
    case Target::Kind::PrintFont:
        return ValueKind::Font;
    }
    return ValueKind::String;
}

bool matches(const Value& want, const Value& got) {
    if (want.kind != got.kind) {
        return false;
    }
    switch (want.kind) {
    case ValueKind::String:
    case ValueKind::FocusName:
        return want.text == got.text;
    case ValueKind::Integer:
        return want.integer == got.integer;
    case ValueKind::Flag:
        return want.flag == got.flag;
    case ValueKind::Colour:
        return want.colour == got.colour;
    case ValueKind::Twips4:
    case ValueKind::Twips2: {
        const std::size_t n = want.kind == ValueKind::Twips4 ? 4 : 2;
        for (std::size_t i = 0; i < n; ++i) {
            if (std::llabs(want.twips[i] - got.twips[i]) > kTwipsTolerance) {
                return false;
            }
        }
        return true;
    }
    case ValueKind::Font:
        // A little slack on top of the tolerance absorbs the binary rounding of
        // sizes such as 8.26 against 8.25.
        return want.text == got.text &&
               std::fabs(want.points - got.points) <= kPointsTolerance + 1e-9;
    case ValueKind::Decimal:
        return want.decimal == got.decimal;
    }
    return false;
}

QString floatText(float value) {
    return shortestText(value);
}

QString render(const Value& value) {
    switch (value.kind) {
    case ValueKind::String:
        return quoted(value.text);
    case ValueKind::FocusName:
        return value.text;
    case ValueKind::Integer:
        return value.integer.toString();
    case ValueKind::Flag:
        return value.flag ? QStringLiteral("1") : QStringLiteral("0");
    case ValueKind::Colour:
        return QStringLiteral("%1").arg(value.colour, 6, 16, QChar(u'0')).toUpper();
    case ValueKind::Twips4:
        return QStringLiteral("%1 %2 %3 %4")
            .arg(value.twips[0])
            .arg(value.twips[1])
            .arg(value.twips[2])
            .arg(value.twips[3]);
    case ValueKind::Twips2:
        return QStringLiteral("%1 %2").arg(value.twips[0]).arg(value.twips[1]);
    case ValueKind::Font:
        return quoted(value.text) + QLatin1Char(' ') + shortestText(value.points);
    case ValueKind::Decimal:
        return value.decimalText.isEmpty() ? floatText(value.decimal) : value.decimalText;
    }
    return {};
}

ParsedLine parseLine(QStringView line) {
    if (isIgnorable(line)) {
        return {};
    }
    Tokens split = tokenize(line);
    if (!split.error.isEmpty()) {
        return malformed(split.error);
    }
    const std::vector<Token>& tokens = split.tokens;
    const Token& head = tokens.front();
    if (head.kind != Token::Kind::Word) {
        return malformed(
            QStringLiteral("a line must start with a command, found %1").arg(describe(head)));
    }
    const QString& word = head.text;
    ParsedLine result;
    result.status = ParsedLine::Status::Command;
    Command& command = result.command;

    // Checks the arguments after the command word against a pattern of
    // 'n' (control name) and 's' (string).
    const auto arguments = [&](const char* pattern, const QString& usage) -> QString {
        const std::size_t wanted = std::strlen(pattern);
        for (std::size_t i = 0; i < wanted; ++i) {
            if (i + 1 >= tokens.size()) {
                return QStringLiteral("'%1' is incomplete; write %2").arg(word, usage);
            }
            const Token& t = tokens[i + 1];
            if (pattern[i] == 's' && t.kind != Token::Kind::String) {
                return QStringLiteral("column %1: %2 needs a string in double quotes, found %3")
                    .arg(t.column)
                    .arg(word, describe(t));
            }
            if (pattern[i] == 'n') {
                if (t.kind != Token::Kind::Word) {
                    return QStringLiteral("column %1: %2 needs a control name, found %3")
                        .arg(t.column)
                        .arg(word, describe(t));
                }
                if (!controlKind(t.text)) {
                    return QStringLiteral("column %1: %2")
                        .arg(t.column)
                        .arg(unknownControl(t.text));
                }
            }
        }
        if (tokens.size() > wanted + 1) {
            const Token& extra = tokens[wanted + 1];
            return QStringLiteral("column %1: unexpected %2; write %3")
                .arg(extra.column)
                .arg(describe(extra), usage);
        }
        return {};
    };

    QString error;
    if (word == u"click") {
        command.kind = Command::Kind::Click;
        error = arguments("n", QStringLiteral("click NAME"));
    } else if (word == u"keys") {
        command.kind = Command::Kind::Keys;
        error = arguments("s", QStringLiteral("keys \"TEXT\""));
    } else if (word == u"type") {
        command.kind = Command::Kind::Type;
        error = arguments("ns", QStringLiteral("type NAME \"TEXT\""));
    } else if (word == u"paste") {
        command.kind = Command::Kind::Paste;
        error = arguments("s", QStringLiteral("paste \"TEXT\""));
    } else if (word == u"close") {
        command.kind = Command::Kind::Close;
        error = arguments("", QStringLiteral("close"));
    } else if (word == u"dump") {
        command.kind = Command::Kind::Dump;
        error = arguments("", QStringLiteral("dump"));
    } else if (word == u"expect") {
        command.kind = Command::Kind::Expect;
        if (tokens.size() < 2) {
            return malformed(QStringLiteral("'expect' is incomplete; write expect TARGET VALUE"));
        }
        const Token& targetToken = tokens[1];
        if (targetToken.kind != Token::Kind::Word) {
            return malformed(QStringLiteral("column %1: expect needs a target, found %2")
                                 .arg(targetToken.column)
                                 .arg(describe(targetToken)));
        }
        TargetResult target = readTarget(targetToken.text);
        if (!target.target) {
            return malformed(
                QStringLiteral("column %1: %2").arg(targetToken.column).arg(target.error));
        }
        command.target = *target.target;
        const std::vector<Token> valueTokens(tokens.begin() + 2, tokens.end());
        std::optional<Value> value =
            readValue(valueKindOf(command.target), valueTokens, error, targetText(command.target));
        if (!value) {
            return malformed(error);
        }
        command.value = *value;
        return result;
    } else {
        return malformed(QStringLiteral("unknown command '%1' (commands: click, keys, type, "
                                        "paste, close, expect, dump)")
                             .arg(word));
    }
    if (!error.isEmpty()) {
        return malformed(error);
    }
    if (command.kind == Command::Kind::Click || command.kind == Command::Kind::Type) {
        command.control = tokens[1].text;
    }
    if (command.kind == Command::Kind::Keys || command.kind == Command::Kind::Paste) {
        command.text = tokens[1].text;
    }
    if (command.kind == Command::Kind::Type) {
        command.text = tokens[2].text;
    }
    return result;
}

} // namespace scenario
