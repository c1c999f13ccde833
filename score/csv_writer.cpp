#include "csv_writer.h"

#include "bands.h"

#include <cstddef>

namespace qrb::score {

namespace {

// RFC 4180 ends every record with CR LF.
constexpr std::string_view kRecordEnd = "\r\n";

bool needsQuotes(std::string_view text) {
    // Checked for every field of every row: one plain loop over short texts.
    for (const char c : text) {
        if (c == ',' || c == '"' || c == '\r' || c == '\n') {
            return true;
        }
    }
    return false;
}

} // namespace

std::string csvField(std::string_view text) {
    if (!needsQuotes(text)) {
        return std::string(text);
    }
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted.push_back('"');
    for (const char c : text) {
        if (c == '"') {
            quoted.push_back('"');
        }
        quoted.push_back(c);
    }
    quoted.push_back('"');
    return quoted;
}

CsvWriter::CsvWriter(OutputBuffer& out) : out_(out) {
    out_.write(kHeader);
    out_.write(kRecordEnd);
}

void CsvWriter::beginFile(std::string_view name) {
    file_ = csvField(name);
}

void CsvWriter::field(std::string_view text) {
    if (needsQuotes(text)) {
        out_.write(csvField(text));
    } else {
        out_.write(text);
    }
}

void CsvWriter::row(const logbook::Record& record, const ContactScore& contact) {
    out_.write(file_);
    out_.put(',');
    out_.number(static_cast<std::int64_t>(record.number));
    out_.put(',');
    field(record.call);
    out_.put(',');
    field(record.date);
    out_.put(',');
    field(record.time);
    out_.put(',');
    field(contact.own);
    out_.put(',');
    field(contact.loc);
    out_.put(',');
    if (contact.band >= 0) {
        // The caption of the band's button: digits and a point only.
        const std::u16string_view caption = kBands[static_cast<std::size_t>(contact.band)].caption;
        for (const char16_t c : caption) {
            out_.put(static_cast<char>(c));
        }
    }
    out_.put(',');
    if (contact.scored) {
        out_.number(contact.pkt);
        out_.put(',');
        out_.number(contact.mul);
        out_.put(',');
        out_.number(contact.qrb);
        out_.write(",scored,");
    } else {
        out_.write(",,,skipped,");
        field(contact.reason);
    }
    out_.write(kRecordEnd);
}

} // namespace qrb::score
