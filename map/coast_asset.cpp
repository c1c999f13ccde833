// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/coast_asset.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace qrb::map::coast {
namespace {

constexpr std::string_view kMagic = "QRBCOAST";
constexpr std::uint8_t kFormat = 1;
constexpr int kMaxBits = 16;
constexpr int kMaxLevel = 7; // three bits in a bin's header
constexpr int kMinBinMinutes = 60;

void put(std::vector<std::uint8_t>& out, std::uint32_t value) {
    while (value >= 0x80) {
        out.push_back(static_cast<std::uint8_t>(value | 0x80));
        value >>= 7;
    }
    out.push_back(static_cast<std::uint8_t>(value));
}

void putSigned(std::vector<std::uint8_t>& out, std::int64_t value) {
    put(out, static_cast<std::uint32_t>(value < 0 ? (-value) * 2 - 1 : value * 2));
}

void putBin(std::vector<std::uint8_t>& out, const Layer& layer, const Bin& bin) {
    put(out, static_cast<std::uint32_t>(bin.pieces.size() << 3) |
                 static_cast<std::uint32_t>(bin.level & kMaxLevel));
    if (bin.pieces.empty()) {
        return;
    }
    std::vector<std::uint8_t> pieces;
    for (const Piece& piece : bin.pieces) {
        put(pieces, static_cast<std::uint32_t>(piece.points.size()));
        if (layer.kind == Kind::Shores) {
            put(pieces,
                static_cast<std::uint32_t>(piece.level << 6 | piece.entry << 3 | piece.exit));
        }
        QPoint last{0, 0};
        for (std::size_t i = 0; i < piece.points.size(); ++i) {
            const QPoint p = piece.points[i];
            if (i == 0) {
                put(pieces, p.x);
                put(pieces, p.y);
            } else {
                putSigned(pieces, static_cast<std::int64_t>(p.x) - last.x);
                putSigned(pieces, static_cast<std::int64_t>(p.y) - last.y);
            }
            last = p;
        }
    }
    put(out, static_cast<std::uint32_t>(pieces.size()));
    out.insert(out.end(), pieces.begin(), pieces.end());
}

// Bins of a degree at least (GSHHG's finest files have them), so that a
// map's grid of bins stays small.
bool validHeader(const Layer& h) {
    return (h.kind == Kind::Shores || h.kind == Kind::Borders) && h.binMinutes >= kMinBinMinutes &&
           h.binMinutes <= 180 * 60 && (180 * 60) % h.binMinutes == 0 &&
           h.columns == 360 * 60 / h.binMinutes && h.rows == 180 * 60 / h.binMinutes &&
           h.bits >= 1 && h.bits <= kMaxBits && h.rowCount >= 0 && h.firstRow >= 0 &&
           h.firstRow + h.rowCount <= h.rows && h.columnCount >= 0 && h.columnCount <= h.columns &&
           h.firstColumn >= 0 && h.firstColumn < h.columns;
}

} // namespace

bool Layer::holds(int row, int column) const {
    const int c = ((column - firstColumn) % columns + columns) % columns;
    return row >= firstRow && row < firstRow + rowCount && c < columnCount;
}

std::uint32_t Cursor::next() {
    std::uint32_t value = 0;
    for (int shift = 0; ok_; shift += 7) {
        if (pos_ == bytes_.size() || shift > 28) {
            ok_ = false;
            break;
        }
        const std::uint8_t b = bytes_[pos_++];
        value |= static_cast<std::uint32_t>(b & 0x7F) << shift;
        if ((b & 0x80) == 0) {
            return value;
        }
    }
    return 0;
}

std::int32_t Cursor::nextSigned() {
    const std::uint32_t v = next();
    return (v & 1) != 0 ? -static_cast<std::int32_t>(v >> 1) - 1
                        : static_cast<std::int32_t>(v >> 1);
}

std::uint8_t Cursor::byte() {
    if (!ok_ || pos_ == bytes_.size()) {
        ok_ = false;
        return 0;
    }
    return bytes_[pos_++];
}

std::span<const std::uint8_t> Cursor::take(std::size_t n) {
    if (!ok_ || n > left()) {
        ok_ = false;
        return {};
    }
    const std::span<const std::uint8_t> part = bytes_.subspan(pos_, n);
    pos_ += n;
    return part;
}

bool readBin(Cursor& in, const Layer& layer, Bin* bin) {
    const std::uint32_t header = in.next();
    const std::uint32_t pieces = header >> 3;
    std::span<const std::uint8_t> body;
    if (pieces > 0) {
        body = in.take(in.next());
    }
    if (!in.ok()) {
        return false;
    }
    if (bin == nullptr) {
        return true;
    }
    bin->level = static_cast<int>(header & kMaxLevel);
    bin->pieces.clear();
    Cursor p(body);
    const std::int64_t limit = std::int64_t{1} << layer.bits;
    // Every piece takes two bytes at least, every point two more.
    if (pieces > body.size() / 2) {
        return false;
    }
    bin->pieces.resize(pieces);
    for (Piece& piece : bin->pieces) {
        const std::uint32_t n = p.next();
        if (n == 0 || n > p.left() / 2) {
            return false;
        }
        if (layer.kind == Kind::Shores) {
            const std::uint32_t info = p.next();
            piece.level = static_cast<int>(info >> 6);
            piece.entry = static_cast<int>((info >> 3) & 7);
            piece.exit = static_cast<int>(info & 7);
            if (piece.entry > kClosed || piece.exit > kClosed || piece.level > kMaxLevel) {
                return false;
            }
        } else {
            piece.level = 1;
        }
        piece.points.resize(n);
        std::int64_t x = p.next();
        std::int64_t y = p.next();
        for (std::uint32_t i = 0; i < n; ++i) {
            if (i > 0) {
                x += p.nextSigned();
                y += p.nextSigned();
            }
            if (!p.ok() || x < 0 || y < 0 || x > limit || y > limit) {
                return false;
            }
            piece.points[i] = {static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y)};
        }
    }
    return p.ok() && p.atEnd();
}

std::vector<std::uint8_t> encode(const std::vector<Layer>& layers) {
    std::vector<std::uint8_t> out(kMagic.begin(), kMagic.end());
    out.push_back(kFormat);
    put(out, static_cast<std::uint32_t>(layers.size()));
    for (const Layer& layer : layers) {
        out.push_back(static_cast<std::uint8_t>(layer.kind));
        out.push_back(static_cast<std::uint8_t>(layer.resolution));
        for (int v : {layer.binMinutes, layer.bits, layer.columns, layer.rows, layer.firstRow,
                      layer.rowCount, layer.firstColumn, layer.columnCount}) {
            put(out, static_cast<std::uint32_t>(v));
        }
        std::vector<std::uint8_t> bins;
        for (const Bin& bin : layer.bins) {
            putBin(bins, layer, bin);
        }
        put(out, static_cast<std::uint32_t>(bins.size()));
        out.insert(out.end(), bins.begin(), bins.end());
    }
    return out;
}

bool readIndex(std::span<const std::uint8_t> asset, std::vector<LayerIndex>& layers) {
    layers.clear();
    Cursor in(asset);
    const std::span<const std::uint8_t> magic = in.take(kMagic.size());
    if (!in.ok() || !std::equal(magic.begin(), magic.end(), kMagic.begin(), kMagic.end()) ||
        in.byte() != kFormat) {
        return false;
    }
    const std::uint32_t count = in.next();
    for (std::uint32_t i = 0; i < count && in.ok(); ++i) {
        LayerIndex layer;
        Layer& h = layer.header;
        h.kind = static_cast<Kind>(in.byte());
        h.resolution = static_cast<char>(in.byte());
        for (int* v : {&h.binMinutes, &h.bits, &h.columns, &h.rows, &h.firstRow, &h.rowCount,
                       &h.firstColumn, &h.columnCount}) {
            *v = static_cast<int>(in.next() & 0xFFFFFF);
        }
        layer.bins = in.take(in.next());
        if (!in.ok() || !validHeader(h)) {
            return false;
        }
        layers.push_back(layer);
    }
    return in.ok() && in.atEnd();
}

bool decode(std::span<const std::uint8_t> asset, std::vector<Layer>& layers) {
    std::vector<LayerIndex> index;
    layers.clear();
    if (!readIndex(asset, index)) {
        return false;
    }
    for (const LayerIndex& entry : index) {
        Layer layer = entry.header;
        const bool read = readBins(
            entry, [](int, int) { return true; },
            [&layer](int, int, const Bin& bin) { layer.bins.push_back(bin); });
        if (!read) {
            return false;
        }
        layers.push_back(std::move(layer));
    }
    return true;
}

bool onBinBoundary(double degrees, double size) {
    return std::abs(degrees / size - std::round(degrees / size)) < 1e-9;
}

} // namespace qrb::map::coast
