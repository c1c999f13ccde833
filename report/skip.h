// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string_view>

namespace qrb::report {

// Why a contact of a logbook scores nothing. The first kinds follow from the
// contact itself; the last three from the rules a report is asked to apply.
enum class Skip : unsigned char {
    Duplicate,      // the EDI log marks it as a duplicate
    BandMissing,    // no band, no frequency
    BandUnknown,    // a band outside the award
    OwnMissing,     // no own locator
    OwnInvalid,     // an own locator the window would refuse
    ForeignMissing, // no foreign locator
    ForeignInvalid, // a foreign locator the window would refuse
    OutOfTable,     // the squares lie beyond the point table
    Satellite,      // made through a satellite, and those are left out
    Unconfirmed,    // not confirmed, and only confirmed contacts count
    Repeat,         // its call already scored on the band in the block, and repeats are left out
};

// The reason in the words the user reads ("fremder Locator ungültig").
std::string_view skipText(Skip skip);

// The skips that a text log counts but does not list one by one: contacts on
// bands outside the award, without an own locator (named once instead), and
// unconfirmed ones; a log holds thousands of each.
bool countedOnly(Skip skip);

} // namespace qrb::report
