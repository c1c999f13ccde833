// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/runner/scenario_runner.h"

#include "tests/runner/scenario_command.h"
#include "tests/runner/scenario_session.h"

#include <QFile>
#include <QList>
#include <QStringDecoder>
#include <vector>

namespace scenario {

namespace {

struct NumberedLine {
    int number = 0;
    ParsedLine parsed;
};

// Splits the file into lines (LF or CR LF) and reads each one. A line that is
// not valid UTF-8 is malformed like any other unreadable line.
std::vector<NumberedLine> readLines(const QByteArray& bytes) {
    std::vector<NumberedLine> lines;
    const QList<QByteArray> rawLines = bytes.split('\n');
    for (qsizetype i = 0; i < rawLines.size(); ++i) {
        QByteArray raw = rawLines[i];
        if (i + 1 == rawLines.size() && raw.isEmpty()) {
            break; // the newline that ends the last line
        }
        if (raw.endsWith('\r')) {
            raw.chop(1);
        }
        NumberedLine line;
        line.number = static_cast<int>(i + 1);
        QStringDecoder decoder(QStringDecoder::Utf8);
        const QString text = decoder(raw);
        if (decoder.hasError()) {
            line.parsed.status = ParsedLine::Status::Malformed;
            line.parsed.reason = QStringLiteral("the line is not valid UTF-8");
        } else {
            line.parsed = parseLine(text);
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

bool allowedAfterEnd(Command::Kind kind) {
    return kind == Command::Kind::Expect || kind == Command::Kind::Dump;
}

} // namespace

FileOutcome runScenarioFile(const QString& path, Tally& tally, const LineSink& emitLine,
                            const RunMaker& makeRun) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        emitLine(QStringLiteral("%1: cannot open: %2").arg(path, file.errorString()));
        return FileOutcome::CannotOpen;
    }
    const std::vector<NumberedLine> lines = readLines(file.readAll());
    const auto where = [&path](int number) {
        return QStringLiteral("%1:%2: ").arg(path).arg(number);
    };

    // Every line is read before anything runs, so that all unreadable lines of
    // a file are reported together; each counts as one failure, and a file
    // with any of them is not run at all.
    bool readable = true;
    for (const NumberedLine& line : lines) {
        if (line.parsed.status == ParsedLine::Status::Malformed) {
            emitLine(where(line.number) + QStringLiteral("cannot read: ") + line.parsed.reason);
            ++tally.failed;
            readable = false;
        }
    }
    if (!readable) {
        return FileOutcome::Ran;
    }

    const std::unique_ptr<ScenarioRun> run = makeRun ? makeRun() : std::make_unique<Session>();
    ScenarioRun& session = *run;
    const QString problem = session.start();
    if (!problem.isEmpty()) {
        emitLine(QStringLiteral("%1: expected the started window shown and active, got %2")
                     .arg(path, problem));
        ++tally.failed;
        return FileOutcome::Ran;
    }

    for (const NumberedLine& line : lines) {
        if (line.parsed.status != ParsedLine::Status::Command) {
            continue;
        }
        const Command& command = line.parsed.command;
        if (session.ended() && !allowedAfterEnd(command.kind)) {
            // A command for a program that is no longer there: the rest of the
            // file cannot mean anything, so it stops here.
            emitLine(where(line.number) +
                     QStringLiteral("cannot read: the program has ended (END or close); only "
                                    "expect and dump may follow"));
            ++tally.failed;
            break;
        }
        if (command.kind == Command::Kind::Dump) {
            emitLine(where(line.number) + QStringLiteral("dump"));
        }
        const ScenarioRun::Outcome outcome = session.execute(command, emitLine);
        switch (outcome.kind) {
        case ScenarioRun::Outcome::Kind::Done:
            break;
        case ScenarioRun::Outcome::Kind::Passed:
            ++tally.passed;
            break;
        case ScenarioRun::Outcome::Kind::NoControl:
        case ScenarioRun::Outcome::Kind::Failed:
            emitLine(where(line.number) + outcome.message);
            ++tally.failed;
            break;
        }
    }
    for (const QString& problem : session.finish()) {
        emitLine(QStringLiteral("%1: %2").arg(path, problem));
        ++tally.failed;
    }
    return FileOutcome::Ran;
}

} // namespace scenario
