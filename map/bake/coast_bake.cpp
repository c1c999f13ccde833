// SPDX-License-Identifier: GPL-3.0-or-later
// Bakes the coastline asset at build time from GSHHG's binned files:
//
//   qrb-coast-bake GSHHG_DIR OUT.bin
//
// Crude and low shores and borders round the earth, intermediate ones where
// VHF contacts reach: Europe with the Atlantic islands, North Africa and the
// Near East. Each resolution keeps its points on a grid a few times finer
// than its smallest features (crude 25 km, low 5 km, intermediate 1 km).

#include "map/bake/gshhg_source.h"
#include "map/coast_asset.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using qrb::map::coast::Kind;
using qrb::map::coast::Layer;
using qrb::map::coast::Region;

struct Plan {
    char resolution = 'c';
    int bits = 0; // a bin's side in 2^bits steps
    Region region;
};

constexpr Region kEarth{-180.0, 180.0, -90.0, 90.0};
// On the crude bins (20 degrees), so that each bin of a map comes from one
// resolution.
constexpr Region kContacts{-40.0, 60.0, 10.0, 90.0};

// Steps of about 2.2 km, 540 m and 140 m north to south (less east to west
// away from the equator).
constexpr std::array<Plan, 3> kPlan{{
    {'c', 10, kEarth},
    {'l', 11, kEarth},
    {'i', 12, kContacts},
}};

// The program carries the asset in every edition, the browser page included.
constexpr std::size_t kMaxBytes = std::size_t{768} * 1024;

int fail(const std::string& message) {
    std::fprintf(stderr, "qrb-coast-bake: %s\n", message.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: qrb-coast-bake GSHHG_DIR OUT.bin\n");
        return 2;
    }
    const std::filesystem::path dir(argv[1]);
    const std::filesystem::path target(argv[2]);
    std::vector<Layer> layers;
    for (Kind kind : {Kind::Shores, Kind::Borders}) {
        for (const Plan& plan : kPlan) {
            const std::string name =
                std::string(kind == Kind::Shores ? "binned_GSHHS_" : "binned_border_") +
                plan.resolution + ".nc";
            Layer layer;
            std::string error;
            if (!qrb::map::coast::readGshhg((dir / name).string(), kind, plan.resolution, plan.bits,
                                            plan.region, layer, error)) {
                return fail(error + " (Debian package gmt-gshhg-low)");
            }
            layers.push_back(std::move(layer));
        }
    }
    const std::vector<std::uint8_t> asset = qrb::map::coast::encode(layers);
    std::vector<Layer> back;
    if (!qrb::map::coast::decode(asset, back) || back != layers) {
        return fail("the asset does not read back as it was written");
    }
    if (asset.size() > kMaxBytes) {
        return fail("the asset has " + std::to_string(asset.size()) + " bytes, more than " +
                    std::to_string(kMaxBytes));
    }
    // Written beside the target and renamed, so that a build never sees half a file.
    std::filesystem::path part = target;
    part += ".part";
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(asset.data()),
                  static_cast<std::streamsize>(asset.size()));
        if (!out.flush()) {
            return fail(part.string() + ": cannot write");
        }
    }
    std::error_code ec;
    std::filesystem::rename(part, target, ec);
    if (ec) {
        return fail(target.string() + ": " + ec.message());
    }
    return 0;
}
