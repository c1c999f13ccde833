// SPDX-License-Identifier: GPL-3.0-or-later
// qrb-scenario FILE...: runs scenario files against the real window.
//
// Every file gets a freshly created and started window and a fresh recording
// printer; nothing carries over. Failed expectations and unreadable lines are
// written to standard output as they happen, followed by the line
// "N passed, M failed". A file that cannot be opened is reported and skipped;
// the others still run. Exit status: 2 when a file could not be opened (or no
// file was named), otherwise 1 when anything failed, otherwise 0.

#include "tests/runner/scenario_runner.h"

#include <QApplication>
#include <QStringList>
#include <cstdio>

int main(int argc, char** argv) {
    // Without a display the window runs on the offscreen platform, unless the
    // caller chose a platform.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    // The runner decides when it ends, not the windows it closes.
    QApplication::setQuitOnLastWindowClosed(false);

    const QStringList files = QApplication::arguments().mid(1);
    if (files.isEmpty()) {
        std::fputs("usage: qrb-scenario FILE...\n", stderr);
        return 2;
    }

    const scenario::LineSink emitLine = [](const QString& line) {
        const QByteArray bytes = line.toUtf8() + '\n';
        std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout);
        std::fflush(stdout);
    };

    scenario::Tally tally;
    bool cannotOpen = false;
    for (const QString& file : files) {
        if (scenario::runScenarioFile(file, tally, emitLine) == scenario::FileOutcome::CannotOpen) {
            cannotOpen = true;
        }
    }
    emitLine(QStringLiteral("%1 passed, %2 failed").arg(tally.passed).arg(tally.failed));
    if (cannotOpen) {
        return 2;
    }
    return tally.failed > 0 ? 1 : 0;
}
