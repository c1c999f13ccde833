// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "session/layout.h"
#include "session/window_session.h"

#include <QWidget>
#include <array>
#include <memory>
#include <optional>

class QButtonGroup;
class QKeyEvent;
class QLineEdit;
class LineList;
class PrintNotice;

namespace qrb {
class Printer;
}

using SharedState = qrb::SharedState;

// The one window of the program, a view of the window session: it builds the
// controls from the layout table, hands every key, click and focus move to
// the session and shows what the session then holds. Every control is a child
// with its name as objectName; its background colour (0x00BBGGRR) is kept in
// the property "backColor" and its tab index in "tabIndex".
class Telvor : public QWidget {
    Q_OBJECT

public:
    explicit Telvor(qrb::Printer& printer, QWidget* parent = nullptr);
    ~Telvor() override;

    // Shows the window and runs the startup sequence.
    void start();

    const SharedState& shared() const { return session_.shared(); }
    const qrb::WindowSession& session() const { return session_; }

signals:
    // END or the close button: the program is to end now.
    void endRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using Id = qrb::layout::Id;

    // Building the window (telvor_layout.cpp).
    void buildControls();
    void applyTabOrder();

    QWidget* widget(Id id) const { return widgets_[qrb::layout::index(id)]; }
    QLineEdit* lineEdit(Id id) const;
    LineList* lineList(Id id) const;
    std::optional<Id> idOf(const QObject* object) const;

    // Shows what an event changed.
    void apply(const qrb::Changes& changes);
    void applyControl(Id id);
    void print(const qrb::PrintJob& job);
    void showPrintFailure(const qrb::PrintOutcome& outcome);

    bool keyPress(Id field, const QKeyEvent& key);
    void edited(Id field);

    qrb::WindowSession session_;
    qrb::Printer& printer_;
    // Where a failed print is shown; made on the first failure.
    std::unique_ptr<PrintNotice> printNotice_;
    std::array<QWidget*, qrb::layout::kControlCount> widgets_{};
    QButtonGroup* bandGroup_ = nullptr;
    // Set while the session's state is shown: the focus moves this makes are
    // the session's own and go back to it.
    bool applying_ = false;
};
