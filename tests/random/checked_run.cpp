// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/random/checked_run.h"

#include "tests/random/window_state.h"
#include "tests/runner/scenario_session.h"

#include <QWidget>

namespace randomized {

namespace {

using scenario::Command;

Command keyCommand(const QString& character) {
    Command c;
    c.kind = Command::Kind::Keys;
    c.text = character;
    return c;
}

Command clickCommand(const QString& control) {
    Command c;
    c.kind = Command::Kind::Click;
    c.control = control;
    return c;
}

void ignoreLine(const QString& /*line*/) {}

class CheckedRun {
public:
    CheckedRun() = default;

    RunOutcome run(const std::vector<Command>& steps) {
        const QString problem = session_.start();
        if (!problem.isEmpty()) {
            outcome_.startProblem = problem;
            return outcome_;
        }
        state_ = observer_.capture();
        if (auto v = checker_.start(state_)) {
            outcome_.failure = StepFailure{StepFailure::kAtStart, -1, *v};
            return outcome_;
        }
        for (std::size_t i = 0; i < steps.size() && !session_.ended(); ++i) {
            outcome_.stepsRun = i + 1;
            if (!runStep(i, steps[i])) {
                break;
            }
        }
        outcome_.contacts = static_cast<int>(state_.lists[1].size()) - 1;
        outcome_.printJobs = static_cast<int>(state_.jobCount);
        outcome_.ended = session_.ended();
        return outcome_;
    }

private:
    bool runStep(std::size_t index, const Command& command) {
        switch (command.kind) {
        case Command::Kind::Click:
        case Command::Kind::Type: {
            const QWidget* target = session_.driver().control(command.control);
            if (target == nullptr) {
                return true; // the runner reports it and goes on
            }
            const scenario::WindowDriver& driver = session_.driver();
            Action click;
            click.kind = Action::Kind::Click;
            click.control = command.control;
            const QWidget* hit = driver.controlAt(driver.centreOf(target));
            click.hit = hit != nullptr ? hit->objectName() : QString();
            if (!act(index, -1, click, clickCommand(command.control))) {
                return false;
            }
            return command.kind == Command::Kind::Click || typeKeys(index, command.text);
        }
        case Command::Kind::Keys:
            return typeKeys(index, command.text);
        case Command::Kind::Paste: {
            Action paste;
            paste.kind = Action::Kind::Paste;
            paste.text = command.text;
            return act(index, -1, paste, command);
        }
        case Command::Kind::Close: {
            Action close;
            close.kind = Action::Kind::Close;
            return act(index, -1, close, command);
        }
        case Command::Kind::Expect:
        case Command::Kind::Dump:
            break;
        }
        return true;
    }

    bool typeKeys(std::size_t index, const QString& text) {
        const std::vector<QString> keys = characters(text);
        for (std::size_t k = 0; k < keys.size() && !session_.ended(); ++k) {
            Action key;
            key.kind = Action::Kind::Key;
            key.text = keys[k];
            if (!act(index, static_cast<int>(k), key, keyCommand(keys[k]))) {
                return false;
            }
        }
        return true;
    }

    bool act(std::size_t index, int part, const Action& action, const Command& command) {
        session_.execute(command, ignoreLine);
        Snapshot after = observer_.capture();
        if (auto v = checker_.step(action, state_, after)) {
            outcome_.failure = StepFailure{index, part, *v};
            state_ = std::move(after);
            return false;
        }
        state_ = std::move(after);
        return true;
    }

    scenario::Session session_;
    Observer observer_{session_};
    Checker checker_;
    Snapshot state_;
    RunOutcome outcome_;
};

} // namespace

RunOutcome runChecked(const std::vector<Command>& steps) {
    CheckedRun run;
    return run.run(steps);
}

void runUnchecked(const std::vector<Command>& steps) {
    scenario::Session session;
    if (!session.start().isEmpty()) {
        return;
    }
    for (const Command& command : steps) {
        if (session.ended()) {
            break;
        }
        session.execute(command, ignoreLine);
    }
}

std::vector<QString> characters(const QString& text) {
    std::vector<QString> result;
    // Split the way the driver sends keys: one key per character, an
    // unpaired surrogate standing for the replacement character.
    const QList<uint> codes = text.toUcs4();
    result.reserve(static_cast<std::size_t>(codes.size()));
    for (const uint code : codes) {
        const auto c = static_cast<char32_t>(code);
        result.push_back(QString::fromUcs4(&c, 1));
    }
    return result;
}

} // namespace randomized
