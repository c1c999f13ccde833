// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/runner/scenario_tokens.h"

namespace scenario {

namespace {

int hexDigitValue(QChar c) {
    const char16_t u = c.unicode();
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

QString hex4(char16_t code) {
    return QStringLiteral("\\u") +
           QStringLiteral("%1").arg(static_cast<unsigned>(code), 4, 16, QChar(u'0')).toUpper();
}

// Reads a string whose opening quote is at line[start]. On success the token
// gets the resolved text and the returned position is just after the closing
// quote; on failure the error is set.
qsizetype readString(QStringView line, qsizetype start, Token& token, QString& error) {
    qsizetype pos = start + 1;
    while (pos < line.size()) {
        const QChar c = line[pos];
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
                QStringLiteral("column %1: a backslash ends the line inside a string").arg(pos + 1);
            return -1;
        }
        const QChar e = line[pos + 1];
        switch (e.unicode()) {
        case u'"':
            token.text += u'"';
            break;
        case u'\\':
            token.text += u'\\';
            break;
        case u'r':
            token.text += QChar(13);
            break;
        case u'b':
            token.text += QChar(8);
            break;
        case u't':
            token.text += QChar(9);
            break;
        case u'u': {
            int code = 0;
            for (qsizetype k = 0; k < 4; ++k) {
                const qsizetype at = pos + 2 + k;
                const int digit = at < line.size() ? hexDigitValue(line[at]) : -1;
                if (digit < 0) {
                    error = QStringLiteral("column %1: \\u must be followed by exactly four "
                                           "hexadecimal digits")
                                .arg(pos + 1);
                    return -1;
                }
                code = code * 16 + digit;
            }
            token.text += QChar(static_cast<char16_t>(code));
            pos += 6;
            continue;
        }
        default:
            error = QStringLiteral("column %1: unknown escape \\%2 in a string (known: \\\" \\\\ "
                                   "\\r \\b \\t \\uXXXX)")
                        .arg(pos + 1)
                        .arg(e);
            return -1;
        }
        pos += 2;
    }
    error = QStringLiteral("column %1: the string is not closed by a double quote").arg(start + 1);
    return -1;
}

} // namespace

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

bool isIgnorable(QStringView line) {
    for (const QChar c : line) {
        if (!isBlank(c)) {
            return c == u'#';
        }
    }
    return true;
}

Tokens tokenize(QStringView line) {
    Tokens result;
    qsizetype pos = 0;
    while (pos < line.size()) {
        if (isBlank(line[pos])) {
            ++pos;
            continue;
        }
        Token token;
        token.column = pos + 1;
        if (line[pos] == u'"') {
            token.kind = Token::Kind::String;
            const qsizetype end = readString(line, pos, token, result.error);
            if (end < 0) {
                return result;
            }
            if (end < line.size() && !isBlank(line[end])) {
                result.error =
                    QStringLiteral("column %1: a blank must follow the closing quote of a string")
                        .arg(end + 1);
                return result;
            }
            pos = end;
        } else {
            token.kind = Token::Kind::Word;
            while (pos < line.size() && !isBlank(line[pos])) {
                if (line[pos] == u'"') {
                    result.error =
                        QStringLiteral("column %1: a double quote inside a word; a string must "
                                       "stand apart, preceded by a blank")
                            .arg(pos + 1);
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

QString quoted(QStringView text) {
    QString out;
    out.reserve(text.size() + 2);
    out += u'"';
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        switch (c.unicode()) {
        case u'"':
            out += QStringLiteral("\\\"");
            continue;
        case u'\\':
            out += QStringLiteral("\\\\");
            continue;
        case 13:
            out += QStringLiteral("\\r");
            continue;
        case 8:
            out += QStringLiteral("\\b");
            continue;
        case 9:
            out += QStringLiteral("\\t");
            continue;
        default:
            break;
        }
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            const char32_t code = QChar::surrogateToUcs4(c, text[i + 1]);
            if (QChar::isPrint(code)) {
                out += c;
                out += text[i + 1];
            } else {
                out += hex4(c.unicode());
                out += hex4(text[i + 1].unicode());
            }
            ++i;
            continue;
        }
        if (c.isSurrogate() || !c.isPrint()) {
            out += hex4(c.unicode());
        } else {
            out += c;
        }
    }
    out += u'"';
    return out;
}

} // namespace scenario
