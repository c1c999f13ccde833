// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace qrb {

// Points by square distance: x counts longitude squares (2 degrees) between the
// two stations plus one, y latitude squares (1 degree) plus one. Both run 1..40;
// index 0 is never written and stays 0.
class QrbTable {
public:
    static constexpr int kSize = 41;
    using Cell = std::int16_t;

    Cell at(int x, int y) const {
        return cells_[static_cast<std::size_t>(x)][static_cast<std::size_t>(y)];
    }
    Cell& at(int x, int y) {
        return cells_[static_cast<std::size_t>(x)][static_cast<std::size_t>(y)];
    }

private:
    std::array<std::array<Cell, kSize>, kSize> cells_{};
};

// Builds the award's point table by its seven filling steps.
QrbTable buildQrbTable();

// The 42 text lines of the table listing: forty lines for y = 40 down to 1
// (126 characters), the rule line (120) and the axis line (126). ASCII only.
std::vector<std::string> tableListing(const QrbTable& table);

} // namespace qrb
