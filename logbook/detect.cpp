// SPDX-License-Identifier: GPL-3.0-or-later
// Which of the three formats a logbook is in, told from its first bytes
// rather than from the file name.

#include "logbook/internal.h"

#include <cstring>
#include <utility>

namespace qrb::logbook {

namespace {

constexpr std::size_t kSmallestChunk = 512;

bool isSpaceByte(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

// An EDI file names its format on the first line ("[REG1TEST;1]", some
// loggers mistype it "[REGITEST;1]"); one that lacks that line is still known
// by its contact section.
bool looksLikeEdi(std::string_view text) {
    if (detail::startsWithNoCase(text, "[REG1TEST") ||
        detail::startsWithNoCase(text, "[REGITEST")) {
        return true;
    }
    std::size_t start = 0;
    while (start < text.size()) {
        if (detail::startsWithNoCase(text.substr(start), "[QSORECORDS")) {
            return true;
        }
        const std::size_t feed = text.find('\n', start);
        if (feed == std::string_view::npos) {
            break;
        }
        start = feed + 1;
    }
    return false;
}

bool looksLikeAdx(std::string_view text) {
    return detail::startsWithNoCase(text, "<?XML") || detail::startsWithNoCase(text, "<ADX") ||
           detail::startsWithNoCase(text, "<!--");
}

// ADIF: some well-formed tag anywhere in the first bytes (the header before it
// is free text).
bool looksLikeAdif(std::string_view text) {
    std::size_t at = text.find('<');
    while (at != std::string_view::npos) {
        const detail::TagKind kind = detail::scanTag(text.substr(at)).kind;
        if (kind == detail::TagKind::Field || kind == detail::TagKind::EndOfRecord ||
            kind == detail::TagKind::EndOfHeader) {
            return true;
        }
        at = text.find('<', at + 1);
    }
    return false;
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
        error.message = "Die Datei kann nicht gelesen werden (Lesefehler).";
        return nullptr;
    }
    // UTF-16 text can only be XML among the three.
    if (text.size() >= 2 &&
        ((text[0] == '\xFF' && text[1] == '\xFE') || (text[0] == '\xFE' && text[1] == '\xFF'))) {
        return detail::makeAdxReader(std::move(buffer));
    }
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3); // the UTF-8 byte order mark
    }
    while (!text.empty() && isSpaceByte(text.front())) {
        text.remove_prefix(1);
    }
    if (text.empty()) {
        error.message = "Die Datei ist leer.";
        return nullptr;
    }
    if (looksLikeAdx(text)) {
        return detail::makeAdxReader(std::move(buffer));
    }
    if (looksLikeEdi(text)) {
        return detail::makeEdiReader(std::move(buffer));
    }
    if (looksLikeAdif(text)) {
        return detail::makeAdifReader(std::move(buffer));
    }
    error.message = "Die Datei ist weder ein ADIF- noch ein ADX- noch ein EDI-Log.";
    return nullptr;
}

} // namespace qrb::logbook
