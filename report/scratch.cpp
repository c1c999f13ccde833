// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/scratch.h"

#include <algorithm>
#include <cstring>

namespace qrb::report {

namespace {

class MemoryFile : public ScratchFile {
public:
    bool write(std::string_view bytes) override {
        bytes_.append(bytes);
        return true;
    }
    bool rewind() override {
        read_ = 0;
        return true;
    }
    long long read(char* into, std::size_t size) override {
        const std::size_t count = std::min(size, bytes_.size() - read_);
        if (count != 0) {
            std::memcpy(into, bytes_.data() + read_, count);
        }
        read_ += count;
        return static_cast<long long>(count);
    }

private:
    std::string bytes_;
    std::size_t read_ = 0;
};

} // namespace

std::unique_ptr<ScratchFile> MemoryScratch::open(std::string& /*why*/) {
    return std::make_unique<MemoryFile>();
}

} // namespace qrb::report
