// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/telvor.h"

#include "app/appearance.h"
#include "app/line_list.h"
#include "app/print_notice.h"
#include "input/help_text.h"
#include "input/key_filter.h"
#include "output/log_line.h"
#include "output/qt/qt_printer.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

Telvor::Telvor(qrb::Printer& printer, QWidget* parent) : QWidget(parent), printer_(printer) {
    buildControls();

    connect(OK1, &QPushButton::clicked, this, &Telvor::onEnd);
    connect(OK2, &QPushButton::clicked, this, &Telvor::onOk);
    connect(DRU, &QPushButton::clicked, this, &Telvor::onPrint);
    connect(INF, &QPushButton::clicked, this, &Telvor::onInfo);
    connect(bandGroup_, &QButtonGroup::idClicked, this, &Telvor::onBand);
    for (QLineEdit* entry : {LOC1, LOC2, QTH2}) {
        entry->installEventFilter(this);
    }
    // The window goes on taking keys and clicks while the print server is
    // asked; a failure shows up beside DRU when it is known. The lines on
    // standard error carry the program's name.
    if (auto* real = dynamic_cast<QtPrinter*>(&printer_)) {
        real->setInBackground(true);
        real->setProgramName(QStringLiteral("qrb-punkte"));
        connect(real, &QtPrinter::notPrinted, this, &Telvor::showPrintFailure);
        printerReports_ = true;
    }
}

Telvor::~Telvor() = default;

void Telvor::start() {
    show();
    QRBPK_INI();
    INFO_EIN();
    look::setBackColor(LOC1, look::kLightGreen);
    LOC1->setEnabled(true);
    LOC1->setFocus();
    QTH2->setEnabled(true);
    LIST0->addLine(
        QString::fromUtf16(qrb::kLogHeader.data(), static_cast<qsizetype>(qrb::kLogHeader.size())));
    LIST1->addLine(QString());
}

void Telvor::onEnd() {
    emit endRequested();
}

void Telvor::closeEvent(QCloseEvent* event) {
    event->accept();
    emit endRequested();
}

// The help panel about the old QTH-Kenner.
void Telvor::INFO_EIN() {
    for (std::u16string_view line : qrb::kHelpLines) {
        LIST3->addLine(QString::fromUtf16(line.data(), static_cast<qsizetype>(line.size())));
    }
}

void Telvor::onInfo() {
    st_.INF_ZAEHL = qrb::nextClickCount(st_.INF_ZAEHL);
    LIST3->setVisible(qrb::helpShown(st_.INF_ZAEHL));
}

// The three entry fields see every key that delivers a character before they
// insert it: printable characters, Backspace and Enter. Everything else (Tab,
// arrows, Delete, shortcuts such as Ctrl+V) goes to the field untouched.
bool Telvor::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return QWidget::eventFilter(watched, event);
    }
    Entry entry = Entry::Loc1;
    if (watched == LOC2) {
        entry = Entry::Loc2;
    } else if (watched == QTH2) {
        entry = Entry::Qth2;
    } else if (watched != LOC1) {
        return QWidget::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    QString text = key->text();
    if (text.isEmpty()) {
        // Some platforms deliver Enter and Backspace without their character.
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            text = QChar(qrb::kEnter);
        } else if (key->key() == Qt::Key_Backspace) {
            text = QChar(qrb::kBackspace);
        }
    }
    bool handled = false;
    for (const QChar ch : text) {
        const char16_t code = ch.unicode();
        if (!qrb::deliversCharacter(code)) {
            continue;
        }
        handled = true;
        onKey(entry, code);
        if (code == qrb::kEnter) {
            break;
        }
    }
    return handled;
}

QLineEdit* Telvor::field(Entry entry) const {
    switch (entry) {
    case Entry::Loc1:
        return LOC1;
    case Entry::Loc2:
        return LOC2;
    case Entry::Qth2:
        break;
    }
    return QTH2;
}

// An input in error turns light red and gets the focus back, where the field
// can take it, so that the next key starts the entry anew.
void Telvor::markWrong(QLineEdit* entry) {
    look::setBackColor(entry, look::kLightRed);
    if (entry->isEnabled()) {
        entry->setFocus();
    }
}
