// SPDX-License-Identifier: GPL-3.0-or-later
// qrb-scenario [--session | --web PAGE] FILE...: runs scenario files against
// the real window, with --session against the window session alone, no
// window and no toolkit at all, or with --web against the page PAGE
// (qrb-punkte.html) in a headless Chromium ($QRB_BROWSER, or chromium),
// one browser for all files, each file in a tab of its own.
//
// Every file gets a freshly created and started window and a fresh recording
// printer; nothing carries over. Failed expectations and unreadable lines are
// written to standard output as they happen, followed by the line
// "N passed, M failed". A file that cannot be opened is reported and skipped;
// the others still run. Exit status: 2 when a file could not be opened (or no
// file was named), otherwise 1 when anything failed, otherwise 0.

#include "tests/runner/devtools.h"
#include "tests/runner/page_run.h"
#include "tests/runner/scenario_runner.h"
#include "tests/runner/session_alone.h"

#include <QApplication>
#include <QFileInfo>
#include <QStringList>
#include <QUrl>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int runFiles(const QStringList& files, const scenario::RunMaker& makeRun) {
    if (files.isEmpty()) {
        std::fputs("usage: qrb-scenario [--session | --web PAGE] FILE...\n", stderr);
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
        if (scenario::runScenarioFile(file, tally, emitLine, makeRun) ==
            scenario::FileOutcome::CannotOpen) {
            cannotOpen = true;
        }
    }
    emitLine(QStringLiteral("%1 passed, %2 failed").arg(tally.passed).arg(tally.failed));
    if (cannotOpen) {
        return 2;
    }
    return tally.failed > 0 ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--session") == 0) {
        QStringList files;
        for (int i = 2; i < argc; ++i) {
            files.append(QString::fromLocal8Bit(argv[i]));
        }
        return runFiles(files, [] { return std::make_unique<scenario::SessionAlone>(); });
    }
    if (argc > 2 && std::strcmp(argv[1], "--web") == 0) {
        const QString page = QString::fromLocal8Bit(argv[2]);
        QStringList files;
        for (int i = 3; i < argc; ++i) {
            files.append(QString::fromLocal8Bit(argv[i]));
        }
        const std::string url =
            QUrl::fromLocalFile(QFileInfo(page).absoluteFilePath()).toEncoded().toStdString();
        const char* program = std::getenv("QRB_BROWSER");
        scenario::devtools::Browser browser;
        std::string failure;
        return runFiles(files, [&]() -> std::unique_ptr<scenario::ScenarioRun> {
            // Started with the first file; a browser that would not start is
            // reported for every file.
            if (!browser.running() && failure.empty()) {
                failure =
                    browser.start(program != nullptr && *program != '\0' ? program : "chromium");
            }
            return std::make_unique<scenario::PageRun>(browser, url, failure);
        });
    }
    // Without a display the window runs on the offscreen platform, unless the
    // caller chose a platform.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    // The runner decides when it ends, not the windows it closes.
    QApplication::setQuitOnLastWindowClosed(false);

    return runFiles(QApplication::arguments().mid(1), {});
}
