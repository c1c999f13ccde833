// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A small pseudo-random generator with its own arithmetic (xoshiro256**,
// seeded through splitmix64), so that a seed gives the same session on every
// platform and standard library.

#include <array>
#include <cstdint>

namespace randomized {

class Rng {
public:
    explicit Rng(std::uint64_t seed) {
        for (std::uint64_t& word : state_) {
            seed += 0x9E3779B97F4A7C15ULL;
            std::uint64_t z = seed;
            z = (z ^ (z >> 30U)) * 0xBF58476D1CE4E5B9ULL;
            z = (z ^ (z >> 27U)) * 0x94D049BB133111EBULL;
            word = z ^ (z >> 31U);
        }
    }

    std::uint64_t next() {
        const std::uint64_t result = rotl(state_[1] * 5U, 7) * 9U;
        const std::uint64_t t = state_[1] << 17U;
        state_[2] ^= state_[0];
        state_[3] ^= state_[1];
        state_[1] ^= state_[2];
        state_[0] ^= state_[3];
        state_[2] ^= t;
        state_[3] = rotl(state_[3], 45);
        return result;
    }

    // A whole number from 0 to n - 1 (n > 0).
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }

    // A whole number from low to high, both included.
    int between(int low, int high) { return low + below(high - low + 1); }

    // True with the given chance in percent.
    bool percent(int chance) { return below(100) < chance; }

    // True with the given chance in thousandths.
    bool permille(int chance) { return below(1000) < chance; }

private:
    static std::uint64_t rotl(std::uint64_t x, int k) {
        return (x << static_cast<unsigned>(k)) | (x >> static_cast<unsigned>(64 - k));
    }

    std::array<std::uint64_t, 4> state_{};
};

} // namespace randomized
