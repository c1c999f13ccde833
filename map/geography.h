// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Coastlines and country borders from the binned GSHHG files GMT uses
// (Debian: gmt-gshhg-low and friends), read with libnetcdf.

#include <string>
#include <vector>

namespace qrb::map {

struct LonLat {
    double lon = 0.0;
    double lat = 0.0;
};

// A stretch of the earth in degrees; west may be below -180 or east above 180.
struct GeoBox {
    double west = 0.0;
    double east = 0.0;
    double south = 0.0;
    double north = 0.0;
};

struct Geography {
    // Land under the non-zero winding rule: rings counter-clockwise in
    // longitude/latitude are land, clockwise ones are lakes cut out of it.
    // Clipped to the box asked for.
    std::vector<std::vector<LonLat>> land;
    std::vector<std::vector<LonLat>> coasts;  // shorelines of sea and lakes
    std::vector<std::vector<LonLat>> borders; // borders between countries
};

// Reads what lies in box from the files in dir, in the coarsest resolution
// that still looks smooth at pixelsPerDegree. False with the reason in error
// when no file can be read.
bool loadGeography(const std::string& dir, const GeoBox& box, double pixelsPerDegree,
                   Geography& out, std::string& error);

} // namespace qrb::map
