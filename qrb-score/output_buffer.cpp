// SPDX-License-Identifier: GPL-3.0-or-later
#include "qrb-score/output_buffer.h"

#include <cerrno>

namespace qrb::score {

OutputBuffer::OutputBuffer(std::FILE* file, std::size_t capacity)
    : file_(file), capacity_(capacity), data_(std::make_unique<char[]>(capacity)) {}

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
    if (error_ == 0 && std::fwrite(text.data(), 1, text.size(), file_) != text.size()) {
        error_ = errno != 0 ? errno : EIO;
    }
}

void OutputBuffer::drain() {
    if (size_ != 0 && error_ == 0 && std::fwrite(data_.get(), 1, size_, file_) != size_) {
        error_ = errno != 0 ? errno : EIO;
    }
    size_ = 0;
}

bool OutputBuffer::flush() {
    drain();
    if (error_ == 0 && std::fflush(file_) != 0) {
        error_ = errno != 0 ? errno : EIO;
    }
    return error_ == 0;
}

} // namespace qrb::score
