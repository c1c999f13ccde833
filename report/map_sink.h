// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "map/map.h"
#include "report/report.h"

namespace qrb::report {

// The map of the scored squares: the contacts that count (after the report's
// rules), square by square as they come, of one band or of all.
class ReportMap : public BlockContactSink {
public:
    explicit ReportMap(int band) : tally_(band) {}
    void contact(const Block& block, const BlockContact& contact) override;
    // What the map shows: the squares collected so far, the report's own
    // squares and its title. As often as need be (a map file and a printed
    // page).
    map::MapInput input(const Report& report) const;

private:
    map::SquareTally tally_;
};

} // namespace qrb::report
