// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/recording_printer.h"

namespace qrb {

PrintOutcome RecordingPrinter::print(const PrintJob& job) {
    jobs_.push_back(job);
    return {};
}

} // namespace qrb
