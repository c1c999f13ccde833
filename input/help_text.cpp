// SPDX-License-Identifier: GPL-3.0-or-later
#include "input/help_text.h"

namespace qrb {

// How an old QTH-Kenner is typed, with the shifts of its area to the west,
// east, south and north. x is the fifth, y the sixth character, "_" a blank.
const std::array<std::u16string_view, 24> kHelpLines{{
    u"",
    u"Bei QSL mit dem alten QTH-Kenner:",
    u"Eingabe 4-stellig (z.B. DL47)",
    u"",
    u"Muss der Gültigkeitbereich",
    u"erweitert werden:",
    u"",
    u"Eingabe 6-stellig (z.B. DL47xy)",
    u"",
    u"Erweitern nach Westen",
    u"   x = - [Minus]  (z.B. DL47- )",
    u"",
    u"Erweitern nach Osten",
    u"   x = + [Plus]",
    u"   y = _ [Leer]   (z.B. DL47+ )",
    u"",
    u"Erweitern nach Süden",
    u"   x = _ [Leer]",
    u"   y = - [Minus]  (z.B. DL47 -)",
    u"",
    u"Erweitern nach Norden",
    u"  x = _ [Leer]",
    u"  y = + [Plus]    (z.B. DL47 +)",
    u"",
}};

} // namespace qrb
