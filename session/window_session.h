// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The rules of the window, knowing no toolkit: the shared variables, the
// state of every control, the window procedures and the handlers of what a
// person does. A view forwards keys, clicks and focus moves here and applies
// what comes back; the scenario runner drives it with no window at all.

#include "output/printer.h"
#include "scoring/qrb_table.h"
#include "session/layout.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qrb {

// What becomes of a character code that a key brings to an entry field
// (LOC1, LOC2, QTH2). Every view asks this before the field sees the key.
enum class KeyRoute : std::uint8_t {
    // WindowSession::key takes it, and the field does not: printable
    // characters, Backspace (8) and Enter (13).
    Session,
    // The field's own editing, never inserted as a character: the other
    // control codes below 32 (Tab, Escape, the Ctrl+letter shortcuts that
    // copy, cut and paste).
    Field,
    // Nothing happens: DEL (127) and the C1 controls (0x80 to 0x9F). A view
    // whose toolkit brings DEL with a key of its own (the Delete key) leaves
    // that key to the field's editing, which never inserts it.
    Dropped,
};
KeyRoute routeKey(char16_t code);

// The note a view shows beside DRU when a print job failed: "Nicht gedruckt",
// then ": " and the reason when the printer gave one.
std::u16string printFailureNote(const PrintOutcome& outcome);

// State that every handler of the window shares, alive for the whole run.
struct SharedState {
    std::int16_t FEHLER = 0;      // 1 after a failed check or an out-of-range lookup
    std::uint64_t TAST_ZAEHL = 0; // keys since the last Enter in any entry field
    std::uint64_t INF_ZAEHL = 0;  // clicks on "?"; odd shows the help panel
    std::int16_t BAND_NR = 0;     // index of the chosen band
    std::int16_t BAND_MUL = 0;    // multiplier of the chosen band
    QrbTable QRB_TAB;             // points by square distance
    float LAENGE = 0.0F;          // longitude of the locator converted last
    float BREITE = 0.0F;          // latitude of the locator converted last
    std::u16string LOC_TEXT;      // locator being checked or converted
    std::u16string QTH_TEXT;      // QTH-Kenner being checked or converted
    std::int16_t QRB_PKT = 0;     // points of the current contact
};

// Where the text cursor of a field stands and what is selected, in UTF-16
// code units. A key replaces the selection, or goes in at the cursor.
struct Caret {
    int cursor = 0;
    int selectionStart = 0;
    int selectionLength = 0; // 0: nothing selected
};

struct ControlState {
    std::u16string text;    // text and display fields
    std::u16string caption; // labels, buttons, frame
    std::uint32_t backColor = layout::kGrey;
    bool enabled = true;
    bool visible = true;
    bool checked = false; // option buttons
    Caret caret;          // text fields: where the next key goes
};

// What one event changed, for a view to apply without comparing everything.
struct Changes {
    // Controls whose text, caption, colour, enabled, visible or checked
    // state may have changed.
    std::array<bool, layout::kControlCount> controls{};
    // Lines appended to each list (only lists ever get lines).
    std::array<std::size_t, layout::kControlCount> appended{};
    bool focus = false; // the focus moved (or must be set again)
    bool ended = false; // END or the close button: the program is to end
    // DRU: the job for the printer. Printing changes nothing in the window.
    std::optional<PrintJob> print;

    bool changed(layout::Id id) const { return controls[layout::index(id)]; }
    void merge(const Changes& later);
};

class WindowSession {
public:
    using Id = layout::Id;

    // The window as built: every control in its start state from the layout
    // table, nothing run yet.
    WindowSession();

    // The start sequence of the program, once, after the window is shown.
    Changes start();

    // A key that delivers a character the session takes (routeKey: printable,
    // Backspace 8, Enter 13) reached the text field `field`, before the field
    // inserted it; `caret` is the field's cursor and selection at that moment.
    // The session inserts it itself; other codes change nothing.
    Changes key(Id field, char16_t code, const Caret& caret);
    // The same, with the cursor and selection the session keeps for the field.
    Changes key(Id field, char16_t code);

    // A click that the control acted on (it was enabled and hit): a command
    // button, an option button, INF. Other controls ignore it.
    Changes click(Id control);

    // The focus moved to `control` (a click on a field, Tab, the toolkit),
    // or away from every control. `byTab` selects a text field's whole text,
    // as a field does that is entered with Tab.
    Changes focusMoved(std::optional<Id> control, bool byTab = false);

    // Tab or Shift+Tab: the focus moves to the next (previous) control in
    // tab index order that is enabled, shown and takes focus.
    Changes tab(bool backwards = false);

    // A field's text changed without a key of the filter (a paste, Delete,
    // a shortcut); `caret` is where the cursor stands afterwards.
    Changes edited(Id field, std::u16string text, const Caret& caret);

    // The window's close button.
    Changes close();

    const SharedState& shared() const { return st_; }
    const ControlState& state(Id id) const { return controls_[layout::index(id)]; }
    const std::vector<std::u16string>& lines(Id list) const { return lines_[layout::index(list)]; }
    std::optional<Id> focus() const { return focus_; }
    bool ended() const { return ended_; }
    // The running sum of the confirmed contacts.
    std::int64_t sum() const { return sum_; }

    // The control that takes focus that follows (precedes) `from` in the Tab
    // chain (layout::tabChain), skipping disabled and hidden ones; none when
    // there is none.
    std::optional<Id> nextInChain(std::optional<Id> from, bool backwards = false) const;

private:
    enum class Entry { Loc1, Loc2, Qth2 };

    // Window procedures.
    void PRUEF_LOC();
    void QRBPK_INI();
    void QRBPK_BER();
    void LODEZ_UMR(const std::u16string& square, float laenge, float breite);
    void BAANZ_EIN();
    void BAANZ_AUS();
    void QTHLO_UMR();
    void PRUEF_QTH();
    void INFO_EIN();

    // Event handlers.
    void onEnd();
    void onOk();
    void onPrint();
    void onInfo();
    void onBand(int index);
    void onKey(Entry entry, char16_t code);
    void firstKey(Entry entry);
    void completeLoc1();
    void completeLoc2();
    void completeQth2();
    void markScored();
    bool okMayLog() const;
    void refuseOk();
    void markWrong(Id entry);

    // Changing a control, recorded in the current change report.
    ControlState& touch(Id id);
    void setText(Id id, std::u16string text);
    void setColor(Id id, std::uint32_t colour);
    void setEnabled(Id id, bool on);
    void setVisible(Id id, bool on);
    void setChecked(Id id, bool on);
    void setFocus(Id id);
    void passFocusOn(Id from);
    void placeCaret(Id id, bool byTab);
    void addLine(Id list, std::u16string line);
    const std::u16string& text(Id id) const { return state(id).text; }
    Changes take();

    SharedState st_;
    std::array<ControlState, layout::kControlCount> controls_;
    std::array<std::vector<std::u16string>, layout::kControlCount> lines_;
    std::optional<Id> focus_;
    bool ended_ = false;
    std::int64_t sum_ = 0;
    Changes pending_;

    // The locators a completed entry scored, and the same pair once a band
    // has been chosen for it: OK logs a contact only while LOC1 and LOC2
    // still hold exactly those texts, so no line can carry points of another
    // contact.
    struct ScoredPair {
        std::u16string own;
        std::u16string foreign;
        bool operator==(const ScoredPair&) const = default;
    };
    std::optional<ScoredPair> scored_;
    std::optional<ScoredPair> okToLog_;
    // The last completion of the own locator passed and LOC1 was not begun
    // anew: only then is there an own square to score against.
    bool ownPassed_ = false;
};

} // namespace qrb
