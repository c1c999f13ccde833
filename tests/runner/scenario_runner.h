// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Runs scenario files one after another, each in a freshly started window
// with a fresh recording printer.

#include "tests/runner/scenario_session.h"

#include <QString>
#include <functional>
#include <memory>

namespace scenario {

struct Tally {
    int passed = 0;
    int failed = 0;
};

enum class FileOutcome { Ran, CannotOpen };

// Reads and runs one file, adding its expectations to the tally and writing
// every failure (and every dump) to the sink. The file name in messages is
// the path as given.
// Each file runs against a fresh run made by `makeRun`: the real window
// unless told otherwise.
using RunMaker = std::function<std::unique_ptr<ScenarioRun>()>;
FileOutcome runScenarioFile(const QString& path, Tally& tally, const LineSink& emitLine,
                            const RunMaker& makeRun = {});

} // namespace scenario
