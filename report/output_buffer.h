// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace qrb::report {

// Where the bytes of an output go: a file or standard output in a program,
// memory in the page and in tests.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    // Takes the bytes; false when they could not be written.
    virtual bool write(std::string_view bytes) = 0;
    // Hands on what it holds; false when that failed.
    virtual bool flush() { return true; }
};

// Keeps the bytes in memory.
class StringSink : public ByteSink {
public:
    bool write(std::string_view bytes) override {
        text.append(bytes);
        return true;
    }
    std::string text;
};

// Collects output in one large block and hands it to the sink in big writes.
// A write that fails is remembered; everything after it is dropped.
class OutputBuffer {
public:
    explicit OutputBuffer(ByteSink& sink, std::size_t capacity = std::size_t{1} << 20U);
    ~OutputBuffer();
    OutputBuffer(const OutputBuffer&) = delete;
    OutputBuffer& operator=(const OutputBuffer&) = delete;

    void write(std::string_view text) {
        if (text.empty()) {
            return; // an empty view may point nowhere
        }
        if (text.size() <= capacity_ - size_) {
            std::memcpy(data_.get() + size_, text.data(), text.size());
            size_ += text.size();
        } else {
            writeLong(text);
        }
    }
    void put(char c) {
        if (size_ == capacity_) {
            drain();
        }
        data_[size_++] = c;
    }

    // Room for `bytes` more at the returned place (at most capacity()); fill
    // it and hand the end of what was written to commit().
    char* reserve(std::size_t bytes) {
        if (bytes > capacity_ - size_) {
            drain();
        }
        return data_.get() + size_;
    }
    void commit(const char* end) { size_ = static_cast<std::size_t>(end - data_.get()); }
    std::size_t capacity() const { return capacity_; }

    // Everything so far to the sink. False once a write has failed.
    bool flush();

private:
    void writeLong(std::string_view text);
    void drain();

    ByteSink& sink_;
    std::size_t capacity_;
    std::unique_ptr<char[]> data_;
    std::size_t size_ = 0;
    bool failed_ = false;
};

} // namespace qrb::report
