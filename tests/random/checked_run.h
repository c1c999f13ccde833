// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Runs a list of scenario commands in a freshly started window, exactly as
// qrb-scenario would, and checks the invariants after every single action: a
// click, each character of keys (and of type, after its click), a paste,
// the close button. Stops at the first broken rule or when the program ends.

#include "tests/random/invariants.h"
#include "tests/runner/scenario_command.h"

#include <cstddef>
#include <limits>
#include <optional>
#include <vector>

namespace randomized {

// Where a rule broke: after which command, and within keys or type after
// which character (counted in whole characters from 0; -1 for the command as
// a whole, or for the click of a type).
struct StepFailure {
    static constexpr std::size_t kAtStart = std::numeric_limits<std::size_t>::max();
    std::size_t step = kAtStart;
    int part = -1;
    Violation violation;
};

struct RunOutcome {
    std::optional<StepFailure> failure;
    QString startProblem; // the window did not come up shown and active
    int contacts = 0;     // lines logged
    int printJobs = 0;
    bool ended = false; // END or close
    std::size_t stepsRun = 0;
};

RunOutcome runChecked(const std::vector<scenario::Command>& steps);

// The same commands without any check, as qrb-scenario runs them.
void runUnchecked(const std::vector<scenario::Command>& steps);

// The characters of a text one by one (a pair of surrogates is one).
std::vector<QString> characters(const QString& text);

} // namespace randomized
