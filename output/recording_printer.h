// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A printer that keeps every job instead of putting it on paper, so that
// tests can read back what was printed and benchmarks print nothing.

#include "output/printer.h"

#include <vector>

namespace qrb {

class RecordingPrinter : public Printer {
public:
    PrintOutcome print(const PrintJob& job) override;

    // The jobs printed so far, oldest first.
    const std::vector<PrintJob>& jobs() const { return jobs_; }

private:
    std::vector<PrintJob> jobs_;
};

} // namespace qrb
