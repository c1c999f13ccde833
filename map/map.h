// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A map of the worked locator squares, as a list of drawing primitives that
// every backend (SVG here, the toolkit's painter in map/qt/) draws alike.
//
//   qrb::map::MapInput in;
//   in.tally = qrb::map::SquareTally(1);          // 144 MHz only; kAllBands for all
//   for (each scored contact) in.tally.add(square, points * multiplier, band);
//   in.ownSquares = {"JO62"};
//   in.title = {"DL1ABC", "JO62QM", "144", "2023-05-06 – 2023-05-07"};
//   std::string error;
//   if (!qrb::map::writeSvg(in, "map.svg", error)) { report error }
//
// PNG files and pages of a print or PDF are drawn by map/qt/qt_map.h.

#include "map/scene.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace qrb::map {

// Band index as in scoring/bands.h; kAllBands keeps the contacts of every band.
inline constexpr int kAllBands = -1;

// A locator square: field letters A..R east and north, square digits 0..9.
struct Square {
    int fieldLon = 0; // 0..17, 20 degrees each from 180 W
    int fieldLat = 0; // 0..17, 10 degrees each from 90 S
    int lon = 0;      // 0..9, 2 degrees each
    int lat = 0;      // 0..9, 1 degree each

    double west() const { return -180.0 + 20.0 * fieldLon + 2.0 * lon; }
    double south() const { return -90.0 + 10.0 * fieldLat + lat; }
    std::string name() const;
    int key() const { return ((fieldLon * 18 + fieldLat) * 10 + lon) * 10 + lat; }
};

// The square of a locator of four or more characters (letters in either
// case); false for anything that is no square.
bool parseSquare(std::string_view locator, Square& square);

// What the map shows of one worked square.
struct SquareSummary {
    Square square;
    int bestPoints = 0; // the highest QRB points (points x multiplier) scored in it
    int contacts = 0;
};

// Collects the scored contacts square by square as they come, so that its
// size depends on the squares worked, never on the number of contacts.
class SquareTally {
public:
    // Keeps only the contacts of this band index, or of all bands.
    explicit SquareTally(int band = kAllBands) : band_(band) {}

    // Counts one scored contact. False, and not counted, when the locator is
    // no square or the contact is on another band than the one kept.
    bool add(std::string_view locator, int qrbPoints, int band);

    // The worked squares, west to east, then south to north.
    std::vector<SquareSummary> squares() const;
    std::size_t size() const { return bySquare_.size(); }
    int band() const { return band_; }
    // Contacts of the kept band whose locator was no square.
    int unplaced() const { return unplaced_; }

private:
    int band_;
    int unplaced_ = 0;
    std::map<int, SquareSummary> bySquare_;
};

// Water, land and the mark of the own squares.
inline constexpr Rgba kSeaColour{198, 219, 239, 255};
inline constexpr Rgba kLandColour{238, 232, 212, 255};
inline constexpr Rgba kOwnColour{0, 45, 180, 255};

// A class of points on the colour scale, from low to high inclusive.
struct PointClass {
    int low = 0;
    int high = 0;
    Rgba colour;
};

// The colour scale for points from lowest to highest: at most six classes of
// equal width, pale yellow for the fewest points to dark purple for the most.
std::vector<PointClass> pointClasses(int lowest, int highest);

// The lines of the title, as the caller wants them shown; empty ones are left out.
struct MapTitle {
    std::string station;   // call of the station
    std::string ownSquare; // own locator(s) as written in the log
    std::string band;      // band caption ("144", "1.2"); empty: all bands
    std::string dateRange; // e.g. "2023-05-06 – 2023-05-07"
};

struct MapInput {
    SquareTally tally;
    std::vector<std::string> ownSquares; // locators; each one's square is marked
    MapTitle title;
    int widthPx = 1754; // A4 landscape at 150 dpi
    int heightPx = 1240;
    double dpi = 150.0; // text sizes and line widths are given in points
};

// The drawing of the map in pixels of in.widthPx x in.heightPx, with the
// coastlines and borders compiled into the program.
Scene drawMap(const MapInput& in);

// Writes the map as an SVG file. False with the reason in error when the
// file cannot be written.
bool writeSvg(const MapInput& in, const std::string& path, std::string& error);

} // namespace qrb::map
