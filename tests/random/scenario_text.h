// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Writing steps back as a scenario file that qrb-scenario runs, and reading
// the steps of a scenario file.

#include "tests/random/checked_run.h"
#include "tests/runner/scenario_command.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace randomized {

// One command as a scenario line.
QString commandLine(const scenario::Command& command);

// The steps as a scenario file: the comment lines first (each written after
// "# "), then one line per step. With a failure the steps stop where the rule
// broke (within keys or type at the character after which it broke),
// followed by comments naming the broken rule and, when the rule can be said
// as one, the expect line that fails there.
QString scenarioText(const QStringList& comments, const std::vector<scenario::Command>& steps,
                     const std::optional<StepFailure>& failure);

// The steps of a scenario file (click, keys, type, paste, close; expect and
// dump lines are left out). Empty with an error text when the file cannot be
// read or holds a malformed line.
std::optional<std::vector<scenario::Command>> readScenario(const QString& path, QString& error);

} // namespace randomized
