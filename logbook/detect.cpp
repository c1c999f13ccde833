// SPDX-License-Identifier: GPL-3.0-or-later
// Which of the three formats a logbook is in, told from its first bytes
// rather than from the file name.

#include "logbook/internal.h"

#include <cstring>
#include <optional>
#include <string>
#include <utility>

namespace qrb::logbook {

namespace {

constexpr std::size_t kSmallestChunk = 512;

bool isSpaceByte(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

std::string_view skipSpace(std::string_view text) {
    while (!text.empty() && isSpaceByte(text.front())) {
        text.remove_prefix(1);
    }
    return text;
}

// An EDI file names its format on its first line: "[REG1TEST;1]", which some
// loggers mistype "[REGITEST;1]". A file that merely holds such a section
// further down (a README with an example) is no log.
bool looksLikeEdi(std::string_view text) {
    return detail::startsWithNoCase(text, "[REG1TEST;") ||
           detail::startsWithNoCase(text, "[REGITEST;");
}

// The text after the end mark `mark`, or nullopt when it is not there.
std::optional<std::string_view> after(std::string_view text, std::string_view mark) {
    const std::size_t at = text.find(mark);
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    return text.substr(at + mark.size());
}

// A document type declaration, "<!DOCTYPE ADX …>", perhaps with an internal
// subset in brackets whose declarations hold '>' of their own.
std::optional<std::string_view> afterDoctype(std::string_view text) {
    char quote = 0;
    bool subset = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quote != 0) {
            quote = c == quote ? 0 : quote;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '[') {
            subset = true;
        } else if (c == ']') {
            subset = false;
        } else if (c == '>' && !subset) {
            return text.substr(i + 1);
        }
    }
    return std::nullopt;
}

// ADX: the root element is ADX. Before it an XML declaration, processing
// instructions, comments and a document type may stand.
bool looksLikeAdx(std::string_view text) {
    for (;;) {
        text = skipSpace(text);
        std::optional<std::string_view> rest;
        if (text.substr(0, 2) == "<?") {
            rest = after(text, "?>");
        } else if (text.substr(0, 4) == "<!--") {
            rest = after(text.substr(4), "-->");
        } else if (detail::startsWithNoCase(text, "<!DOCTYPE")) {
            rest = afterDoctype(text);
        } else {
            // The root element: its name ends with a blank, '>' or "/>".
            return detail::startsWithNoCase(text, "<ADX") &&
                   (text.size() == 4 || isSpaceByte(text[4]) || text[4] == '>' || text[4] == '/');
        }
        if (!rest) {
            return false;
        }
        text = *rest;
    }
}

// What follows the header of an ADIF file is contacts: lines of fields. A line
// that holds text but not a single field or end mark is prose, as in a README
// that shows an ADIF example; a log has none. `complete` says whether `text`
// runs to the end of the file (else its last line may be cut off).
bool onlyFieldLines(std::string_view text, bool complete) {
    bool lineHasText = false;
    bool lineHasTag = false;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '<') {
            const detail::Tag tag = detail::scanTag(text.substr(i));
            if (tag.kind == detail::TagKind::Incomplete) {
                return true; // cut off by the end of the bytes looked at
            }
            if (tag.kind != detail::TagKind::NotATag) {
                lineHasTag = true;
                i += tag.size;
                if (tag.kind == detail::TagKind::Field) {
                    // The data, which may hold line ends of its own.
                    if (tag.length >= text.size() - i) {
                        return true;
                    }
                    const std::string_view data = text.substr(i, tag.length);
                    i += static_cast<std::size_t>(tag.length);
                    if (data.find('\n') != std::string_view::npos) {
                        lineHasText = false; // the line it ends on belongs to the field
                    }
                }
                continue;
            }
        }
        if (c == '\n') {
            if (lineHasText && !lineHasTag) {
                return false;
            }
            lineHasText = false;
            lineHasTag = false;
        } else if (!isSpaceByte(c)) {
            lineHasText = true;
        }
        ++i;
    }
    return !complete || !lineHasText || lineHasTag;
}

// ADIF: the file starts with a field, or with a header of free text closed by
// <EOH> and followed by nothing but fields.
bool looksLikeAdif(std::string_view text, bool complete) {
    if (text.front() == '<') {
        const detail::TagKind kind = detail::scanTag(text).kind;
        return kind == detail::TagKind::Field || kind == detail::TagKind::EndOfHeader;
    }
    std::size_t at = text.find('<');
    while (at != std::string_view::npos) {
        const detail::Tag tag = detail::scanTag(text.substr(at));
        if (tag.kind == detail::TagKind::EndOfHeader) {
            return onlyFieldLines(text.substr(at + tag.size), complete);
        }
        at = text.find('<', at + (tag.kind == detail::TagKind::Field ? tag.size : 1));
    }
    return false;
}

// UTF-16 text as ASCII, as far as it is ASCII, for the look at the root
// element; every other character becomes '?'.
std::string narrowUtf16(std::string_view text, bool littleEndian) {
    std::string ascii;
    for (std::size_t i = 2; i + 1 < text.size(); i += 2) {
        const auto low = static_cast<unsigned char>(text[littleEndian ? i : i + 1]);
        const auto high = static_cast<unsigned char>(text[littleEndian ? i + 1 : i]);
        ascii.push_back(high == 0 && low < 0x80 ? static_cast<char>(low) : '?');
    }
    return ascii;
}

} // namespace

std::string_view formatName(Format format) {
    switch (format) {
    case Format::Adif:
        return "ADIF";
    case Format::Adx:
        return "ADX";
    case Format::Edi:
        return "EDI";
    }
    return "?";
}

std::unique_ptr<Reader> openReader(std::istream& in, Format format, std::size_t chunkBytes) {
    detail::ChunkBuffer buffer(in, chunkBytes < kSmallestChunk ? kSmallestChunk : chunkBytes);
    switch (format) {
    case Format::Adif:
        return detail::makeAdifReader(std::move(buffer));
    case Format::Adx:
        return detail::makeAdxReader(std::move(buffer));
    case Format::Edi:
        return detail::makeEdiReader(std::move(buffer));
    }
    return detail::makeAdifReader(std::move(buffer));
}

std::unique_ptr<Reader> openReader(std::istream& in, ReadError& error) {
    error = ReadError{};
    detail::ChunkBuffer buffer(in, kChunkBytes);
    buffer.refill(0);
    std::string_view text(buffer.data(), buffer.size());
    if (text.empty() && buffer.failed()) {
        error.fault = ReadFault::ReadFailed;
        return nullptr;
    }
    // Whether the bytes looked at are the whole file.
    const bool complete = buffer.size() < buffer.capacity();
    // UTF-16 text can only be XML among the three.
    if (text.size() >= 2 &&
        ((text[0] == '\xFF' && text[1] == '\xFE') || (text[0] == '\xFE' && text[1] == '\xFF'))) {
        if (looksLikeAdx(narrowUtf16(text, text[0] == '\xFF'))) {
            return detail::makeAdxReader(std::move(buffer));
        }
        error.fault = ReadFault::UnknownFormat;
        return nullptr;
    }
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3); // the UTF-8 byte order mark
    }
    text = skipSpace(text);
    if (text.empty()) {
        error.fault = ReadFault::Empty;
        return nullptr;
    }
    if (looksLikeEdi(text)) {
        return detail::makeEdiReader(std::move(buffer));
    }
    if (looksLikeAdx(text)) {
        return detail::makeAdxReader(std::move(buffer));
    }
    if (looksLikeAdif(text, complete)) {
        return detail::makeAdifReader(std::move(buffer));
    }
    error.fault = ReadFault::UnknownFormat;
    return nullptr;
}

} // namespace qrb::logbook
