// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Room for what a report holds back until its end (the text log's lines),
// supplied by the program: unnamed temporary files on a desktop, memory in
// the page. Nothing of it outlives the report.

#include "report/output_buffer.h"

#include <cstddef>
#include <memory>
#include <string>

namespace qrb::report {

// One scratch file: written from the start, then read back from the start,
// as often as need be. Gone when destroyed.
class ScratchFile : public ByteSink {
public:
    // Back to the start, for reading what was written. False when it cannot.
    virtual bool rewind() = 0;
    // At most `size` bytes into `into`: the count, 0 at the end, -1 when the
    // reading failed.
    virtual long long read(char* into, std::size_t size) = 0;
};

class ScratchSpace {
public:
    virtual ~ScratchSpace() = default;
    // A new, empty scratch file; null when none can be had, and then `why`
    // says where it was looked for and why it failed, in the provider's words.
    virtual std::unique_ptr<ScratchFile> open(std::string& why) = 0;
};

// Scratch files in memory: for the page, which has no file system, and for
// tests.
class MemoryScratch : public ScratchSpace {
public:
    std::unique_ptr<ScratchFile> open(std::string& why) override;
};

} // namespace qrb::report
