// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// GSHHG's binned netCDF files (Debian: gmt-gshhg-low) read into the layers
// of the coastline asset, at the build only: the program never reads them.

#include "map/coast_asset.h"

#include <string>

namespace qrb::map::coast {

// A rectangle of the earth in degrees, on the bins of the file it is cut
// from; west may be below 0 or -180 (columns wrap round).
struct Region {
    double west = -180.0;
    double east = 180.0;
    double south = -90.0;
    double north = 90.0;
};

// Reads the shores (binned_GSHHS_X.nc) or borders (binned_border_X.nc) in
// region from the file at path, each point rounded to 2^bits steps of its
// bin, a point that rounds onto the one before left out. Shores keep every
// level from land to pond, borders only those between countries. False with
// the reason in error when the file cannot be read or the region does not
// lie on its bins.
bool readGshhg(const std::string& path, Kind kind, char resolution, int bits, const Region& region,
               Layer& out, std::string& error);

} // namespace qrb::map::coast
