// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Pieces the three readers share: the chunked input buffer, ASCII helpers
// that allocate nothing, and the factories behind openReader.

#include "logbook/logbook.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <istream>
#include <memory>
#include <string>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qrb::logbook::detail {

// Bytes of a stream in one buffer of fixed size: a reader works on the bytes
// held, and when it needs more, keeps the tail it has not finished with and
// reads the next bytes behind it.
class ChunkBuffer {
public:
    ChunkBuffer(std::istream& in, std::size_t capacity);

    // The bytes held, followed by a NUL that is not one of them and by room
    // enough to read 16 bytes from any byte up to that NUL.
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

// An error of the given kind, its data still to be filled in.
inline ReadError readError(ReadFault fault) {
    ReadError error;
    error.fault = fault;
    return error;
}

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

// How many name bytes stand at `s`, up to the first other byte. At least 16
// bytes must be readable from that byte on (a ChunkBuffer has that room
// behind its NUL). With SSE2, sixteen bytes are looked at in one step, so that
// names of every length cost the same few instructions and no mispredicted
// loop exit.
inline std::size_t nameRun(const char* s) {
#if defined(__SSE2__)
    std::size_t n = 0;
    for (;;) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + n));
        // Printable ASCII is 0x21..0x7E; bytes from 0x80 on compare as negative.
        const __m128i printable = _mm_andnot_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(0x7F)),
                                                   _mm_cmpgt_epi8(bytes, _mm_set1_epi8(0x20)));
        const __m128i delimiter =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(':')),
                                      _mm_cmpeq_epi8(bytes, _mm_set1_epi8('<'))),
                         _mm_cmpeq_epi8(bytes, _mm_set1_epi8('>')));
        const auto stops = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_or_si128(_mm_andnot_si128(printable, _mm_set1_epi8(-1)), delimiter)));
        if (stops != 0) {
            return n + static_cast<std::size_t>(__builtin_ctz(stops));
        }
        n += 16;
    }
#else
    std::size_t n = 0;
    while (isNameByte(s[n])) {
        ++n;
    }
    return n;
#endif
}

// Reads the tag at `text` (which starts with '<'). The bytes of `text` must
// be followed in memory by one that is neither a name byte nor a digit, as
// the NUL that a ChunkBuffer keeps behind its bytes: the loops below stop
// there without counting. Always inlined: the ADIF reader calls it for every
// field.
[[gnu::always_inline]] inline Tag scanTag(std::string_view text) {
    Tag tag;
    const char* const s = text.data();
    // Stopped at the end of the text or beyond the longest tag: more text
    // can still make a tag of it only in the first case.
    const auto cutShort = [&tag, &text](std::size_t at) {
        tag.kind = at >= text.size() && at < kMaxTagBytes ? TagKind::Incomplete : TagKind::NotATag;
        return tag;
    };
    std::size_t i = 1 + nameRun(s + 1);
    if (i >= text.size() || i >= kMaxTagBytes) {
        return cutShort(i);
    }
    if (i == 1) {
        return tag;
    }
    tag.name = std::string_view(s + 1, i - 1);
    if (s[i] == '>') {
        if (equalsNoCase(tag.name, "EOR")) {
            tag.kind = TagKind::EndOfRecord;
        } else if (equalsNoCase(tag.name, "EOH")) {
            tag.kind = TagKind::EndOfHeader;
        }
        tag.size = i + 1;
        return tag;
    }
    if (s[i] != ':') {
        return tag;
    }
    ++i;
    const std::size_t digits = i;
    constexpr std::uint64_t kHuge = std::uint64_t{1} << 60U;
    std::uint64_t length = 0;
    for (;;) {
        const unsigned digit = static_cast<unsigned char>(s[i]) - unsigned{'0'};
        if (digit > 9) {
            break;
        }
        length = length < kHuge ? length * 10 + digit : kHuge;
        ++i;
    }
    if (i >= text.size() || i >= kMaxTagBytes) {
        return cutShort(i);
    }
    if (i == digits) {
        return tag;
    }
    if (s[i] == ':') {
        ++i;
        while (isNameByte(s[i])) {
            ++i;
        }
        if (i >= text.size() || i >= kMaxTagBytes) {
            return cutShort(i);
        }
    }
    if (s[i] != '>') {
        return tag;
    }
    tag.kind = TagKind::Field;
    // Some loggers write the end marks with an empty length, <EOR:0>; they
    // still end the contact or the header.
    if (length == 0 && equalsNoCase(tag.name, "EOR")) {
        tag.kind = TagKind::EndOfRecord;
    } else if (length == 0 && equalsNoCase(tag.name, "EOH")) {
        tag.kind = TagKind::EndOfHeader;
    }
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
