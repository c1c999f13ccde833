// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One run of the window for scenario commands: a freshly created window with
// a fresh recording printer, started as at program start, and the commands of
// a scenario executed against it. qrb-scenario runs every file through one of
// these; other test tools use the same class so that their steps behave
// exactly as the same lines of a scenario file would.

#include "output/recording_printer.h"
#include "tests/runner/probe.h"
#include "tests/runner/scenario_command.h"
#include "tests/runner/window_driver.h"
#include "tests/runner/window_probe.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class Telvor;

namespace scenario {

using LineSink = std::function<void(const QString&)>;

// What scenario commands run against: the real window, or the window session
// alone with the toolkit's part played by the runner.
class ScenarioRun {
public:
    virtual ~ScenarioRun() = default;

    // Shows the window and runs its startup sequence. Returns an empty text
    // when the window is ready for input, and otherwise what was found
    // instead ("a hidden window", "an inactive window").
    virtual QString start() = 0;

    // True once END or the close button has ended the program.
    virtual bool ended() const = 0;

    struct Outcome {
        enum class Kind {
            Done,      // a command that acts on the window was carried out
            NoControl, // click or type named a control the window lacks
            Passed,    // an expectation held
            Failed,    // an expectation did not hold
        };
        Kind kind = Kind::Done;
        // For NoControl and Failed: the report, "expected WANT, got GOT".
        QString message;
    };

    // Executes one command as a scenario line would. A dump writes its lines
    // (each indented by two blanks) to the sink.
    Outcome execute(const Command& command, const LineSink& dumpLine);

    // Once every line of a file has run: what went wrong besides the
    // expectations ("expected WANT, got GOT"), each one a failure.
    virtual QStringList finish() { return {}; }

protected:
    // Whether the window has a control of that name (click and type).
    virtual bool hasControl(const QString& name) const = 0;
    virtual void click(const QString& name) = 0;
    virtual void keys(const QString& text) = 0;
    virtual void paste(const QString& text) = 0;
    virtual void close() = 0;
    virtual const Probe& reader() const = 0;
};

class Session : public ScenarioRun {
public:
    Session();
    ~Session() override;
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    QString start() override;
    bool ended() const override { return ended_; }

    const Telvor& window() const { return *window_; }
    const qrb::RecordingPrinter& printer() const { return printer_; }
    const WindowDriver& driver() const { return driver_; }
    const WindowProbe& probe() const { return probe_; }

protected:
    bool hasControl(const QString& name) const override;
    void click(const QString& name) override;
    void keys(const QString& text) override;
    void paste(const QString& text) override;
    void close() override;
    const Probe& reader() const override { return probe_; }

private:
    qrb::RecordingPrinter printer_;
    std::unique_ptr<Telvor> window_;
    bool ended_ = false;
    WindowDriver driver_;
    WindowProbe probe_;
};

} // namespace scenario
