// SPDX-License-Identifier: GPL-3.0-or-later
// In the files, a point is a 16-bit fraction (0 to 65535) of its bin's side
// from the bin's south-west corner; a segment's word for shores packs its
// point count (bits 9 up), level (6-8), entry side (3-5) and exit side (0-2).

#include "map/bake/gshhg_source.h"

#include <cmath>
#include <netcdf.h>

namespace qrb::map::coast {
namespace {

constexpr double kFraction = 65535.0;
constexpr int kMaxShoreLevel = 4; // 5 and 6 are Antarctica's two outlines, left out

class NcFile {
public:
    explicit NcFile(const std::string& path) {
        open_ = nc_open(path.c_str(), NC_NOWRITE, &id_) == NC_NOERR;
        ok_ = open_;
    }
    ~NcFile() {
        if (open_) {
            nc_close(id_);
        }
    }
    NcFile(const NcFile&) = delete;
    NcFile& operator=(const NcFile&) = delete;

    bool ok() const { return ok_; }

    // The whole of a one-dimensional variable.
    std::vector<int> ints(const char* name) { return read<int>(name, &nc_get_var_int); }
    std::vector<short> shorts(const char* name) { return read<short>(name, &nc_get_var_short); }
    int scalar(const char* name) {
        const std::vector<int> v = ints(name);
        ok_ = ok_ && v.size() == 1;
        return ok_ ? v.front() : 0;
    }

private:
    template <class T, class Get> std::vector<T> read(const char* name, Get get) {
        int var = 0;
        int dims = 0;
        int dim = 0;
        std::size_t length = 0;
        std::vector<T> values;
        if (!ok_ || nc_inq_varid(id_, name, &var) != NC_NOERR ||
            nc_inq_varndims(id_, var, &dims) != NC_NOERR || dims != 1 ||
            nc_inq_vardimid(id_, var, &dim) != NC_NOERR ||
            nc_inq_dimlen(id_, dim, &length) != NC_NOERR) {
            ok_ = false;
            return values;
        }
        values.resize(length);
        ok_ = get(id_, var, values.data()) == NC_NOERR;
        return values;
    }

    int id_ = 0;
    bool open_ = false;
    bool ok_ = false;
};

std::uint32_t quantised(short fraction, int bits) {
    const double steps = static_cast<double>(1U << bits);
    return static_cast<std::uint32_t>(
        std::lround(static_cast<std::uint16_t>(fraction) / kFraction * steps));
}

// The points of one segment on the layer's grid, a point on the one before
// left out; the first and the last stay, as a piece crossing its bin enters
// and leaves by them.
std::vector<QPoint> piecePoints(const std::vector<short>& lons, const std::vector<short>& lats,
                                std::size_t first, std::size_t count, int bits) {
    std::vector<QPoint> points;
    for (std::size_t i = first; i < first + count; ++i) {
        const QPoint p{quantised(lons[i], bits), quantised(lats[i], bits)};
        if (!points.empty() && points.back() == p && i + 1 < first + count) {
            continue;
        }
        if (i + 1 == first + count && points.size() >= 2 && points.back() == p) {
            points.pop_back();
        }
        points.push_back(p);
    }
    return points;
}

} // namespace

bool readGshhg(const std::string& path, Kind kind, char resolution, int bits, const Region& region,
               Layer& out, std::string& error) {
    out = Layer{};
    NcFile file(path);
    const int minutes = file.scalar("Bin_size_in_minutes");
    const int columns = file.scalar("N_bins_in_360_longitude_range");
    const int rows = file.scalar("N_bins_in_180_degree_latitude_range");
    const std::vector<int> firstSegment = file.ints("Id_of_first_segment_in_a_bin");
    const std::vector<short> segmentCount = file.shorts("N_segments_in_a_bin");
    const std::vector<int> firstPoint = file.ints("Id_of_first_point_in_a_segment");
    const std::vector<short> lons = file.shorts("Relative_longitude_from_SW_corner_of_bin");
    const std::vector<short> lats = file.shorts("Relative_latitude_from_SW_corner_of_bin");
    std::vector<short> nodeLevels;
    std::vector<int> info;
    std::vector<short> pointCounts;
    std::vector<short> borderLevels;
    if (kind == Kind::Shores) {
        nodeLevels = file.shorts("Embedded_node_levels_in_a_bin");
        info = file.ints("Embedded_npts_levels_exit_entry_for_a_segment");
    } else {
        pointCounts = file.shorts("N_points_for_a_segment");
        borderLevels = file.shorts("Hierarchial_level_of_a_segment");
    }
    const auto bins = static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows);
    if (!file.ok() || minutes <= 0 || columns * minutes != 360 * 60 || rows * minutes != 180 * 60 ||
        firstSegment.size() != bins || segmentCount.size() != bins || lons.size() != lats.size() ||
        (kind == Kind::Shores ? nodeLevels.size() != bins || info.size() != firstPoint.size()
                              : pointCounts.size() != firstPoint.size() ||
                                    borderLevels.size() != firstPoint.size())) {
        error = path + ": no readable GSHHG file";
        return false;
    }
    const double size = minutes / 60.0;
    if (!onBinBoundary(region.west, size) || !onBinBoundary(region.east, size) ||
        !onBinBoundary(90.0 - region.south, size) || !onBinBoundary(90.0 - region.north, size) ||
        region.east <= region.west || region.north <= region.south ||
        region.east - region.west > 360.0 || region.south < -90.0 || region.north > 90.0) {
        error = path + ": the region does not lie on the file's bins";
        return false;
    }
    out.kind = kind;
    out.resolution = resolution;
    out.binMinutes = minutes;
    out.bits = bits;
    out.columns = columns;
    out.rows = rows;
    out.firstRow = static_cast<int>(std::lround((90.0 - region.north) / size));
    out.rowCount = static_cast<int>(std::lround((region.north - region.south) / size));
    out.firstColumn =
        (static_cast<int>(std::lround(region.west / size)) % columns + columns) % columns;
    out.columnCount = static_cast<int>(std::lround((region.east - region.west) / size));
    for (int r = 0; r < out.rowCount; ++r) {
        for (int c = 0; c < out.columnCount; ++c) {
            const auto bin = static_cast<std::size_t>(out.firstRow + r) * columns +
                             static_cast<std::size_t>((out.firstColumn + c) % columns);
            Bin& b = out.bins.emplace_back();
            b.level = kind == Kind::Shores ? nodeLevels[bin] & 7 : 0;
            const auto first = static_cast<std::size_t>(firstSegment[bin]);
            const auto count =
                static_cast<std::size_t>(static_cast<std::uint16_t>(segmentCount[bin]));
            if (first > firstPoint.size() || count > firstPoint.size() - first) {
                error = path + ": segments beyond the file's end";
                return false;
            }
            for (std::size_t s = first; s < first + count; ++s) {
                Piece piece;
                std::size_t n = 0;
                if (kind == Kind::Shores) {
                    n = static_cast<std::size_t>(info[s] >> 9);
                    piece.level = (info[s] >> 6) & 7;
                    piece.entry = (info[s] >> 3) & 7;
                    piece.exit = info[s] & 7;
                    if (piece.level < 1 || piece.level > kMaxShoreLevel) {
                        continue;
                    }
                } else {
                    n = static_cast<std::size_t>(static_cast<std::uint16_t>(pointCounts[s]));
                    if (borderLevels[s] != 1) { // 1: between countries
                        continue;
                    }
                }
                const auto start = static_cast<std::size_t>(firstPoint[s]);
                if (start > lons.size() || n > lons.size() - start) {
                    error = path + ": points beyond the file's end";
                    return false;
                }
                if (n < 2) {
                    continue;
                }
                piece.points = piecePoints(lons, lats, start, n, bits);
                const bool crossing = piece.entry != kClosed && piece.exit != kClosed;
                // A closed ring or a border that shrank to a point on this
                // grid is too small to be seen.
                if (kind == Kind::Borders ? piece.points.size() < 2
                                          : !crossing && piece.points.size() < 3) {
                    continue;
                }
                b.pieces.push_back(std::move(piece));
            }
        }
    }
    return true;
}

} // namespace qrb::map::coast
