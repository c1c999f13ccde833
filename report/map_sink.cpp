// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/map_sink.h"

#include <utility>

namespace qrb::report {

static_assert(kAllBands == map::kAllBands, "one band index for all bands");

void ReportMap::contact(const Block& /*block*/, const BlockContact& contact) {
    tally_.add(contact.square, contact.qrb, contact.band);
}

map::MapInput ReportMap::input(const Report& report) const {
    map::MapInput in;
    const int band = tally_.band();
    in.tally = tally_;
    for (const Block& block : report.blocks()) {
        in.ownSquares.push_back(block.square);
    }
    ReportTitle title = report.title(band);
    in.title.station = std::move(title.stations);
    in.title.ownSquare = std::move(title.squares);
    in.title.band = std::move(title.band);
    in.title.dateRange = std::move(title.dates);
    return in;
}

} // namespace qrb::report
