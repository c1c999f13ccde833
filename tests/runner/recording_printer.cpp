// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/runner/recording_printer.h"

namespace scenario {

qrb::PrintOutcome RecordingPrinter::print(const PrintJob& job) {
    jobs_.push_back(job);
    return {};
}

} // namespace scenario
