// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/random/square_model.h"

#include <array>
#include <cstdlib>

namespace randomized {

namespace {

// Points where y <= x <= 12: the corner of the point table, rows y = 1..13,
// columns x = 1..13 (index 0 unused).
constexpr std::array<std::array<int, 14>, 14> kCorner{{
    {},
    {0, 1, 2, 3, 4, 5, 6, 8, 9, 10, 12, 13, 14, 16},
    {0, 2, 2, 3, 4, 5, 6, 8, 9, 10, 12, 13, 14, 16},
    {0, 3, 3, 3, 4, 5, 6, 8, 9, 10, 12, 13, 14, 16},
    {0, 4, 4, 4, 5, 6, 7, 8, 9, 10, 12, 13, 14, 16},
    {0, 5, 5, 5, 6, 6, 7, 8, 9, 10, 12, 13, 14, 16},
    {0, 6, 6, 6, 7, 7, 7, 8, 9, 10, 12, 13, 14, 16},
    {0, 7, 7, 7, 8, 8, 8, 9, 10, 11, 12, 13, 14, 16},
    {0, 8, 8, 8, 9, 9, 9, 10, 10, 11, 12, 13, 14, 16},
    {0, 9, 9, 9, 10, 10, 10, 11, 11, 11, 12, 13, 14, 16},
    {0, 10, 10, 10, 11, 11, 11, 12, 12, 12, 13, 14, 15, 16},
    {0, 11, 11, 11, 12, 12, 12, 13, 13, 13, 14, 14, 15, 16},
    {0, 12, 12, 12, 13, 13, 13, 14, 14, 14, 15, 15, 15, 16},
    {0, 13, 13, 13, 14, 14, 14, 15, 15, 15, 16, 16, 16, 16},
}};

constexpr int kLast = 40; // largest table index

// Bands: log text and multiplier, index 0 being 50 MHz.
struct BandRow {
    const char* logText;
    int multiplier;
};
constexpr std::array<BandRow, 10> kBandRows{{
    {" 50", 1},
    {"144", 1},
    {"432", 2},
    {"1.2", 3},
    {"2.3", 4},
    {"3.6", 5},
    {"5.7", 6},
    {" 10", 7},
    {" 24", 8},
    {" 47", 9},
}};

bool isLetterAtoX(int code) {
    return code >= 'A' && code <= 'X';
}

bool isDigitCode(int code) {
    return code >= '0' && code <= '9';
}

bool isShiftSign(int code) {
    return code == '+' || code == '-';
}

// A number right-aligned in a field of 3; a longer number stays whole.
QString field3(const QString& text) {
    return text.size() >= 3 ? text : QString(3 - text.size(), QLatin1Char(' ')) + text;
}

// Shift of a QTH-Kenner area for the sign in place 5 or 6 (26 columns or rows).
int shiftOf(QStringView text, qsizetype index) {
    if (index >= text.size()) {
        return 0;
    }
    const int code = singleByteCode(text[index]);
    if (code == '-') {
        return -26;
    }
    if (code == '+') {
        return 26;
    }
    return 0;
}

} // namespace

int singleByteCode(QChar c) {
    const int code = c.unicode();
    return code > 255 ? 63 : code;
}

QString trimBlanks(QStringView text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first] == u' ') {
        ++first;
    }
    while (last > first && text[last - 1] == u' ') {
        --last;
    }
    return text.mid(first, last - first).toString();
}

int tablePoints(int x, int y) {
    if (y > x) {
        if (x <= 3) {
            return y;
        }
        if (x <= 6) {
            return y + 1;
        }
        if (x <= 9) {
            return y + 2;
        }
        return y + 3;
    }
    if (x >= 13) {
        return x + 3;
    }
    return kCorner[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
}

SquarePlace placeOf(QStringView square4) {
    const int k1 = singleByteCode(square4[0]);
    const int k2 = singleByteCode(square4[1]);
    const int k3 = singleByteCode(square4[2]);
    const int k4 = singleByteCode(square4[3]);
    if (isSquare(square4)) {
        return {10 * (k1 - 'A') + (k3 - '0'), 10 * (k2 - 'A') + (k4 - '0')};
    }
    // The degrees of the conversion: a field of 20 degrees counted from "@"
    // and folded into the west from 180 degrees on, a square of 2 degrees; a
    // field of 10 degrees of latitude and a square of 1 degree. Shifted so
    // that proper squares get the column and row above.
    int westEdge = (k1 - 64) * 20 + 160;
    if (westEdge >= 180) {
        westEdge -= 360;
    }
    const int longitude = westEdge + (k3 - 48) * 2;
    const int latitude = (k2 - 64) * 10 - 100 + (k4 - 48);
    return {longitude / 2 + 90, latitude + 90};
}

bool isSquare(QStringView text) {
    return text.size() >= 4 && isLetterAtoX(text[0].unicode()) && isLetterAtoX(text[1].unicode()) &&
           isDigitCode(text[2].unicode()) && isDigitCode(text[3].unicode());
}

Lookup lookup(QStringView own, QStringView foreign) {
    Lookup result;
    if (own.size() < 4 || foreign.size() < 4) {
        result.kind = Lookup::Kind::TooShort;
        return result;
    }
    if (foreign.left(4) == u"    ") {
        result.kind = Lookup::Kind::Blank;
        return result;
    }
    const SquarePlace a = placeOf(own.left(4));
    const SquarePlace b = placeOf(foreign.left(4));
    result.x = std::abs(a.column - b.column) + 1;
    result.y = std::abs(a.row - b.row) + 1;
    if (result.x > kLast || result.y > kLast) {
        result.kind = Lookup::Kind::OutOfRange;
        return result;
    }
    result.points = tablePoints(result.x, result.y);
    return result;
}

std::optional<QString> checkedSquare(QStringView entry) {
    const QString text = trimBlanks(entry);
    if (text.size() < 4) {
        return std::nullopt;
    }
    for (qsizetype i = 0; i < text.size() && i < 6; ++i) {
        const int code = singleByteCode(text[i]);
        const bool letterPlace = i == 0 || i == 1 || i == 4 || i == 5;
        if (letterPlace ? !isLetterAtoX(code) : !isDigitCode(code)) {
            return std::nullopt;
        }
    }
    return text.left(4);
}

std::optional<QString> qthSquare(QStringView entry) {
    const QString text = trimBlanks(entry);
    if (text.size() < 4) {
        return std::nullopt;
    }
    for (qsizetype i = 0; i < text.size() && i < 6; ++i) {
        const int code = singleByteCode(text[i]);
        if (i < 2 && (code < 'A' || code > 'Z')) {
            return std::nullopt;
        }
        if (i < 4 && isShiftSign(code)) {
            return std::nullopt;
        }
        if (i == 4 && code != ' ' && !isShiftSign(code)) {
            return std::nullopt;
        }
        if (i == 5 && !isShiftSign(code)) {
            return std::nullopt;
        }
    }
    // Columns of 2 degrees counted east from 0, rows of 1 degree counted
    // north from 40 degrees; fields of 10 squares counted from 180 W, 90 S.
    const int column = singleByteCode(text[0]) - 'A' + shiftOf(text, 4) + 90;
    const int row = singleByteCode(text[1]) - 'A' + shiftOf(text, 5) + 130;
    QString square;
    square += QChar(u'A' + column / 10);
    square += QChar(u'A' + row / 10);
    square += QChar(u'0' + column % 10);
    square += QChar(u'0' + row % 10);
    return square;
}

int bandMultiplier(int band) {
    return kBandRows.at(static_cast<std::size_t>(band)).multiplier;
}

QString bandLogText(int band) {
    return QLatin1String(kBandRows.at(static_cast<std::size_t>(band)).logText);
}

QString logLine(QStringView loc, int band, int points, int multiplier, long long qrb) {
    const QString gap(3, QLatin1Char(' '));
    const bool fifty = band == 0;
    const QString pkt = fifty ? gap : field3(QString::number(points));
    const QString mul = fifty ? gap : field3(QString::number(multiplier));
    return loc.toString() + gap + bandLogText(band) + gap + pkt + gap + mul + gap +
           field3(QString::number(qrb));
}

QString sumText(long long sum) {
    const QString digits = QString::number(sum);
    return sum >= 0 ? QLatin1Char(' ') + digits : digits;
}

std::optional<long long> qrbColumn(QStringView line) {
    const qsizetype blank = line.lastIndexOf(u' ');
    const QStringView last = line.mid(blank + 1);
    if (!isInteger(last)) {
        return std::nullopt;
    }
    bool ok = false;
    const long long value = last.toLongLong(&ok);
    return ok ? std::optional<long long>(value) : std::nullopt;
}

bool isInteger(QStringView text) {
    const QStringView digits = text.startsWith(u'-') ? text.mid(1) : text;
    if (digits.isEmpty()) {
        return false;
    }
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9') {
            return false;
        }
    }
    return true;
}

QString logHeader() {
    return QStringLiteral(" LOC   QRG   PKT   MUL   QRB");
}

QString printRule() {
    return QStringLiteral("     ") + QString(29, QLatin1Char('_'));
}

} // namespace randomized
