// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Delta debugging of a failing session: removes chunks of steps, then single
// steps, then shortens the texts of keys, type and paste, for as long as the
// failure persists.

#include "tests/runner/scenario_command.h"

#include <functional>
#include <vector>

namespace randomized {

using Steps = std::vector<scenario::Command>;
// True when the steps still fail in the same way.
using StillFails = std::function<bool(const Steps&)>;

struct ShrinkBudget {
    int maxRuns = 3000; // runs of the steps at most
    int runs = 0;       // runs used
};

// The smallest steps found that still fail; `steps` must fail to begin with.
Steps shrink(const Steps& steps, const StillFails& stillFails, ShrinkBudget& budget);

} // namespace randomized
