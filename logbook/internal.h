#pragma once

// Pieces the three readers share: the chunked input buffer, ASCII helpers
// that allocate nothing, and the factories behind openReader.

#include "logbook.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <istream>
#include <memory>
#include <string>
#include <string_view>

namespace qrb::logbook::detail {

// Bytes of a stream in one buffer of fixed size: a reader works on the bytes
// held, and when it needs more, keeps the tail it has not finished with and
// reads the next bytes behind it.
class ChunkBuffer {
public:
    ChunkBuffer(std::istream& in, std::size_t capacity);

    const char* data() const { return bytes_.get(); }
    std::size_t size() const { return size_; }
    std::size_t capacity() const { return capacity_; }

    // Drops the bytes before `keep`, moves the rest to the front and reads as
    // many as fit behind them. Returns how many bytes were read: 0 at the end
    // of the stream, after a read failure, or when the buffer is full.
    std::size_t refill(std::size_t keep);

    // The stream failed for another reason than its end.
    bool failed() const { return failed_; }
    // Bytes of the stream dropped from the front of the buffer so far.
    std::size_t dropped() const { return dropped_; }

private:
    std::istream* in_;
    std::unique_ptr<char[]> bytes_;
    std::size_t capacity_;
    std::size_t size_ = 0;
    std::size_t dropped_ = 0;
    bool ended_ = false;
    bool failed_ = false;
};

inline constexpr char toUpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - ('a' - 'A')) : c;
}

// `text` equals `upper` (given in upper case) when ASCII letters are compared
// without regard to case.
inline constexpr bool equalsNoCase(std::string_view text, std::string_view upper) {
    if (text.size() != upper.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (toUpperAscii(text[i]) != upper[i]) {
            return false;
        }
    }
    return true;
}

inline constexpr bool startsWithNoCase(std::string_view text, std::string_view upper) {
    return text.size() >= upper.size() && equalsNoCase(text.substr(0, upper.size()), upper);
}

inline constexpr bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Blanks and tabs removed at both ends.
inline constexpr std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// What an ADIF tag at the start of a text turned out to be.
enum class TagKind {
    Field,       // <NAME:LENGTH> or <NAME:LENGTH:TYPE>
    EndOfRecord, // <EOR>
    EndOfHeader, // <EOH>
    NotATag,     // a '<' in free text
    Incomplete,  // the text ends before it can be told
};

struct Tag {
    TagKind kind = TagKind::NotATag;
    std::size_t size = 0;     // bytes from '<' to '>' inclusive
    std::string_view name;    // the field name as written
    std::uint64_t length = 0; // announced data length in bytes
};

// The longest tag taken as one; a longer run after '<' is free text.
inline constexpr std::size_t kMaxTagBytes = 255;

// Bytes that may stand in a field name or a type letter: printable ASCII
// without the characters that delimit a tag.
inline constexpr std::array<bool, 256> kNameByte = [] {
    std::array<bool, 256> table{};
    for (int c = 0x21; c < 0x7F; ++c) {
        table[static_cast<std::size_t>(c)] = c != ':' && c != '<' && c != '>';
    }
    return table;
}();

inline bool isNameByte(char c) {
    return kNameByte[static_cast<unsigned char>(c)];
}

// Reads the tag at `text` (which starts with '<'). Always inlined: the ADIF
// reader calls it for every field.
[[gnu::always_inline]] inline Tag scanTag(std::string_view text) {
    Tag tag;
    const std::size_t limit = text.size() < kMaxTagBytes ? text.size() : kMaxTagBytes;
    // Running into the limit: more text may still make it a tag only when the
    // limit is the end of the text held so far.
    const auto cutShort = [&tag, &text] {
        tag.kind = text.size() < kMaxTagBytes ? TagKind::Incomplete : TagKind::NotATag;
        return tag;
    };
    std::size_t i = 1;
    while (i < limit && isNameByte(text[i])) {
        ++i;
    }
    if (i == limit) {
        return cutShort();
    }
    if (i == 1) {
        return tag;
    }
    tag.name = text.substr(1, i - 1);
    if (text[i] == '>') {
        if (equalsNoCase(tag.name, "EOR")) {
            tag.kind = TagKind::EndOfRecord;
        } else if (equalsNoCase(tag.name, "EOH")) {
            tag.kind = TagKind::EndOfHeader;
        }
        tag.size = i + 1;
        return tag;
    }
    if (text[i] != ':') {
        return tag;
    }
    ++i;
    const std::size_t digits = i;
    constexpr std::uint64_t kHuge = std::uint64_t{1} << 60U;
    std::uint64_t length = 0;
    while (i < limit && text[i] >= '0' && text[i] <= '9') {
        length = length < kHuge ? length * 10 + static_cast<std::uint64_t>(text[i] - '0') : kHuge;
        ++i;
    }
    if (i == limit) {
        return cutShort();
    }
    if (i == digits) {
        return tag;
    }
    if (text[i] == ':') {
        ++i;
        while (i < limit && isNameByte(text[i])) {
            ++i;
        }
        if (i == limit) {
            return cutShort();
        }
    }
    if (text[i] != '>') {
        return tag;
    }
    tag.kind = TagKind::Field;
    tag.size = i + 1;
    tag.length = length;
    return tag;
}

// The text of the contact that an ADIF or ADX field name (any case) fills:
// CALL, QSO_DATE, TIME_ON, MY_GRIDSQUARE, GRIDSQUARE, BAND or FREQ; nullptr
// for every other field, which is read past without being stored.
std::string* contactField(std::string_view name, Record& record);

// Empties the texts of a contact, keeping their memory for the next one.
void clearContact(Record& record);

std::unique_ptr<Reader> makeAdifReader(ChunkBuffer buffer);
std::unique_ptr<Reader> makeAdxReader(ChunkBuffer buffer);
std::unique_ptr<Reader> makeEdiReader(ChunkBuffer buffer);

} // namespace qrb::logbook::detail
