// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Coastlines and country borders from the asset compiled into the program
// (map/coast_asset.h).

#include <cstdint>
#include <span>
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

// What lies in box, in the coarsest resolution that still looks smooth at
// pixelsPerDegree where the asset holds it, else in the finest it holds
// there. Empty where the asset is damaged (the build checks the one compiled
// in).
Geography loadGeography(std::span<const std::uint8_t> asset, const GeoBox& box,
                        double pixelsPerDegree);
Geography loadGeography(const GeoBox& box, double pixelsPerDegree);

} // namespace qrb::map
