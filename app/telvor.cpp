// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/telvor.h"

#include "app/appearance.h"
#include "app/line_list.h"
#include "app/print_notice.h"
#include "input/key_filter.h"
#include "output/printer.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace {

QString fromStd(const std::u16string& text) {
    return QString::fromStdU16String(text);
}

// The cursor and selection of a field as the session counts them.
qrb::Caret caretOf(const QLineEdit* field) {
    qrb::Caret caret;
    caret.cursor = field->cursorPosition();
    if (field->hasSelectedText()) {
        caret.selectionStart = field->selectionStart();
        caret.selectionLength = field->selectionLength();
    }
    return caret;
}

} // namespace

Telvor::Telvor(qrb::Printer& printer, QWidget* parent) : QWidget(parent), printer_(printer) {
    buildControls();

    for (const Id id : {Id::OK1, Id::OK2, Id::DRU, Id::INF}) {
        connect(static_cast<QAbstractButton*>(widget(id)), &QAbstractButton::clicked, this,
                [this, id] { apply(session_.click(id)); });
    }
    connect(bandGroup_, &QButtonGroup::idClicked, this,
            [this](int band) { apply(session_.click(qrb::layout::bandButton(band))); });
    for (const Id id : {Id::LOC1, Id::LOC2, Id::QTH2}) {
        // A paste, Delete or a shortcut changes a field without a key of the filter.
        connect(lineEdit(id), &QLineEdit::textEdited, this, [this, id] { edited(id); });
    }
    for (QWidget* control : widgets_) {
        control->installEventFilter(this);
    }
    // The window goes on taking keys and clicks while the print server is
    // asked; a failure shows up beside DRU when it is known.
    printer_.printForWindow();
    printer_.setFailureListener(
        [this](const qrb::PrintOutcome& outcome) { showPrintFailure(outcome); });
}

Telvor::~Telvor() {
    printer_.setFailureListener({});
}

void Telvor::start() {
    show();
    apply(session_.start());
}

void Telvor::closeEvent(QCloseEvent* event) {
    event->accept();
    apply(session_.close());
}

QLineEdit* Telvor::lineEdit(Id id) const {
    return static_cast<QLineEdit*>(widget(id));
}

LineList* Telvor::lineList(Id id) const {
    return static_cast<LineList*>(widget(id));
}

std::optional<qrb::layout::Id> Telvor::idOf(const QObject* object) const {
    for (std::size_t i = 0; i < widgets_.size(); ++i) {
        if (widgets_[i] == object) {
            return static_cast<Id>(i);
        }
    }
    return std::nullopt;
}

// The three entry fields see every key that delivers a character before they
// insert it: printable characters, Backspace and Enter. Everything else (Tab,
// arrows, Delete, shortcuts such as Ctrl+V) goes to the field untouched. Every
// control tells the session when it gets the focus.
bool Telvor::eventFilter(QObject* watched, QEvent* event) {
    // Paints, moves and the like pass untouched and at once.
    if (event->type() != QEvent::FocusIn && event->type() != QEvent::KeyPress) {
        return QWidget::eventFilter(watched, event);
    }
    const std::optional<Id> id = idOf(watched);
    if (!id) {
        return QWidget::eventFilter(watched, event);
    }
    if (event->type() == QEvent::FocusIn) {
        if (!applying_) {
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            const bool byTab = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason;
            apply(session_.focusMoved(id, byTab));
        }
        return QWidget::eventFilter(watched, event);
    }
    if (event->type() == QEvent::KeyPress &&
        (*id == Id::LOC1 || *id == Id::LOC2 || *id == Id::QTH2)) {
        return keyPress(*id, *static_cast<QKeyEvent*>(event));
    }
    return QWidget::eventFilter(watched, event);
}

bool Telvor::keyPress(Id field, const QKeyEvent& key) {
    QString text = key.text();
    if (text.isEmpty()) {
        // Some platforms deliver Enter and Backspace without their character.
        if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) {
            text = QChar(qrb::kEnter);
        } else if (key.key() == Qt::Key_Backspace) {
            text = QChar(qrb::kBackspace);
        }
    }
    bool handled = false;
    // Codes the session does not take are the field's to act on as keys
    // (Delete, the shortcuts); the field inserts no control character.
    for (const QChar ch : text) {
        const char16_t code = ch.unicode();
        if (qrb::routeKey(code) != qrb::KeyRoute::Session) {
            continue;
        }
        handled = true;
        apply(session_.key(field, code, caretOf(lineEdit(field))));
        if (code == qrb::kEnter) {
            break;
        }
    }
    return handled;
}

void Telvor::edited(Id field) {
    const QLineEdit* entry = lineEdit(field);
    apply(session_.edited(field, entry->text().toStdU16String(), caretOf(entry)));
}

void Telvor::apply(const qrb::Changes& changes) {
    applying_ = true;
    for (std::size_t i = 0; i < qrb::layout::kControlCount; ++i) {
        const auto id = static_cast<Id>(i);
        if (changes.controls[i]) {
            applyControl(id);
        }
        if (const std::size_t added = changes.appended[i]; added > 0) {
            const std::vector<std::u16string>& lines = session_.lines(id);
            LineList* list = lineList(id);
            for (std::size_t at = lines.size() - added; at < lines.size(); ++at) {
                list->addLine(fromStd(lines[at]));
            }
        }
    }
    // The focus where the session has it; switching a focused control off
    // may have moved it in between.
    if (const std::optional<Id> focus = session_.focus()) {
        if (!widget(*focus)->hasFocus()) {
            widget(*focus)->setFocus();
        }
    } else if (QWidget* current = focusWidget(); current != nullptr && idOf(current)) {
        current->clearFocus();
    }
    applying_ = false;
    if (changes.print) {
        print(*changes.print);
    }
    if (changes.ended) {
        emit endRequested();
    }
}

void Telvor::applyControl(Id id) {
    const qrb::ControlState& state = session_.state(id);
    QWidget* control = widget(id);
    look::setBackColor(control, state.backColor);
    switch (qrb::layout::control(id).kind) {
    case qrb::layout::Kind::TextField:
    case qrb::layout::Kind::DisplayField: {
        auto* field = lineEdit(id);
        const QString text = fromStd(state.text);
        if (field->text() != text) {
            field->setText(text);
        }
        if (state.caret.selectionLength > 0) {
            field->setSelection(state.caret.selectionStart, state.caret.selectionLength);
        } else if (field->cursorPosition() != state.caret.cursor || field->hasSelectedText()) {
            field->setCursorPosition(state.caret.cursor);
        }
        break;
    }
    case qrb::layout::Kind::OptionButton: {
        auto* option = static_cast<QAbstractButton*>(control);
        if (option->isChecked() != state.checked) {
            // An exclusive group refuses to uncheck its checked button.
            bandGroup_->setExclusive(false);
            option->setChecked(state.checked);
            bandGroup_->setExclusive(true);
        }
        break;
    }
    default:
        break;
    }
    if (control->isEnabled() != state.enabled) {
        control->setEnabled(state.enabled);
    }
    if (control->isVisibleTo(this) != state.visible) {
        control->setVisible(state.visible);
    }
}

// Printing changes nothing in the window, whether or not a printer took the
// job: a failure is shown in a note beside DRU that goes away by itself.
void Telvor::print(const qrb::PrintJob& job) {
    // A note about an earlier print would now speak of this one.
    if (printNotice_) {
        printNotice_->hide();
    }
    const qrb::PrintOutcome outcome = printer_.print(job);
    if (!outcome.accepted) {
        showPrintFailure(outcome);
    }
}

void Telvor::showPrintFailure(const qrb::PrintOutcome& outcome) {
    if (!printNotice_) {
        printNotice_ = std::make_unique<PrintNotice>();
    }
    printNotice_->showBelow(widget(Id::DRU), fromStd(qrb::printFailureNote(outcome)));
}
