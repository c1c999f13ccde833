// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The drawing primitives a map is made of, in pixels from the top left
// corner. Every backend draws them in order, the map layer clipped to the
// map's frame, then the overlay (title, legend) unclipped.

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace qrb::map {

struct Rgba {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    std::uint8_t a = 255; // 0: not drawn

    bool operator==(const Rgba&) const = default;
};

struct Pt {
    double x = 0.0;
    double y = 0.0;
};

// Filled rings under the non-zero winding rule: counter-clockwise rings on
// the screen add, clockwise ones cut holes.
struct FillArea {
    std::vector<std::vector<Pt>> rings;
    Rgba fill;
};

// A rectangle, filled and/or outlined; a tooltip names what it shows.
struct Box {
    double x = 0.0;
    double y = 0.0;
    double w = 0.0;
    double h = 0.0;
    Rgba fill{0, 0, 0, 0};
    Rgba stroke{0, 0, 0, 0};
    double strokeWidth = 0.0;
    std::string tooltip;
};

struct Line {
    std::vector<Pt> points;
    Rgba stroke;
    double width = 1.0;
};

struct Dot {
    Pt centre;
    double radius = 1.0;
    Rgba fill;
};

enum class Anchor { Start, Middle, End };

// Text in UTF-8 standing on its baseline at `at`.
struct Label {
    Pt at;
    std::string text;
    double size = 10.0; // pixel height of the font
    Anchor anchor = Anchor::Start;
    bool bold = false;
    Rgba colour;
    Rgba halo{0, 0, 0, 0}; // a rim round the letters, to keep them legible on any ground
};

using Primitive = std::variant<FillArea, Box, Line, Dot, Label>;

// Longitude and latitude to pixels: equirectangular, a degree of longitude
// narrower than one of latitude by the cosine of the map's middle latitude.
struct Projection {
    double west = 0.0;  // longitude at x0
    double north = 0.0; // latitude at y0
    double x0 = 0.0;
    double y0 = 0.0;
    double xPerDegree = 1.0;
    double yPerDegree = 1.0;

    Pt operator()(double lon, double lat) const {
        return {x0 + (lon - west) * xPerDegree, y0 + (north - lat) * yPerDegree};
    }
};

struct Scene {
    double width = 0.0;
    double height = 0.0;
    Rgba paper{255, 255, 255, 255}; // under everything
    Box frame;                      // the map's rectangle; the map layer is clipped to it
    Projection projection;
    std::vector<Primitive> map;
    std::vector<Primitive> overlay;
    std::string description; // one line naming the map, for a document's title
};

// The font family every backend asks for (Debian: fonts-liberation).
inline constexpr const char* kFontFamily = "Liberation Sans";

} // namespace qrb::map
