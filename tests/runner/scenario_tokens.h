// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The words and quoted strings of one scenario line, and the quoting used to
// show a text back to the reader.

#include <QString>
#include <QStringView>
#include <vector>

namespace scenario {

struct Token {
    enum class Kind { Word, String };
    Kind kind = Kind::Word;
    QString text;         // a word as written; a string with its escapes resolved
    qsizetype column = 0; // 1-based position of the token's first character
};

struct Tokens {
    std::vector<Token> tokens;
    QString error; // empty when the line could be split
};

// Blanks between words are spaces and tab characters.
bool isBlank(QChar c);

// True for a line that holds nothing to run: blank, or a comment whose first
// non-blank character is '#'.
bool isIgnorable(QStringView line);

// Splits a line into words and strings. A string starts with '"' and ends at
// the next unescaped '"'; inside it \" \\ \r \b \t and \uXXXX (four hex digits)
// are escapes, every other character stands for itself. A string must be
// followed by a blank or the end of the line, and a word may not contain '"'.
Tokens tokenize(QStringView line);

// The text in double quotes, written back with the escapes above so that the
// result reads as the string it came from. Control characters and other
// characters that do not print are shown as \uXXXX.
QString quoted(QStringView text);

} // namespace scenario
