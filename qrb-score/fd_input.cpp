// SPDX-License-Identifier: GPL-3.0-or-later
#include "qrb-score/fd_input.h"

#include "qrb-score/platform.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace qrb::score {

FdInput::FdInput(int fd, std::size_t blockSize) : fd_(fd), block_(blockSize) {
    setg(block_.data(), block_.data(), block_.data());
}

std::size_t FdInput::readSome(char* into, std::size_t size) {
    if (atEnd_) {
        return 0;
    }
    const long long got = readFd(fd_, into, size);
    if (got <= 0) {
        // A failed read ends the input like its end; error() tells them apart.
        if (got < 0) {
            error_ = errno;
        }
        atEnd_ = true;
        return 0;
    }
    bytesRead_ += static_cast<std::uint64_t>(got);
    if (onBlock_) {
        onBlock_(bytesRead_);
    }
    return static_cast<std::size_t>(got);
}

FdInput::int_type FdInput::underflow() {
    if (gptr() < egptr()) {
        return traits_type::to_int_type(*gptr());
    }
    const std::size_t got = readSome(block_.data(), block_.size());
    setg(block_.data(), block_.data(), block_.data() + got);
    return got == 0 ? traits_type::eof() : traits_type::to_int_type(*gptr());
}

std::streamsize FdInput::xsgetn(char_type* s, std::streamsize count) {
    std::streamsize done = 0;
    while (done < count) {
        const std::streamsize buffered = egptr() - gptr();
        if (buffered > 0) {
            const std::streamsize take = std::min(buffered, count - done);
            std::memcpy(s + done, gptr(), static_cast<std::size_t>(take));
            gbump(static_cast<int>(take));
            done += take;
            continue;
        }
        const auto wanted = static_cast<std::size_t>(count - done);
        if (wanted >= block_.size()) {
            // A large request goes straight into the caller's memory.
            const std::size_t got = readSome(s + done, wanted);
            if (got == 0) {
                break;
            }
            done += static_cast<std::streamsize>(got);
        } else if (traits_type::eq_int_type(underflow(), traits_type::eof())) {
            break;
        }
    }
    return done;
}

} // namespace qrb::score
