// SPDX-License-Identifier: GPL-3.0-or-later
// The asset holds each resolution for a rectangle of bins: the coarse ones
// round the earth, the finer ones where the contacts lie. A map takes the
// resolution its scale asks for where it is held and the next coarser one
// round it; the rectangles lie on the coarser bins, so that each bin of the
// map comes from one resolution only.

#include "map/geography.h"

#include "map/coast_asset.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace qrb::map {
namespace {

using coast::Kind;
using coast::LayerIndex;

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

int rank(char letter) {
    for (std::size_t i = 0; i < kResolutions.size(); ++i) {
        if (kResolutions[i].letter == letter) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// The coarsest resolution whose smallest features are no more than two pixels.
int wantedRank(double pixelsPerDegree) {
    const double pixelKm = kKmPerDegree / std::max(pixelsPerDegree, 1e-6);
    for (std::size_t i = 0; i < kResolutions.size(); ++i) {
        if (kResolutions[i].km <= 2.0 * pixelKm) {
            return static_cast<int>(i);
        }
    }
    return static_cast<int>(kResolutions.size()) - 1;
}

// Whether the rectangle a layer holds lies on the bins of a coarser one.
bool liesOn(const coast::Layer& fine, const coast::Layer& coarse) {
    const double size = fine.binDegrees();
    const double west = fine.firstColumn * size;
    const double north = 90.0 - fine.firstRow * size;
    const double c = coarse.binDegrees();
    return coast::onBinBoundary(west, c) &&
           coast::onBinBoundary(west + fine.columnCount * size, c) &&
           coast::onBinBoundary(90.0 - north, c) &&
           coast::onBinBoundary(90.0 - north + fine.rowCount * size, c);
}

// The layers of a kind a map at that rank draws from, finest first: those
// no finer than it asks for (the coarsest one held when all are finer),
// each finer one only where it lies on the bins of the coarser ones.
std::vector<const LayerIndex*> layersFor(const std::vector<LayerIndex>& layers, Kind kind,
                                         int wanted) {
    std::vector<const LayerIndex*> chosen;
    const LayerIndex* coarsest = nullptr;
    for (const LayerIndex& layer : layers) {
        const int r = rank(layer.header.resolution);
        if (layer.header.kind != kind || r < 0) {
            continue;
        }
        if (r <= wanted) {
            chosen.push_back(&layer);
        }
        if (coarsest == nullptr || r < rank(coarsest->header.resolution)) {
            coarsest = &layer;
        }
    }
    if (chosen.empty() && coarsest != nullptr) {
        chosen.push_back(coarsest);
    }
    std::stable_sort(chosen.begin(), chosen.end(), [](const LayerIndex* a, const LayerIndex* b) {
        return rank(a->header.resolution) > rank(b->header.resolution);
    });
    std::vector<const LayerIndex*> out;
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        const bool fits = std::all_of(
            chosen.begin() + static_cast<std::ptrdiff_t>(i) + 1, chosen.end(),
            [&](const LayerIndex* coarser) { return liesOn(chosen[i]->header, coarser->header); });
        if (fits) {
            out.push_back(chosen[i]);
        }
    }
    return out;
}

// Whether a finer layer holds all of the bin at row, column of a coarser one.
bool covers(const coast::Layer& fine, const coast::Layer& coarse, int row, int column) {
    const double ratio = coarse.binDegrees() / fine.binDegrees();
    const int firstRow = static_cast<int>(std::floor(row * ratio + 1e-9));
    const int lastRow = static_cast<int>(std::ceil((row + 1) * ratio - 1e-9)) - 1;
    const int firstCol = static_cast<int>(std::floor(column * ratio + 1e-9));
    const int lastCol = static_cast<int>(std::ceil((column + 1) * ratio - 1e-9)) - 1;
    for (int r = firstRow; r <= lastRow; ++r) {
        for (int c = firstCol; c <= lastCol; ++c) {
            if (!fine.holds(r, c % fine.columns)) {
                return false;
            }
        }
    }
    return true;
}

// Calls visit(row, column, west, south) for each bin of the layer's grid in
// box, with west counted in the box's own range of longitudes.
template <class Visit> void forEachIn(const coast::Layer& grid, const GeoBox& box, Visit visit) {
    const double size = grid.binDegrees();
    const int firstRow = std::max(0, static_cast<int>(std::floor((90.0 - box.north) / size)));
    const int lastRow =
        std::min(grid.rows - 1, static_cast<int>(std::ceil((90.0 - box.south) / size)) - 1);
    // Once round the earth at most: a wider box gets 180 W to 180 E.
    const bool round = box.east - box.west >= 360.0;
    const int firstCol = static_cast<int>(std::floor((round ? -180.0 : box.west) / size));
    const int lastCol =
        round ? firstCol + grid.columns - 1 : static_cast<int>(std::ceil(box.east / size)) - 1;
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int col = firstCol; col <= lastCol; ++col) {
            const int wrapped = ((col % grid.columns) + grid.columns) % grid.columns;
            visit(row, wrapped, col * size, 90.0 - (row + 1) * size);
        }
    }
}

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

// The points of a piece in degrees, in a bin whose south-west corner is at west, south.
std::vector<LonLat> degrees(const coast::Piece& piece, const coast::Layer& layer, double west,
                            double south) {
    const double step = layer.step();
    std::vector<LonLat> points;
    points.reserve(piece.points.size());
    for (const coast::QPoint& p : piece.points) {
        points.push_back({west + p.x * step, south + p.y * step});
    }
    return points;
}

void addShores(const coast::Bin& bin, const coast::Layer& layer, double west, double south,
               const GeoBox& box, Geography& out) {
    const double size = layer.binDegrees();
    std::vector<Crossing> crossings;
    std::vector<std::vector<LonLat>> rings;
    for (const coast::Piece& piece : bin.pieces) {
        if (piece.level < 1 || piece.points.empty()) {
            continue;
        }
        std::vector<LonLat> points = degrees(piece, layer, west, south);
        if (overlaps(points, box)) {
            out.coasts.push_back(points);
        }
        if (piece.entry == coast::kClosed || piece.exit == coast::kClosed) {
            rings.push_back(std::move(points));
            continue;
        }
        const LonLat in = points.front();
        const LonLat leave = points.back();
        const double enters =
            roundEdge(piece.entry, (in.lon - west) / size, (in.lat - south) / size);
        const double leaves =
            roundEdge(piece.exit, (leave.lon - west) / size, (leave.lat - south) / size);
        crossings.push_back({std::move(points), enters, leaves, false});
    }
    if (crossings.empty()) {
        // No shore crosses the bin: its corners tell land from water.
        if (bin.level % 2 == 1) {
            rings.push_back({{west, south},
                             {west + size, south},
                             {west + size, south + size},
                             {west, south + size}});
        }
    } else {
        joinCrossings(crossings, west, south, size, rings);
    }
    for (std::vector<LonLat>& ring : rings) {
        if (overlaps(ring, box)) {
            std::vector<LonLat> clipped = clipRing(std::move(ring), box);
            if (clipped.size() >= 3) {
                out.land.push_back(std::move(clipped));
            }
        }
    }
}

void addBorders(const coast::Bin& bin, const coast::Layer& layer, double west, double south,
                const GeoBox& box, Geography& out) {
    for (const coast::Piece& piece : bin.pieces) {
        std::vector<LonLat> points = degrees(piece, layer, west, south);
        if (points.size() >= 2 && overlaps(points, box)) {
            out.borders.push_back(std::move(points));
        }
    }
}

// The bins of each layer in box that no finer one holds. False when a
// layer's data is damaged.
bool read(const std::vector<const LayerIndex*>& chain, const GeoBox& box, Geography& out) {
    for (std::size_t i = 0; i < chain.size(); ++i) {
        const coast::Layer& layer = chain[i]->header;
        // West and south of each bin wanted, by its place in the earth's grid.
        std::vector<std::array<double, 2>> corner(static_cast<std::size_t>(layer.rows) *
                                                      static_cast<std::size_t>(layer.columns),
                                                  {NAN, NAN});
        auto place = [&layer](int row, int column) {
            return static_cast<std::size_t>(row) * static_cast<std::size_t>(layer.columns) +
                   static_cast<std::size_t>(column);
        };
        bool any = false;
        forEachIn(layer, box, [&](int row, int column, double west, double south) {
            const bool finer = std::any_of(
                chain.begin(), chain.begin() + static_cast<std::ptrdiff_t>(i),
                [&](const LayerIndex* f) { return covers(f->header, layer, row, column); });
            if (layer.holds(row, column) && !finer) {
                corner[place(row, column)] = {west, south};
                any = true;
            }
        });
        if (!any) {
            continue;
        }
        auto at = [&](int row, int column) -> const std::array<double, 2>& {
            return corner[place(row, column)];
        };
        const bool read = coast::readBins(
            *chain[i], [&](int row, int column) { return !std::isnan(at(row, column)[0]); },
            [&](int row, int column, const coast::Bin& bin) {
                const auto [west, south] = at(row, column);
                if (layer.kind == Kind::Shores) {
                    addShores(bin, layer, west, south, box, out);
                } else {
                    addBorders(bin, layer, west, south, box, out);
                }
            });
        if (!read) {
            return false;
        }
    }
    return true;
}

} // namespace

Geography loadGeography(std::span<const std::uint8_t> asset, const GeoBox& box,
                        double pixelsPerDegree) {
    Geography out;
    std::vector<LayerIndex> layers;
    if (!coast::readIndex(asset, layers)) {
        return out;
    }
    const int wanted = wantedRank(pixelsPerDegree);
    if (!read(layersFor(layers, Kind::Shores, wanted), box, out) ||
        !read(layersFor(layers, Kind::Borders, wanted), box, out)) {
        return Geography{};
    }
    return out;
}

Geography loadGeography(const GeoBox& box, double pixelsPerDegree) {
    return loadGeography(coast::builtIn(), box, pixelsPerDegree);
}

} // namespace qrb::map
