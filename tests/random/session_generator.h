// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Random user sessions as scenario commands. A session mixes the steps of
// whole contacts (own locator, foreign locator or QTH-Kenner, band, OK) with
// noise: clicks on any control, keys of every kind, pastes, "?", DRU, END and
// the close button. Each session draws how much noise it has, so that some
// are careful users who log many contacts and others mostly mash keys.

#include "tests/runner/scenario_command.h"

#include <cstdint>
#include <vector>

namespace randomized {

struct GeneratorOptions {
    int steps = 60;             // commands per session
    int longPastePermille = 20; // share of pastes that are long (up to 100,000 characters)
};

// The commands of the session with this seed. The same seed always gives the
// same commands. The session may end early with END or close.
std::vector<scenario::Command> generateSession(std::uint64_t seed, const GeneratorOptions& options);

} // namespace randomized
