// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The window's layout as one table that every view reads: the window itself,
// every control in the order of the window (later ones lie above earlier
// ones where they overlap), and the drawn lines. Geometry is in twips
// (1440 to the inch, 15 to a pixel at 96 dpi), colours are 0x00BBGGRR.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace qrb::layout {

// Background colours of the window.
inline constexpr std::uint32_t kGrey = 0xC0C0C0;
inline constexpr std::uint32_t kLightGreen = 0xC0FFC0; // where the next action is expected
inline constexpr std::uint32_t kLightRed = 0xC0C0FF;   // an input in error
inline constexpr std::uint32_t kWhite = 0xFFFFFF;
inline constexpr std::uint32_t kLightYellow = 0xC0FFFF;

// The classic form's own drawing, for a view that draws buttons and the frame
// itself: bevels of light, shadow and dark shadow edges around the grey face,
// and the captions of controls that are switched off.
inline constexpr std::uint32_t kEdgeLight = 0xFFFFFF;
inline constexpr std::uint32_t kEdgeShadow = 0x808080;
inline constexpr std::uint32_t kEdgeDarkShadow = 0x404040;
inline constexpr std::uint32_t kGreyedText = 0x808080;

enum class Kind : std::uint8_t {
    Label,
    CommandButton,
    List,
    TextField,    // takes typed keys
    DisplayField, // shows what the program writes, read-only
    Frame,
    OptionButton,
};

// Every control of the window, in the order of the window. The value is the
// control's index in controls().
enum class Id : std::uint8_t {
    TEXT1,
    OK1, // END
    LIST2,
    DRU,
    Text2,
    SU,
    Text4,
    LOC1,
    LIST0,
    LIST1,
    TEXT5,
    LOC2,
    LIST3,
    TEXT6,
    QTH2,
    INF,
    BAND,
    B0,
    B1,
    B2,
    B3,
    B4,
    B5,
    B6,
    B7,
    B8,
    B9,
    TEXT7,
    PANZ,
    OK2, // OK
};
inline constexpr std::size_t kControlCount = 30;

constexpr std::size_t index(Id id) {
    return static_cast<std::size_t>(id);
}
// The band button of band index 0..9.
constexpr Id bandButton(int band) {
    return static_cast<Id>(index(Id::B0) + static_cast<std::size_t>(band));
}
// The band index of a band button, or -1 for any other control.
constexpr int bandOf(Id id) {
    return id >= Id::B0 && id <= Id::B9 ? static_cast<int>(index(id) - index(Id::B0)) : -1;
}

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct Control {
    Id id;
    std::string_view name;
    Kind kind;
    std::u16string_view caption; // labels, buttons, frame; empty for the rest
    std::u16string_view tooltip;
    Rect place;   // in the window (a child of BAND would be in BAND)
    int tabIndex; // Tab moves in rising order among controls that take focus
    std::string_view fontFace;
    double fontSize; // points
    std::uint32_t backColor;
    bool enabled;
    bool visible;
    std::optional<Id> parent;       // none: the window
    std::u16string_view accessible; // the name a screen reader announces
    // Labels: the free room (twips) a caption may take where its font needs
    // more than the label's width: to the right up to roomTo, the left edge of
    // the next control, and, where that is not enough, to the left back to
    // roomFrom, the free margin's edge. 0 for other kinds.
    int roomFrom;
    int roomTo;
    // Labels: the width (twips) the caption needs in the fonts that stand in
    // for Arial on a system without it (Liberation Sans), within roomTo; the
    // placed width when it fits. A view that measures its fonts computes it
    // itself; a view without fonts uses this.
    int fittedWidth;
};

// Kinds that take the keyboard focus by Tab or click.
constexpr bool takesFocus(Kind kind) {
    return kind == Kind::CommandButton || kind == Kind::List || kind == Kind::TextField ||
           kind == Kind::DisplayField || kind == Kind::OptionButton;
}

// Display fields (SU, PANZ) show their numbers centred; every other field and
// label begins at the left.
constexpr bool centred(Kind kind) {
    return kind == Kind::DisplayField;
}

struct Line {
    std::string_view name;
    std::optional<Id> parent; // none: the window; coordinates relative to it
    int x1;
    int y1;
    int x2;
    int y2;
};

struct Window {
    std::string_view name;
    std::u16string_view caption;
    int width;  // client area, twips
    int height; // client area, twips
    std::string_view fontFace;
    double fontSize;
    std::uint32_t backColor;
};

inline constexpr Window kWindow{
    "TELVOR", u"QRB-PUNKTE", 6690, 5595, "Courier New", 8.25, kGrey,
};

// Every control, in the order of the window; controls()[index(id)].id == id.
std::span<const Control> controls();
const Control& control(Id id);
// The six drawn lines.
std::span<const Line> lines();

// By name as in the window; none for an unknown name.
std::optional<Id> find(std::string_view name);
const Line* findLine(std::string_view name);

// The place of a control in the window's coordinates (a child of the frame
// is moved by the frame's place).
Rect placeInWindow(Id id);

// The controls that take focus, in the order Tab moves through them (rising
// tab index). Tab skips the ones that are switched off or hidden
// (WindowSession::nextInChain).
std::span<const Id> tabChain();

// The controls that lie above an earlier control they overlap: the log over
// its header, the QTH help over the log, the band buttons over their frame.
// A view lifts each to the top, in this order, once all are made; every
// other control keeps the order of the window.
std::span<const Id> raised();

// Twips to whole pixels at `dpi` (96 at 100 %), rounded to the nearest.
int pixels(int twips, int dpi);

// The height in whole pixels of a font of `points` at `dpi`, for a view whose
// fonts come only in whole pixels: never more than the points ask for, so
// that no caption comes out wider than laid out (8.25 pt at 120 dpi is
// 13.75 pixels: 13).
int fontPixels(double points, int dpi);

// Where a label stands, in pixels of the window at `dpi`, when its caption
// needs `need` pixels in the view's font (its margins included): as laid out
// where that holds the caption; otherwise wider to the right up to roomTo,
// and where that is still too narrow also moved to the left, up to roomFrom.
// A caption is thus never cut and never wraps, and keeps its left edge
// wherever the room to its right allows. Only a caption wider than all the
// room is cut, at roomTo. Other controls are placed as laid out.
Rect labelPixels(Id label, int need, int dpi);

} // namespace qrb::layout
