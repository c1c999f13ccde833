// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What every runner reads back the same way, in plain C++: the shared
// variables and the point table of the window session, and the print jobs
// recorded so far. Reading the controls themselves is each runner's own.

#include "output/printer.h"
#include "tests/runner/scenario_syntax.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qrb {
struct SharedState;
}

namespace scenario::syntax {

// What was found for a target: its value, or why there is none (a list line
// past the end, a control the window lacks, ...).
struct Observed {
    std::optional<Value> value;
    std::u16string missing;

    // The value as a scenario writes it, or the reason in parentheses.
    std::u16string render() const;
};

Observed found(Value value);
Observed missing(std::string_view why);
Value stringValue(std::u16string text);
Value flagValue(bool flag);
Value signedValue(std::int64_t number);
Value unsignedValue(std::uint64_t number);
Value decimalValue(float number);
Value fontValue(std::u16string family, double points);

// A shared variable or a cell of QRB_TAB (Shared and QrbTab targets).
Observed readShared(const qrb::SharedState& shared, const Target& target);
// PRINT.jobs, PRINT[J].count, PRINT[J].font and PRINT[J][I].
Observed readPrint(const std::vector<qrb::PrintJob>& jobs, const Target& target);
// One row of the point table as a dump shows it: "QRB_TAB(X,0..40)" and the
// 41 cells of that row.
std::string qrbTabRow(const qrb::SharedState& shared, int x);

} // namespace scenario::syntax
