// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/runner/scenario_session.h"

#include "app/telvor.h"

#include <QTest>

namespace scenario {

ScenarioRun::Outcome ScenarioRun::execute(const Command& command, const LineSink& dumpLine) {
    Outcome outcome;
    switch (command.kind) {
    case Command::Kind::Click:
    case Command::Kind::Type:
        if (!hasControl(command.control)) {
            outcome.kind = Outcome::Kind::NoControl;
            outcome.message = QStringLiteral("expected a control named %1 in the window, got none")
                                  .arg(command.control);
            break;
        }
        click(command.control);
        if (command.kind == Command::Kind::Type) {
            keys(command.text);
        }
        break;
    case Command::Kind::Keys:
        keys(command.text);
        break;
    case Command::Kind::Paste:
        paste(command.text);
        break;
    case Command::Kind::Close:
        close();
        break;
    case Command::Kind::Expect: {
        const Observed got = reader().read(command.target);
        if (got.value && matches(command.value, *got.value)) {
            outcome.kind = Outcome::Kind::Passed;
        } else {
            outcome.kind = Outcome::Kind::Failed;
            outcome.message =
                QStringLiteral("expected %1, got %2").arg(render(command.value), got.render());
        }
        break;
    }
    case Command::Kind::Dump:
        reader().dump([&dumpLine](const QString& text) { dumpLine(QStringLiteral("  ") + text); });
        break;
    }
    return outcome;
}

Session::Session()
    : window_(std::make_unique<Telvor>(printer_)), driver_(window_.get()),
      probe_(*window_, driver_, printer_, ended_) {
    QObject::connect(window_.get(), &Telvor::endRequested, window_.get(),
                     [this] { ended_ = true; });
}

Session::~Session() {
    window_.reset();
    WindowDriver::settle();
}

QString Session::start() {
    window_->start();
    if (!QTest::qWaitForWindowExposed(window_.get()) ||
        !QTest::qWaitForWindowActive(window_.get())) {
        return window_->isVisible() ? QStringLiteral("an inactive window")
                                    : QStringLiteral("a hidden window");
    }
    WindowDriver::settle();
    return {};
}

bool Session::hasControl(const QString& name) const {
    return driver_.control(name) != nullptr;
}

void Session::click(const QString& name) {
    driver_.click(driver_.control(name));
}

void Session::keys(const QString& text) {
    driver_.keys(text);
}

void Session::paste(const QString& text) {
    driver_.paste(text);
}

void Session::close() {
    driver_.close();
}

} // namespace scenario
