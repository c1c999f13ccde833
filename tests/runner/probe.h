// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Reads what a scenario can expect: the state of the controls, the shared
// variables, the recorded print jobs and whether the program has ended. The
// controls are read from a window or from the window session alone; the rest
// is the same for both.

#include "output/printer.h"
#include "tests/runner/scenario_command.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace qrb {
struct SharedState;
}

namespace scenario {

// What was found for a target: its value, or why there is none (a list line
// past the end, a control the window lacks, ...).
struct Observed {
    std::optional<Value> value;
    QString missing;

    QString render() const;
};

Observed found(Value value);
Observed missing(QString why);
Value stringValue(const QString& text);
Value flagValue(bool flag);
Value signedValue(std::int64_t number);
Value unsignedValue(std::uint64_t number);
Value decimalValue(float number);
Value fontValue(const QString& family, double points);
QString fromU16(const std::u16string& text);

class Probe {
public:
    virtual ~Probe() = default;

    Observed read(const Target& target) const;

    // Every control's state and every shared variable, one "TARGET VALUE" line
    // each, written as an expectation would be.
    void dump(const std::function<void(const QString&)>& emitLine) const;

protected:
    virtual Observed readControl(const Target& target) const = 0;
    // The name of the control with the keyboard focus, "none" without one.
    virtual QString focusName() const = 0;
    virtual bool programEnded() const = 0;
    virtual const qrb::SharedState& shared() const = 0;
    virtual const std::vector<qrb::PrintJob>& printJobs() const = 0;

private:
    Observed readShared(const Target& target) const;
    Observed readPrint(const Target& target) const;
};

} // namespace scenario
