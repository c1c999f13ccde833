// Scoring a contact: the point table, locators to coordinates, the lookup by
// square distance, and the band display with its multipliers.
#include "appearance.h"
#include "bands.h"
#include "coords.h"
#include "line_list.h"
#include "log_line.h"
#include "lookup.h"
#include "telvor.h"

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

void Telvor::LODEZ_UMR() {
    const qrb::Coords coords = qrb::locatorToCoords(st_.LOC_TEXT.toStdU16String());
    st_.LAENGE = coords.laenge;
    st_.BREITE = coords.breite;
}

// A field shorter than a square is never converted: the lookup fails and the
// short field is marked (LOC2 when both are short).
void Telvor::refuseShortLookup(bool ownShort) {
    st_.FEHLER = 1;
    QLineEdit* shortField = ownShort ? LOC1 : LOC2;
    markWrong(shortField);
}

// Points of the current contact: squares between own and foreign locator,
// counted east-west and north-south, looked up in the point table.
void Telvor::QRBPK_BER() {
    st_.FEHLER = 0;
    const QString own = LOC1->text();
    const QString foreign = LOC2->text();
    if (own.size() < 4 || foreign.size() < 4) {
        refuseShortLookup(foreign.size() >= 4);
        return;
    }
    if (qrb::startsWithFourBlanks(foreign.toStdU16String())) {
        st_.QRB_PKT = 0;
        return;
    }
    // Both squares get the same sub-square "MM", so their centres differ by
    // whole squares.
    st_.LOC_TEXT = own.left(4) + QStringLiteral("MM");
    LODEZ_UMR();
    const qrb::Coords ownCoords{st_.LAENGE, st_.BREITE};
    st_.LOC_TEXT = foreign.left(4) + QStringLiteral("MM");
    LODEZ_UMR();
    const qrb::Coords foreignCoords{st_.LAENGE, st_.BREITE};

    const qrb::SquareIndices idx = qrb::squareIndices(ownCoords, foreignCoords);
    if (!qrb::inTable(idx)) {
        st_.FEHLER = 1;
        markWrong(LOC2);
        return;
    }
    st_.QRB_PKT = st_.QRB_TAB.at(idx.x, idx.y);
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
