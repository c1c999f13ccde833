// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/text_log.h"

#include "output/log_line.h"
#include "report/date_time.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace qrb::report {

namespace {

constexpr std::string_view kWithoutOwn = "Ohne eigenen Locator (mit --own LOC angeben): ";
// A call longer than this is cut in the lines of the log.
constexpr std::size_t kCallShown = 32;
// The columns after the window's: call, date, time, marks.
constexpr std::string_view kGap = "   ";
constexpr std::size_t kCallWidth = 12;
constexpr std::string_view kMoreHeader = "   Rufzeichen     Datum        Zeit    Hinweis";
// The band table under each block.
constexpr std::array<std::string_view, 7> kTableHeader{
    " Band",      "  Verbindungen", "  Quadrate", "     QRB", "  Wiederholungen",
    "  Satellit", "  Bestätigt"};

std::string narrow(std::u16string_view ascii) {
    return std::string(ascii.begin(), ascii.end());
}

// Control characters would garble the terminal; they are shown as "?".
void appendPrintable(std::string& line, std::string_view text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        line.push_back(byte < 0x20U || byte == 0x7FU ? '?' : c);
    }
}

// Cut to at most `limit` bytes, never inside a UTF-8 sequence.
std::string_view cutUtf8(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) {
        return text;
    }
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0U) == 0x80U) {
        --end;
    }
    return text.substr(0, end);
}

// The waiting log lines: per line the index of its own square (4 bytes), its
// length (1 byte) and its bytes. A log line is never longer than 255 bytes.
constexpr std::size_t kEntryHead = 5;

class WaitingReader {
public:
    explicit WaitingReader(ScratchFile& file) : file_(file), failed_(!file.rewind()) {}

    // The next entry; false at the end (or when the file cannot be read).
    bool next(std::uint32_t& block, std::string_view& line) {
        if (!fill(kEntryHead)) {
            return false;
        }
        std::memcpy(&block, buffer_.data() + pos_, sizeof block);
        const auto length = static_cast<unsigned char>(buffer_[pos_ + sizeof block]);
        if (!fill(kEntryHead + length)) {
            return false;
        }
        line = std::string_view(buffer_.data() + pos_ + kEntryHead, length);
        pos_ += kEntryHead + length;
        return true;
    }
    bool failed() const { return failed_; }

private:
    bool fill(std::size_t need) {
        if (end_ - pos_ >= need) {
            return true;
        }
        std::memmove(buffer_.data(), buffer_.data() + pos_, end_ - pos_);
        end_ -= pos_;
        pos_ = 0;
        while (!failed_ && end_ < need) {
            const long long got = file_.read(buffer_.data() + end_, buffer_.size() - end_);
            if (got <= 0) {
                failed_ = got < 0;
                break;
            }
            end_ += static_cast<std::size_t>(got);
        }
        return end_ >= need;
    }

    ScratchFile& file_;
    bool failed_;
    std::array<char, std::size_t{1} << 16U> buffer_{};
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
};

// The call as the log lines show it: printable, cut when very long.
void appendCall(std::string& line, std::string_view call) {
    appendPrintable(line, cutUtf8(call, kCallShown));
    if (call.size() > kCallShown) {
        line += "...";
    }
}

// Blanks after the text from `start` on, up to `width` characters.
void padRight(std::string& line, std::size_t start, std::size_t width) {
    const std::size_t shown = characters(std::string_view(line).substr(start));
    if (shown < width) {
        line.append(width - shown, ' ');
    }
}

// A line of the band table: the first cell left-aligned, the numbers right-
// aligned under the ends of their column headers.
std::string tableRow(std::string_view first, const BandTotals& totals) {
    std::string row;
    const std::array<std::string, kTableHeader.size()> cells{std::string(first),
                                                             std::to_string(totals.contacts),
                                                             std::to_string(totals.squares),
                                                             std::to_string(totals.qrb),
                                                             std::to_string(totals.repeats),
                                                             std::to_string(totals.satellite),
                                                             std::to_string(totals.confirmed)};
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const std::size_t width = characters(kTableHeader[i]);
        if (i == 0) {
            row += cells[i];
            padRight(row, 0, width);
        } else {
            const std::size_t shown = characters(cells[i]);
            row.append(shown < width ? width - shown : 1, ' ');
            row += cells[i];
        }
    }
    return row;
}

} // namespace

std::size_t characters(std::string_view utf8) {
    // Every byte but the continuation bytes of a sequence starts a character.
    return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0U) != 0x80U;
    }));
}

std::string textLogFailureText(const TextLogFailure& failure) {
    switch (failure.kind) {
    case TextLogFailure::Kind::NoScratch:
        return failure.detail.empty() ? std::string("keine temporäre Datei")
                                      : "keine temporäre Datei in " + failure.detail;
    case TextLogFailure::Kind::ScratchWrite:
        return "temporäre Datei ließ sich nicht schreiben";
    case TextLogFailure::Kind::ScratchRead:
        return "temporäre Datei ließ sich nicht lesen";
    }
    return {};
}

std::string textLogHeader() {
    return narrow(kLogHeader) + std::string(kMoreHeader);
}

std::string skippedLine(std::string_view file, const logbook::Record& record, Skip reason) {
    std::string line;
    appendPrintable(line, file);
    line += ", Nr. ";
    line += std::to_string(record.number);
    line += ", ";
    const std::string_view call = trimmedSpace(record.call);
    if (call.empty()) {
        line += kWithoutCallText;
    } else {
        appendCall(line, call);
    }
    line += ": ";
    line += skipText(reason);
    return line;
}

TextLog::TextLog(LineSink& out, const Report& report, ScratchSpace& scratch)
    : out_(out), report_(report), scratch_(scratch) {}

TextLog::~TextLog() = default;

void TextLog::fail(TextLogFailure::Kind kind, std::string detail) {
    if (!failure_) {
        failure_ = TextLogFailure{kind, std::move(detail)};
    }
}

bool TextLog::openScratch(Waiting& waiting) {
    if (waiting.file != nullptr) {
        return true;
    }
    if (failure_) {
        return false;
    }
    std::string why;
    waiting.file = scratch_.open(why);
    if (waiting.file == nullptr) {
        fail(TextLogFailure::Kind::NoScratch, std::move(why));
        return false;
    }
    waiting.out = std::make_unique<OutputBuffer>(*waiting.file, std::size_t{1} << 18U);
    return true;
}

void TextLog::beginFile(std::string_view name) {
    file_ = name;
}

void TextLog::beginBlock(std::size_t index) {
    const qrb::report::Block& block = report_.blocks()[index];
    std::string heading;
    appendPrintable(heading, blockHeading(block));
    out_.line(heading);
    out_.line(textLogHeader());
}

void TextLog::endBlock(std::size_t index) {
    const qrb::report::Block& block = report_.blocks()[index];
    out_.line({});
    std::string header;
    for (const std::string_view cell : kTableHeader) {
        header += cell;
    }
    out_.line(header);
    for (std::size_t band = 0; band < block.bands.size(); ++band) {
        if (block.bands[band].contacts > 0) {
            const std::string_view caption = bandCaption(band);
            std::string first(5 - std::min<std::size_t>(5, caption.size()), ' ');
            first += caption;
            out_.line(tableRow(first, block.bands[band]));
        }
    }
    out_.line(tableRow("Summe", block.sum));
    out_.line(blockSumText(block));
}

void TextLog::contact(const logbook::Record& record, const ContactScore& contact,
                      const Marks& marks, std::size_t index) {
    if (!contact.scored) {
        if (!countedOnly(contact.reason) && openScratch(skipped_)) {
            skipped_.out->write(skippedLine(file_, record, contact.reason));
            skipped_.out->put('\n');
        }
        return;
    }
    if (index >= blocks_.size()) {
        blocks_.resize(index + 1);
    }
    Block& block = blocks_[index];
    line_ = contact.loc;
    line_ += logLineTail(contact);
    line_ += kGap;
    const std::size_t callStart = line_.size();
    appendCall(line_, trimmedSpace(record.call));
    padRight(line_, callStart, kCallWidth);
    line_ += kGap;
    // A date or time that is none stands as written, its control characters
    // shown as "?" as in every other text from the logbook.
    appendPrintable(line_, isoDate(record.date));
    line_ += kGap;
    appendPrintable(line_, clockTime(record.time, false));
    // The marks, one after the other.
    if (marks.repeat || marks.satellite || marks.confirmed) {
        line_ += kGap;
        appendMarks(line_, marks);
    }
    // The entry's length must fit its byte; only a very odd date or time
    // text makes the line longer.
    constexpr std::size_t kLongest = 255;
    if (line_.size() > kLongest) {
        line_.resize(static_cast<std::size_t>(cutUtf8(line_, kLongest).size()));
    }
    const std::string& line = line_;
    ++block.lines;
    block.bytes += line.size();
    if (openScratch(waiting_)) {
        const auto number = static_cast<std::uint32_t>(index);
        std::array<char, kEntryHead> head{};
        std::memcpy(head.data(), &number, sizeof number);
        head[sizeof number] = static_cast<char>(line.size());
        waiting_.out->write(std::string_view(head.data(), head.size()));
        waiting_.out->write(line);
    }
}

const std::string& TextLog::logLineTail(const ContactScore& contact) {
    constexpr int kPointsRange = 1024;
    const auto [it, added] = tails_.try_emplace(contact.band * kPointsRange + contact.pkt);
    if (added) {
        // The line begins with the square as it stands; the rest is the tail.
        it->second = logLineOf(contact).substr(contact.loc.size());
    }
    return it->second;
}

// The blocks, in the order they first scored. Blocks
// whose lines together fit the memory budget are gathered in one pass over
// the waiting file; a square larger than the budget goes straight through.
void TextLog::writeWaitingBlocks() {
    if (waiting_.file == nullptr || !waiting_.out->flush()) {
        fail(TextLogFailure::Kind::ScratchWrite);
        return;
    }
    std::size_t first = 0;
    while (first < blocks_.size()) {
        std::size_t last = first + 1; // one past the squares of this pass
        std::uint64_t bytes = blocks_[first].bytes + blocks_[first].lines;
        while (last < blocks_.size() &&
               bytes + blocks_[last].bytes + blocks_[last].lines <= budget_) {
            bytes += blocks_[last].bytes + blocks_[last].lines;
            ++last;
        }
        const bool straight = last == first + 1;
        std::vector<std::string> gathered(last - first);
        if (straight) {
            if (first > 0) {
                out_.line({});
            }
            beginBlock(first);
        }
        WaitingReader reader(*waiting_.file);
        std::uint32_t block = 0;
        std::string_view line;
        while (reader.next(block, line)) {
            if (block < first || block >= last) {
                continue;
            }
            if (straight) {
                out_.line(line);
            } else {
                std::string& text = gathered[block - first];
                text += line;
                text.push_back('\n');
            }
        }
        if (reader.failed()) {
            fail(TextLogFailure::Kind::ScratchRead);
            return;
        }
        for (std::size_t k = first; k < last; ++k) {
            if (!straight) {
                if (k > 0) {
                    out_.line({});
                }
                beginBlock(k);
                std::string_view text = gathered[k - first];
                while (!text.empty()) {
                    const std::size_t end = text.find('\n');
                    out_.line(text.substr(0, end));
                    text.remove_prefix(end + 1);
                }
            }
            endBlock(k);
        }
        first = last;
    }
}

void TextLog::writeSkipped() {
    out_.line(skippedCaption(report_.skippedTotal()));
    for (const auto& [why, count] : report_.skipped()) {
        out_.line("  " + std::string(skipText(why)) + ": " + std::to_string(count));
    }
    if (skipped_.file == nullptr) {
        return; // all of them counted only
    }
    out_.line({});
    if (!skipped_.out->flush()) {
        fail(TextLogFailure::Kind::ScratchWrite);
        return;
    }
    if (!skipped_.file->rewind()) {
        fail(TextLogFailure::Kind::ScratchRead);
        return;
    }
    std::string pending;
    std::array<char, std::size_t{1} << 16U> chunk{};
    long long got = 0;
    while ((got = skipped_.file->read(chunk.data(), chunk.size())) > 0) {
        std::string_view text(chunk.data(), static_cast<std::size_t>(got));
        std::size_t end = 0;
        while ((end = text.find('\n')) != std::string_view::npos) {
            if (pending.empty()) {
                out_.line(text.substr(0, end));
            } else {
                pending.append(text.substr(0, end));
                out_.line(pending);
                pending.clear();
            }
            text.remove_prefix(end + 1);
        }
        pending.append(text);
    }
    if (got < 0) {
        fail(TextLogFailure::Kind::ScratchRead);
    }
}

// A grand total for each station whose contacts fall into several blocks.
void TextLog::writeTotals() {
    bool first = true;
    for (const StationTotal& total : report_.stationTotals()) {
        if (first) {
            out_.line({});
            first = false;
        }
        std::string line;
        appendPrintable(line, stationTotalText(total));
        out_.line(line);
    }
}

std::optional<TextLogFailure> TextLog::finish() {
    if (!report_.filesWithoutOwn().empty()) {
        std::string line(kWithoutOwn);
        for (std::size_t i = 0; i < report_.filesWithoutOwn().size(); ++i) {
            line += i == 0 ? "" : ", ";
            appendPrintable(line, report_.filesWithoutOwn()[i]);
        }
        out_.line(line);
        out_.line({});
    }
    if (blocks_.empty()) {
        out_.line(kNothingScoredText);
    } else {
        writeWaitingBlocks();
        writeTotals();
    }
    if (report_.skippedTotal() > 0) {
        out_.line({});
        writeSkipped();
    }
    // The buffers before the files they write to.
    for (Waiting* waiting : {&waiting_, &skipped_}) {
        waiting->out.reset();
        waiting->file.reset();
    }
    return failure_;
}

} // namespace qrb::report
