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
    void setFontFace(std::u16string_view face) override;
    void setFontSize(double points) override;
    void printLine(std::u16string_view line) override;
    bool endDocument() override;

    // The documents ended so far, oldest first. A document still being
    // written is not among them.
    const std::vector<PrintJob>& jobs() const { return finished_; }

private:
    PrintJob current_;
    std::vector<PrintJob> finished_;
};

} // namespace scenario
