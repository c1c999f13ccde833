// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/random/scenario_text.h"

#include "tests/runner/scenario_tokens.h"

#include <QFile>
#include <QStringDecoder>

namespace randomized {

namespace {

using scenario::Command;

QString joined(const std::vector<QString>& parts, std::size_t count) {
    QString text;
    for (std::size_t i = 0; i < count && i < parts.size(); ++i) {
        text += parts[i];
    }
    return text;
}

// The part of a command that ran up to the failure.
std::optional<Command> cutAt(const Command& command, int part) {
    Command cut = command;
    if (command.kind == Command::Kind::Type) {
        if (part < 0) {
            cut.kind = Command::Kind::Click;
            cut.text.clear();
        } else {
            cut.text = joined(characters(command.text), static_cast<std::size_t>(part) + 1);
        }
    } else if (command.kind == Command::Kind::Keys && part >= 0) {
        cut.text = joined(characters(command.text), static_cast<std::size_t>(part) + 1);
    }
    return cut;
}

// Comment text on one line.
QString commentLine(const QString& text) {
    QString line = text;
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return QStringLiteral("# ") + line + QLatin1Char('\n');
}

} // namespace

QString commandLine(const Command& command) {
    switch (command.kind) {
    case Command::Kind::Click:
        return QStringLiteral("click ") + command.control;
    case Command::Kind::Keys:
        return QStringLiteral("keys ") + scenario::quoted(command.text);
    case Command::Kind::Type:
        return QStringLiteral("type %1 %2").arg(command.control, scenario::quoted(command.text));
    case Command::Kind::Paste:
        return QStringLiteral("paste ") + scenario::quoted(command.text);
    case Command::Kind::Close:
        return QStringLiteral("close");
    case Command::Kind::Expect:
    case Command::Kind::Dump:
        break;
    }
    return QStringLiteral("dump");
}

QString scenarioText(const QStringList& comments, const std::vector<Command>& steps,
                     const std::optional<StepFailure>& failure) {
    QString text;
    for (const QString& comment : comments) {
        text += commentLine(comment);
    }
    std::size_t count = steps.size();
    if (failure) {
        count = failure->step == StepFailure::kAtStart ? 0 : failure->step;
    }
    for (std::size_t i = 0; i < count && i < steps.size(); ++i) {
        text += commandLine(steps[i]) + QLatin1Char('\n');
    }
    if (!failure) {
        return text;
    }
    if (failure->step != StepFailure::kAtStart && failure->step < steps.size()) {
        if (const std::optional<Command> cut = cutAt(steps[failure->step], failure->part)) {
            text += commandLine(*cut) + QLatin1Char('\n');
        }
    }
    text += commentLine(QStringLiteral("broken: ") + failure->violation.invariant);
    text += commentLine(QStringLiteral("found: ") + failure->violation.detail);
    const QString& expect = failure->violation.expect;
    if (!expect.isEmpty() &&
        scenario::parseLine(expect).status == scenario::ParsedLine::Status::Command) {
        text += expect + QLatin1Char('\n');
    }
    return text;
}

std::optional<std::vector<Command>> readScenario(const QString& path, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("%1: cannot open: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString content = decoder(file.readAll());
    if (decoder.hasError()) {
        error = QStringLiteral("%1: not valid UTF-8").arg(path);
        return std::nullopt;
    }
    std::vector<Command> steps;
    const QStringList lines = content.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r'))) {
            line.chop(1);
        }
        const scenario::ParsedLine parsed = scenario::parseLine(line);
        if (parsed.status == scenario::ParsedLine::Status::Malformed) {
            error =
                QStringLiteral("%1:%2: cannot read: %3").arg(path).arg(i + 1).arg(parsed.reason);
            return std::nullopt;
        }
        if (parsed.status == scenario::ParsedLine::Status::Command &&
            parsed.command.kind != Command::Kind::Expect &&
            parsed.command.kind != Command::Kind::Dump) {
            steps.push_back(parsed.command);
        }
    }
    return steps;
}

} // namespace randomized
