// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One run of the window for scenario commands: a freshly created window with
// a fresh recording printer, started as at program start, and the commands of
// a scenario executed against it. qrb-scenario runs every file through one of
// these; other test tools use the same class so that their steps behave
// exactly as the same lines of a scenario file would.

#include "tests/runner/recording_printer.h"
#include "tests/runner/scenario_command.h"
#include "tests/runner/window_driver.h"
#include "tests/runner/window_probe.h"

#include <QString>
#include <functional>
#include <memory>

class Telvor;

namespace scenario {

using LineSink = std::function<void(const QString&)>;

class Session {
public:
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Shows the window and runs its startup sequence, then waits until the
    // window is exposed and active. Returns an empty text when it is, and
    // otherwise what was found instead ("a hidden window", "an inactive
    // window").
    QString start();

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

    // True once END or the close button has ended the program.
    bool ended() const { return ended_; }

    const Telvor& window() const { return *window_; }
    const RecordingPrinter& printer() const { return printer_; }
    const WindowDriver& driver() const { return driver_; }
    const WindowProbe& probe() const { return probe_; }

private:
    RecordingPrinter printer_;
    std::unique_ptr<Telvor> window_;
    bool ended_ = false;
    WindowDriver driver_;
    WindowProbe probe_;
};

} // namespace scenario
