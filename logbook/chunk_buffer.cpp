// SPDX-License-Identifier: GPL-3.0-or-later
#include "logbook/internal.h"

#include <cstring>

namespace qrb::logbook::detail {

namespace {

// Room behind the bytes held: the NUL and 16 bytes that may be read past it.
constexpr std::size_t kSlack = 17;

} // namespace

ChunkBuffer::ChunkBuffer(std::istream& in, std::size_t capacity)
    : in_(&in), bytes_(std::make_unique<char[]>(capacity + kSlack)), capacity_(capacity) {}

std::size_t ChunkBuffer::refill(std::size_t keep) {
    if (keep > size_) {
        keep = size_;
    }
    const std::size_t rest = size_ - keep;
    if (keep > 0 && rest > 0) {
        std::memmove(bytes_.get(), bytes_.get() + keep, rest);
    }
    dropped_ += keep;
    size_ = rest;
    bytes_[size_] = '\0';
    if (ended_ || size_ == capacity_) {
        return 0;
    }
    in_->read(bytes_.get() + size_, static_cast<std::streamsize>(capacity_ - size_));
    const auto got = static_cast<std::size_t>(in_->gcount());
    size_ += got;
    bytes_[size_] = '\0';
    // A short read means the stream is at its end or broken: nothing more
    // will come either way.
    if (got == 0 || !in_->good()) {
        ended_ = true;
        failed_ = in_->bad();
    }
    return got;
}

} // namespace qrb::logbook::detail
