// SPDX-License-Identifier: GPL-3.0-or-later
// Scoring a contact: the point table, locators to coordinates, the lookup by
// square distance, and the band display with its multipliers.
#include "app/appearance.h"
#include "app/line_list.h"
#include "app/telvor.h"
#include "output/log_line.h"
#include "scoring/bands.h"
#include "scoring/coords.h"
#include "scoring/score.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

void Telvor::QRBPK_INI() {
    st_.QRB_TAB = qrb::buildQrbTable();
    for (const std::string& line : qrb::tableListing(st_.QRB_TAB)) {
        LIST2->addLine(QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size())));
    }
}

// The locator converted last, as the lookup leaves it: its text with the
// centre sub-square and its coordinates.
void Telvor::LODEZ_UMR(const QString& square, qrb::Coords centre) {
    const std::u16string_view sub = qrb::kCentreSubSquare;
    st_.LOC_TEXT =
        square.left(4) + QString::fromUtf16(sub.data(), static_cast<qsizetype>(sub.size()));
    st_.LAENGE = centre.laenge;
    st_.BREITE = centre.breite;
}

// Points of the current contact: squares between own and foreign locator,
// counted east-west and north-south, looked up in the point table. A field
// shorter than a square is never converted: the lookup fails and the short
// field is marked (LOC2 when both are short).
void Telvor::QRBPK_BER() {
    st_.FEHLER = 0;
    const QString foreign = LOC2->text();
    const qrb::SquareScore score =
        qrb::scoreSquares(st_.QRB_TAB, LOC1->text().toStdU16String(), foreign.toStdU16String());
    if (score.converted) {
        LODEZ_UMR(foreign, score.foreign);
    }
    switch (score.why) {
    case qrb::NoPoints::None:
        st_.QRB_PKT = score.points;
        return;
    case qrb::NoPoints::ShortOwn:
        st_.FEHLER = 1;
        markWrong(LOC1);
        return;
    case qrb::NoPoints::ShortForeign:
    case qrb::NoPoints::OutOfTable:
        st_.FEHLER = 1;
        markWrong(LOC2);
        return;
    }
}

void Telvor::clearBandSelection() {
    // An exclusive group refuses to uncheck its checked button.
    bandGroup_->setExclusive(false);
    for (QRadioButton* option : B) {
        option->setChecked(false);
    }
    bandGroup_->setExclusive(true);
}

void Telvor::BAANZ_EIN() {
    look::setBackColor(BAND, look::kLightGreen);
    for (QRadioButton* option : B) {
        look::setBackColor(option, look::kLightGreen);
    }
    clearBandSelection();
    for (QRadioButton* option : B) {
        option->setEnabled(true);
    }
}

void Telvor::BAANZ_AUS() {
    look::setBackColor(BAND, look::kGrey);
    for (QRadioButton* option : B) {
        option->setEnabled(false);
    }
    for (QRadioButton* option : B) {
        look::setBackColor(option, look::kGrey);
    }
    clearBandSelection();
}

void Telvor::onBand(int index) {
    const qrb::Band& band = qrb::kBands[static_cast<std::size_t>(index)];
    st_.BAND_MUL = band.multiplier;
    st_.BAND_NR = static_cast<std::int16_t>(index);
    for (int other = 0; other < qrb::kBandCount; ++other) {
        if (qrb::bandDisabledBy(index, other)) {
            B[static_cast<std::size_t>(other)]->setEnabled(false);
        }
    }
    if (index == qrb::kRelookupBand) {
        QRBPK_BER();
    }
    PANZ->setText(
        QString::fromStdU16String(qrb::decimalText(std::int64_t{st_.QRB_PKT} * st_.BAND_MUL)));
    if (st_.FEHLER == 0) {
        look::setBackColor(OK2, look::kLightGreen);
        OK2->setEnabled(true);
        OK2->setFocus();
        okToLog_ = scored_;
    }
}
