// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/layout.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace qrb::layout {

namespace {

constexpr Control label(Id id, std::string_view name, std::u16string_view caption, Rect at, int tab,
                        int roomFrom, int roomTo, int fitted, double points = 8.25) {
    return {id,    name, Kind::Label, caption, {},      at,       tab,    "Arial", points,
            kGrey, true, true,        {},      caption, roomFrom, roomTo, fitted};
}

constexpr Control button(Id id, std::string_view name, std::u16string_view caption,
                         std::u16string_view tooltip, Rect at, int tab, bool enabled) {
    return {id,      name,    Kind::CommandButton,
            caption, tooltip, at,
            tab,     "Arial", 8.25,
            kGrey,   enabled, true,
            {},      caption, 0,
            0,       at.width};
}

constexpr Control list(Id id, std::string_view name, std::u16string_view accessible, Rect at,
                       int tab, std::uint32_t back, bool visible = true, double points = 8.25) {
    return {id,   name, Kind::List, {}, {},         at, tab, "Courier New", points,
            back, true, visible,    {}, accessible, 0,  0,   at.width};
}

// A field is named for assistive tools by the caption beside it.
constexpr Control field(Id id, std::string_view name, Kind kind, std::u16string_view accessible,
                        std::u16string_view tooltip, Rect at, int tab, bool enabled) {
    return {id,    name,    kind, {}, tooltip,    at, tab, "MS Sans Serif", 8.25,
            kGrey, enabled, true, {}, accessible, 0,  0,   at.width};
}

constexpr Control band(Id id, std::string_view name, std::u16string_view caption,
                       std::u16string_view accessible, int left, int top, int tab) {
    const Rect at{left, top, 675, 210};
    return {id,   name, Kind::OptionButton, caption, {}, at,      tab, "Arial", 8.25, kGrey, false,
            true, {},   accessible,         0,       0,  at.width};
}

// The left edge of the free margin inside the box drawn round the entries:
// clear of its left line (Line2 at 150) by a few pixels.
constexpr int kBoxMargin = 210;

// Each caption may grow up to the next control on its right (or the edge of
// the window), and back into the free margin on its left; the fitted widths
// are those the Liberation Sans captions need.
constexpr std::array<Control, kControlCount> kControls{{
    label(Id::TEXT1, "TEXT1", u"Berechnung der QRB-Punkte für das EU-UKW-Diplom",
          {150, 300, 4800, 240}, 24, 150, 5200, 4800, 9.75),
    button(Id::OK1, "OK1", u"END", u"Pogrammende", {6000, 500, 600, 300}, 25, false),
    list(Id::LIST2, "LIST2", u"Punktetabelle", {5200, 500, 660, 240}, 29, kWhite, false),
    button(Id::DRU, "DRU", u"DRU", u"Protokoll ausdrucken", {6000, 900, 600, 300}, 21, false),
    // Left of it, the room up to the log's header.
    label(Id::Text2, "Text2", u"Summe QRB", {4200, 960, 900, 240}, 1, 3100, 5200, 990),
    field(Id::SU, "SU", Kind::DisplayField, u"Summe QRB", {}, {5200, 900, 660, 300}, 30, true),
    label(Id::Text4, "Text4", u"Eigener Locator", {300, 1110, 1200, 240}, 0, kBoxMargin, 1500,
          1200),
    field(Id::LOC1, "LOC1", Kind::TextField, u"Eigener Locator", u"4-stellig",
          {1500, 1047, 975, 300}, 23, false),
    list(Id::LIST0, "LIST0", u"Kopfzeile", {3100, 1300, 3500, 240}, 28, kWhite),
    list(Id::LIST1, "LIST1", u"Protokoll", {3100, 1500, 3500, 3810}, 2, kWhite),
    label(Id::TEXT5, "TEXT5", u"Fremder Locator", {240, 1680, 1200, 225}, 20, kBoxMargin, 1500,
          1245),
    field(Id::LOC2, "LOC2", Kind::TextField, u"Fremder Locator", u"4-stellig",
          {1500, 1646, 975, 300}, 3, false),
    // When shown it lies over the log.
    list(Id::LIST3, "LIST3", u"QTH-Info", {3200, 1700, 3300, 3450}, 26, kLightYellow, false, 6.75),
    label(Id::TEXT6, "TEXT6", u"QTH - Kenner", {300, 2160, 1200, 225}, 18, kBoxMargin, 1500, 1200),
    field(Id::QTH2, "QTH2", Kind::TextField, u"QTH - Kenner", u"4-stellig (+-) (+-)",
          {1500, 2100, 975, 300}, 17, false),
    button(Id::INF, "INF", u"?", u"QTH-Info (ein/aus)", {2600, 2100, 300, 300}, 27, true),
    {Id::BAND,
     "BAND",
     Kind::Frame,
     u"BAND [MHz, GHz]",
     {},
     {300, 2500, 1875, 2200},
     5,
     "Arial",
     8.25,
     kGrey,
     true,
     true,
     {},
     u"BAND [MHz, GHz]",
     0,
     0,
     1875},
    // The band buttons belong to the window, not to the frame, and lie above
    // it: "50" alone on top, the higher bands in two columns. The caption
    // alone ("1.2") says little once read outside the frame.
    band(Id::B0, "B0", u"50", u"Band 50", 360, 2800, 14),
    band(Id::B1, "B1", u"144", u"Band 144", 375, 3200, 7),
    band(Id::B2, "B2", u"432", u"Band 432", 375, 3500, 8),
    band(Id::B3, "B3", u"1.2", u"Band 1.2", 375, 3800, 9),
    band(Id::B4, "B4", u"2.3", u"Band 2.3", 360, 4100, 15),
    band(Id::B5, "B5", u"3.6", u"Band 3.6", 375, 4400, 16),
    band(Id::B6, "B6", u"5.7", u"Band 5.7", 1440, 3200, 10),
    band(Id::B7, "B7", u"10", u"Band 10", 1440, 3500, 11),
    band(Id::B8, "B8", u"24", u"Band 24", 1440, 3800, 12),
    band(Id::B9, "B9", u"47", u"Band 47", 1440, 4100, 13),
    label(Id::TEXT7, "TEXT7", u"QRB-Punkte", {300, 4860, 900, 225}, 19, kBoxMargin, 1500, 945),
    field(Id::PANZ, "PANZ", Kind::DisplayField, u"QRB-Punkte", {}, {1500, 4800, 660, 300}, 4, true),
    button(Id::OK2, "OK2", u"OK", u"Eigabebestätigung", {2280, 4800, 600, 300}, 6, false),
}};

constexpr std::array<Line, 6> kLines{{
    {"Linie10", Id::BAND, 100, 570, 1700, 570},
    {"Linie5", {}, 150, 900, 3000, 900},
    {"Line2", {}, 150, 900, 150, 5325},
    {"Linie7", {}, 3000, 900, 3000, 5325},
    {"Linie9", {}, 150, 5325, 3000, 5325},
    {"Line1", {}, 150, 1500, 3000, 1500},
}};

constexpr bool inOrder() {
    for (std::size_t i = 0; i < kControls.size(); ++i) {
        if (index(kControls[i].id) != i) {
            return false;
        }
    }
    return true;
}
static_assert(inOrder(), "the table lists the controls in the order of Id");

constexpr bool overlaps(const Rect& a, const Rect& b) {
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
           b.top < a.top + a.height;
}

constexpr Rect placeOf(Id id) {
    Rect at = kControls[index(id)].place;
    if (const std::optional<Id> parent = kControls[index(id)].parent) {
        at.left += kControls[index(*parent)].place.left;
        at.top += kControls[index(*parent)].place.top;
    }
    return at;
}

// A list of controls, as long as it turns out.
struct IdList {
    std::array<Id, kControlCount> ids{};
    std::size_t size = 0;
};

// The controls that take focus, stably sorted by tab index.
constexpr IdList makeTabChain() {
    IdList chain;
    for (const Control& c : kControls) {
        if (!takesFocus(c.kind)) {
            continue;
        }
        std::size_t at = chain.size++;
        while (at > 0 && kControls[index(chain.ids[at - 1])].tabIndex > c.tabIndex) {
            chain.ids[at] = chain.ids[at - 1];
            --at;
        }
        chain.ids[at] = c.id;
    }
    return chain;
}

constexpr IdList makeRaised() {
    IdList raised;
    for (std::size_t i = 0; i < kControls.size(); ++i) {
        for (std::size_t earlier = 0; earlier < i; ++earlier) {
            if (overlaps(placeOf(kControls[i].id), placeOf(kControls[earlier].id))) {
                raised.ids[raised.size++] = kControls[i].id;
                break;
            }
        }
    }
    return raised;
}

constexpr IdList kTabChain = makeTabChain();
constexpr IdList kRaised = makeRaised();

} // namespace

std::span<const Control> controls() {
    return kControls;
}

const Control& control(Id id) {
    return kControls[index(id)];
}

std::span<const Line> lines() {
    return kLines;
}

std::optional<Id> find(std::string_view name) {
    const auto* it = std::find_if(kControls.begin(), kControls.end(),
                                  [name](const Control& c) { return c.name == name; });
    if (it == kControls.end()) {
        return std::nullopt;
    }
    return it->id;
}

const Line* findLine(std::string_view name) {
    const auto* it = std::find_if(kLines.begin(), kLines.end(),
                                  [name](const Line& l) { return l.name == name; });
    return it == kLines.end() ? nullptr : it;
}

Rect placeInWindow(Id id) {
    return placeOf(id);
}

std::span<const Id> tabChain() {
    return {kTabChain.ids.data(), kTabChain.size};
}

std::span<const Id> raised() {
    return {kRaised.ids.data(), kRaised.size};
}

int pixels(int twips, int dpi) {
    const long long scaled = static_cast<long long>(twips) * dpi;
    return static_cast<int>(scaled >= 0 ? (scaled + 720) / 1440 : -((-scaled + 720) / 1440));
}

int fontPixels(double points, int dpi) {
    // The small allowance keeps sizes that come out whole (8.25 pt at 96 dpi
    // is 11 pixels) from losing a pixel to rounding.
    return std::max(1, static_cast<int>(std::floor(points * dpi / 72.0 + 1e-9)));
}

Rect labelPixels(Id label, int need, int dpi) {
    const Control& c = control(label);
    const Rect at = placeInWindow(label);
    Rect placed{pixels(at.left, dpi), pixels(at.top, dpi), pixels(at.width, dpi),
                pixels(at.height, dpi)};
    if (c.kind != Kind::Label || need <= placed.width) {
        return placed;
    }
    const int roomTo = pixels(c.roomTo, dpi);
    const int roomFrom = std::min(pixels(c.roomFrom, dpi), placed.left);
    placed.width = std::max(placed.width, std::min(need, roomTo - placed.left));
    if (need > placed.width) {
        placed.left = std::max(roomFrom, roomTo - need);
        placed.width = roomTo - placed.left;
    }
    return placed;
}

} // namespace qrb::layout
