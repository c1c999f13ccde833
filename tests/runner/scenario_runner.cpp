#include "scenario_runner.h"

#include "recording_printer.h"
#include "scenario_command.h"
#include "telvor.h"
#include "window_driver.h"
#include "window_probe.h"

#include <QFile>
#include <QList>
#include <QStringDecoder>
#include <QTest>
#include <memory>
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

FileOutcome runScenarioFile(const QString& path, Tally& tally, const LineSink& emitLine) {
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

    RecordingPrinter printer;
    auto window = std::make_unique<Telvor>(printer);
    bool ended = false;
    QObject::connect(window.get(), &Telvor::endRequested, window.get(), [&ended] { ended = true; });
    window->start();
    if (!QTest::qWaitForWindowExposed(window.get()) || !QTest::qWaitForWindowActive(window.get())) {
        emitLine(QStringLiteral("%1: expected the started window shown and active, got %2")
                     .arg(path, window->isVisible() ? QStringLiteral("an inactive window")
                                                    : QStringLiteral("a hidden window")));
        ++tally.failed;
        return FileOutcome::Ran;
    }
    WindowDriver::settle();

    WindowDriver driver(window.get());
    const WindowProbe probe(*window, driver, printer, ended);
    for (const NumberedLine& line : lines) {
        if (line.parsed.status != ParsedLine::Status::Command) {
            continue;
        }
        const Command& command = line.parsed.command;
        if (ended && !allowedAfterEnd(command.kind)) {
            // A command for a program that is no longer there: the rest of the
            // file cannot mean anything, so it stops here.
            emitLine(where(line.number) +
                     QStringLiteral("cannot read: the program has ended (END or close); only "
                                    "expect and dump may follow"));
            ++tally.failed;
            break;
        }
        switch (command.kind) {
        case Command::Kind::Click:
        case Command::Kind::Type: {
            QWidget* target = driver.control(command.control);
            if (target == nullptr) {
                emitLine(where(line.number) +
                         QStringLiteral("expected a control named %1 in the window, got none")
                             .arg(command.control));
                ++tally.failed;
                break;
            }
            driver.click(target);
            if (command.kind == Command::Kind::Type) {
                driver.keys(command.text);
            }
            break;
        }
        case Command::Kind::Keys:
            driver.keys(command.text);
            break;
        case Command::Kind::Paste:
            driver.paste(command.text);
            break;
        case Command::Kind::Close:
            driver.close();
            break;
        case Command::Kind::Expect: {
            const Observed got = probe.read(command.target);
            if (got.value && matches(command.value, *got.value)) {
                ++tally.passed;
            } else {
                ++tally.failed;
                emitLine(
                    where(line.number) +
                    QStringLiteral("expected %1, got %2").arg(render(command.value), got.render()));
            }
            break;
        }
        case Command::Kind::Dump:
            emitLine(where(line.number) + QStringLiteral("dump"));
            probe.dump([&emitLine](const QString& text) { emitLine(QStringLiteral("  ") + text); });
            break;
        }
    }
    window.reset();
    WindowDriver::settle();
    return FileOutcome::Ran;
}

} // namespace scenario
