// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/csv_writer.h"

#include "report/date_time.h"
#include "scoring/bands.h"

#include <charconv>
#include <cstddef>
#include <cstring>

namespace qrb::report {

namespace {

// RFC 4180 ends every record with CR LF.
constexpr std::string_view kRecordEnd = "\r\n";

bool needsQuotes(char c) {
    return c == ',' || c == '"' || c == '\r' || c == '\n';
}

} // namespace

CsvWriter::CsvWriter(OutputBuffer& out) : out_(out) {
    out_.write(kHeader);
    out_.write(kRecordEnd);
}

void CsvWriter::beginFile(std::string_view name) {
    file_ = csvField(name);
}

namespace {

// The pieces of a row written straight into reserved memory: each returns
// the end of what it wrote.
char* put(char* to, std::string_view text) {
    if (!text.empty()) { // an empty view may point nowhere
        std::memcpy(to, text.data(), text.size());
    }
    return to + text.size();
}

char* putField(char* to, std::string_view text) {
    // Fields are short (a call, a square, a date) and seldom need quotes: one
    // plain loop copies the bytes and looks at them, where a call of memcpy
    // after a search would cost more than the copy. Only a field that does
    // need quotes is written again, over the first try.
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        to[i] = text[i];
        quoted = quoted || needsQuotes(text[i]);
    }
    if (!quoted) {
        return to + text.size();
    }
    *to++ = '"';
    for (const char c : text) {
        if (c == '"') {
            *to++ = '"';
        }
        *to++ = c;
    }
    *to++ = '"';
    return to;
}

// The date as YYYY-MM-DD and the time as HH:MM or HH:MM:SS, straight into
// the row; a text that is neither is written as the file has it, trimmed.
char* putDate(char* to, std::string_view written) {
    const std::size_t size = isoDateChars(to, written);
    return size != 0 ? to + size : putField(to, isoDate(written));
}

char* putTime(char* to, std::string_view written) {
    const std::size_t size = clockTimeChars(to, written, true);
    return size != 0 ? to + size : putField(to, clockTime(written, true));
}

constexpr std::size_t kNumberDigits = 20;

char* putNumber(char* to, std::uint64_t value) {
    return std::to_chars(to, to + kNumberDigits, value).ptr;
}

} // namespace

std::string csvField(std::string_view text) {
    // Quoted, every byte may be doubled.
    std::string field(2 * text.size() + 2, '\0');
    field.resize(static_cast<std::size_t>(putField(field.data(), text) - field.data()));
    return field;
}

void CsvWriter::contact(const logbook::Record& record, const ContactScore& contact,
                        const Marks& marks, std::size_t /*block*/) {
    const std::string_view station = stationOf(record);
    const std::string_view call = trimmedSpace(record.call);
    const std::string_view reason = contact.scored ? std::string_view() : skipText(contact.reason);
    // Room for every field quoted with each of its bytes doubled, and for the
    // numbers, commas and words around them.
    // A valid date or time is written in its own form, any other as it is.
    constexpr std::size_t kFixed = 128 + kIsoDateChars + kClockTimeChars;
    const std::size_t bound =
        file_.size() + kFixed +
        2 * (call.size() + record.date.size() + record.time.size() + contact.own.size() +
             contact.loc.size() + reason.size() + station.size());
    std::string spill;
    char* const start =
        bound <= out_.capacity() ? out_.reserve(bound) : (spill.resize(bound), spill.data());

    char* to = put(start, file_);
    *to++ = ',';
    to = putNumber(to, record.number);
    *to++ = ',';
    to = putField(to, call);
    *to++ = ',';
    to = putDate(to, record.date);
    *to++ = ',';
    to = putTime(to, record.time);
    *to++ = ',';
    to = putField(to, contact.own);
    *to++ = ',';
    to = putField(to, contact.loc);
    *to++ = ',';
    if (contact.band >= 0) {
        to = put(to, bandCaption(static_cast<std::size_t>(contact.band)));
    }
    *to++ = ',';
    if (contact.scored) {
        to = putNumber(to, static_cast<std::uint64_t>(contact.pkt));
        *to++ = ',';
        to = putNumber(to, static_cast<std::uint64_t>(contact.mul));
        *to++ = ',';
        to = putNumber(to, static_cast<std::uint64_t>(contact.qrb));
        to = put(to, ",scored,,");
        to = putField(to, station);
        to = put(to, marks.repeat ? ",1" : ",0");
        to = put(to, marks.satellite ? ",1" : ",0");
        to = put(to, marks.confirmed ? ",1" : ",0");
    } else {
        to = put(to, ",,,skipped,");
        to = putField(to, reason);
        *to++ = ',';
        to = putField(to, station);
        to = put(to, ",,,");
    }
    to = put(to, kRecordEnd);

    if (spill.empty()) {
        out_.commit(to);
    } else {
        out_.write(std::string_view(spill.data(), static_cast<std::size_t>(to - spill.data())));
    }
}

} // namespace qrb::report
