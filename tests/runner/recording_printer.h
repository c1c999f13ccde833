// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A printer that keeps every document instead of putting it on paper, so that
// a scenario can read back what was printed.

#include "output/printer.h"

#include <string>
#include <vector>

namespace scenario {

using PrintJob = qrb::PrintJob;

class RecordingPrinter : public qrb::Printer {
public:
    qrb::PrintOutcome print(const PrintJob& job) override;

    // The jobs printed so far, oldest first.
    const std::vector<PrintJob>& jobs() const { return jobs_; }

private:
    std::vector<PrintJob> jobs_;
};

} // namespace scenario
