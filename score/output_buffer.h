#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace qrb::score {

// Collects output in one large block and hands it to the file in big writes.
// A write that fails is remembered; everything after it is dropped.
class OutputBuffer {
public:
    explicit OutputBuffer(std::FILE* file, std::size_t capacity = std::size_t{1} << 20U);
    ~OutputBuffer();
    OutputBuffer(const OutputBuffer&) = delete;
    OutputBuffer& operator=(const OutputBuffer&) = delete;

    void write(std::string_view text) {
        if (text.size() <= capacity_ - buffer_.size()) {
            buffer_.append(text);
        } else {
            writeLong(text);
        }
    }
    void put(char c) {
        if (buffer_.size() == capacity_) {
            drain();
        }
        buffer_.push_back(c);
    }
    void number(std::int64_t value);

    // Everything so far to the file. False once a write has failed.
    bool flush();
    bool failed() const { return error_ != 0; }
    int error() const { return error_; } // errno of the first failed write

private:
    void writeLong(std::string_view text);
    void drain();

    std::FILE* file_;
    std::size_t capacity_;
    std::string buffer_;
    int error_ = 0;
};

} // namespace qrb::score
