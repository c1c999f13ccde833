// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/runner/scenario_session.h"

#include "app/telvor.h"

#include <QTest>

namespace scenario {

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

Session::Outcome Session::execute(const Command& command, const LineSink& dumpLine) {
    Outcome outcome;
    switch (command.kind) {
    case Command::Kind::Click:
    case Command::Kind::Type: {
        QWidget* target = driver_.control(command.control);
        if (target == nullptr) {
            outcome.kind = Outcome::Kind::NoControl;
            outcome.message = QStringLiteral("expected a control named %1 in the window, got none")
                                  .arg(command.control);
            break;
        }
        driver_.click(target);
        if (command.kind == Command::Kind::Type) {
            driver_.keys(command.text);
        }
        break;
    }
    case Command::Kind::Keys:
        driver_.keys(command.text);
        break;
    case Command::Kind::Paste:
        driver_.paste(command.text);
        break;
    case Command::Kind::Close:
        driver_.close();
        break;
    case Command::Kind::Expect: {
        const Observed got = probe_.read(command.target);
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
        probe_.dump([&dumpLine](const QString& text) { dumpLine(QStringLiteral("  ") + text); });
        break;
    }
    return outcome;
}

} // namespace scenario
