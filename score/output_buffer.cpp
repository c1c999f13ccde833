#include "output_buffer.h"

#include <array>
#include <cerrno>
#include <charconv>

namespace qrb::score {

OutputBuffer::OutputBuffer(std::FILE* file, std::size_t capacity)
    : file_(file), capacity_(capacity) {
    buffer_.reserve(capacity_);
}

OutputBuffer::~OutputBuffer() {
    drain();
}

void OutputBuffer::number(std::int64_t value) {
    std::array<char, 24> digits{};
    const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    write(std::string_view(digits.data(), static_cast<std::size_t>(result.ptr - digits.data())));
}

void OutputBuffer::writeLong(std::string_view text) {
    drain();
    if (text.size() < capacity_) {
        buffer_.append(text);
        return;
    }
    // Longer than the whole buffer: straight through.
    if (error_ == 0 && std::fwrite(text.data(), 1, text.size(), file_) != text.size()) {
        error_ = errno != 0 ? errno : EIO;
    }
}

void OutputBuffer::drain() {
    if (!buffer_.empty() && error_ == 0 &&
        std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size()) {
        error_ = errno != 0 ? errno : EIO;
    }
    buffer_.clear();
}

bool OutputBuffer::flush() {
    drain();
    if (error_ == 0 && std::fflush(file_) != 0) {
        error_ = errno != 0 ? errno : EIO;
    }
    return error_ == 0;
}

} // namespace qrb::score
