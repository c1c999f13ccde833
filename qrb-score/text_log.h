// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "logbook/logbook.h"
#include "qrb-score/contact.h"
#include "qrb-score/output_buffer.h"
#include "qrb-score/report.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qrb::score {

// Receives the text log line by line, without line ends.
class LineSink {
public:
    virtual ~LineSink() = default;
    virtual void line(std::string_view text) = 0;
};

// The column header of the text log: the window's, then call, date, time and
// the marks of a contact.
std::string textLogHeader();

// The text log of all logbooks: for every block of the report (station and
// own square), in the order it first scores, a heading with station, square
// and files, the column header, one line per contact in file order (the
// window's log line, then call, date, time and marks), the band table and
// the sum; a grand total for each station with several blocks; then the
// skipped contacts counted by reason, and listed one by one but for those
// the counts say enough about. A log without an own locator is named once
// at the top.
//
// The lines of the blocks and the skipped contacts wait in temporary files
// until the end, so memory does not grow with the logbooks.
class TextLog {
public:
    TextLog(LineSink& out, const Report& report);
    ~TextLog();
    TextLog(const TextLog&) = delete;
    TextLog& operator=(const TextLog&) = delete;

    // A contact as the report judged it: `block` is the report's block of a
    // contact that scored.
    void add(std::string_view file, const logbook::Record& record, const ContactScore& contact,
             const Marks& marks, std::size_t block);
    // Writes what waited. Empty when all went well, else why not (German).
    std::string finish();

    // Where the temporary files go (default: $TMPDIR, else /tmp).
    void setScratchDirectory(std::string directory) { scratchDir_ = std::move(directory); }
    // How many bytes of waiting log lines are gathered at most in memory at
    // once when they are written out.
    void setMemoryBudget(std::uint64_t bytes) { budget_ = bytes; }

private:
    struct Block {
        std::uint64_t lines = 0;
        std::uint64_t bytes = 0; // of its lines in the waiting file
    };
    struct Scratch {
        std::FILE* file = nullptr;
        std::unique_ptr<OutputBuffer> out;
    };

    const std::string& logLineTail(const ContactScore& contact);
    void beginBlock(std::size_t block);
    void endBlock(std::size_t block);
    void writeTotals();
    bool openScratch(Scratch& scratch);
    void closeScratch(Scratch& scratch);
    void writeWaitingBlocks();
    void writeSkipped();

    LineSink& out_;
    const Report& report_;
    std::vector<Block> blocks_;
    Scratch waiting_; // lines of the blocks
    Scratch skipped_; // the skipped contacts, as their lines
    // What follows the square in the window's log line depends only on band
    // and points: worked out once for each pair.
    std::unordered_map<int, std::string> tails_;
    std::string line_; // the line being written
    std::string scratchDir_;
    std::uint64_t budget_ = std::uint64_t{4} << 20U;
    std::string error_;
};

// The skipped contact as the text log lists it: file, number, call, reason.
std::string skippedLine(std::string_view file, const logbook::Record& record,
                        std::string_view reason);

} // namespace qrb::score
