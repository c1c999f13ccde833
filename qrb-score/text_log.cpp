// SPDX-License-Identifier: GPL-3.0-or-later
#include "qrb-score/text_log.h"

#include "output/log_line.h"

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace qrb::score {

namespace {

constexpr std::string_view kOwnCaption = "Eigener Locator: ";
constexpr std::string_view kSumCaption = "Summe QRB:";
constexpr std::string_view kTotalCaption = "Gesamtsumme QRB:";
constexpr std::string_view kSkippedCaption = "Nicht gewertet: ";
constexpr std::string_view kNothingScored = "Keine Verbindung gewertet.";
// A call longer than this is cut in the list of skipped contacts.
constexpr std::size_t kCallShown = 32;

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
    explicit WaitingReader(std::FILE* file) : file_(file) { std::rewind(file_); }

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
    bool failed() const { return std::ferror(file_) != 0; }

private:
    bool fill(std::size_t need) {
        if (end_ - pos_ >= need) {
            return true;
        }
        std::memmove(buffer_.data(), buffer_.data() + pos_, end_ - pos_);
        end_ -= pos_;
        pos_ = 0;
        end_ += std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_);
        return end_ >= need;
    }

    std::FILE* file_;
    std::array<char, std::size_t{1} << 16U> buffer_{};
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
};

} // namespace

std::string skippedLine(std::string_view file, const logbook::Record& record,
                        std::string_view reason) {
    std::string line;
    appendPrintable(line, file);
    line += ", Nr. ";
    line += std::to_string(record.number);
    line += ", ";
    const std::string_view call = trimmedBlanks(record.call);
    if (call.empty()) {
        line += "ohne Rufzeichen";
    } else {
        appendPrintable(line, cutUtf8(call, kCallShown));
        if (call.size() > kCallShown) {
            line += "...";
        }
    }
    line += ": ";
    line += reason;
    return line;
}

TextLog::TextLog(LineSink& out) : out_(out) {
    if (const char* dir = std::getenv("TMPDIR"); dir != nullptr && *dir != '\0') {
        scratchDir_ = dir;
    } else {
        scratchDir_ = "/tmp";
    }
}

TextLog::~TextLog() {
    closeScratch(waiting_);
    closeScratch(skipped_);
}

bool TextLog::openScratch(Scratch& scratch) {
    if (scratch.file != nullptr) {
        return true;
    }
    if (!error_.empty()) {
        return false;
    }
    std::string path = scratchDir_ + "/qrb-score-XXXXXX";
    const int fd = mkstemp(path.data());
    if (fd < 0) {
        error_ = "keine temporäre Datei in " + scratchDir_ + ": " + std::strerror(errno);
        return false;
    }
    // Gone from the directory at once; the open file stays until closed.
    unlink(path.c_str());
    scratch.file = fdopen(fd, "w+b");
    if (scratch.file == nullptr) {
        close(fd);
        error_ = "keine temporäre Datei: " + std::string(std::strerror(errno));
        return false;
    }
    scratch.out = std::make_unique<OutputBuffer>(scratch.file, std::size_t{1} << 18U);
    return true;
}

void TextLog::closeScratch(Scratch& scratch) {
    scratch.out.reset();
    if (scratch.file != nullptr) {
        std::fclose(scratch.file);
        scratch.file = nullptr;
    }
}

std::size_t TextLog::blockOf(const std::string& square) {
    if (!blocks_.empty() && blocks_[lastBlock_].square == square) {
        return lastBlock_;
    }
    const auto [it, added] = blockIndex_.try_emplace(square, blocks_.size());
    if (added) {
        blocks_.push_back(Block{square});
    }
    lastBlock_ = it->second;
    return lastBlock_;
}

void TextLog::beginBlock(const Block& block) {
    out_.line(std::string(kOwnCaption) + block.square);
    out_.line(narrow(kLogHeader));
}

void TextLog::endBlock(const Block& block) {
    out_.line(std::string(kSumCaption) + narrow(sumText(block.sum)));
}

void TextLog::add(std::string_view file, const logbook::Record& record,
                  const ContactScore& contact) {
    if (!contact.scored) {
        ++skippedCount_;
        if (openScratch(skipped_)) {
            skipped_.out->write(skippedLine(file, record, contact.reason));
            skipped_.out->put('\n');
        }
        return;
    }
    const std::size_t index = blockOf(contact.own);
    Block& block = blocks_[index];
    line_ = contact.loc;
    line_ += logLineTail(contact);
    const std::string& line = line_;
    ++block.lines;
    block.sum += contact.qrb;
    if (index == 0) {
        if (block.lines == 1) {
            beginBlock(block);
        }
        out_.line(line);
        return;
    }
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

// The second and later own squares, in the order they first scored. Squares
// whose lines together fit the memory budget are gathered in one pass over
// the waiting file; a square larger than the budget goes straight through.
void TextLog::writeWaitingBlocks() {
    if (waiting_.file == nullptr || !waiting_.out->flush()) {
        if (error_.empty()) {
            error_ = "temporäre Datei ließ sich nicht schreiben";
        }
        return;
    }
    std::size_t first = 1;
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
            out_.line({});
            beginBlock(blocks_[first]);
        }
        WaitingReader reader(waiting_.file);
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
            error_ = "temporäre Datei ließ sich nicht lesen";
            return;
        }
        for (std::size_t k = first; k < last; ++k) {
            if (!straight) {
                out_.line({});
                beginBlock(blocks_[k]);
                std::string_view text = gathered[k - first];
                while (!text.empty()) {
                    const std::size_t end = text.find('\n');
                    out_.line(text.substr(0, end));
                    text.remove_prefix(end + 1);
                }
            }
            endBlock(blocks_[k]);
        }
        first = last;
    }
}

void TextLog::writeSkipped() {
    out_.line(std::string(kSkippedCaption) + std::to_string(skippedCount_));
    if (skipped_.file == nullptr || !skipped_.out->flush()) {
        if (error_.empty()) {
            error_ = "temporäre Datei ließ sich nicht schreiben";
        }
        return;
    }
    std::rewind(skipped_.file);
    std::string pending;
    std::array<char, std::size_t{1} << 16U> chunk{};
    std::size_t got = 0;
    while ((got = std::fread(chunk.data(), 1, chunk.size(), skipped_.file)) > 0) {
        std::string_view text(chunk.data(), got);
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
    if (std::ferror(skipped_.file) != 0) {
        error_ = "temporäre Datei ließ sich nicht lesen";
    }
}

std::string TextLog::finish() {
    if (blocks_.empty()) {
        out_.line(kNothingScored);
    } else {
        endBlock(blocks_.front());
        if (blocks_.size() > 1) {
            writeWaitingBlocks();
            std::int64_t total = 0;
            for (const Block& block : blocks_) {
                total += block.sum;
            }
            out_.line({});
            out_.line(std::string(kTotalCaption) + narrow(sumText(total)));
        }
    }
    if (skippedCount_ > 0) {
        out_.line({});
        writeSkipped();
    }
    closeScratch(waiting_);
    closeScratch(skipped_);
    return error_;
}

} // namespace qrb::score
