// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The check shared by the three logbook reader targets: any bytes read as a
// log of one format, once in the reader's usual chunks and once 512 bytes at a
// time, must give the same contacts in order and the same end.

#include "fuzz/fuzz_support.h"
#include "logbook/logbook.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace qrb::fuzz {

struct ReadResult {
    std::vector<logbook::Record> records;
    std::optional<logbook::ReadError> error;
};

inline bool sameRecord(const logbook::Record& a, const logbook::Record& b) {
    return a.number == b.number && a.line == b.line && a.call == b.call && a.date == b.date &&
           a.time == b.time && a.ownLocator == b.ownLocator && a.locator == b.locator &&
           a.band == b.band && a.freq == b.freq && a.duplicate == b.duplicate;
}

inline bool sameEnd(const std::optional<logbook::ReadError>& a,
                    const std::optional<logbook::ReadError>& b) {
    if (a.has_value() != b.has_value()) {
        return false;
    }
    return !a || (logbook::readErrorText(*a) == logbook::readErrorText(*b) && a->line == b->line &&
                  a->record == b->record);
}

inline bool sameResult(const ReadResult& a, const ReadResult& b) {
    if (a.records.size() != b.records.size() || !sameEnd(a.error, b.error)) {
        return false;
    }
    for (std::size_t i = 0; i < a.records.size(); ++i) {
        if (!sameRecord(a.records[i], b.records[i])) {
            return false;
        }
    }
    return true;
}

// Reads to the end and checks the rules every reader keeps on the way.
inline ReadResult readChecked(logbook::Reader& reader, logbook::Format format) {
    QRB_FUZZ_REQUIRE(reader.format() == format);
    ReadResult result;
    logbook::Record record; // one record reused, as the command does
    std::size_t lastLine = 1;
    while (reader.next(record)) {
        QRB_FUZZ_REQUIRE(!reader.error());
        QRB_FUZZ_REQUIRE(record.number == result.records.size() + 1);
        QRB_FUZZ_REQUIRE(record.line >= lastLine);
        lastLine = record.line;
        for (const std::string* text :
             {&record.call, &record.date, &record.time, &record.ownLocator, &record.locator,
              &record.band, &record.freq}) {
            QRB_FUZZ_REQUIRE(text->size() <= logbook::kMaxFieldBytes);
        }
        if (format == logbook::Format::Edi) {
            // The own locator and the band come from the header, the same for all.
            QRB_FUZZ_REQUIRE(record.freq.empty());
            QRB_FUZZ_REQUIRE(result.records.empty() ||
                             (record.ownLocator == result.records.front().ownLocator &&
                              record.band == result.records.front().band));
        } else {
            QRB_FUZZ_REQUIRE(!record.duplicate);
        }
        result.records.push_back(record);
    }
    result.error = reader.error();
    if (result.error) {
        // Only the opening can find a file empty or of no format.
        QRB_FUZZ_REQUIRE(result.error->fault != logbook::ReadFault::Empty &&
                         result.error->fault != logbook::ReadFault::UnknownFormat);
        // The contact named is the one after the last delivered, or none.
        QRB_FUZZ_REQUIRE(result.error->record == 0 ||
                         result.error->record == result.records.size() + 1);
        QRB_FUZZ_REQUIRE(result.error->line == 0 || result.error->line >= lastLine);
    }
    // Once at its end, a reader stays there.
    QRB_FUZZ_REQUIRE(!reader.next(record));
    QRB_FUZZ_REQUIRE(sameEnd(reader.error(), result.error));
    return result;
}

inline void checkReader(const std::uint8_t* data, std::size_t size, logbook::Format format) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    std::istringstream whole(bytes);
    const std::unique_ptr<logbook::Reader> usual = logbook::openReader(whole, format);
    const ReadResult expected = readChecked(*usual, format);

    std::istringstream pieces(bytes);
    const std::unique_ptr<logbook::Reader> small = logbook::openReader(pieces, format, 512);
    QRB_FUZZ_REQUIRE(sameResult(readChecked(*small, format), expected));

    // Recognised as this format from the content, the reader is the same.
    std::istringstream detected(bytes);
    logbook::ReadError refused;
    const std::unique_ptr<logbook::Reader> found = logbook::openReader(detected, refused);
    if (found) {
        QRB_FUZZ_REQUIRE(refused.fault == logbook::ReadFault::ReadFailed && refused.line == 0);
        if (found->format() == format) {
            QRB_FUZZ_REQUIRE(sameResult(readChecked(*found, format), expected));
        }
    } else {
        QRB_FUZZ_REQUIRE(!logbook::readErrorText(refused).empty());
    }
}

} // namespace qrb::fuzz
