// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/date_time.h"

#include "report/contact.h"

#include <array>

namespace qrb::report {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool allDigits(std::string_view text) {
    for (const char c : text) {
        if (!isDigit(c)) {
            return false;
        }
    }
    return true;
}

int number(std::string_view digits) {
    int value = 0;
    for (const char c : digits) {
        value = value * 10 + (c - '0');
    }
    return value;
}

int daysIn(int month, int year) {
    constexpr std::array<int, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

} // namespace

std::string isoDate(std::string_view written) {
    std::string iso;
    if (!isoDateInto(iso, written)) {
        iso = trimmedBlanksTabs(written);
    }
    return iso;
}

std::size_t isoDateChars(char* iso, std::string_view written) {
    const std::string_view text = trimmedBlanksTabs(written);
    if ((text.size() != 8 && text.size() != 6) || !allDigits(text)) {
        return 0;
    }
    const bool shortYear = text.size() == 6;
    const std::size_t yearDigits = shortYear ? 2 : 4;
    int year = number(text.substr(0, yearDigits));
    if (shortYear) {
        constexpr int kPivot = 80;
        year += year >= kPivot ? 1900 : 2000;
    }
    const int month = number(text.substr(yearDigits, 2));
    const int day = number(text.substr(yearDigits + 2, 2));
    if (year < 1900 || month < 1 || month > 12 || day < 1 || day > daysIn(month, year)) {
        return 0;
    }
    iso[0] = static_cast<char>('0' + year / 1000);
    iso[1] = static_cast<char>('0' + year / 100 % 10);
    iso[2] = static_cast<char>('0' + year / 10 % 10);
    iso[3] = static_cast<char>('0' + year % 10);
    iso[4] = '-';
    iso[5] = text[yearDigits];
    iso[6] = text[yearDigits + 1];
    iso[7] = '-';
    iso[8] = text[yearDigits + 2];
    iso[9] = text[yearDigits + 3];
    return kIsoDateChars;
}

bool isoDateInto(std::string& iso, std::string_view written) {
    std::array<char, kIsoDateChars> chars{};
    const std::size_t size = isoDateChars(chars.data(), written);
    if (size == 0) {
        return false;
    }
    iso.assign(chars.data(), size);
    return true;
}

std::string clockTime(std::string_view written, bool seconds) {
    std::string clock;
    if (!clockTimeInto(clock, written, seconds)) {
        clock = trimmedBlanksTabs(written);
    }
    return clock;
}

std::size_t clockTimeChars(char* clock, std::string_view written, bool seconds) {
    const std::string_view text = trimmedBlanksTabs(written);
    if ((text.size() != 4 && text.size() != 6) || !allDigits(text) ||
        number(text.substr(0, 2)) > 23 || number(text.substr(2, 2)) > 59 ||
        (text.size() == 6 && number(text.substr(4, 2)) > 59)) {
        return 0;
    }
    const bool withSeconds = seconds && text.size() == 6;
    clock[0] = text[0];
    clock[1] = text[1];
    clock[2] = ':';
    clock[3] = text[2];
    clock[4] = text[3];
    if (!withSeconds) {
        return 5;
    }
    clock[5] = ':';
    clock[6] = text[4];
    clock[7] = text[5];
    return kClockTimeChars;
}

bool clockTimeInto(std::string& clock, std::string_view written, bool seconds) {
    std::array<char, kClockTimeChars> chars{};
    const std::size_t size = clockTimeChars(chars.data(), written, seconds);
    if (size == 0) {
        return false;
    }
    clock.assign(chars.data(), size);
    return true;
}

} // namespace qrb::report
