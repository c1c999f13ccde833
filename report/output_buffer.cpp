// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/output_buffer.h"

namespace qrb::report {

OutputBuffer::OutputBuffer(ByteSink& sink, std::size_t capacity)
    : sink_(sink), capacity_(capacity), data_(std::make_unique<char[]>(capacity)) {}

OutputBuffer::~OutputBuffer() {
    drain();
}

void OutputBuffer::writeLong(std::string_view text) {
    drain();
    if (text.size() < capacity_) {
        write(text);
        return;
    }
    // Longer than the whole buffer: straight through.
    if (!failed_ && !sink_.write(text)) {
        failed_ = true;
    }
}

void OutputBuffer::drain() {
    if (size_ != 0 && !failed_ && !sink_.write(std::string_view(data_.get(), size_))) {
        failed_ = true;
    }
    size_ = 0;
}

bool OutputBuffer::flush() {
    drain();
    if (!failed_ && !sink_.flush()) {
        failed_ = true;
    }
    return !failed_;
}

} // namespace qrb::report
