// SPDX-License-Identifier: GPL-3.0-or-later
// The map's picture: area, grid, worked squares, coast and legend.

#include "map/geography.h"
#include "map/map.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace qrb::map {
namespace {

constexpr Rgba kSea = kSeaColour;
constexpr Rgba kLand = kLandColour;
constexpr Rgba kCoast{70, 105, 140, 255};
constexpr Rgba kBorder{150, 80, 110, 255};
constexpr Rgba kFieldLine{45, 45, 45, 255};
constexpr Rgba kFieldText{45, 45, 45, 255};
constexpr Rgba kHalo{255, 255, 255, 170};
constexpr Rgba kSquareLine{110, 110, 110, 140};
constexpr Rgba kOwn = kOwnColour;
constexpr Rgba kText{20, 20, 20, 255};
constexpr Rgba kWhite{255, 255, 255, 255};

// Colours of the point scale, fewest to most points.
constexpr std::array<Rgba, 5> kScale{{
    {255, 232, 110, 255},
    {252, 172, 60, 255},
    {234, 96, 44, 255},
    {186, 32, 64, 255},
    {104, 22, 112, 255},
}};

constexpr int kMaxClasses = 6;
// Square lines are drawn only where squares are at least this many pixels
// high (and, being two degrees wide, wider still except near the poles).
constexpr double kSquareLineMinPx = 10.0;
// Smallest stretch shown round the squares, in degrees of longitude and latitude.
constexpr double kMinLonSpan = 12.0;
constexpr double kMinLatSpan = 6.0;

Rgba mix(Rgba a, Rgba b, double t) {
    auto m = [t](std::uint8_t x, std::uint8_t y) {
        return static_cast<std::uint8_t>(std::lround(x + (y - x) * t));
    };
    return {m(a.r, b.r), m(a.g, b.g), m(a.b, b.b), 255};
}

Rgba scaleColour(double t) {
    const double pos = std::clamp(t, 0.0, 1.0) * (kScale.size() - 1);
    const auto i = std::min(static_cast<std::size_t>(pos), kScale.size() - 2);
    return mix(kScale[i], kScale[i + 1], pos - static_cast<double>(i));
}

bool dark(Rgba c) {
    return 0.299 * c.r + 0.587 * c.g + 0.114 * c.b < 140.0;
}

// A width for text in the sans-serif font, good enough to decide whether a
// label fits; backends measure exactly when placing it.
double textWidth(const std::string& text, double size) {
    std::size_t chars = 0;
    for (unsigned char c : text) {
        chars += (c & 0xC0) != 0x80 ? 1 : 0;
    }
    return 0.58 * size * static_cast<double>(chars);
}

std::string contactsText(int n) {
    return std::to_string(n) + (n == 1 ? " Verbindung" : " Verbindungen");
}

std::string titleLine(const MapTitle& title) {
    std::vector<std::string> parts;
    if (!title.station.empty()) {
        parts.push_back(title.station);
    }
    if (!title.ownSquare.empty()) {
        parts.push_back("Locator " + title.ownSquare);
    }
    parts.push_back(title.band.empty() ? std::string("alle Bänder") : "Band " + title.band);
    if (!title.dateRange.empty()) {
        parts.push_back(title.dateRange);
    }
    std::string line = "QRB-Punkte";
    for (const std::string& part : parts) {
        line += " \u00b7 " + part;
    }
    return line;
}

// The squares and own squares with a square's margin round them, at least
// kMinLonSpan x kMinLatSpan; Central Europe when there is nothing to show.
GeoBox areaOf(const std::vector<SquareSummary>& worked, const std::vector<Square>& own) {
    GeoBox box{1e9, -1e9, 1e9, -1e9};
    auto take = [&box](const Square& s) {
        box.west = std::min(box.west, s.west());
        box.east = std::max(box.east, s.west() + 2.0);
        box.south = std::min(box.south, s.south());
        box.north = std::max(box.north, s.south() + 1.0);
    };
    for (const SquareSummary& s : worked) {
        take(s.square);
    }
    for (const Square& s : own) {
        take(s);
    }
    if (box.west > box.east) {
        return {0.0, 20.0, 45.0, 57.0};
    }
    box.west -= 2.0;
    box.east += 2.0;
    box.south = std::max(-90.0, box.south - 1.0);
    box.north = std::min(90.0, box.north + 1.0);
    auto widen = [](double& low, double& high, double span) {
        if (high - low < span) {
            const double grow = (span - (high - low)) / 2.0;
            low -= grow;
            high += grow;
        }
    };
    widen(box.west, box.east, kMinLonSpan);
    widen(box.south, box.north, kMinLatSpan);
    return box;
}

// Fits the box into the frame keeping its true shape, and widens it to fill
// the frame. A frame too wide or too high for the whole earth is made
// smaller instead.
Projection fit(GeoBox& box, Box& frame) {
    const double midLat = (box.south + box.north) / 2.0;
    // Towards the poles the squares would grow ever narrower; from 80 degrees on
    // they keep the width they have there.
    const double shrink = std::cos(std::clamp(midLat, -80.0, 80.0) * std::numbers::pi / 180.0);
    const double perDegree =
        std::min(frame.w / ((box.east - box.west) * shrink), frame.h / (box.north - box.south));
    const double lonSpan = std::min(360.0, frame.w / (perDegree * shrink));
    const double latSpan = std::min(180.0, frame.h / perDegree);
    frame.w = std::min(frame.w, lonSpan * perDegree * shrink);
    frame.h = std::min(frame.h, latSpan * perDegree);
    const double midLon = (box.west + box.east) / 2.0;
    box.west = midLon - lonSpan / 2.0;
    box.east = midLon + lonSpan / 2.0;
    box.south = midLat - latSpan / 2.0;
    box.north = midLat + latSpan / 2.0;
    if (box.north > 90.0) {
        box.south -= box.north - 90.0;
        box.north = 90.0;
    }
    if (box.south < -90.0) {
        box.north += -90.0 - box.south;
        box.south = -90.0;
    }
    return {box.west, box.north, frame.x, frame.y, perDegree * shrink, perDegree};
}

// Projects a line of the earth, leaving out points closer than half a pixel
// to the last one kept.
std::vector<Pt> project(const std::vector<LonLat>& points, const Projection& proj) {
    std::vector<Pt> out;
    out.reserve(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        const Pt p = proj(points[i].lon, points[i].lat);
        if (!out.empty() && i + 1 < points.size() && std::abs(p.x - out.back().x) < 0.5 &&
            std::abs(p.y - out.back().y) < 0.5) {
            continue;
        }
        out.push_back(p);
    }
    return out;
}

struct Sizes {
    double pt;    // pixels per point
    double title; // font sizes in pixels
    double label;
    double field;
    double legend;
    double margin;
};

void addGrid(Scene& scene, const GeoBox& box, const Sizes& sz) {
    const Projection& proj = scene.projection;
    const bool squares = proj.yPerDegree >= kSquareLineMinPx;
    const double top = scene.frame.y;
    const double bottom = scene.frame.y + scene.frame.h;
    const double left = scene.frame.x;
    const double right = scene.frame.x + scene.frame.w;
    for (double lon = std::ceil(box.west / 2.0) * 2.0; lon <= box.east; lon += 2.0) {
        const bool field = std::fmod(lon + 180.0 + 3600.0, 20.0) == 0.0;
        if (field || squares) {
            const double x = proj(lon, 0.0).x;
            scene.map.emplace_back(Line{{{x, top}, {x, bottom}},
                                        field ? kFieldLine : kSquareLine,
                                        (field ? 1.0 : 0.4) * sz.pt});
        }
    }
    for (double lat = std::ceil(box.south); lat <= box.north; lat += 1.0) {
        const bool field = std::fmod(lat + 90.0, 10.0) == 0.0;
        if (field || squares) {
            const double y = proj(0.0, lat).y;
            scene.map.emplace_back(Line{{{left, y}, {right, y}},
                                        field ? kFieldLine : kSquareLine,
                                        (field ? 1.0 : 0.4) * sz.pt});
        }
    }
}

void addFieldLetters(Scene& scene, const GeoBox& box, const Sizes& sz) {
    const Projection& proj = scene.projection;
    for (double west = std::floor((box.west + 180.0) / 20.0) * 20.0 - 180.0; west < box.east;
         west += 20.0) {
        for (double south = std::floor((box.south + 90.0) / 10.0) * 10.0 - 90.0; south < box.north;
             south += 10.0) {
            const int col = static_cast<int>(std::lround((west + 180.0) / 20.0));
            const int row = static_cast<int>(std::lround((south + 90.0) / 10.0));
            if (col < 0 || col > 17 || row < 0 || row > 17) {
                continue;
            }
            const Pt topLeft = proj(std::max(west, box.west), std::min(south + 10.0, box.north));
            const Pt bottomRight =
                proj(std::min(west + 20.0, box.east), std::max(south, box.south));
            if (bottomRight.x - topLeft.x < 2.5 * sz.field ||
                bottomRight.y - topLeft.y < 2.0 * sz.field) {
                continue;
            }
            const std::string name{static_cast<char>('A' + col), static_cast<char>('A' + row)};
            scene.map.emplace_back(Label{{topLeft.x + 0.4 * sz.field, topLeft.y + 1.2 * sz.field},
                                         name,
                                         sz.field,
                                         Anchor::Start,
                                         true,
                                         kFieldText,
                                         kHalo});
        }
    }
}

Rgba colourOf(int points, const std::vector<PointClass>& classes) {
    for (const PointClass& c : classes) {
        if (points >= c.low && points <= c.high) {
            return c.colour;
        }
    }
    return classes.back().colour;
}

void addSquares(Scene& scene, const std::vector<SquareSummary>& worked,
                const std::vector<PointClass>& classes) {
    const Projection& proj = scene.projection;
    for (const SquareSummary& s : worked) {
        const Rgba colour = colourOf(s.bestPoints, classes);
        const Pt nw = proj(s.square.west(), s.square.south() + 1.0);
        const Pt se = proj(s.square.west() + 2.0, s.square.south());
        scene.map.emplace_back(Box{nw.x,
                                   nw.y,
                                   se.x - nw.x,
                                   se.y - nw.y,
                                   colour,
                                   {0, 0, 0, 0},
                                   0.0,
                                   s.square.name() + ": beste QRB-Punkte " +
                                       std::to_string(s.bestPoints) + ", " +
                                       contactsText(s.contacts)});
    }
}

// Writes name and number of contacts into each worked square that has room;
// returns the own squares that got them.
std::vector<int> addSquareTexts(Scene& scene, const std::vector<SquareSummary>& worked,
                                const std::vector<PointClass>& classes,
                                const std::vector<int>& ownKeys, const Sizes& sz) {
    const Projection& proj = scene.projection;
    std::vector<int> ownWritten;
    for (const SquareSummary& s : worked) {
        const Pt nw = proj(s.square.west(), s.square.south() + 1.0);
        const Pt se = proj(s.square.west() + 2.0, s.square.south());
        const double w = se.x - nw.x;
        const double h = se.y - nw.y;
        const bool own = std::find(ownKeys.begin(), ownKeys.end(), s.square.key()) != ownKeys.end();
        const std::string count = std::to_string(s.contacts);
        const std::string name = s.square.name();
        const double size = sz.label;
        // The colour behind the text decides between dark and light letters.
        const Rgba ink = dark(colourOf(s.bestPoints, classes)) ? kWhite : kText;
        const double cx = nw.x + w / 2.0;
        const double lines = own ? 3.4 : 2.6;
        if (w >= textWidth(name, size) + 0.6 * size && h >= lines * size) {
            const double top = nw.y + (h - 2.2 * size) / 2.0 + (own ? 0.6 * size : 0.0);
            scene.map.emplace_back(
                Label{{cx, top + 0.9 * size}, name, size, Anchor::Middle, false, ink});
            scene.map.emplace_back(
                Label{{cx, top + 2.0 * size}, count, size, Anchor::Middle, true, ink});
            if (own) {
                ownWritten.push_back(s.square.key());
            }
        } else if (!own && w >= textWidth(count, size) + 0.4 * size && h >= 1.3 * size) {
            scene.map.emplace_back(
                Label{{cx, nw.y + h / 2.0 + 0.36 * size}, count, size, Anchor::Middle, true, ink});
        }
    }
    return ownWritten;
}

void addOwn(Scene& scene, const std::vector<Square>& own, const std::vector<int>& written,
            const Sizes& sz) {
    const Projection& proj = scene.projection;
    for (const Square& s : own) {
        const Pt nw = proj(s.west(), s.south() + 1.0);
        const Pt se = proj(s.west() + 2.0, s.south());
        const double w = se.x - nw.x;
        const double h = se.y - nw.y;
        const double line = std::min(2.5 * sz.pt, std::min(w, h) / 6.0);
        scene.map.emplace_back(Box{nw.x + line / 2.0,
                                   nw.y + line / 2.0,
                                   w - line,
                                   h - line,
                                   {0, 0, 0, 0},
                                   kOwn,
                                   line,
                                   {}});
        const double r = std::max(1.5, std::min(3.0 * sz.pt, std::min(w, h) / 5.0));
        // Above the texts when they are written in the square, else in its middle.
        const bool texts = std::find(written.begin(), written.end(), s.key()) != written.end();
        const double y = texts ? nw.y + 0.25 * h : nw.y + h / 2.0;
        scene.map.emplace_back(Dot{{nw.x + w / 2.0, y}, r, kOwn});
    }
}

void addLegend(Scene& scene, const std::vector<PointClass>& classes, bool anyWorked,
               const Sizes& sz, double x) {
    const double size = sz.legend;
    double y = scene.frame.y + size;
    scene.overlay.emplace_back(Label{{x, y}, "QRB-Punkte", size, Anchor::Start, true, kText});
    y += 0.8 * size;
    const double box = 1.3 * size;
    if (anyWorked) {
        for (auto it = classes.rbegin(); it != classes.rend(); ++it) {
            scene.overlay.emplace_back(
                Box{x, y, box, box, it->colour, {80, 80, 80, 255}, 0.5 * sz.pt, {}});
            const std::string text =
                it->low == it->high ? std::to_string(it->low)
                                    : std::to_string(it->low) + "\u2013" + std::to_string(it->high);
            scene.overlay.emplace_back(Label{
                {x + box + 0.5 * size, y + 0.95 * size}, text, size, Anchor::Start, false, kText});
            y += box + 0.3 * size;
        }
    } else {
        scene.overlay.emplace_back(
            Label{{x, y + size}, "keine Verbindung", size, Anchor::Start, false, kText});
        y += box + 0.3 * size;
    }
    y += 0.8 * size;
    const double line = 2.0 * sz.pt;
    scene.overlay.emplace_back(
        Box{x + line / 2.0, y + line / 2.0, box - line, box - line, {0, 0, 0, 0}, kOwn, line, {}});
    scene.overlay.emplace_back(Dot{{x + box / 2.0, y + box / 2.0}, 0.18 * box, kOwn});
    scene.overlay.emplace_back(Label{{x + box + 0.5 * size, y + 0.95 * size},
                                     "eigener Locator",
                                     size,
                                     Anchor::Start,
                                     false,
                                     kText});
    y += box + 1.0 * size;
    scene.overlay.emplace_back(Label{{x, y}, "Zahl im Feld:", size, Anchor::Start, false, kText});
    scene.overlay.emplace_back(
        Label{{x, y + 1.2 * size}, "Verbindungen", size, Anchor::Start, false, kText});
}

} // namespace

std::string Square::name() const {
    return {static_cast<char>('A' + fieldLon), static_cast<char>('A' + fieldLat),
            static_cast<char>('0' + lon), static_cast<char>('0' + lat)};
}

bool parseSquare(std::string_view locator, Square& square) {
    if (locator.size() < 4) {
        return false;
    }
    auto letter = [](char c) {
        const char up = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        return up >= 'A' && up <= 'R' ? up - 'A' : -1;
    };
    auto digit = [](char c) { return c >= '0' && c <= '9' ? c - '0' : -1; };
    const Square s{letter(locator[0]), letter(locator[1]), digit(locator[2]), digit(locator[3])};
    if (s.fieldLon < 0 || s.fieldLat < 0 || s.lon < 0 || s.lat < 0) {
        return false;
    }
    square = s;
    return true;
}

bool SquareTally::add(std::string_view locator, int qrbPoints, int band) {
    if (band_ != kAllBands && band != band_) {
        return false;
    }
    Square square;
    if (!parseSquare(locator, square)) {
        ++unplaced_;
        return false;
    }
    SquareSummary& s =
        bySquare_.try_emplace(square.key(), SquareSummary{square, qrbPoints, 0}).first->second;
    s.bestPoints = std::max(s.bestPoints, qrbPoints);
    ++s.contacts;
    return true;
}

std::vector<SquareSummary> SquareTally::squares() const {
    std::vector<SquareSummary> out;
    out.reserve(bySquare_.size());
    for (const auto& [key, s] : bySquare_) {
        out.push_back(s);
    }
    return out;
}

std::vector<PointClass> pointClasses(int lowest, int highest) {
    if (highest < lowest) {
        std::swap(lowest, highest);
    }
    const long range = static_cast<long>(highest) - lowest + 1;
    const long width = (range + kMaxClasses - 1) / kMaxClasses;
    const long count = (range + width - 1) / width;
    std::vector<PointClass> classes;
    for (long i = 0; i < count; ++i) {
        const double t = count == 1 ? 1.0 : static_cast<double>(i) / static_cast<double>(count - 1);
        const long low = lowest + i * width;
        const long high = std::min<long>(highest, low + width - 1);
        classes.push_back({static_cast<int>(low), static_cast<int>(high), scaleColour(t)});
    }
    return classes;
}

Scene drawMap(const MapInput& in) {
    Scene scene;
    scene.width = std::max(1, in.widthPx);
    scene.height = std::max(1, in.heightPx);
    const double dpi = in.dpi > 0.0 ? in.dpi : 150.0;
    // Text sizes follow the resolution, but stay in proportion on small pictures.
    const double pt = std::min(dpi / 72.0, std::min(scene.width, scene.height) / 400.0);
    Sizes sz{pt, 13.0 * pt, 8.0 * pt, 12.0 * pt, 8.5 * pt, 10.0 * pt};

    const std::vector<SquareSummary> worked = in.tally.squares();
    std::vector<Square> own;
    std::vector<int> ownKeys;
    for (const std::string& locator : in.ownSquares) {
        Square s;
        if (parseSquare(locator, s) &&
            std::find(ownKeys.begin(), ownKeys.end(), s.key()) == ownKeys.end()) {
            own.push_back(s);
            ownKeys.push_back(s.key());
        }
    }
    int lowest = 0;
    int highest = 0;
    if (!worked.empty()) {
        const auto [lo, hi] = std::minmax_element(
            worked.begin(), worked.end(), [](const SquareSummary& a, const SquareSummary& b) {
                return a.bestPoints < b.bestPoints;
            });
        lowest = lo->bestPoints;
        highest = hi->bestPoints;
    }
    const std::vector<PointClass> classes = pointClasses(lowest, highest);

    // Title on top, legend on the right, the map in the rest.
    const std::string title = titleLine(in.title);
    double titleSize = sz.title;
    titleSize =
        std::min(titleSize, (scene.width - 2.0 * sz.margin) / (textWidth(title, 1.0) + 1.0));
    const double legendWidth = 2.0 * sz.margin + 11.0 * sz.legend;
    scene.frame = Box{sz.margin,
                      sz.margin + 1.8 * titleSize,
                      std::max(1.0, scene.width - legendWidth - sz.margin),
                      std::max(1.0, scene.height - 2.8 * sz.margin - 1.8 * titleSize),
                      {0, 0, 0, 0},
                      kText,
                      0.8 * pt,
                      {}};
    scene.description = title;

    GeoBox box = areaOf(worked, own);
    scene.projection = fit(box, scene.frame);

    scene.map.emplace_back(Box{
        scene.frame.x, scene.frame.y, scene.frame.w, scene.frame.h, kSea, {0, 0, 0, 0}, 0.0, {}});
    const Geography geo = loadGeography(box, scene.projection.yPerDegree);
    FillArea land{{}, kLand};
    land.rings.reserve(geo.land.size());
    for (const std::vector<LonLat>& ring : geo.land) {
        land.rings.push_back(project(ring, scene.projection));
    }
    if (!land.rings.empty()) {
        scene.map.emplace_back(std::move(land));
    }
    addSquares(scene, worked, classes);
    for (const std::vector<LonLat>& coast : geo.coasts) {
        scene.map.emplace_back(Line{project(coast, scene.projection), kCoast, 0.5 * pt});
    }
    for (const std::vector<LonLat>& border : geo.borders) {
        scene.map.emplace_back(Line{project(border, scene.projection), kBorder, 0.6 * pt});
    }
    addGrid(scene, box, sz);
    const std::vector<int> written = addSquareTexts(scene, worked, classes, ownKeys, sz);
    addOwn(scene, own, written, sz);
    addFieldLetters(scene, box, sz);

    scene.overlay.emplace_back(
        Label{{sz.margin, sz.margin + titleSize}, title, titleSize, Anchor::Start, true, kText});
    scene.overlay.emplace_back(scene.frame);
    addLegend(scene, classes, !worked.empty(), sz, scene.frame.x + scene.frame.w + sz.margin);
    return scene;
}

} // namespace qrb::map
