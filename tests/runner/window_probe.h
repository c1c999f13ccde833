// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Reads the controls of the running window.

#include "tests/runner/probe.h"

class Telvor;

namespace qrb {
class RecordingPrinter;
}

namespace scenario {

class WindowDriver;

class WindowProbe : public Probe {
public:
    WindowProbe(const Telvor& window, const WindowDriver& driver,
                const qrb::RecordingPrinter& printer, const bool& ended)
        : window_(window), driver_(driver), printer_(printer), ended_(ended) {}

protected:
    Observed readControl(const Target& target) const override;
    QString focusName() const override;
    bool programEnded() const override { return ended_; }
    const qrb::SharedState& shared() const override;
    const std::vector<qrb::PrintJob>& printJobs() const override;

private:
    std::int64_t twips(int pixels) const;

    const Telvor& window_;
    const WindowDriver& driver_;
    const qrb::RecordingPrinter& printer_;
    const bool& ended_;
};

} // namespace scenario
