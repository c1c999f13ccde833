// SPDX-License-Identifier: GPL-3.0-or-later
// The Qt face of the scenario syntax: the words and strings of a line are
// read by the plain C++ syntax library that every runner shares.
#include "tests/runner/scenario_tokens.h"

#include "tests/runner/scenario_qt.h"
#include "tests/runner/scenario_syntax.h"

namespace scenario {

bool isBlank(QChar c) {
    return syntax::isBlank(c.unicode());
}

bool isIgnorable(QStringView line) {
    return syntax::isIgnorable(plain(line));
}

Tokens tokenize(QStringView line) {
    const syntax::Tokens split = syntax::tokenize(plain(line));
    Tokens result;
    for (const syntax::Token& token : split.tokens) {
        Token t;
        t.kind =
            token.kind == syntax::Token::Kind::String ? Token::Kind::String : Token::Kind::Word;
        t.text = qt(token.text);
        t.column = static_cast<qsizetype>(token.column);
        result.tokens.push_back(std::move(t));
    }
    result.error = QString::fromStdString(split.error);
    return result;
}

QString quoted(QStringView text) {
    return qt(syntax::quoted(plain(text)));
}

} // namespace scenario
