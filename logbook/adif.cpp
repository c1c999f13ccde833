// SPDX-License-Identifier: GPL-3.0-or-later
// ADIF tagged text: an optional free-text header ended by <EOH>, then fields
// <NAME:LENGTH> or <NAME:LENGTH:TYPE> followed by exactly LENGTH bytes of
// data, each contact closed by <EOR>. Anything between fields is ignored.
//
// LENGTH is taken as bytes. A logger that counted the characters of a UTF-8
// text instead announces fewer bytes than it wrote; the bytes left over are
// then ordinary text before the next '<' and are ignored like any other.

#include "logbook/internal.h"

#include <array>
#include <cstring>
#include <string>
#include <utility>

namespace qrb::logbook::detail {

namespace {

// GCC sees that a field's data is short and expands its copy into a "rep
// movs", which costs several times a call to memcpy for the few bytes of a
// call sign or locator. Hiding the length from its interprocedural analysis
// keeps the call.
#if defined(__GNUC__) && !defined(__clang__)
#define QRB_OPAQUE_ARGUMENTS [[gnu::noipa]]
#else
#define QRB_OPAQUE_ARGUMENTS
#endif

// A field's data into a text of the contact, reusing its memory.
QRB_OPAQUE_ARGUMENTS void setText(std::string& text, const char* bytes, std::size_t size) {
    text.clear();
    text.append(bytes, size);
}

// The next '<' from `from` on, nullptr when there is none before `end`. The
// next tag mostly follows a field's data after a blank or a line end, so the
// first bytes are looked at directly before memchr takes over.
const char* findOpen(const char* from, const char* end) {
    constexpr int kNear = 4;
    for (int i = 0; i < kNear && from < end; ++i, ++from) {
        if (*from == '<') {
            return from;
        }
    }
    if (from >= end) {
        return nullptr;
    }
    return static_cast<const char*>(std::memchr(from, '<', static_cast<std::size_t>(end - from)));
}

class AdifReader final : public Reader {
public:
    explicit AdifReader(ChunkBuffer buffer) : in_(std::move(buffer)) {}

    bool next(Record& record) override;
    Format format() const override { return Format::Adif; }

private:
    std::size_t lineAt(std::size_t index);
    std::size_t refill();
    bool readAcross(std::uint64_t length, std::string* target, std::size_t tagStart,
                    std::string_view name);
    bool finish(bool open, std::size_t firstLine);
    void stop(ReadError error, std::size_t line);

    ChunkBuffer in_;
    std::size_t pos_ = 0;     // next byte to look at
    std::size_t counted_ = 0; // line feeds before this index are counted in line_
    std::size_t line_ = 1;
    std::size_t records_ = 0;
    bool done_ = false;
};

// The line of the byte at `index`; counts the line feeds since the last call
// (indexes only ever move forward between two refills).
std::size_t AdifReader::lineAt(std::size_t index) {
    const char* p = in_.data() + counted_;
    const char* const end = in_.data() + index;
    while (p < end) {
        const void* feed = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
        if (feed == nullptr) {
            break;
        }
        ++line_;
        p = static_cast<const char*>(feed) + 1;
    }
    counted_ = index;
    return line_;
}

// Drops everything before pos_ and reads on.
std::size_t AdifReader::refill() {
    lineAt(pos_);
    const std::size_t got = in_.refill(pos_);
    pos_ = 0;
    counted_ = 0;
    return got;
}

void AdifReader::stop(ReadError error, std::size_t line) {
    if (in_.failed()) {
        error = readError(ReadFault::ReadFailed);
    }
    error.line = line;
    error.record = records_ + 1;
    error_ = std::move(error);
    done_ = true;
}

bool AdifReader::finish(bool open, std::size_t firstLine) {
    if (in_.failed()) {
        stop(readError(ReadFault::ReadFailed), line_);
    } else if (open) {
        stop(readError(ReadFault::RecordNotClosed), firstLine);
    }
    done_ = true;
    return false;
}

// Data that runs past the bytes held: read on chunk by chunk, keeping at most
// kMaxFieldBytes of it, however long the field says it is.
bool AdifReader::readAcross(std::uint64_t length, std::string* target, std::size_t tagStart,
                            std::string_view name) {
    const std::size_t tagLine = lineAt(tagStart);
    const std::uint64_t announced = length;
    const std::string fieldName(name.substr(0, 64)); // the buffer moves on below
    for (;;) {
        const std::size_t held = in_.size() - pos_;
        const std::size_t take = length < held ? static_cast<std::size_t>(length) : held;
        if (target != nullptr && target->size() < kMaxFieldBytes) {
            const std::size_t room = kMaxFieldBytes - target->size();
            target->append(in_.data() + pos_, take < room ? take : room);
        }
        pos_ += take;
        length -= take;
        if (length == 0) {
            return true;
        }
        if (refill() == 0) {
            ReadError error;
            error.fault = ReadFault::FieldCutOff;
            error.field = fieldName;
            error.announced = announced;
            error.missing = length;
            stop(std::move(error), tagLine);
            return false;
        }
    }
}

bool AdifReader::next(Record& record) {
    if (done_) {
        return false;
    }
    clearContact(record);
    bool open = false; // a field of this contact has been read
    std::size_t firstLine = 0;
    for (;;) {
        const char* const data = in_.data();
        const std::size_t size = in_.size();
        const char* found = findOpen(data + pos_, data + size);
        if (found == nullptr) {
            pos_ = size;
            if (refill() == 0) {
                return finish(open, firstLine);
            }
            continue;
        }
        pos_ = static_cast<std::size_t>(found - data);
        const Tag tag = scanTag(std::string_view(data + pos_, size - pos_));
        if (tag.kind == TagKind::Incomplete) {
            if (refill() == 0) {
                ++pos_; // the file ends before the '>': free text
            }
            continue;
        }
        if (tag.kind == TagKind::NotATag) {
            ++pos_;
            continue;
        }
        const std::size_t tagStart = pos_;
        pos_ += tag.size;
        if (tag.kind == TagKind::EndOfHeader) {
            // The fields so far belonged to the header.
            clearContact(record);
            open = false;
            continue;
        }
        if (tag.kind == TagKind::EndOfRecord) {
            if (!open) {
                continue; // an <EOR> that closes no field ends no contact
            }
            record.number = ++records_;
            record.line = firstLine;
            return true;
        }
        if (!open) {
            open = true;
            firstLine = lineAt(tagStart);
        }
        std::string* const target = contactField(tag.name, record);
        const std::size_t held = size - pos_;
        if (tag.length <= held) {
            if (target != nullptr) {
                const auto length = static_cast<std::size_t>(tag.length);
                setText(*target, data + pos_, length < kMaxFieldBytes ? length : kMaxFieldBytes);
            }
            pos_ += static_cast<std::size_t>(tag.length);
            continue;
        }
        if (target != nullptr) {
            target->clear();
        }
        if (!readAcross(tag.length, target, tagStart, tag.name)) {
            return false;
        }
    }
}

} // namespace

namespace {

// Field names are matched a machine word at a time: clearing bit 5 of every
// byte turns lower-case ASCII letters into upper case and leaves '_' as it
// is. No other byte that a name may hold turns into a letter or '_' that
// way, so the match stays exact.
template <typename Word> Word wordAt(const char* bytes) {
    Word word = 0;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

template <typename Word> constexpr Word kCaseBits = static_cast<Word>(0xDFDFDFDFDFDFDFDFULL);

template <typename Word> bool wordIs(const char* name, const char* upper) {
    return (wordAt<Word>(name) & kCaseBits<Word>) == wordAt<Word>(upper);
}

} // namespace

// The field of the contact that a field name fills, if any. Every other field
// is read past without being stored.
std::string* contactField(std::string_view name, Record& record) {
    const char* const n = name.data();
    switch (name.size()) {
    case 4:
        if (wordIs<std::uint32_t>(n, "CALL")) {
            return &record.call;
        }
        if (wordIs<std::uint32_t>(n, "BAND")) {
            return &record.band;
        }
        if (wordIs<std::uint32_t>(n, "FREQ")) {
            return &record.freq;
        }
        return nullptr;
    case 7: // TIME_ON, as TIME and E_ON
        return wordIs<std::uint32_t>(n, "TIME") && wordIs<std::uint32_t>(n + 3, "E_ON")
                   ? &record.time
                   : nullptr;
    case 8:
        if (wordIs<std::uint64_t>(n, "QSO_DATE")) {
            return &record.date;
        }
        if (wordIs<std::uint64_t>(n, "SAT_NAME")) {
            return &record.satName;
        }
        if (wordIs<std::uint64_t>(n, "QSL_RCVD")) {
            return &record.qslReceived;
        }
        return wordIs<std::uint64_t>(n, "OPERATOR") ? &record.operatorCall : nullptr;
    case 9: // PROP_MODE, as PROP_MOD and ROP_MODE
        return wordIs<std::uint64_t>(n, "PROP_MOD") && wordIs<std::uint64_t>(n + 1, "ROP_MODE")
                   ? &record.propMode
                   : nullptr;
    case 10: // GRIDSQUARE, as GRIDSQUA and RE
        return wordIs<std::uint64_t>(n, "GRIDSQUA") && wordIs<std::uint16_t>(n + 8, "RE")
                   ? &record.locator
                   : nullptr;
    case 13: // MY_GRIDSQUARE, LOTW_QSL_RCVD, EQSL_QSL_RCVD: the first eight and the last eight
        if (wordIs<std::uint64_t>(n, "MY_GRIDS") && wordIs<std::uint64_t>(n + 5, "IDSQUARE")) {
            return &record.ownLocator;
        }
        if (wordIs<std::uint64_t>(n + 5, "QSL_RCVD")) {
            if (wordIs<std::uint64_t>(n, "LOTW_QSL")) {
                return &record.lotwReceived;
            }
            if (wordIs<std::uint64_t>(n, "EQSL_QSL")) {
                return &record.eqslReceived;
            }
        }
        return nullptr;
    case 16: // STATION_CALLSIGN, as STATION_ and CALLSIGN
        return wordIs<std::uint64_t>(n, "STATION_") && wordIs<std::uint64_t>(n + 8, "CALLSIGN")
                   ? &record.stationCall
                   : nullptr;
    default:
        return nullptr;
    }
}

void clearContact(Record& record) {
    record.call.clear();
    record.date.clear();
    record.time.clear();
    record.ownLocator.clear();
    record.locator.clear();
    record.band.clear();
    record.freq.clear();
    record.stationCall.clear();
    record.operatorCall.clear();
    record.propMode.clear();
    record.satName.clear();
    record.qslReceived.clear();
    record.lotwReceived.clear();
    record.eqslReceived.clear();
    record.duplicate = false;
}

std::unique_ptr<Reader> makeAdifReader(ChunkBuffer buffer) {
    return std::make_unique<AdifReader>(std::move(buffer));
}

} // namespace qrb::logbook::detail
