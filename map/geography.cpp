// SPDX-License-Identifier: GPL-3.0-or-later
// The binned files cut the earth into bins of equal size in degrees, rows
// from the north pole down, columns from Greenwich eastward. In a bin, each
// shoreline piece either runs closed inside it or enters through one side and
// leaves through another; land always lies to the left of the direction its
// points run in. Points are stored as 16-bit fractions of the bin's size
// from its south-west corner. A bin crossed by no shoreline carries the
// level of its corners: odd levels are land (1 land, 3 island in a lake),
// even ones water (0 sea, 2 lake, 4 pond in an island).

#include "map/geography.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <dlfcn.h>
#include <filesystem>
#include <netcdf.h>

namespace qrb::map {
namespace {

struct Resolution {
    char letter;
    double km; // size of the smallest feature kept
};

// Coarse to fine.
constexpr std::array<Resolution, 5> kResolutions{{
    {'c', 25.0},
    {'l', 5.0},
    {'i', 1.0},
    {'h', 0.2},
    {'f', 0.04},
}};

constexpr double kKmPerDegree = 111.2;
constexpr double kFraction = 65535.0;
constexpr int kClosed = 4;   // side value of a piece that runs closed within its bin
constexpr int kMaxLevel = 4; // higher levels are the two Antarctic variants

// libnetcdf, loaded on the first map with coastlines: it brings HDF5 and a
// network stack with it, which every other run of the program (a CSV of a
// million contacts, say) would otherwise load and pay for in memory.
struct NetCdf {
    decltype(&::nc_open) open = nullptr;
    decltype(&::nc_close) close = nullptr;
    decltype(&::nc_inq_varid) inqVarid = nullptr;
    decltype(&::nc_inq_varndims) inqVarndims = nullptr;
    decltype(&::nc_inq_vardimid) inqVardimid = nullptr;
    decltype(&::nc_inq_dimlen) inqDimlen = nullptr;
    decltype(&::nc_get_vara_int) getVaraInt = nullptr;
    decltype(&::nc_get_vara_short) getVaraShort = nullptr;

    bool loaded() const {
        return open && close && inqVarid && inqVarndims && inqVardimid && inqDimlen && getVaraInt &&
               getVaraShort;
    }
};

template <class F> void resolve(void* library, const char* name, F& function) {
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast): dlsym's contract
    function = reinterpret_cast<F>(dlsym(library, name));
}

// Null when the library is missing: the map is then drawn without coastlines.
const NetCdf* netCdf() {
    static const NetCdf* const library = []() -> const NetCdf* {
        void* handle = dlopen("libnetcdf.so.19", RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            handle = dlopen("libnetcdf.so", RTLD_NOW | RTLD_LOCAL);
        }
        if (handle == nullptr) {
            return nullptr;
        }
        static NetCdf functions;
        resolve(handle, "nc_open", functions.open);
        resolve(handle, "nc_close", functions.close);
        resolve(handle, "nc_inq_varid", functions.inqVarid);
        resolve(handle, "nc_inq_varndims", functions.inqVarndims);
        resolve(handle, "nc_inq_vardimid", functions.inqVardimid);
        resolve(handle, "nc_inq_dimlen", functions.inqDimlen);
        resolve(handle, "nc_get_vara_int", functions.getVaraInt);
        resolve(handle, "nc_get_vara_short", functions.getVaraShort);
        return functions.loaded() ? &functions : nullptr;
    }();
    return library;
}

int getVara(int nc, int var, const std::size_t* start, const std::size_t* count, int* out) {
    return netCdf()->getVaraInt(nc, var, start, count, out);
}
int getVara(int nc, int var, const std::size_t* start, const std::size_t* count, short* out) {
    return netCdf()->getVaraShort(nc, var, start, count, out);
}

class NcFile {
public:
    explicit NcFile(const std::string& path) {
        open_ = netCdf() != nullptr && netCdf()->open(path.c_str(), NC_NOWRITE, &id_) == NC_NOERR;
        ok_ = open_;
    }
    ~NcFile() {
        if (open_) {
            netCdf()->close(id_);
        }
    }
    NcFile(const NcFile&) = delete;
    NcFile& operator=(const NcFile&) = delete;

    // Once a read fails, every later one fails too and ok() tells.
    bool ok() const { return ok_; }

    template <class T> std::vector<T> read(const char* name, std::size_t start, std::size_t count) {
        std::vector<T> values;
        int var = 0;
        if (count == 0 || !ok_) {
            return values;
        }
        // A damaged file may point anywhere: only what the variable holds is read.
        int dims = 0;
        int dim = 0;
        std::size_t length = 0;
        if (netCdf()->inqVarid(id_, name, &var) != NC_NOERR ||
            netCdf()->inqVarndims(id_, var, &dims) != NC_NOERR || dims != 1 ||
            netCdf()->inqVardimid(id_, var, &dim) != NC_NOERR ||
            netCdf()->inqDimlen(id_, dim, &length) != NC_NOERR || start > length ||
            count > length - start) {
            ok_ = false;
            return values;
        }
        values.resize(count);
        if (getVara(id_, var, &start, &count, values.data()) != NC_NOERR) {
            ok_ = false;
            std::fill(values.begin(), values.end(), T{});
        }
        return values;
    }

    int scalar(const char* name) {
        const std::vector<int> v = read<int>(name, 0, 1);
        return v.empty() ? 0 : v.front();
    }

private:
    int id_ = 0;
    bool open_ = false;
    bool ok_ = false;
};

// The bins of a file and which of them lie in a box.
struct BinGrid {
    double size = 0.0; // degrees
    int columns = 0;
    int rows = 0;

    bool read(NcFile& file) {
        size = file.scalar("Bin_size_in_minutes") / 60.0;
        columns = file.scalar("N_bins_in_360_longitude_range");
        rows = file.scalar("N_bins_in_180_degree_latitude_range");
        return file.ok() && size > 0.0 && columns > 0 && rows > 0 &&
               std::abs(columns * size - 360.0) < 1e-6;
    }

    // Calls visit(bin, west, south) for each bin in box, with west counted in
    // the box's own range of longitudes.
    template <class Visit> void forEachIn(const GeoBox& box, Visit visit) const {
        const int firstRow = std::max(0, static_cast<int>(std::floor((90.0 - box.north) / size)));
        const int lastRow =
            std::min(rows - 1, static_cast<int>(std::ceil((90.0 - box.south) / size)) - 1);
        // Once round the earth at most: a wider box gets 180 W to 180 E.
        const bool round = box.east - box.west >= 360.0;
        const int firstCol = static_cast<int>(std::floor((round ? -180.0 : box.west) / size));
        const int lastCol =
            round ? firstCol + columns - 1 : static_cast<int>(std::ceil(box.east / size)) - 1;
        for (int row = firstRow; row <= lastRow; ++row) {
            for (int col = firstCol; col <= lastCol; ++col) {
                const int wrapped = ((col % columns) + columns) % columns;
                visit(row * columns + wrapped, col * size, 90.0 - (row + 1) * size);
            }
        }
    }
};

bool overlaps(const std::vector<LonLat>& points, const GeoBox& box) {
    double west = 1e9;
    double east = -1e9;
    double south = 1e9;
    double north = -1e9;
    for (const LonLat& p : points) {
        west = std::min(west, p.lon);
        east = std::max(east, p.lon);
        south = std::min(south, p.lat);
        north = std::max(north, p.lat);
    }
    return west <= box.east && east >= box.west && south <= box.north && north >= box.south;
}

// Cuts a ring down to the box, one side of the box after the other. Parts of
// a ring that leave and come back are joined along the box's edge, which
// covers nothing more.
std::vector<LonLat> clipRing(std::vector<LonLat> ring, const GeoBox& box) {
    auto clip = [&ring](auto inside, auto cross) {
        std::vector<LonLat> out;
        out.reserve(ring.size() + 4);
        for (std::size_t i = 0; i < ring.size(); ++i) {
            const LonLat& a = ring[i];
            const LonLat& b = ring[(i + 1) % ring.size()];
            const bool ina = inside(a);
            const bool inb = inside(b);
            if (ina) {
                out.push_back(a);
            }
            if (ina != inb) {
                out.push_back(cross(a, b));
            }
        }
        ring.swap(out);
    };
    auto atLon = [](double lon) {
        return [lon](const LonLat& a, const LonLat& b) {
            return LonLat{lon, a.lat + (b.lat - a.lat) * (lon - a.lon) / (b.lon - a.lon)};
        };
    };
    auto atLat = [](double lat) {
        return [lat](const LonLat& a, const LonLat& b) {
            return LonLat{a.lon + (b.lon - a.lon) * (lat - a.lat) / (b.lat - a.lat), lat};
        };
    };
    clip([&box](const LonLat& p) { return p.lon >= box.west; }, atLon(box.west));
    clip([&box](const LonLat& p) { return p.lon <= box.east; }, atLon(box.east));
    clip([&box](const LonLat& p) { return p.lat >= box.south; }, atLat(box.south));
    clip([&box](const LonLat& p) { return p.lat <= box.north; }, atLat(box.north));
    return ring;
}

// A shoreline piece that crosses its bin, with where it enters and leaves
// measured counter-clockwise round the bin's edge: 0 south-west corner,
// 1 south-east, 2 north-east, 3 north-west.
struct Crossing {
    std::vector<LonLat> points;
    double enters = 0.0;
    double leaves = 0.0;
    bool used = false;
};

double roundEdge(int side, double fx, double fy) {
    switch (side) {
    case 0:
        return fx;
    case 1:
        return 1.0 + fy;
    case 2:
        return 3.0 - fx;
    default:
        return 4.0 - fy;
    }
}

// Joins the crossing pieces of one bin into land rings: from where a piece
// leaves, the bin's edge is land counter-clockwise up to where the next piece
// enters.
void joinCrossings(std::vector<Crossing>& pieces, double west, double south, double size,
                   std::vector<std::vector<LonLat>>& rings) {
    const std::array<LonLat, 4> corners{
        {{west, south}, {west + size, south}, {west + size, south + size}, {west, south + size}}};
    for (std::size_t first = 0; first < pieces.size(); ++first) {
        if (pieces[first].used) {
            continue;
        }
        std::vector<LonLat> ring;
        std::size_t current = first;
        for (std::size_t guard = 0; guard <= pieces.size(); ++guard) {
            Crossing& piece = pieces[current];
            piece.used = true;
            ring.insert(ring.end(), piece.points.begin(), piece.points.end());
            std::size_t next = first;
            double best = 5.0;
            for (std::size_t k = 0; k < pieces.size(); ++k) {
                if (pieces[k].used && k != first) {
                    continue;
                }
                const double d = std::fmod(pieces[k].enters - piece.leaves + 4.0, 4.0);
                if (d < best) {
                    best = d;
                    next = k;
                }
            }
            for (double corner = std::floor(piece.leaves) + 1.0; corner < piece.leaves + best;
                 corner += 1.0) {
                ring.push_back(corners[static_cast<int>(corner) % 4]);
            }
            if (next == first) {
                break;
            }
            current = next;
        }
        rings.push_back(std::move(ring));
    }
}

bool readShores(const std::string& path, const GeoBox& box, Geography& out) {
    NcFile file(path);
    BinGrid grid;
    if (!file.ok() || !grid.read(file)) {
        return false;
    }
    const auto bins = static_cast<std::size_t>(grid.rows) * static_cast<std::size_t>(grid.columns);
    const std::vector<int> firstSegment = file.read<int>("Id_of_first_segment_in_a_bin", 0, bins);
    const std::vector<short> segmentCount = file.read<short>("N_segments_in_a_bin", 0, bins);
    const std::vector<short> nodeLevels =
        file.read<short>("Embedded_node_levels_in_a_bin", 0, bins);
    if (!file.ok()) {
        return false;
    }
    grid.forEachIn(box, [&](int bin, double west, double south) {
        const auto segments =
            static_cast<std::size_t>(static_cast<std::uint16_t>(segmentCount[bin]));
        const auto first = static_cast<std::size_t>(firstSegment[bin]);
        const std::vector<int> info =
            file.read<int>("Embedded_npts_levels_exit_entry_for_a_segment", first, segments);
        const std::vector<int> firstPoint =
            file.read<int>("Id_of_first_point_in_a_segment", first, segments);
        if (!file.ok()) {
            return;
        }
        std::size_t pointStart = 0;
        std::size_t pointCount = 0;
        if (segments > 0) {
            pointStart = static_cast<std::size_t>(firstPoint.front());
            pointCount = static_cast<std::size_t>(firstPoint.back()) +
                         static_cast<std::size_t>(info.back() >> 9) - pointStart;
        }
        const std::vector<short> lons =
            file.read<short>("Relative_longitude_from_SW_corner_of_bin", pointStart, pointCount);
        const std::vector<short> lats =
            file.read<short>("Relative_latitude_from_SW_corner_of_bin", pointStart, pointCount);
        if (!file.ok()) {
            return;
        }
        std::vector<Crossing> crossings;
        std::vector<std::vector<LonLat>> rings;
        for (std::size_t s = 0; s < segments; ++s) {
            const int n = info[s] >> 9;
            const int level = (info[s] >> 6) & 7;
            const int entrySide = (info[s] >> 3) & 7;
            const int exitSide = info[s] & 7;
            const auto offset = static_cast<std::size_t>(firstPoint[s]) - pointStart;
            if (n < 2 || level < 1 || level > kMaxLevel || offset > pointCount ||
                static_cast<std::size_t>(n) > pointCount - offset) {
                continue;
            }
            std::vector<LonLat> points;
            points.reserve(static_cast<std::size_t>(n));
            for (std::size_t p = offset; p < offset + static_cast<std::size_t>(n); ++p) {
                points.push_back(
                    {west + static_cast<std::uint16_t>(lons[p]) / kFraction * grid.size,
                     south + static_cast<std::uint16_t>(lats[p]) / kFraction * grid.size});
            }
            if (overlaps(points, box)) {
                out.coasts.push_back(points);
            }
            if (entrySide == kClosed || exitSide == kClosed) {
                rings.push_back(std::move(points));
                continue;
            }
            const LonLat in = points.front();
            const LonLat outPt = points.back();
            const double enters =
                roundEdge(entrySide, (in.lon - west) / grid.size, (in.lat - south) / grid.size);
            const double leaves = roundEdge(exitSide, (outPt.lon - west) / grid.size,
                                            (outPt.lat - south) / grid.size);
            crossings.push_back({std::move(points), enters, leaves, false});
        }
        if (crossings.empty()) {
            // No shore crosses the bin: its corners tell land from water.
            if ((nodeLevels[bin] & 7) % 2 == 1) {
                rings.push_back({{west, south},
                                 {west + grid.size, south},
                                 {west + grid.size, south + grid.size},
                                 {west, south + grid.size}});
            }
        } else {
            joinCrossings(crossings, west, south, grid.size, rings);
        }
        for (std::vector<LonLat>& ring : rings) {
            if (overlaps(ring, box)) {
                std::vector<LonLat> clipped = clipRing(std::move(ring), box);
                if (clipped.size() >= 3) {
                    out.land.push_back(std::move(clipped));
                }
            }
        }
    });
    return file.ok();
}

bool readBorders(const std::string& path, const GeoBox& box, Geography& out) {
    NcFile file(path);
    BinGrid grid;
    if (!file.ok() || !grid.read(file)) {
        return false;
    }
    const auto bins = static_cast<std::size_t>(grid.rows) * static_cast<std::size_t>(grid.columns);
    const std::vector<int> firstSegment = file.read<int>("Id_of_first_segment_in_a_bin", 0, bins);
    const std::vector<short> segmentCount = file.read<short>("N_segments_in_a_bin", 0, bins);
    if (!file.ok()) {
        return false;
    }
    grid.forEachIn(box, [&](int bin, double west, double south) {
        const auto segments =
            static_cast<std::size_t>(static_cast<std::uint16_t>(segmentCount[bin]));
        const auto first = static_cast<std::size_t>(firstSegment[bin]);
        const std::vector<short> counts =
            file.read<short>("N_points_for_a_segment", first, segments);
        const std::vector<short> levels =
            file.read<short>("Hierarchial_level_of_a_segment", first, segments);
        const std::vector<int> firstPoint =
            file.read<int>("Id_of_first_point_in_a_segment", first, segments);
        for (std::size_t s = 0; s < segments && file.ok(); ++s) {
            const auto n = static_cast<std::size_t>(static_cast<std::uint16_t>(counts[s]));
            if (levels[s] != 1 || n < 2) { // 1: between countries
                continue;
            }
            const auto start = static_cast<std::size_t>(firstPoint[s]);
            const std::vector<short> lons =
                file.read<short>("Relative_longitude_from_SW_corner_of_bin", start, n);
            const std::vector<short> lats =
                file.read<short>("Relative_latitude_from_SW_corner_of_bin", start, n);
            if (!file.ok()) {
                break;
            }
            std::vector<LonLat> points;
            points.reserve(n);
            for (std::size_t p = 0; p < n; ++p) {
                points.push_back(
                    {west + static_cast<std::uint16_t>(lons[p]) / kFraction * grid.size,
                     south + static_cast<std::uint16_t>(lats[p]) / kFraction * grid.size});
            }
            if (overlaps(points, box)) {
                out.borders.push_back(std::move(points));
            }
        }
    });
    return file.ok();
}

// The resolutions to try: the coarsest fine enough first, then finer ones,
// then coarser ones.
std::vector<char> resolutionOrder(double pixelsPerDegree) {
    const double pixelKm = kKmPerDegree / std::max(pixelsPerDegree, 1e-6);
    std::size_t chosen = kResolutions.size() - 1;
    for (std::size_t i = 0; i < kResolutions.size(); ++i) {
        if (kResolutions[i].km <= 2.0 * pixelKm) {
            chosen = i;
            break;
        }
    }
    std::vector<char> order;
    for (std::size_t i = chosen; i < kResolutions.size(); ++i) {
        order.push_back(kResolutions[i].letter);
    }
    for (std::size_t i = chosen; i-- > 0;) {
        order.push_back(kResolutions[i].letter);
    }
    return order;
}

} // namespace

bool loadGeography(const std::string& dir, const GeoBox& box, double pixelsPerDegree,
                   Geography& out, std::string& error) {
    out = Geography{};
    const std::vector<char> order = resolutionOrder(pixelsPerDegree);
    const std::filesystem::path base(dir);
    bool shores = false;
    for (char letter : order) {
        const std::filesystem::path path = base / (std::string("binned_GSHHS_") + letter + ".nc");
        if (std::filesystem::is_regular_file(path)) {
            Geography read;
            if (readShores(path.string(), box, read)) {
                out.land = std::move(read.land);
                out.coasts = std::move(read.coasts);
                shores = true;
                break;
            }
        }
    }
    if (!shores) {
        error = "keine lesbaren Küstenlinien (binned_GSHHS_*.nc) in " + dir;
        return false;
    }
    for (char letter : order) {
        const std::filesystem::path path = base / (std::string("binned_border_") + letter + ".nc");
        if (std::filesystem::is_regular_file(path)) {
            Geography read;
            if (readBorders(path.string(), box, read)) {
                out.borders = std::move(read.borders);
                break;
            }
        }
    }
    return true;
}

} // namespace qrb::map
