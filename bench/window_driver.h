// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Drives the real window the way a person does, for the window benchmarks:
// keys and clicks go through QTest to the controls found by their names.

#include "app/telvor.h"
#include "output/recording_printer.h"

#include <QString>
#include <memory>

class QLineEdit;
class LineList;
class QPushButton;
class QRadioButton;

namespace bench {

// Whether the events that a step leaves behind (repaints above all) are
// handled right after it, as between the keys of a person typing, or not at
// all, which leaves the handlers and what Qt paints at once (a pressed button
// repaints immediately, together with everything else pending).
enum class Repaint { AfterEachStep, Never };

// A started window with the own locator confirmed, ready for contacts.
class ContactWindow {
public:
    explicit ContactWindow(const QString& ownLocator = QStringLiteral("jo62qm"));
    ~ContactWindow();
    ContactWindow(const ContactWindow&) = delete;
    ContactWindow& operator=(const ContactWindow&) = delete;

    // One whole contact: the foreign locator typed into LOC2 with Enter, the
    // band button B2 (432 MHz) clicked, then OK2.
    void contact(const QString& foreignLocator, Repaint repaint);

    // Text pasted into a field as Ctrl+V does (inserted at the cursor of the
    // focused field, no key typed), then Enter there. A non-null firstKey is
    // typed before the paste, so that the Enter completes the pasted entry
    // instead of starting a new one. The paste, the Enter and the repaint
    // after each are timed separately, in nanoseconds.
    struct PasteTimes {
        long long pasteNs = 0;
        long long paintAfterPasteNs = 0;
        long long enterNs = 0;
        long long paintAfterEnterNs = 0;
    };
    PasteTimes pasteAndEnter(QLineEdit* field, QChar firstKey, const QString& text);

    Telvor& window() { return *window_; }
    QLineEdit* loc1() const { return loc1_; }
    QLineEdit* loc2() const { return loc2_; }
    QLineEdit* qth2() const { return qth2_; }
    QLineEdit* su() const { return su_; }
    LineList* log() const { return log_; }

    // All posted events handled, as the event loop does between inputs.
    static void settle();

private:
    void typeAndEnter(QLineEdit* field, const QString& text, Repaint repaint);

    // Printing is not measured.
    qrb::RecordingPrinter printer_;
    std::unique_ptr<Telvor> window_;
    QLineEdit* loc1_ = nullptr;
    QLineEdit* loc2_ = nullptr;
    QLineEdit* qth2_ = nullptr;
    QLineEdit* su_ = nullptr;
    LineList* log_ = nullptr;
    QRadioButton* band432_ = nullptr;
    QPushButton* ok_ = nullptr;
};

} // namespace bench
