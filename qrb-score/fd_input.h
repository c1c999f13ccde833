// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <streambuf>
#include <vector>

namespace qrb::score {

// Reads a file descriptor (a logbook file or standard input) in large blocks
// for the logbook readers, and counts what it has read.
class FdInput : public std::streambuf {
public:
    explicit FdInput(int fd, std::size_t blockSize = std::size_t{1} << 20U);

    // Called after every block read, with the bytes read so far.
    void onBlock(std::function<void(std::uint64_t)> callback) { onBlock_ = std::move(callback); }
    std::uint64_t bytesRead() const { return bytesRead_; }
    // errno of a failed read, 0 when none failed.
    int error() const { return error_; }

protected:
    int_type underflow() override;
    std::streamsize xsgetn(char_type* s, std::streamsize count) override;

private:
    // Reads once into `into`; the bytes read, 0 at the end or on failure.
    std::size_t readSome(char* into, std::size_t size);

    int fd_;
    std::vector<char> block_;
    std::uint64_t bytesRead_ = 0;
    int error_ = 0;
    bool atEnd_ = false;
    std::function<void(std::uint64_t)> onBlock_;
};

} // namespace qrb::score
