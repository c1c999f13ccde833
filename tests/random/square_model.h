// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// An independent model of how the award scores a contact, written from the
// rules of the award and the decided behaviour of the window, not from the
// program's code: squares as whole column and row numbers, the points by the
// closed form of the point table, the locator and QTH-Kenner checks, the
// conversion of a QTH-Kenner into a square, the band table and the log line.
// The randomized sessions compare the window against it.

#include <QString>
#include <QStringView>
#include <optional>

namespace randomized {

// A character as the old single-byte code page keeps it: its code, or 63 ("?")
// for a character outside the set.
int singleByteCode(QChar c);

// The text without leading and trailing blanks (only the blank, code 32).
QString trimBlanks(QStringView text);

// Points for a pair of table indices, x for longitude squares and y for
// latitude squares, both 1..40, by the closed form of the point table:
// y > x gives y + c(x) with c = 0, 1, 2, 3 for x in 1..3, 4..6, 7..9, 10 and
// more; y <= x with x >= 13 gives x + 3; the rest is the 13 x 13 corner.
int tablePoints(int x, int y);

// Where a four-character square lies, in whole longitude squares (2 degrees)
// and latitude squares (1 degree). For a proper square (field letters, then
// digits) the column is 10 * (letter - 'A') + digit and the row likewise;
// for other characters the column and row follow the conversion of a locator
// into degrees with 16-bit codes, so that any four characters have a place.
struct SquarePlace {
    int column = 0;
    int row = 0;
};
SquarePlace placeOf(QStringView square4);

// True for two field letters A..X followed by two digits.
bool isSquare(QStringView text);

// What the point lookup makes of the two locator fields (only their first
// four characters count).
struct Lookup {
    enum class Kind {
        Points,     // in range: points holds the table value
        Blank,      // the foreign field begins with four blanks: 0 points
        OutOfRange, // 40 or more squares apart in one direction
        TooShort,   // a field shorter than four characters is never converted
    };
    Kind kind = Kind::Points;
    int points = 0;
    int x = 0;
    int y = 0;
};
Lookup lookup(QStringView own, QStringView foreign);

// The locator check on a completed entry: the trimmed text must hold at least
// a whole square, letters A..X in places 1, 2, 5 and 6, digits in 3 and 4;
// places from the seventh on are not looked at. On success the square is the
// first four characters of the trimmed text.
std::optional<QString> checkedSquare(QStringView entry);

// The QTH-Kenner check on a completed entry (at least four characters after
// trimming; letters A..Z in places 1 and 2; no shift sign in places 1 to 4;
// blank or shift sign in place 5; shift sign in place 6). On success: the
// Maidenhead square of the area, its 2 x 1 degree column and row shifted by
// 26 for each "-" (west, south) or "+" (east, north).
std::optional<QString> qthSquare(QStringView entry);

// The band table: caption on the button, three-character text in the log
// and multiplier; index 0 is 50 MHz.
int bandMultiplier(int band);
QString bandLogText(int band);

// The log line of a contact: LOC as given, three blanks, band text, then the
// points, the multiplier and the QRB value right-aligned in fields of 3 (a
// longer number stays whole), each after three blanks. On 50 MHz the points
// and multiplier fields are blank.
QString logLine(QStringView loc, int band, int points, int multiplier, long long qrb);

// The sum as SU shows it: one leading blank before a non-negative number.
QString sumText(long long sum);

// The QRB column (the last field) of a log line read as a number, when the
// line ends in one.
std::optional<long long> qrbColumn(QStringView line);

// True for a text that is a whole number: an optional "-" and digits only.
bool isInteger(QStringView text);

// The header line of the log and the rule under it on the printout.
QString logHeader();
QString printRule();

} // namespace randomized
