#include "internal.h"

#include <cstring>

namespace qrb::logbook::detail {

ChunkBuffer::ChunkBuffer(std::istream& in, std::size_t capacity)
    : in_(&in), bytes_(new char[capacity]), capacity_(capacity) {}

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
    if (ended_ || size_ == capacity_) {
        return 0;
    }
    in_->read(bytes_.get() + size_, static_cast<std::streamsize>(capacity_ - size_));
    const auto got = static_cast<std::size_t>(in_->gcount());
    size_ += got;
    // A short read means the stream is at its end or broken: nothing more
    // will come either way.
    if (got == 0 || !in_->good()) {
        ended_ = true;
        failed_ = in_->bad();
    }
    return got;
}

} // namespace qrb::logbook::detail
