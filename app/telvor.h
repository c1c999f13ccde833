// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "scoring/coords.h"
#include "scoring/qrb_table.h"

#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>

class QButtonGroup;
class QGroupBox;
class QLineEdit;
class LineList;
class QPushButton;
class QRadioButton;
class PrintNotice;

namespace qrb {
class Printer;
}

// State that every handler of the window shares, alive for the whole run.
struct SharedState {
    std::int16_t FEHLER = 0;      // 1 after a failed check or an out-of-range lookup
    std::uint64_t TAST_ZAEHL = 0; // keys since the last Enter in any entry field
    std::uint64_t INF_ZAEHL = 0;  // clicks on "?"; odd shows the help panel
    std::int16_t BAND_NR = 0;     // index of the chosen band
    std::int16_t BAND_MUL = 0;    // multiplier of the chosen band
    qrb::QrbTable QRB_TAB;        // points by square distance
    float LAENGE = 0.0F;          // longitude of the locator converted last
    float BREITE = 0.0F;          // latitude of the locator converted last
    QString LOC_TEXT;             // locator being checked or converted
    QString QTH_TEXT;             // QTH-Kenner being checked or converted
    std::int16_t QRB_PKT = 0;     // points of the current contact
};

// The one window of the program. Every control is a child with its name as
// objectName; its background colour (0x00BBGGRR) is kept in the property
// "backColor" and its tab index in "tabIndex".
class Telvor : public QWidget {
    Q_OBJECT

public:
    explicit Telvor(qrb::Printer& printer, QWidget* parent = nullptr);
    ~Telvor() override;

    // Shows the window and runs the startup sequence.
    void start();

    const SharedState& shared() const { return st_; }

signals:
    // END or the close button: the program is to end now.
    void endRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Entry { Loc1, Loc2, Qth2 };

    // Building the window (telvor_layout.cpp).
    void buildControls();
    void applyTabOrder();

    // Window procedures.
    void PRUEF_LOC();
    void QRBPK_INI();
    void QRBPK_BER();
    void LODEZ_UMR(const QString& square, qrb::Coords centre);
    void BAANZ_EIN();
    void BAANZ_AUS();
    void QTHLO_UMR();
    void PRUEF_QTH();
    void INFO_EIN();

    // Event handlers.
    void onEnd();
    void onOk();
    void onPrint();
    void showPrintFailure(const QString& reason);
    void onInfo();
    void onBand(int index);
    void onKey(Entry entry, char16_t code);
    void firstKey(Entry entry);
    void complete(Entry entry);
    void completeLoc1();
    void completeLoc2();
    void completeQth2();
    void checkCompletedLocator();
    void clearBandSelection();
    void markScored();
    bool okMayLog() const;
    void refuseOk();

    void markWrong(QLineEdit* entry);
    QLineEdit* field(Entry entry) const;

    qrb::Printer& printer_;
    // The printer reports its failures itself, also those found after the
    // click (the real printer asks the print server in the background).
    bool printerReports_ = false;
    // Where a failed print is shown; made on the first failure.
    std::unique_ptr<PrintNotice> printNotice_;
    SharedState st_;
    // The locators a completed entry scored, and the same pair once a band has
    // been chosen for it: OK logs a contact only while LOC1 and LOC2 still
    // hold exactly those texts, so no line can carry points of another contact.
    struct ScoredPair {
        QString own;
        QString foreign;
        bool operator==(const ScoredPair&) const = default;
    };
    std::optional<ScoredPair> scored_;
    std::optional<ScoredPair> okToLog_;
    // The last completion of the own locator passed and LOC1 was not begun anew.
    bool ownPassed_ = false;

    QPushButton* OK1 = nullptr;
    LineList* LIST2 = nullptr;
    QPushButton* DRU = nullptr;
    QLineEdit* SU = nullptr;
    QLineEdit* LOC1 = nullptr;
    LineList* LIST0 = nullptr;
    LineList* LIST1 = nullptr;
    QLineEdit* LOC2 = nullptr;
    LineList* LIST3 = nullptr;
    QLineEdit* QTH2 = nullptr;
    QPushButton* INF = nullptr;
    QGroupBox* BAND = nullptr;
    std::array<QRadioButton*, 10> B{};
    QButtonGroup* bandGroup_ = nullptr;
    QLineEdit* PANZ = nullptr;
    QPushButton* OK2 = nullptr;
};
