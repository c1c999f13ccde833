// SPDX-License-Identifier: GPL-3.0-or-later
#include "scoring/qrb_table.h"

#include <cstddef>
#include <string>
#include <utility>

namespace qrb {

namespace {

// Extra points for long distances: one for each of the thresholds 6, 9 and 12
// that the square count n exceeds.
constexpr int distanceBonus(int n) {
    int bonus = 0;
    for (const int threshold : {6, 9, 12}) {
        if (n > threshold) {
            ++bonus;
        }
    }
    return bonus;
}

// Adds `amount` to every cell with x in [xFrom, xTo] and y in [yFrom, 40].
void addToBlock(QrbTable& table, int xFrom, int xTo, int yFrom, int amount) {
    for (int x = xFrom; x <= xTo; ++x) {
        for (int y = yFrom; y <= 40; ++y) {
            table.at(x, y) = static_cast<QrbTable::Cell>(table.at(x, y) + amount);
        }
    }
}

// The three-character right-aligned field in which every number of the listing stands.
std::string field(int n) {
    std::string text = std::to_string(n);
    if (text.size() < 3) {
        text.insert(0, 3 - text.size(), ' ');
    }
    return text;
}

} // namespace

QrbTable buildQrbTable() {
    constexpr int kLast = QrbTable::kSize - 1;
    QrbTable table;

    // Base fill, square by square outwards: the cells with the larger latitude
    // index get that index, those with the larger (or equal) longitude index get
    // it plus the long-distance bonus. The longitude pass overwrites the diagonal.
    for (int n = 1; n <= kLast; ++n) {
        for (int x = 1; x <= n; ++x) {
            table.at(x, n) = static_cast<QrbTable::Cell>(n);
        }
        for (int y = 1; y <= n; ++y) {
            table.at(n, y) = static_cast<QrbTable::Cell>(n + distanceBonus(n));
        }
    }

    // Longitude distances of 3..5 squares with at least 3 latitude squares.
    addToBlock(table, 4, 6, 4, 1);

    // Longitude distances of 6..8 squares: one point from 6 latitude squares on,
    // a second one from 7 on.
    addToBlock(table, 7, 9, 7, 1);
    addToBlock(table, 7, 9, 8, 1);

    // Where both distances are 7 or 8 squares the award fixes the points.
    table.at(8, 8) = 10;
    table.at(9, 8) = 11;
    table.at(9, 9) = 11;

    // Longitude distances of 9..11 squares: one point from 9 latitude squares on,
    // two more from 10 on.
    addToBlock(table, 10, 12, 10, 1);
    addToBlock(table, 10, 12, 11, 2);

    // Both distances 10 or 11 squares: fixed again.
    table.at(11, 11) = 14;
    table.at(12, 11) = 15;
    table.at(12, 12) = 15;

    // From 12 longitude squares on, the cells with more latitude than longitude
    // squares get the same three-point bonus as the longitude side.
    for (int x = 13; x <= kLast; ++x) {
        for (int y = x + 1; y <= kLast; ++y) {
            table.at(x, y) = static_cast<QrbTable::Cell>(table.at(x, y) + 3);
        }
    }

    return table;
}

std::vector<std::string> tableListing(const QrbTable& table) {
    constexpr int kLast = QrbTable::kSize - 1;
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(kLast) + 2);

    // Largest latitude index on top, so the listing reads like a map.
    for (int y = kLast; y >= 1; --y) {
        std::string line = field(y) + " | ";
        for (int x = 1; x <= kLast; ++x) {
            line += field(table.at(x, y));
        }
        lines.push_back(std::move(line));
    }

    std::string rule;
    for (int x = 1; x <= kLast; ++x) {
        rule += "  _";
    }
    lines.push_back(std::move(rule));

    std::string axis(6, ' ');
    for (int x = 1; x <= kLast; ++x) {
        axis += field(x);
    }
    lines.push_back(std::move(axis));

    return lines;
}

} // namespace qrb
