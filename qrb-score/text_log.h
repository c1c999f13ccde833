// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "logbook/logbook.h"
#include "qrb-score/contact.h"
#include "qrb-score/output_buffer.h"

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

// The text log of all logbooks: for every own square, in the order it first
// scores, the column header, the window's log line of each of its contacts
// in file order and their sum; a grand total when there are several; then
// every skipped contact with its reason.
//
// The first own square is written as its contacts come. The lines of any
// other square and the skipped contacts wait in temporary files, so memory
// does not grow with the logbooks.
class TextLog {
public:
    explicit TextLog(LineSink& out);
    ~TextLog();
    TextLog(const TextLog&) = delete;
    TextLog& operator=(const TextLog&) = delete;

    void add(std::string_view file, const logbook::Record& record, const ContactScore& contact);
    // Writes what waited. Empty when all went well, else why not (German).
    std::string finish();

    // Where the temporary files go (default: $TMPDIR, else /tmp).
    void setScratchDirectory(std::string directory) { scratchDir_ = std::move(directory); }
    // How many bytes of waiting log lines are gathered at most in memory at
    // once when they are written out.
    void setMemoryBudget(std::uint64_t bytes) { budget_ = bytes; }

private:
    struct Block {
        std::string square;
        std::uint64_t lines = 0;
        std::uint64_t bytes = 0; // of its lines in the waiting file
        std::int64_t sum = 0;
    };
    struct Scratch {
        std::FILE* file = nullptr;
        std::unique_ptr<OutputBuffer> out;
    };

    std::size_t blockOf(const std::string& square);
    const std::string& logLineTail(const ContactScore& contact);
    void beginBlock(const Block& block);
    void endBlock(const Block& block);
    bool openScratch(Scratch& scratch);
    void closeScratch(Scratch& scratch);
    void writeWaitingBlocks();
    void writeSkipped();

    LineSink& out_;
    std::vector<Block> blocks_;
    std::unordered_map<std::string, std::size_t> blockIndex_;
    std::size_t lastBlock_ = 0;
    Scratch waiting_; // lines of the second and later own squares
    Scratch skipped_; // the skipped contacts, as their lines
    std::uint64_t skippedCount_ = 0;
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
