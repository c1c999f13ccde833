// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/runner/scenario_syntax.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <system_error>

namespace scenario::syntax {

namespace {

using Text = std::u16string;
using View = std::u16string_view;
using Kind = ControlKind;

Text ascii(std::string_view text) {
    return {text.begin(), text.end()};
}

template <typename Number> Text num(Number value) {
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return ascii(
        std::string_view(buffer.data(), static_cast<std::size_t>(result.ptr - buffer.data())));
}

// "%1 ... %2" with the arguments put in, as a message is written.
Text fmt(View pattern, std::initializer_list<Text> args) {
    Text out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == u'%' && i + 1 < pattern.size() && pattern[i + 1] >= u'1' &&
            pattern[i + 1] <= u'9') {
            const auto at = static_cast<std::size_t>(pattern[i + 1] - u'1');
            if (at < args.size()) {
                out += *(args.begin() + at);
            }
            ++i;
            continue;
        }
        out += pattern[i];
    }
    return out;
}

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

int hexDigitValue(char16_t u) {
    if (u >= u'0' && u <= u'9') {
        return u - u'0';
    }
    if (u >= u'a' && u <= u'f') {
        return u - u'a' + 10;
    }
    if (u >= u'A' && u <= u'F') {
        return u - u'A' + 10;
    }
    return -1;
}

Text hex4(char16_t code) {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    Text out = u"\\u";
    for (int shift = 12; shift >= 0; shift -= 4) {
        out += kDigits[(code >> shift) & 0xF];
    }
    return out;
}

bool isHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool isLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Characters that print: not a control, format, separator of lines or
// paragraphs, surrogate or non-character.
bool prints(char32_t c) {
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) {
        return false;
    }
    if (c == 0xAD || (c >= 0x600 && c <= 0x605) || c == 0x61C || c == 0x6DD || c == 0x70F ||
        c == 0x180E || (c >= 0x200B && c <= 0x200F) || (c >= 0x2028 && c <= 0x202E) ||
        (c >= 0x2060 && c <= 0x206F) || c == 0xFEFF || (c >= 0xFFF9 && c <= 0xFFFB)) {
        return false;
    }
    if ((c >= 0xD800 && c <= 0xDFFF) || (c >= 0xE000 && c <= 0xF8FF) ||
        (c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE || c >= 0xF0000) {
        return false;
    }
    return true;
}

// Reads a string whose opening quote is at line[start]; returns the position
// after the closing quote, or none with the error set.
std::optional<std::size_t> readString(View line, std::size_t start, Token& token,
                                      std::string& error) {
    std::size_t pos = start + 1;
    while (pos < line.size()) {
        const char16_t c = line[pos];
        if (c == u'"') {
            return pos + 1;
        }
        if (c != u'\\') {
            token.text += c;
            ++pos;
            continue;
        }
        if (pos + 1 >= line.size()) {
            error =
                utf8(fmt(u"column %1: a backslash ends the line inside a string", {num(pos + 1)}));
            return std::nullopt;
        }
        const char16_t e = line[pos + 1];
        switch (e) {
        case u'"':
            token.text += u'"';
            break;
        case u'\\':
            token.text += u'\\';
            break;
        case u'r':
            token.text += char16_t{13};
            break;
        case u'b':
            token.text += char16_t{8};
            break;
        case u't':
            token.text += char16_t{9};
            break;
        case u'u': {
            int code = 0;
            for (std::size_t k = 0; k < 4; ++k) {
                const std::size_t at = pos + 2 + k;
                const int digit = at < line.size() ? hexDigitValue(line[at]) : -1;
                if (digit < 0) {
                    error = utf8(fmt(u"column %1: \\u must be followed by exactly four "
                                     u"hexadecimal digits",
                                     {num(pos + 1)}));
                    return std::nullopt;
                }
                code = code * 16 + digit;
            }
            token.text += static_cast<char16_t>(code);
            pos += 6;
            continue;
        }
        default:
            error = utf8(fmt(u"column %1: unknown escape \\%2 in a string (known: \\\" \\\\ "
                             u"\\r \\b \\t \\uXXXX)",
                             {num(pos + 1), Text(1, e)}));
            return std::nullopt;
        }
        pos += 2;
    }
    error = utf8(fmt(u"column %1: the string is not closed by a double quote", {num(start + 1)}));
    return std::nullopt;
}

bool allDigits(View text) {
    if (text.empty()) {
        return false;
    }
    for (const char16_t c : text) {
        if (!isDigit(c)) {
            return false;
        }
    }
    return true;
}

bool startsWith(View text, View head) {
    return text.substr(0, head.size()) == head;
}
bool endsWith(View text, View tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

Text describe(const Token& token) {
    if (token.kind == Token::Kind::String) {
        return u"the string " + quoted(token.text);
    }
    return u"'" + token.text + u"'";
}

std::optional<int> readIndex(View text) {
    if (!allDigits(text)) {
        return std::nullopt;
    }
    long long value = 0;
    for (const char16_t c : text) {
        value = value * 10 + (c - u'0');
        if (value > INT_MAX) {
            return std::nullopt;
        }
    }
    return static_cast<int>(value);
}

std::optional<Integer> readInteger(View text) {
    Integer result;
    if (startsWith(text, u"-")) {
        result.negative = true;
        text = text.substr(1);
    }
    if (!allDigits(text)) {
        return std::nullopt;
    }
    constexpr std::uint64_t max = std::numeric_limits<std::uint64_t>::max();
    for (const char16_t c : text) {
        const auto digit = static_cast<std::uint64_t>(c - u'0');
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

// Optional sign, digits with an optional fraction (or a fraction alone),
// optional exponent; no locale, hexadecimal or "inf" spelling.
bool isDecimal(View text) {
    std::size_t pos = 0;
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) {
        ++pos;
    }
    std::size_t digits = 0;
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

template <typename Number> std::optional<Number> readDecimal(View text) {
    if (!isDecimal(text)) {
        return std::nullopt;
    }
    std::string bytes(text.begin(), text.end());
    if (!bytes.empty() && bytes.front() == '+') {
        bytes.erase(0, 1);
    }
    Number value{};
    const auto [end, error] = std::from_chars(bytes.data(), bytes.data() + bytes.size(), value,
                                              std::chars_format::general);
    if (error != std::errc() || end != bytes.data() + bytes.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

struct TargetResult {
    std::optional<Target> target;
    Text error;
};

TargetResult targetError(Text error) {
    return {std::nullopt, std::move(error)};
}

Text knownProperties(ControlKind kind) {
    Text words;
    const auto add = [&words](const Text& word) {
        if (!words.empty()) {
            words += u", ";
        }
        words += word;
    };
    for (const Property p : dottedProperties()) {
        if (appliesTo(p, kind)) {
            add(u"." + propertyWord(p));
        }
    }
    if (appliesTo(Property::Item, kind)) {
        add(u"[I]");
    }
    return words;
}

char16_t lower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool sameIgnoringCase(View a, View b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

Text unknownControl(View name) {
    Text message = fmt(u"unknown control '%1'", {Text(name)});
    for (const ControlInfo& info : controls()) {
        const Text known = ascii(info.name);
        if (sameIgnoringCase(name, known)) {
            message += fmt(u" (names are case-sensitive: did you mean %1?)", {known});
        }
    }
    return message;
}

TargetResult readPrintTarget(View word) {
    if (word == u"PRINT.jobs") {
        Target t;
        t.kind = Target::Kind::PrintJobs;
        return {t, {}};
    }
    const Text bad = fmt(u"unknown target '%1' (print targets: PRINT.jobs, "
                         u"PRINT[J].count, PRINT[J][I], PRINT[J].font)",
                         {Text(word)});
    if (!startsWith(word, u"PRINT[")) {
        return targetError(bad);
    }
    const std::size_t close = word.find(u']');
    if (close == View::npos) {
        return targetError(bad);
    }
    const std::optional<int> job = readIndex(word.substr(6, close - 6));
    if (!job) {
        return targetError(
            fmt(u"'%1': the job number must be a whole number from 0", {Text(word)}));
    }
    Target t;
    t.index = *job;
    const View rest = word.substr(close + 1);
    if (rest == u".count") {
        t.kind = Target::Kind::PrintCount;
        return {t, {}};
    }
    if (rest == u".font") {
        t.kind = Target::Kind::PrintFont;
        return {t, {}};
    }
    if (startsWith(rest, u"[") && endsWith(rest, u"]") && rest.size() >= 2) {
        const std::optional<int> line = readIndex(rest.substr(1, rest.size() - 2));
        if (!line) {
            return targetError(
                fmt(u"'%1': the line number must be a whole number from 0", {Text(word)}));
        }
        t.kind = Target::Kind::PrintLine;
        t.index2 = *line;
        return {t, {}};
    }
    return targetError(bad);
}

TargetResult readQrbTabTarget(View word) {
    const Text bad = fmt(u"'%1': write a cell of the point table as QRB_TAB(X,Y) with X and Y "
                         u"from 0 to 40, without blanks",
                         {Text(word)});
    if (!startsWith(word, u"QRB_TAB(") || !endsWith(word, u")")) {
        return targetError(bad);
    }
    const View inside = word.substr(8, word.size() - 9);
    const std::size_t comma = inside.find(u',');
    if (comma == View::npos) {
        return targetError(bad);
    }
    const std::optional<int> x = readIndex(inside.substr(0, comma));
    const std::optional<int> y = readIndex(inside.substr(comma + 1));
    if (!x || !y || *x > 40 || *y > 40) {
        return targetError(bad);
    }
    Target t;
    t.kind = Target::Kind::QrbTab;
    t.index = *x;
    t.index2 = *y;
    return {t, {}};
}

TargetResult readControlTarget(View word) {
    const std::size_t bracket = word.find(u'[');
    const std::size_t dot = word.find(u'.');
    if (bracket != View::npos && (dot == View::npos || bracket < dot)) {
        const View name = word.substr(0, bracket);
        const std::optional<ControlKind> kind = controlKind(name);
        if (!kind) {
            return targetError(unknownControl(name));
        }
        if (!appliesTo(Property::Item, *kind)) {
            return targetError(fmt(u"'%1': %2 is not a list; its targets are %3",
                                   {Text(word), Text(name), knownProperties(*kind)}));
        }
        const std::optional<int> index =
            endsWith(word, u"]") ? readIndex(word.substr(bracket + 1, word.size() - bracket - 2))
                                 : std::nullopt;
        if (!index) {
            return targetError(
                fmt(u"'%1': write a line of a list as %2[I] with I a whole number from 0",
                    {Text(word), Text(name)}));
        }
        Target t;
        t.kind = Target::Kind::Control;
        t.control = Text(name);
        t.property = Property::Item;
        t.index = *index;
        return {t, {}};
    }
    if (dot == View::npos) {
        return targetError(fmt(u"unknown target '%1'", {Text(word)}));
    }
    const View name = word.substr(0, dot);
    const View propertyText = word.substr(dot + 1);
    const std::optional<ControlKind> kind = controlKind(name);
    if (!kind) {
        return targetError(unknownControl(name));
    }
    for (const Property p : dottedProperties()) {
        if (propertyText == propertyWord(p)) {
            if (!appliesTo(p, *kind)) {
                return targetError(
                    fmt(u"'%1': %2 has no .%3; its targets are %4",
                        {Text(word), Text(name), Text(propertyText), knownProperties(*kind)}));
            }
            Target t;
            t.kind = Target::Kind::Control;
            t.control = Text(name);
            t.property = p;
            return {t, {}};
        }
    }
    return targetError(fmt(u"'%1': unknown property .%2; %3 has %4",
                           {Text(word), Text(propertyText), Text(name), knownProperties(*kind)}));
}

TargetResult readTarget(View word) {
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
    if (startsWith(word, u"QRB_TAB")) {
        return readQrbTabTarget(word);
    }
    if (startsWith(word, u"PRINT.") || startsWith(word, u"PRINT[")) {
        return readPrintTarget(word);
    }
    return readControlTarget(word);
}

Text valueDescription(ValueKind kind) {
    switch (kind) {
    case ValueKind::String:
        return u"a string in double quotes";
    case ValueKind::Integer:
        return u"a whole number";
    case ValueKind::Flag:
        return u"0 or 1";
    case ValueKind::Colour:
        return u"a colour of six hexadecimal digits such as C0FFC0 or 0xC0FFC0";
    case ValueKind::Twips4:
        return u"four whole numbers in twips";
    case ValueKind::Twips2:
        return u"two whole numbers in twips";
    case ValueKind::Font:
        return u"a font name in double quotes and a size in points";
    case ValueKind::Decimal:
        return u"a decimal number";
    case ValueKind::FocusName:
        return u"a control name or none";
    }
    return {};
}

std::optional<Value> readValue(ValueKind kind, const std::vector<Token>& tokens, Text& error,
                               const Text& target) {
    const auto fail = [&](const Text& what) {
        error = fmt(u"%1 needs %2; %3", {target, valueDescription(kind), what});
        return std::nullopt;
    };
    std::size_t wanted = 1;
    if (kind == ValueKind::Twips4) {
        wanted = 4;
    } else if (kind == ValueKind::Twips2 || kind == ValueKind::Font) {
        wanted = 2;
    }
    if (tokens.size() < wanted) {
        return fail(tokens.empty()
                        ? Text(u"the value is missing")
                        : fmt(u"found only %1 of %2 words", {num(tokens.size()), num(wanted)}));
    }
    if (tokens.size() > wanted) {
        error = fmt(u"column %1: unexpected %2 after the value of %3",
                    {num(tokens[wanted].column), describe(tokens[wanted]), target});
        return std::nullopt;
    }
    const Token& first = tokens.front();
    const auto isWord = [](const Token& t) { return t.kind == Token::Kind::Word; };
    Value value;
    value.kind = kind;
    switch (kind) {
    case ValueKind::String:
        if (first.kind != Token::Kind::String) {
            return fail(u"found " + describe(first));
        }
        value.text = first.text;
        return value;
    case ValueKind::Integer: {
        const std::optional<Integer> number =
            isWord(first) ? readInteger(first.text) : std::nullopt;
        if (!number) {
            return fail(u"found " + describe(first));
        }
        value.integer = *number;
        return value;
    }
    case ValueKind::Flag:
        if (!isWord(first) || (first.text != u"0" && first.text != u"1")) {
            return fail(u"found " + describe(first));
        }
        value.flag = first.text == u"1";
        return value;
    case ValueKind::Colour: {
        View digits = first.text;
        if (startsWith(digits, u"0x") || startsWith(digits, u"0X")) {
            digits = digits.substr(2);
        }
        bool ok = isWord(first) && digits.size() == 6;
        std::uint32_t colour = 0;
        for (const char16_t c : digits) {
            const int digit = hexDigitValue(c);
            ok = ok && digit >= 0;
            colour = colour * 16 + static_cast<std::uint32_t>(std::max(digit, 0));
        }
        if (!ok) {
            return fail(u"found " + describe(first));
        }
        value.colour = colour;
        return value;
    }
    case ValueKind::Twips4:
    case ValueKind::Twips2:
        for (std::size_t i = 0; i < wanted; ++i) {
            constexpr std::uint64_t limit = 1'000'000'000'000ULL;
            const std::optional<Integer> number =
                isWord(tokens[i]) ? readInteger(tokens[i].text) : std::nullopt;
            if (!number || number->magnitude > limit) {
                return fail(fmt(u"number %1 is %2", {num(i + 1), describe(tokens[i])}));
            }
            const auto magnitude = static_cast<std::int64_t>(number->magnitude);
            value.twips[i] = number->negative ? -magnitude : magnitude;
        }
        return value;
    case ValueKind::Font: {
        if (first.kind != Token::Kind::String) {
            return fail(u"the name is " + describe(first));
        }
        const std::optional<double> points =
            isWord(tokens[1]) ? readDecimal<double>(tokens[1].text) : std::nullopt;
        if (!points) {
            return fail(u"the size is " + describe(tokens[1]));
        }
        value.text = first.text;
        value.points = *points;
        return value;
    }
    case ValueKind::Decimal: {
        const std::optional<float> number =
            isWord(first) ? readDecimal<float>(first.text) : std::nullopt;
        if (!number) {
            return fail(u"found " + describe(first) + u" (or it lies beyond a 32-bit float)");
        }
        value.decimal = *number;
        value.decimalText = first.text;
        return value;
    }
    case ValueKind::FocusName:
        if (!isWord(first) || (first.text != u"none" && !controlKind(first.text))) {
            return fail(u"found " + (isWord(first) ? unknownControl(first.text) : describe(first)));
        }
        value.text = first.text;
        return value;
    }
    return std::nullopt;
}

ParsedLine malformed(const Text& reason) {
    ParsedLine result;
    result.status = ParsedLine::Status::Malformed;
    result.reason = utf8(reason);
    return result;
}

} // namespace

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

bool isIgnorable(std::u16string_view line) {
    for (const char16_t c : line) {
        if (!isBlank(c)) {
            return c == u'#';
        }
    }
    return true;
}

Tokens tokenize(std::u16string_view line) {
    Tokens result;
    std::size_t pos = 0;
    while (pos < line.size()) {
        if (isBlank(line[pos])) {
            ++pos;
            continue;
        }
        Token token;
        token.column = pos + 1;
        if (line[pos] == u'"') {
            token.kind = Token::Kind::String;
            const std::optional<std::size_t> end = readString(line, pos, token, result.error);
            if (!end) {
                return result;
            }
            if (*end < line.size() && !isBlank(line[*end])) {
                result.error =
                    utf8(fmt(u"column %1: a blank must follow the closing quote of a string",
                             {num(*end + 1)}));
                return result;
            }
            pos = *end;
        } else {
            token.kind = Token::Kind::Word;
            while (pos < line.size() && !isBlank(line[pos])) {
                if (line[pos] == u'"') {
                    result.error = utf8(fmt(u"column %1: a double quote inside a word; a string "
                                            u"must stand apart, preceded by a blank",
                                            {num(pos + 1)}));
                    return result;
                }
                token.text += line[pos];
                ++pos;
            }
        }
        result.tokens.push_back(std::move(token));
    }
    return result;
}

std::u16string quoted(std::u16string_view text) {
    Text out;
    out.reserve(text.size() + 2);
    out += u'"';
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        switch (c) {
        case u'"':
            out += u"\\\"";
            continue;
        case u'\\':
            out += u"\\\\";
            continue;
        case 13:
            out += u"\\r";
            continue;
        case 8:
            out += u"\\b";
            continue;
        case 9:
            out += u"\\t";
            continue;
        default:
            break;
        }
        if (isHighSurrogate(c) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            const char32_t code = 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) +
                                  (static_cast<char32_t>(text[i + 1]) - 0xDC00);
            if (prints(code)) {
                out += c;
                out += text[i + 1];
            } else {
                out += hex4(c);
                out += hex4(text[i + 1]);
            }
            ++i;
            continue;
        }
        if (prints(c)) {
            out += c;
        } else {
            out += hex4(c);
        }
    }
    out += u'"';
    return out;
}

std::string utf8(std::u16string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (isHighSurrogate(text[i]) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(text[i + 1]) - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string utf16(std::string_view text) {
    Text out;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int more = 0;
        char32_t c = 0xFFFD;
        if (lead < 0x80) {
            c = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            c = lead & 0x1F;
            more = 1;
        } else if ((lead & 0xF0) == 0xE0) {
            c = lead & 0x0F;
            more = 2;
        } else if ((lead & 0xF8) == 0xF0) {
            c = lead & 0x07;
            more = 3;
        }
        ++i;
        bool whole = lead < 0x80 || more > 0;
        for (int k = 0; k < more; ++k, ++i) {
            if (i >= text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
                whole = false;
                break;
            }
            c = (c << 6) | (static_cast<unsigned char>(text[i]) & 0x3F);
        }
        if (!whole || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            c = 0xFFFD;
        }
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

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

std::optional<ControlKind> controlKind(std::u16string_view name) {
    for (const ControlInfo& info : controls()) {
        if (name == ascii(info.name)) {
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

std::u16string propertyWord(Property property) {
    switch (property) {
    case Property::Text:
        return u"text";
    case Property::Caption:
        return u"caption";
    case Property::Tooltip:
        return u"tooltip";
    case Property::Color:
        return u"color";
    case Property::Enabled:
        return u"enabled";
    case Property::Visible:
        return u"visible";
    case Property::Checked:
        return u"checked";
    case Property::Geometry:
        return u"geometry";
    case Property::Line:
        return u"line";
    case Property::Font:
        return u"font";
    case Property::TabOrder:
        return u"taborder";
    case Property::Count:
        return u"count";
    case Property::Item:
        return u"[I]";
    case Property::Size:
        return u"size";
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

std::u16string sharedName(SharedVar var) {
    switch (var) {
    case SharedVar::FEHLER:
        return u"FEHLER";
    case SharedVar::TAST_ZAEHL:
        return u"TAST_ZAEHL";
    case SharedVar::INF_ZAEHL:
        return u"INF_ZAEHL";
    case SharedVar::BAND_NR:
        return u"BAND_NR";
    case SharedVar::BAND_MUL:
        return u"BAND_MUL";
    case SharedVar::QRB_PKT:
        return u"QRB_PKT";
    case SharedVar::LAENGE:
        return u"LAENGE";
    case SharedVar::BREITE:
        return u"BREITE";
    case SharedVar::LOC_TEXT:
        return u"LOC_TEXT";
    case SharedVar::QTH_TEXT:
        return u"QTH_TEXT";
    }
    return {};
}

std::u16string targetText(const Target& target) {
    switch (target.kind) {
    case Target::Kind::Control:
        if (target.property == Property::Item) {
            return fmt(u"%1[%2]", {target.control, num(target.index)});
        }
        return target.control + u"." + propertyWord(target.property);
    case Target::Kind::Focus:
        return u"focus";
    case Target::Kind::Ended:
        return u"ended";
    case Target::Kind::Shared:
        return sharedName(target.shared);
    case Target::Kind::QrbTab:
        return fmt(u"QRB_TAB(%1,%2)", {num(target.index), num(target.index2)});
    case Target::Kind::PrintJobs:
        return u"PRINT.jobs";
    case Target::Kind::PrintCount:
        return fmt(u"PRINT[%1].count", {num(target.index)});
    case Target::Kind::PrintLine:
        return fmt(u"PRINT[%1][%2]", {num(target.index), num(target.index2)});
    case Target::Kind::PrintFont:
        return fmt(u"PRINT[%1].font", {num(target.index)});
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

std::u16string Integer::toString() const {
    return (negative && magnitude != 0 ? Text(u"-") : Text()) + num(magnitude);
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
        // A little slack absorbs the binary rounding of sizes such as 8.26.
        return want.text == got.text &&
               std::fabs(want.points - got.points) <= kPointsTolerance + 1e-9;
    case ValueKind::Decimal:
        return want.decimal == got.decimal;
    }
    return false;
}

std::u16string floatText(float value) {
    return num(value);
}

std::u16string shortestText(double value) {
    return num(value);
}

std::u16string render(const Value& value) {
    switch (value.kind) {
    case ValueKind::String:
        return quoted(value.text);
    case ValueKind::FocusName:
        return value.text;
    case ValueKind::Integer:
        return value.integer.toString();
    case ValueKind::Flag:
        return value.flag ? u"1" : u"0";
    case ValueKind::Colour: {
        // At least six hexadecimal digits, in capitals.
        static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
        Text out;
        for (std::uint32_t rest = value.colour; rest != 0 || out.size() < 6; rest >>= 4U) {
            out.insert(out.begin(), kDigits[rest & 0xFU]);
        }
        return out;
    }
    case ValueKind::Twips4:
        return fmt(u"%1 %2 %3 %4", {num(value.twips[0]), num(value.twips[1]), num(value.twips[2]),
                                    num(value.twips[3])});
    case ValueKind::Twips2:
        return fmt(u"%1 %2", {num(value.twips[0]), num(value.twips[1])});
    case ValueKind::Font:
        return quoted(value.text) + u" " + shortestText(value.points);
    case ValueKind::Decimal:
        return value.decimalText.empty() ? floatText(value.decimal) : value.decimalText;
    }
    return {};
}

ParsedLine parseLine(std::u16string_view line) {
    if (isIgnorable(line)) {
        return {};
    }
    Tokens split = tokenize(line);
    if (!split.error.empty()) {
        ParsedLine result;
        result.status = ParsedLine::Status::Malformed;
        result.reason = split.error;
        return result;
    }
    const std::vector<Token>& tokens = split.tokens;
    const Token& head = tokens.front();
    if (head.kind != Token::Kind::Word) {
        return malformed(u"a line must start with a command, found " + describe(head));
    }
    const Text& word = head.text;
    ParsedLine result;
    result.status = ParsedLine::Status::Command;
    Command& command = result.command;

    // Checks the arguments after the command word against a pattern of
    // 'n' (control name) and 's' (string).
    const auto arguments = [&](const char* pattern, const Text& usage) -> Text {
        const std::size_t wanted = std::strlen(pattern);
        for (std::size_t i = 0; i < wanted; ++i) {
            if (i + 1 >= tokens.size()) {
                return fmt(u"'%1' is incomplete; write %2", {word, usage});
            }
            const Token& t = tokens[i + 1];
            if (pattern[i] == 's' && t.kind != Token::Kind::String) {
                return fmt(u"column %1: %2 needs a string in double quotes, found %3",
                           {num(t.column), word, describe(t)});
            }
            if (pattern[i] == 'n') {
                if (t.kind != Token::Kind::Word) {
                    return fmt(u"column %1: %2 needs a control name, found %3",
                               {num(t.column), word, describe(t)});
                }
                if (!controlKind(t.text)) {
                    return fmt(u"column %1: %2", {num(t.column), unknownControl(t.text)});
                }
            }
        }
        if (tokens.size() > wanted + 1) {
            const Token& extra = tokens[wanted + 1];
            return fmt(u"column %1: unexpected %2; write %3",
                       {num(extra.column), describe(extra), usage});
        }
        return {};
    };

    Text error;
    if (word == u"click") {
        command.kind = Command::Kind::Click;
        error = arguments("n", u"click NAME");
    } else if (word == u"keys") {
        command.kind = Command::Kind::Keys;
        error = arguments("s", u"keys \"TEXT\"");
    } else if (word == u"type") {
        command.kind = Command::Kind::Type;
        error = arguments("ns", u"type NAME \"TEXT\"");
    } else if (word == u"paste") {
        command.kind = Command::Kind::Paste;
        error = arguments("s", u"paste \"TEXT\"");
    } else if (word == u"close") {
        command.kind = Command::Kind::Close;
        error = arguments("", u"close");
    } else if (word == u"dump") {
        command.kind = Command::Kind::Dump;
        error = arguments("", u"dump");
    } else if (word == u"expect") {
        command.kind = Command::Kind::Expect;
        if (tokens.size() < 2) {
            return malformed(u"'expect' is incomplete; write expect TARGET VALUE");
        }
        const Token& targetToken = tokens[1];
        if (targetToken.kind != Token::Kind::Word) {
            return malformed(fmt(u"column %1: expect needs a target, found %2",
                                 {num(targetToken.column), describe(targetToken)}));
        }
        TargetResult target = readTarget(targetToken.text);
        if (!target.target) {
            return malformed(fmt(u"column %1: %2", {num(targetToken.column), target.error}));
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
        return malformed(fmt(u"unknown command '%1' (commands: click, keys, type, paste, close, "
                             u"expect, dump)",
                             {word}));
    }
    if (!error.empty()) {
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

} // namespace scenario::syntax
