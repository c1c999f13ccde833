// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Reads what a scenario can expect from the running window: the state of its
// controls, the shared variables, the recorded print jobs and whether the
// program has ended.

#include "tests/runner/scenario_command.h"

#include <QString>
#include <functional>
#include <optional>

class Telvor;

namespace scenario {

class RecordingPrinter;
class WindowDriver;

// What was found for a target: its value, or why there is none (a list line
// past the end, a control the window lacks, ...).
struct Observed {
    std::optional<Value> value;
    QString missing;

    QString render() const;
};

class WindowProbe {
public:
    WindowProbe(const Telvor& window, const WindowDriver& driver, const RecordingPrinter& printer,
                const bool& ended)
        : window_(window), driver_(driver), printer_(printer), ended_(ended) {}

    Observed read(const Target& target) const;

    // Every control's state and every shared variable, one "TARGET VALUE" line
    // each, written as an expectation would be.
    void dump(const std::function<void(const QString&)>& emitLine) const;

private:
    Observed readControl(const Target& target) const;
    Observed readShared(const Target& target) const;
    Observed readPrint(const Target& target) const;
    std::int64_t twips(int pixels) const;

    const Telvor& window_;
    const WindowDriver& driver_;
    const RecordingPrinter& printer_;
    const bool& ended_;
};

} // namespace scenario
