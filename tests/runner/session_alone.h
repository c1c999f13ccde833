// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Scenario commands against the window session with no window at all. The
// runner plays the toolkit's part as the Qt window has it: a click lands on
// the topmost shown control at the middle of the named one (from the layout
// table), a disabled control ignores it, a click on a control that takes the
// focus gives it the focus, Tab moves the focus in rising tab index among
// enabled, shown controls that take it, Space clicks a focused button, and
// Delete removes the character after a field's cursor.

#include "output/recording_printer.h"
#include "session/window_session.h"
#include "tests/runner/probe.h"
#include "tests/runner/scenario_session.h"

namespace scenario {

class SessionProbe : public Probe {
public:
    SessionProbe(const qrb::WindowSession& session, const qrb::RecordingPrinter& printer)
        : session_(session), printer_(printer) {}

protected:
    Observed readControl(const Target& target) const override;
    QString focusName() const override;
    bool programEnded() const override { return session_.ended(); }
    const qrb::SharedState& shared() const override { return session_.shared(); }
    const std::vector<qrb::PrintJob>& printJobs() const override { return printer_.jobs(); }

private:
    const qrb::WindowSession& session_;
    const qrb::RecordingPrinter& printer_;
};

class SessionAlone : public ScenarioRun {
public:
    SessionAlone() : probe_(session_, printer_) {}

    QString start() override;
    bool ended() const override { return session_.ended(); }

    const qrb::WindowSession& session() const { return session_; }

protected:
    bool hasControl(const QString& name) const override;
    void click(const QString& name) override;
    void keys(const QString& text) override;
    void paste(const QString& text) override;
    void close() override;
    const Probe& reader() const override { return probe_; }

private:
    void take(const qrb::Changes& changes);
    void key(char16_t code);

    qrb::WindowSession session_;
    qrb::RecordingPrinter printer_;
    SessionProbe probe_;
};

} // namespace scenario
