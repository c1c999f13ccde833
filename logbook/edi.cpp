// SPDX-License-Identifier: GPL-3.0-or-later
// EDI (REG1TEST), the file a VHF/UHF contest logger writes for one band of
// one contest: header lines KEY=VALUE, among them the own locator (PWWLo) and
// the band (PBand), then the section [QSORecords;N] with one contact per line,
// fields separated by ';':
//
//   date;time;call;mode;sent RST;sent no.;rcvd RST;rcvd no.;exchange;locator;
//   points;new exchange;new locator;new DXCC;duplicate
//
// The section ends at the next line that starts with '['. Its count N is
// often wrong in real files and is not relied on. Line ends may be CRLF or LF.

#include "logbook/internal.h"

#include <cstring>
#include <string>
#include <utility>

namespace qrb::logbook::detail {

namespace {

// Fields of a contact line, counted from 1.
constexpr std::size_t kDateField = 1;
constexpr std::size_t kTimeField = 2;
constexpr std::size_t kCallField = 3;
constexpr std::size_t kLocatorField = 10;
constexpr std::size_t kDuplicateField = 15;

void keep(std::string& target, std::string_view value) {
    target.assign(value.substr(0, kMaxFieldBytes));
}

class EdiReader final : public Reader {
public:
    explicit EdiReader(ChunkBuffer buffer) : in_(std::move(buffer)) {}

    bool next(Record& record) override;
    Format format() const override { return Format::Edi; }

private:
    enum class LineRead { Line, End, TooLong };

    LineRead readLine();
    void headerLine(std::string_view line);
    void contactLine(std::string_view line, Record& record) const;
    bool stop(ReadError error);

    ChunkBuffer in_;
    std::size_t pos_ = 0;
    std::string line_; // the current line without its line end
    std::size_t lineNumber_ = 0;
    std::size_t records_ = 0;
    bool inContacts_ = false;
    bool sawContacts_ = false;
    bool haveOwn_ = false;
    bool haveBand_ = false;
    bool haveCall_ = false;
    std::string call_; // PCall: the station that made the contacts
    std::string own_;
    std::string band_;
    bool done_ = false;
};

// The next line into line_, at most kMaxLineBytes of it.
EdiReader::LineRead EdiReader::readLine() {
    line_.clear();
    bool started = false;
    for (;;) {
        const char* const data = in_.data();
        const std::size_t size = in_.size();
        if (pos_ < size) {
            started = true;
            const void* feed = std::memchr(data + pos_, '\n', size - pos_);
            const std::size_t end =
                feed != nullptr ? static_cast<std::size_t>(static_cast<const char*>(feed) - data)
                                : size;
            if (line_.size() + (end - pos_) > kMaxLineBytes) {
                ++lineNumber_;
                return LineRead::TooLong;
            }
            line_.append(data + pos_, end - pos_);
            pos_ = end;
            if (feed != nullptr) {
                ++pos_;
                break;
            }
        }
        const std::size_t got = in_.refill(pos_);
        pos_ = 0;
        if (got == 0) {
            if (!started || in_.failed()) {
                return LineRead::End; // a line cut off by a read failure is no line
            }
            break; // the last line has no line end
        }
    }
    if (!line_.empty() && line_.back() == '\r') {
        line_.pop_back();
    }
    ++lineNumber_;
    return LineRead::Line;
}

void EdiReader::headerLine(std::string_view line) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        return;
    }
    const std::string_view key = trimBlanks(line.substr(0, equals));
    const std::string_view value = line.substr(equals + 1);
    // A key that a logger wrote twice counts the first time.
    if (!haveOwn_ && equalsNoCase(key, "PWWLO")) {
        keep(own_, value);
        haveOwn_ = true;
    } else if (!haveBand_ && equalsNoCase(key, "PBAND")) {
        keep(band_, value);
        haveBand_ = true;
    } else if (!haveCall_ && equalsNoCase(key, "PCALL")) {
        keep(call_, value);
        haveCall_ = true;
    }
}

void EdiReader::contactLine(std::string_view line, Record& record) const {
    clearContact(record);
    record.ownLocator.assign(own_);
    record.band.assign(band_);
    record.stationCall.assign(call_);
    std::size_t field = 1;
    std::size_t start = 0;
    for (;;) {
        const std::size_t semicolon = line.find(';', start);
        const std::string_view value =
            line.substr(start, semicolon == std::string_view::npos ? std::string_view::npos
                                                                   : semicolon - start);
        switch (field) {
        case kDateField:
            keep(record.date, value);
            break;
        case kTimeField:
            keep(record.time, value);
            break;
        case kCallField:
            keep(record.call, value);
            break;
        case kLocatorField:
            keep(record.locator, value);
            break;
        case kDuplicateField:
            record.duplicate = equalsNoCase(trimBlanks(value), "D");
            break;
        default:
            break;
        }
        if (semicolon == std::string_view::npos || field == kDuplicateField) {
            return;
        }
        start = semicolon + 1;
        ++field;
    }
}

bool EdiReader::stop(ReadError error) {
    error.line = lineNumber_;
    error.record = inContacts_ ? records_ + 1 : 0;
    error_ = std::move(error);
    done_ = true;
    return false;
}

bool EdiReader::next(Record& record) {
    if (done_) {
        return false;
    }
    for (;;) {
        const LineRead read = readLine();
        if (read == LineRead::TooLong) {
            ReadError error = readError(ReadFault::LineTooLong);
            error.limit = kMaxLineBytes;
            return stop(std::move(error));
        }
        if (read == LineRead::End) {
            if (in_.failed()) {
                return stop(readError(ReadFault::ReadFailed));
            }
            if (!sawContacts_) {
                return stop(readError(ReadFault::NoContactSection));
            }
            done_ = true;
            return false;
        }
        const std::string_view line = line_;
        if (!line.empty() && line.front() == '[') {
            inContacts_ = startsWithNoCase(line, "[QSORECORDS");
            sawContacts_ = sawContacts_ || inContacts_;
            continue;
        }
        if (!inContacts_) {
            if (!sawContacts_) {
                headerLine(line);
            }
            continue;
        }
        if (trimBlanks(line).empty()) {
            continue; // a blank line is no contact
        }
        contactLine(line, record);
        record.number = ++records_;
        record.line = lineNumber_;
        return true;
    }
}

} // namespace

std::unique_ptr<Reader> makeEdiReader(ChunkBuffer buffer) {
    return std::make_unique<EdiReader>(std::move(buffer));
}

} // namespace qrb::logbook::detail
