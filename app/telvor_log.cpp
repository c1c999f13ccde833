// SPDX-License-Identifier: GPL-3.0-or-later
// The log: confirming a contact into it with the running sum, and printing it.
#include "app/appearance.h"
#include "app/line_list.h"
#include "app/print_notice.h"
#include "app/telvor.h"
#include "output/log_line.h"
#include "output/printer.h"
#include "scoring/bands.h"

#include <QLineEdit>
#include <QPushButton>
#include <vector>

namespace {
std::u16string stdText(const QLineEdit* field) {
    return field->text().toStdU16String();
}

std::vector<std::u16string> listLines(const LineList* list) {
    std::vector<std::u16string> lines;
    lines.reserve(static_cast<std::size_t>(list->count()));
    for (const QString& line : list->lines()) {
        lines.push_back(line.toStdU16String());
    }
    return lines;
}
} // namespace

// Only a contact that was scored, then given a band, and whose locators
// nobody has touched since (a paste or Delete reaches a field without a key
// of the filter), may be logged.
bool Telvor::okMayLog() const {
    return st_.FEHLER == 0 && okToLog_.has_value() &&
           *okToLog_ == ScoredPair{LOC1->text(), LOC2->text()};
}

void Telvor::refuseOk() {
    look::setBackColor(OK2, look::kGrey);
    OK2->setEnabled(false);
    markWrong(LOC2);
}

void Telvor::onOk() {
    if (!okMayLog()) {
        refuseOk();
        return;
    }
    look::setBackColor(OK2, look::kGrey);
    OK2->setEnabled(false);

    const std::int64_t qrb = qrb::numberValue(stdText(PANZ));
    LIST1->addLine(QString::fromStdU16String(
        qrb::logLine(stdText(LOC2), st_.BAND_NR, st_.QRB_PKT, st_.BAND_MUL, qrb)));
    const std::int64_t sum = qrb::numberValue(stdText(SU)) + qrb;
    SU->setText(QString::fromStdU16String(qrb::sumText(sum)));

    BAANZ_AUS();
    LOC2->clear();
    st_.QTH_TEXT.clear();
    PANZ->clear();
    scored_.reset();
    okToLog_.reset();
    look::setBackColor(LOC2, look::kLightGreen);
    LOC2->setFocus();
    DRU->setEnabled(true);
    OK1->setEnabled(true);
}

// Printing changes nothing in the window, whether or not a printer took the
// job: a failure is shown in a note beside DRU that goes away by itself, and
// the printer says why on standard error.
void Telvor::onPrint() {
    // A note about an earlier print would now speak of this one.
    if (printNotice_) {
        printNotice_->hide();
    }
    const bool handedOver = qrb::printLog(printer_, listLines(LIST0), listLines(LIST1));
    if (!handedOver && !printerReports_) {
        showPrintFailure(QString());
    }
}

void Telvor::showPrintFailure(const QString& reason) {
    if (!printNotice_) {
        printNotice_ = std::make_unique<PrintNotice>();
    }
    QString text = QStringLiteral("Nicht gedruckt");
    if (!reason.isEmpty()) {
        text += QStringLiteral(": ") + reason;
    }
    printNotice_->showBelow(DRU, text);
}
