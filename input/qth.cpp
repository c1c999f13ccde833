// SPDX-License-Identifier: GPL-3.0-or-later
#include "input/qth.h"

#include "input/locator_check.h"
#include "scoring/charcode.h"

#include <cmath>
#include <cstddef>
#include <string>

namespace qrb {

namespace {

constexpr std::int16_t kBlank = 32;
constexpr std::int16_t kPlus = 43;
constexpr std::int16_t kMinus = 45;

bool isShiftSign(std::int16_t c) {
    return c == kPlus || c == kMinus;
}

// Code of the character at a 1-based position, or -1 when the text is shorter.
std::int16_t codeAt(std::u16string_view text, std::size_t position) {
    return position <= text.size() ? charCode(text[position - 1]) : std::int16_t{-1};
}

// A shift sign moves the area by the 26 columns or rows of the basic area;
// anything else (blank, missing character) leaves it where it is.
int shiftOf(std::int16_t c) {
    constexpr int kAreaSpan = 26;
    if (c == kMinus) {
        return -kAreaSpan;
    }
    if (c == kPlus) {
        return kAreaSpan;
    }
    return 0;
}

} // namespace

QthCheck checkQth(std::u16string_view text) {
    QthCheck result;
    result.text = trimBlanks(text);
    // Two letters and two digits at least; the shifts are optional.
    constexpr std::size_t kMinLength = 4;
    if (result.text.size() < kMinLength) {
        result.error = true;
        return result;
    }
    for (std::size_t i = 0; i < result.text.size(); ++i) {
        const std::int16_t c = charCode(result.text[i]);
        const std::size_t position = i + 1;
        bool bad = false;
        if ((position == 1 || position == 2) && (c < 65 || c > 90)) {
            bad = true; // the two area letters, A..Z
        }
        if (position <= 4 && isShiftSign(c)) {
            bad = true; // a shift sign before the fifth place
        }
        if (position == 5 && c != kBlank && !isShiftSign(c)) {
            bad = true; // west/east shift, or a blank when only north/south follows
        }
        if (position == 6 && !isShiftSign(c)) {
            bad = true; // south/north shift
        }
        if (bad) {
            result.error = true;
        }
    }
    return result;
}

std::u16string qthToSquare(std::u16string_view checked) {
    // A missing area letter (only possible for an unchecked text) is taken as
    // the first column or row.
    const std::int16_t first = codeAt(checked, 1);
    const std::int16_t second = codeAt(checked, 2);
    const int a = (first < 0 ? 65 : first) - 65;
    const int b = (second < 0 ? 65 : second) - 65;
    const int s = shiftOf(codeAt(checked, 5));
    const int t = shiftOf(codeAt(checked, 6));

    // The first letter names a column of 2 degrees counted eastward from 0,
    // the second a row of 1 degree counted northward from 40 degrees. The point
    // taken lies half a degree inside the area's south-west corner, so it is
    // well inside one Maidenhead square.
    const float lon = static_cast<float>((a + s) * 2) + 0.5F;
    const float lat = static_cast<float>(b + t) + 40.0F + 0.5F;

    // Maidenhead fields are 20 x 10 degrees counted from 180 W / 90 S, the
    // squares inside them 2 x 1 degrees.
    const float east = lon + 180.0F;
    const int fieldLon = static_cast<int>(std::floor(east / 20.0F)) + 1;
    const int squareLon =
        static_cast<int>(std::floor((east - static_cast<float>((fieldLon - 1) * 20)) / 2.0F));
    const float north = lat + 90.0F;
    const int fieldLat = static_cast<int>(std::floor(north / 10.0F)) + 1;
    const int squareLat =
        static_cast<int>(std::floor(north - static_cast<float>((fieldLat - 1) * 10)));

    const std::string digits = std::to_string(squareLon * 10 + squareLat);
    std::u16string square;
    square += static_cast<char16_t>(fieldLon + 64);
    square += static_cast<char16_t>(fieldLat + 64);
    if (digits.size() == 1) {
        square += u'0';
    }
    for (const char d : digits) {
        square += static_cast<char16_t>(d);
    }
    return square;
}

} // namespace qrb
