// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The coastlines and country borders the map draws, as the build compiles
// them into the program: GSHHG's binned shores and borders (the files GMT
// uses), each point quantised to a grid of its bin and stored as the step
// from the one before.
//
// The earth is cut into bins of equal size in degrees, rows from the north
// pole down, columns from Greenwich eastward. In a bin, each shore piece
// either runs closed inside it or enters through one side and leaves through
// another; land lies to the left of the direction its points run in. A bin
// crossed by no shore has the level of its corners: odd levels are land (1
// land, 3 island in a lake), even ones water (0 sea, 2 lake, 4 pond in an
// island). A layer holds one resolution of shores or borders for a rectangle
// of bins; the finer resolutions are held only where the award's contacts lie.
//
// The asset:
//   "QRBCOAST", a format byte, the number of layers, then each layer:
//   kind, resolution letter, bin size in minutes, bits, the earth's columns
//   and rows of bins, the first row, row count, first column, column count,
//   the byte length of its bins, then its bins row by row, west to east:
//     header (pieces << 3 | level); with pieces, their byte length, then each
//     piece: its point count, for shores (level << 6 | entry << 3 | exit),
//     the first point (x, y), then each further point's step (dx, dy).
// Every number is an unsigned LEB128 varint, steps zigzag-coded.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace qrb::map::coast {

// The side of a bin a piece enters or leaves it by: 0 south, 1 east,
// 2 north, 3 west; kClosed for a piece that runs closed inside its bin.
inline constexpr int kClosed = 4;

// A point in steps of its bin from the bin's south-west corner: 0 to
// 2^bits along each side.
struct QPoint {
    std::uint32_t x = 0;
    std::uint32_t y = 0;
    bool operator==(const QPoint&) const = default;
};

struct Piece {
    std::vector<QPoint> points;
    int level = 1; // shores: 1 land, 2 lake, 3 island in a lake, 4 pond; borders: 1
    int entry = kClosed;
    int exit = kClosed;
    bool operator==(const Piece&) const = default;
};

struct Bin {
    int level = 0; // of the corners; tells land from water where no shore crosses
    std::vector<Piece> pieces;
    bool operator==(const Bin&) const = default;
};

enum class Kind : std::uint8_t { Shores = 0, Borders = 1 };

struct Layer {
    Kind kind = Kind::Shores;
    char resolution = 'c'; // GSHHG's letter: c crude, l low, i intermediate
    int binMinutes = 0;    // side of a bin in minutes of arc
    int bits = 0;          // a bin's side is 2^bits steps
    int columns = 0;       // bins round the earth
    int rows = 0;          // bins from pole to pole
    // The rectangle of bins held; columns may wrap round past the last.
    int firstRow = 0;
    int rowCount = 0;
    int firstColumn = 0;
    int columnCount = 0;
    std::vector<Bin> bins; // rowCount x columnCount, row by row

    double binDegrees() const { return binMinutes / 60.0; }
    double step() const { return binDegrees() / static_cast<double>(1U << bits); }
    // Whether the layer holds the bin of the earth's grid at row, column (0..columns-1).
    bool holds(int row, int column) const;
    bool operator==(const Layer&) const = default;
};

// Whether a longitude or colatitude in degrees falls on the boundary between
// bins of `size` degrees.
bool onBinBoundary(double degrees, double size);

std::vector<std::uint8_t> encode(const std::vector<Layer>& layers);

// A layer's description and where its bins lie in the asset, for reading
// only the bins a map needs.
struct LayerIndex {
    Layer header; // bins left empty
    std::span<const std::uint8_t> bins;
};

// The layers of an asset. False when it is no asset or is cut short.
bool readIndex(std::span<const std::uint8_t> asset, std::vector<LayerIndex>& layers);

// Decodes the bins of the layer for which want(row, column) holds, calling
// visit(row, column, bin) for each (row and column of the earth's grid).
// False when the layer's data is damaged; the bins visited before stand.
template <class Want, class Visit> bool readBins(const LayerIndex& layer, Want want, Visit visit);

// The whole asset. False when any of it is damaged.
bool decode(std::span<const std::uint8_t> asset, std::vector<Layer>& layers);

// The asset compiled into the program.
std::span<const std::uint8_t> builtIn();

// --- details ----------------------------------------------------------------

// Reads LEB128 varints from a byte range, failing for good once it runs out.
class Cursor {
public:
    explicit Cursor(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    bool ok() const { return ok_; }
    bool atEnd() const { return pos_ == bytes_.size(); }
    std::size_t left() const { return bytes_.size() - pos_; }
    std::uint32_t next();
    std::int32_t nextSigned();
    std::uint8_t byte();
    std::span<const std::uint8_t> take(std::size_t n);

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

// One bin's record; false when it does not fit the layer.
bool readBin(Cursor& in, const Layer& layer, Bin* bin);

template <class Want, class Visit> bool readBins(const LayerIndex& layer, Want want, Visit visit) {
    const Layer& h = layer.header;
    Cursor in(layer.bins);
    Bin bin;
    for (int r = 0; r < h.rowCount; ++r) {
        for (int c = 0; c < h.columnCount; ++c) {
            const int row = h.firstRow + r;
            const int column = (h.firstColumn + c) % h.columns;
            const bool wanted = want(row, column);
            if (!readBin(in, h, wanted ? &bin : nullptr)) {
                return false;
            }
            if (wanted) {
                visit(row, column, bin);
            }
        }
    }
    return in.atEnd();
}

} // namespace qrb::map::coast
