// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "logbook/logbook.h"
#include "report/contact.h"
#include "report/output_buffer.h"
#include "report/report.h"
#include "report/scratch.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qrb::report {

// Receives the text log line by line, without line ends.
class LineSink {
public:
    virtual ~LineSink() = default;
    virtual void line(std::string_view text) = 0;
};

// The lines as bytes, each ended by a line feed.
class ByteLines : public LineSink {
public:
    explicit ByteLines(OutputBuffer& out) : out_(out) {}
    void line(std::string_view text) override {
        out_.write(text);
        out_.put('\n');
    }

private:
    OutputBuffer& out_;
};

// The column header of the text log: the window's, then call, date, time and
// the marks of a contact.
std::string textLogHeader();

// Why the text log could not be written whole.
struct TextLogFailure {
    enum class Kind {
        NoScratch,    // no scratch file could be had
        ScratchWrite, // a scratch file could not be written
        ScratchRead,  // or read back
    };
    Kind kind = Kind::NoScratch;
    std::string detail; // NoScratch: where and why, in the scratch provider's words
};

// In German, as the command writes it: "keine temporäre Datei in …".
std::string textLogFailureText(const TextLogFailure& failure);

// The text log of all logbooks: for every block of the report (station and
// own square), in the order it first scores, a heading with station, square
// and files, the column header, one line per contact in file order (the
// window's log line, then call, date, time and marks), the band table and
// the sum; a grand total for each station with several blocks; then the
// skipped contacts counted by reason, and listed one by one but for those
// the counts say enough about. A log without an own locator is named once
// at the top.
//
// The lines of the blocks and the skipped contacts wait in scratch files
// until the end, so memory does not grow with the logbooks.
class TextLog : public ContactWriter {
public:
    TextLog(LineSink& out, const Report& report, ScratchSpace& scratch);
    ~TextLog() override;
    TextLog(const TextLog&) = delete;
    TextLog& operator=(const TextLog&) = delete;

    void beginFile(std::string_view name) override;
    void contact(const logbook::Record& record, const ContactScore& contact, const Marks& marks,
                 std::size_t block) override;
    // Writes what waited. Empty when all went well, else what went wrong.
    std::optional<TextLogFailure> finish();

    // How many bytes of waiting log lines are gathered at most in memory at
    // once when they are written out.
    void setMemoryBudget(std::uint64_t bytes) { budget_ = bytes; }

private:
    struct Block {
        std::uint64_t lines = 0;
        std::uint64_t bytes = 0; // of its lines in the waiting file
    };
    struct Waiting {
        std::unique_ptr<ScratchFile> file;
        std::unique_ptr<OutputBuffer> out;
    };

    const std::string& logLineTail(const ContactScore& contact);
    void beginBlock(std::size_t block);
    void endBlock(std::size_t block);
    void writeTotals();
    bool openScratch(Waiting& waiting);
    void fail(TextLogFailure::Kind kind, std::string detail = {});
    void writeWaitingBlocks();
    void writeSkipped();

    LineSink& out_;
    const Report& report_;
    ScratchSpace& scratch_;
    std::string file_;
    std::vector<Block> blocks_;
    Waiting waiting_; // lines of the blocks
    Waiting skipped_; // the skipped contacts, as their lines
    // What follows the square in the window's log line depends only on band
    // and points: worked out once for each pair.
    std::unordered_map<int, std::string> tails_;
    std::string line_; // the line being written
    std::uint64_t budget_ = std::uint64_t{4} << 20U;
    std::optional<TextLogFailure> failure_;
};

// The skipped contact as the text log lists it: file, number, call, reason.
std::string skippedLine(std::string_view file, const logbook::Record& record, Skip reason);

// The width of a text in characters (UTF-8 code points), as a column counts it.
std::size_t characters(std::string_view utf8);

} // namespace qrb::report
