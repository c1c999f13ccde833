// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/skip.h"

namespace qrb::report {

std::string_view skipText(Skip skip) {
    switch (skip) {
    case Skip::Duplicate:
        return "im EDI-Log als Duplikat markiert";
    case Skip::BandMissing:
        return "Band fehlt";
    case Skip::BandUnknown:
        return "kein Band des Diploms";
    case Skip::OwnMissing:
        return "eigener Locator fehlt";
    case Skip::OwnInvalid:
        return "eigener Locator ungültig";
    case Skip::ForeignMissing:
        return "fremder Locator fehlt";
    case Skip::ForeignInvalid:
        return "fremder Locator ungültig";
    case Skip::OutOfTable:
        return "zu weit: außerhalb der Punktetabelle";
    case Skip::Satellite:
        return "über Satellit";
    case Skip::Unconfirmed:
        return "nicht bestätigt";
    case Skip::Repeat:
        return "Wiederholung";
    }
    return {};
}

bool countedOnly(Skip skip) {
    return skip == Skip::BandUnknown || skip == Skip::OwnMissing || skip == Skip::Unconfirmed;
}

} // namespace qrb::report
