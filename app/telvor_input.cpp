// SPDX-License-Identifier: GPL-3.0-or-later
// Entry of the own locator, the foreign locator and the old QTH-Kenner: the
// shared key filter, the first-key actions that start a new entry, and the
// completions on Enter with their checks.
#include "app/appearance.h"
#include "app/telvor.h"
#include "input/key_filter.h"
#include "input/locator_check.h"
#include "input/qth.h"

#include <QLineEdit>
#include <QPushButton>

namespace {
QString fromStd(const std::u16string& text) {
    return QString::fromStdU16String(text);
}
} // namespace

void Telvor::onKey(Entry entry, char16_t code) {
    const qrb::KeyStep step = qrb::filterKey(st_.TAST_ZAEHL, code);
    if (step.firstKey) {
        firstKey(entry);
    }
    if (step.enter) {
        complete(entry);
        return;
    }
    QLineEdit* target = field(entry);
    if (step.code == qrb::kBackspace) {
        target->backspace();
    } else {
        target->insert(QString(QChar(step.code)));
    }
}

// The first key of an entry replaces the previous text. A new entry anywhere
// also means the contact scored before is no longer the one being entered.
void Telvor::firstKey(Entry entry) {
    scored_.reset();
    okToLog_.reset();
    switch (entry) {
    case Entry::Loc1:
        ownPassed_ = false;
        look::setBackColor(LOC1, look::kLightGreen);
        LOC1->clear();
        LOC2->clear();
        QTH2->clear();
        BAANZ_AUS();
        OK1->setEnabled(true);
        break;
    case Entry::Loc2:
        LOC2->clear();
        QTH2->clear();
        look::setBackColor(LOC2, look::kLightGreen);
        look::setBackColor(QTH2, look::kGrey);
        DRU->setEnabled(false);
        break;
    case Entry::Qth2:
        QTH2->clear();
        LOC2->clear();
        look::setBackColor(QTH2, look::kLightGreen);
        look::setBackColor(LOC2, look::kGrey);
        break;
    }
}

void Telvor::markScored() {
    scored_ = ScoredPair{LOC1->text(), LOC2->text()};
}

// The key filter has already set the key counter back to 0 for this Enter.
void Telvor::complete(Entry entry) {
    switch (entry) {
    case Entry::Loc1:
        completeLoc1();
        break;
    case Entry::Loc2:
        completeLoc2();
        break;
    case Entry::Qth2:
        completeQth2();
        break;
    }
}

// Checks LOC_TEXT as a locator; the text comes back trimmed and cut to the square.
void Telvor::PRUEF_LOC() {
    const qrb::LocatorCheck check = qrb::checkLocator(st_.LOC_TEXT.toStdU16String());
    st_.FEHLER = check.error ? 1 : 0;
    st_.LOC_TEXT = fromStd(check.text);
}

// A completed locator must hold a whole square: two field letters and two
// digits. A shorter text breaks no character rule but cannot be scored.
void Telvor::checkCompletedLocator() {
    PRUEF_LOC();
    if (st_.LOC_TEXT.size() < 4) {
        st_.FEHLER = 1;
    }
}

void Telvor::completeLoc1() {
    look::setBackColor(LOC1, look::kGrey);
    st_.LOC_TEXT = LOC1->text();
    checkCompletedLocator();
    if (st_.FEHLER == 1) {
        markWrong(LOC1);
        return;
    }
    // Kept trimmed, so that the square is read from the first four characters.
    LOC1->setText(fromStd(qrb::trimBlanks(LOC1->text().toStdU16String())));
    ownPassed_ = true;
    look::setBackColor(LOC2, look::kLightGreen);
    LOC2->setEnabled(true);
    LOC2->setFocus();
}

void Telvor::completeLoc2() {
    st_.LOC_TEXT = LOC2->text();
    checkCompletedLocator();
    if (st_.FEHLER == 1) {
        markWrong(LOC2);
        return;
    }
    LOC2->setText(st_.LOC_TEXT.left(4));
    look::setBackColor(QTH2, look::kGrey);
    look::setBackColor(LOC2, look::kGrey);
    BAANZ_AUS();
    QRBPK_BER();
    if (st_.FEHLER == 0) {
        markScored();
        BAANZ_EIN();
    }
}

// Checks QTH_TEXT as an old QTH-Kenner; the text comes back trimmed.
void Telvor::PRUEF_QTH() {
    const qrb::QthCheck check = qrb::checkQth(st_.QTH_TEXT.toStdU16String());
    st_.FEHLER = check.error ? 1 : 0;
    st_.QTH_TEXT = fromStd(check.text);
}

// Writes the Maidenhead square of the checked QTH-Kenner into LOC2.
void Telvor::QTHLO_UMR() {
    LOC2->setText(fromStd(qrb::qthToSquare(st_.QTH_TEXT.toStdU16String())));
}

void Telvor::completeQth2() {
    st_.QTH_TEXT = QTH2->text();
    PRUEF_QTH();
    if (st_.FEHLER == 1) {
        markWrong(QTH2);
        return;
    }
    QTHLO_UMR();
    if (!ownPassed_) {
        // Nothing to score against yet: the own locator is to be typed first.
        st_.FEHLER = 1;
        look::setBackColor(QTH2, look::kGrey);
        look::setBackColor(LOC2, look::kGrey);
        look::setBackColor(LOC1, look::kLightGreen);
        LOC1->setFocus();
        return;
    }
    QRBPK_BER();
    look::setBackColor(QTH2, look::kGrey);
    look::setBackColor(LOC2, look::kGrey);
    BAANZ_EIN();
    if (st_.FEHLER == 0) {
        markScored();
    }
}
