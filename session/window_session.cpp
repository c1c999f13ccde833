// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/window_session.h"

#include "input/help_text.h"
#include "input/key_filter.h"
#include "input/locator_check.h"
#include "input/qth.h"
#include "output/log_line.h"
#include "scoring/bands.h"
#include "scoring/score.h"

#include <algorithm>

namespace qrb {

using layout::Id;
using layout::kGrey;
using layout::kLightGreen;
using layout::kLightRed;

namespace {

constexpr std::array<Id, 10> kBandButtons{Id::B0, Id::B1, Id::B2, Id::B3, Id::B4,
                                          Id::B5, Id::B6, Id::B7, Id::B8, Id::B9};

int length(const std::u16string& text) {
    return static_cast<int>(text.size());
}

// The cursor at the end of the text, nothing selected: where a field leaves
// it after its text was set.
Caret atEnd(const std::u16string& text) {
    return {length(text), 0, 0};
}

bool isHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool isLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// A caret that fits the text (a view may report one for an older text).
Caret clamped(const Caret& caret, const std::u16string& text) {
    Caret c = caret;
    c.cursor = std::clamp(c.cursor, 0, length(text));
    c.selectionStart = std::clamp(c.selectionStart, 0, length(text));
    c.selectionLength = std::clamp(c.selectionLength, 0, length(text) - c.selectionStart);
    return c;
}

// Removes the selected text; the cursor goes where it began.
void removeSelection(std::u16string& text, Caret& caret) {
    if (caret.selectionLength > 0) {
        text.erase(static_cast<std::size_t>(caret.selectionStart),
                   static_cast<std::size_t>(caret.selectionLength));
        caret.cursor = caret.selectionStart;
        caret.selectionLength = 0;
    }
}

} // namespace

KeyRoute routeKey(char16_t code) {
    if (deliversCharacter(code)) {
        return KeyRoute::Session;
    }
    return code < u' ' ? KeyRoute::Field : KeyRoute::Dropped;
}

std::u16string printFailureNote(const PrintOutcome& outcome) {
    std::u16string note = u"Nicht gedruckt";
    if (const std::u16string reason = printFailureReason(outcome); !reason.empty()) {
        note += u": " + reason;
    }
    return note;
}

void Changes::merge(const Changes& later) {
    for (std::size_t i = 0; i < layout::kControlCount; ++i) {
        controls[i] = controls[i] || later.controls[i];
        appended[i] += later.appended[i];
    }
    focus = focus || later.focus;
    ended = ended || later.ended;
    if (later.print) {
        print = later.print;
    }
}

WindowSession::WindowSession() {
    for (const layout::Control& c : layout::controls()) {
        ControlState& s = controls_[layout::index(c.id)];
        s.caption = std::u16string(c.caption);
        s.backColor = c.backColor;
        s.enabled = c.enabled;
        s.visible = c.visible;
    }
}

// ---------------------------------------------------------------------------
// Changing controls, each change noted for the view.

ControlState& WindowSession::touch(Id id) {
    pending_.controls[layout::index(id)] = true;
    return controls_[layout::index(id)];
}

void WindowSession::setText(Id id, std::u16string text) {
    ControlState& s = touch(id);
    s.caret = atEnd(text);
    s.text = std::move(text);
}

void WindowSession::setColor(Id id, std::uint32_t colour) {
    touch(id).backColor = colour;
}

// A control that is switched off or hidden while it has the focus passes the
// focus on along the Tab chain, as Tab would, or nobody has it.
void WindowSession::passFocusOn(Id from) {
    focus_ = nextInChain(from);
    pending_.focus = true;
    if (focus_) {
        placeCaret(*focus_, true);
    }
}

void WindowSession::setEnabled(Id id, bool on) {
    touch(id).enabled = on;
    if (!on && focus_ == id) {
        passFocusOn(id);
    }
}

void WindowSession::setVisible(Id id, bool on) {
    touch(id).visible = on;
    if (!on && focus_ == id) {
        passFocusOn(id);
    }
}

// A field that gets the focus has its cursor at the end; entered with Tab,
// its whole text is selected.
void WindowSession::placeCaret(Id id, bool byTab) {
    const layout::Kind kind = layout::control(id).kind;
    if (kind == layout::Kind::TextField || kind == layout::Kind::DisplayField) {
        ControlState& s = controls_[layout::index(id)];
        s.caret = atEnd(s.text);
        if (byTab) {
            s.caret.selectionLength = length(s.text);
        }
    }
}

void WindowSession::setChecked(Id id, bool on) {
    touch(id).checked = on;
}

// A control that is switched off or hidden cannot take the focus.
void WindowSession::setFocus(Id id) {
    const ControlState& s = state(id);
    if (!s.enabled || !s.visible) {
        return;
    }
    focus_ = id;
    pending_.focus = true;
}

void WindowSession::addLine(Id list, std::u16string line) {
    lines_[layout::index(list)].push_back(std::move(line));
    ++pending_.appended[layout::index(list)];
}

Changes WindowSession::take() {
    Changes done = std::move(pending_);
    pending_ = Changes{};
    return done;
}

std::optional<Id> WindowSession::nextInChain(std::optional<Id> from, bool backwards) const {
    const std::span<const Id> chain = layout::tabChain();
    const auto n = static_cast<std::ptrdiff_t>(chain.size());
    std::ptrdiff_t at = backwards ? 0 : -1;
    if (from) {
        const auto it = std::find(chain.begin(), chain.end(), *from);
        if (it != chain.end()) {
            at = it - chain.begin();
        }
    }
    for (std::ptrdiff_t step = 1; step <= n; ++step) {
        const std::ptrdiff_t i = ((backwards ? at - step : at + step) % n + n) % n;
        const Id id = chain[static_cast<std::size_t>(i)];
        if (from && id == *from) {
            break;
        }
        const ControlState& s = state(id);
        if (s.enabled && s.visible) {
            return id;
        }
    }
    return std::nullopt;
}

// ---------------------------------------------------------------------------
// What a person does.

Changes WindowSession::start() {
    QRBPK_INI();
    INFO_EIN();
    setColor(Id::LOC1, kLightGreen);
    setEnabled(Id::LOC1, true);
    setFocus(Id::LOC1);
    setEnabled(Id::QTH2, true);
    addLine(Id::LIST0, std::u16string(kLogHeader));
    addLine(Id::LIST1, std::u16string());
    return take();
}

Changes WindowSession::key(Id field, char16_t code) {
    return key(field, code, state(field).caret);
}

Changes WindowSession::key(Id field, char16_t code, const Caret& caret) {
    Entry entry = Entry::Loc1;
    if (field == Id::LOC2) {
        entry = Entry::Loc2;
    } else if (field == Id::QTH2) {
        entry = Entry::Qth2;
    } else if (field != Id::LOC1) {
        return take();
    }
    if (!ended_ && routeKey(code) == KeyRoute::Session) {
        ControlState& s = controls_[layout::index(field)];
        s.caret = clamped(caret, s.text);
        onKey(entry, code);
    }
    return take();
}

Changes WindowSession::click(Id control) {
    if (ended_ || !state(control).enabled || !state(control).visible) {
        return take();
    }
    switch (control) {
    case Id::OK1:
        onEnd();
        break;
    case Id::OK2:
        onOk();
        break;
    case Id::DRU:
        onPrint();
        break;
    case Id::INF:
        onInfo();
        break;
    default:
        if (const int band = layout::bandOf(control); band >= 0) {
            // The band buttons exclude each other.
            for (const Id other : kBandButtons) {
                if (state(other).checked != (other == control)) {
                    setChecked(other, other == control);
                }
            }
            onBand(band);
        }
        break;
    }
    return take();
}

Changes WindowSession::focusMoved(std::optional<Id> control, bool byTab) {
    if (focus_ != control) {
        focus_ = control;
        pending_.focus = true;
    }
    if (control) {
        placeCaret(*control, byTab);
    }
    return take();
}

Changes WindowSession::tab(bool backwards) {
    if (const std::optional<Id> next = nextInChain(focus_, backwards)) {
        return focusMoved(next, true);
    }
    return take();
}

Changes WindowSession::edited(Id field, std::u16string text, const Caret& caret) {
    ControlState& s = touch(field);
    s.text = std::move(text);
    s.caret = clamped(caret, s.text);
    return take();
}

Changes WindowSession::close() {
    onEnd();
    return take();
}

// ---------------------------------------------------------------------------
// Handlers.

void WindowSession::onEnd() {
    ended_ = true;
    pending_.ended = true;
}

// The help panel about the old QTH-Kenner.
void WindowSession::INFO_EIN() {
    for (std::u16string_view line : kHelpLines) {
        addLine(Id::LIST3, std::u16string(line));
    }
}

void WindowSession::onInfo() {
    st_.INF_ZAEHL = nextClickCount(st_.INF_ZAEHL);
    setVisible(Id::LIST3, helpShown(st_.INF_ZAEHL));
}

// A key that delivers a character, seen by the shared filter before the field
// inserts it: a replacement of the selection or an insertion at the cursor,
// Backspace deletes the selection or the character before the cursor.
void WindowSession::onKey(Entry entry, char16_t code) {
    const KeyStep step = filterKey(st_.TAST_ZAEHL, code);
    if (step.firstKey) {
        firstKey(entry);
    }
    const Id id = entry == Entry::Loc1 ? Id::LOC1 : entry == Entry::Loc2 ? Id::LOC2 : Id::QTH2;
    if (step.enter) {
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
        return;
    }
    ControlState& s = touch(id);
    std::u16string& text = s.text;
    Caret& caret = s.caret;
    if (step.code == kBackspace) {
        if (caret.selectionLength > 0) {
            removeSelection(text, caret);
        } else if (caret.cursor > 0) {
            // A character outside the basic plane goes as a whole.
            int from = caret.cursor - 1;
            if (from > 0 && isLowSurrogate(text[static_cast<std::size_t>(from)]) &&
                isHighSurrogate(text[static_cast<std::size_t>(from - 1)])) {
                --from;
            }
            text.erase(static_cast<std::size_t>(from),
                       static_cast<std::size_t>(caret.cursor - from));
            caret.cursor = from;
        }
        return;
    }
    removeSelection(text, caret);
    text.insert(static_cast<std::size_t>(caret.cursor), 1, step.code);
    ++caret.cursor;
}

// The first key of an entry replaces the previous text. A new entry anywhere
// also means the contact scored before is no longer the one being entered.
void WindowSession::firstKey(Entry entry) {
    scored_.reset();
    okToLog_.reset();
    switch (entry) {
    case Entry::Loc1:
        ownPassed_ = false;
        setColor(Id::LOC1, kLightGreen);
        setText(Id::LOC1, {});
        setText(Id::LOC2, {});
        setText(Id::QTH2, {});
        BAANZ_AUS();
        setEnabled(Id::OK1, true);
        break;
    case Entry::Loc2:
        setText(Id::LOC2, {});
        setText(Id::QTH2, {});
        setColor(Id::LOC2, kLightGreen);
        setColor(Id::QTH2, kGrey);
        setEnabled(Id::DRU, false);
        break;
    case Entry::Qth2:
        setText(Id::QTH2, {});
        setText(Id::LOC2, {});
        setColor(Id::QTH2, kLightGreen);
        setColor(Id::LOC2, kGrey);
        break;
    }
}

void WindowSession::markScored() {
    scored_ = ScoredPair{text(Id::LOC1), text(Id::LOC2)};
}

// An input in error turns light red and gets the focus back, where the field
// can take it, so that the next key starts the entry anew.
void WindowSession::markWrong(Id entry) {
    setColor(entry, kLightRed);
    setFocus(entry);
}

// Checks LOC_TEXT as a locator that is to be scored; the text comes back
// trimmed and cut to the square.
void WindowSession::PRUEF_LOC() {
    const LocatorCheck check = checkCompletedLocator(st_.LOC_TEXT);
    st_.FEHLER = check.error ? 1 : 0;
    st_.LOC_TEXT = check.text;
}

void WindowSession::completeLoc1() {
    setColor(Id::LOC1, kGrey);
    st_.LOC_TEXT = text(Id::LOC1);
    PRUEF_LOC();
    if (st_.FEHLER == 1) {
        markWrong(Id::LOC1);
        return;
    }
    // Kept trimmed, so that the square is read from the first four characters.
    setText(Id::LOC1, trimBlanks(text(Id::LOC1)));
    ownPassed_ = true;
    setColor(Id::LOC2, kLightGreen);
    setEnabled(Id::LOC2, true);
    setFocus(Id::LOC2);
}

void WindowSession::completeLoc2() {
    st_.LOC_TEXT = text(Id::LOC2);
    PRUEF_LOC();
    if (st_.FEHLER == 1) {
        markWrong(Id::LOC2);
        return;
    }
    setText(Id::LOC2, st_.LOC_TEXT.substr(0, kSquareLength));
    setColor(Id::QTH2, kGrey);
    setColor(Id::LOC2, kGrey);
    BAANZ_AUS();
    if (!ownPassed_) {
        // The own locator was refused or begun anew and not completed: there
        // is no own square to score against, as with a short own locator.
        st_.FEHLER = 1;
        markWrong(Id::LOC1);
        return;
    }
    QRBPK_BER();
    if (st_.FEHLER == 0) {
        markScored();
        BAANZ_EIN();
    }
}

// Checks QTH_TEXT as an old QTH-Kenner; the text comes back trimmed.
void WindowSession::PRUEF_QTH() {
    const QthCheck check = checkQth(st_.QTH_TEXT);
    st_.FEHLER = check.error ? 1 : 0;
    st_.QTH_TEXT = check.text;
}

// Writes the Maidenhead square of the checked QTH-Kenner into LOC2.
void WindowSession::QTHLO_UMR() {
    setText(Id::LOC2, qthToSquare(st_.QTH_TEXT));
}

void WindowSession::completeQth2() {
    st_.QTH_TEXT = text(Id::QTH2);
    PRUEF_QTH();
    if (st_.FEHLER == 1) {
        markWrong(Id::QTH2);
        return;
    }
    QTHLO_UMR();
    if (!ownPassed_) {
        // Nothing to score against yet: the own locator is to be typed first.
        st_.FEHLER = 1;
        setColor(Id::QTH2, kGrey);
        setColor(Id::LOC2, kGrey);
        setColor(Id::LOC1, kLightGreen);
        setFocus(Id::LOC1);
        return;
    }
    QRBPK_BER();
    setColor(Id::QTH2, kGrey);
    setColor(Id::LOC2, kGrey);
    BAANZ_EIN();
    if (st_.FEHLER == 0) {
        markScored();
    }
}

// ---------------------------------------------------------------------------
// Scoring a contact: the point table, locators to coordinates, the lookup by
// square distance, and the band display with its multipliers.

void WindowSession::QRBPK_INI() {
    st_.QRB_TAB = buildQrbTable();
    for (const std::string& line : tableListing(st_.QRB_TAB)) {
        addLine(Id::LIST2, std::u16string(line.begin(), line.end()));
    }
}

// The locator converted last, as the lookup leaves it: its square with the
// centre sub-square, and its coordinates.
void WindowSession::LODEZ_UMR(const std::u16string& square, float laenge, float breite) {
    st_.LOC_TEXT = square.substr(0, kSquareLength) + std::u16string(kCentreSubSquare);
    st_.LAENGE = laenge;
    st_.BREITE = breite;
}

// Points of the current contact: squares between own and foreign locator,
// counted east-west and north-south, looked up in the point table. A field
// shorter than a square is never converted: the lookup fails and the short
// field is marked (LOC2 when both are short).
void WindowSession::QRBPK_BER() {
    st_.FEHLER = 0;
    const std::u16string foreign = text(Id::LOC2);
    const SquareScore score = scoreSquares(st_.QRB_TAB, text(Id::LOC1), foreign);
    if (score.converted) {
        LODEZ_UMR(foreign, score.foreign.laenge, score.foreign.breite);
    }
    switch (score.why) {
    case NoPoints::None:
        st_.QRB_PKT = score.points;
        return;
    case NoPoints::ShortOwn:
        st_.FEHLER = 1;
        markWrong(Id::LOC1);
        return;
    case NoPoints::ShortForeign:
    case NoPoints::OutOfTable:
        st_.FEHLER = 1;
        markWrong(Id::LOC2);
        return;
    }
}

void WindowSession::BAANZ_EIN() {
    setColor(Id::BAND, kLightGreen);
    for (const Id option : kBandButtons) {
        setColor(option, kLightGreen);
    }
    for (const Id option : kBandButtons) {
        setChecked(option, false);
    }
    for (const Id option : kBandButtons) {
        setEnabled(option, true);
    }
}

void WindowSession::BAANZ_AUS() {
    setColor(Id::BAND, kGrey);
    for (const Id option : kBandButtons) {
        setEnabled(option, false);
    }
    for (const Id option : kBandButtons) {
        setColor(option, kGrey);
    }
    for (const Id option : kBandButtons) {
        setChecked(option, false);
    }
}

void WindowSession::onBand(int index) {
    const Band& band = kBands[static_cast<std::size_t>(index)];
    st_.BAND_MUL = band.multiplier;
    st_.BAND_NR = static_cast<std::int16_t>(index);
    for (int other = 0; other < kBandCount; ++other) {
        if (bandDisabledBy(index, other)) {
            setEnabled(layout::bandButton(other), false);
        }
    }
    if (index == kRelookupBand) {
        QRBPK_BER();
    }
    setText(Id::PANZ, decimalText(std::int64_t{st_.QRB_PKT} * st_.BAND_MUL));
    if (st_.FEHLER == 0) {
        setColor(Id::OK2, kLightGreen);
        setEnabled(Id::OK2, true);
        setFocus(Id::OK2);
        okToLog_ = scored_;
    }
}

// ---------------------------------------------------------------------------
// The log: confirming a contact into it with the running sum, and printing it.

// Only a contact that was scored, then given a band, and whose locators
// nobody has touched since (a paste or Delete reaches a field without a key
// of the filter), may be logged.
bool WindowSession::okMayLog() const {
    return st_.FEHLER == 0 && okToLog_.has_value() &&
           *okToLog_ == ScoredPair{text(Id::LOC1), text(Id::LOC2)};
}

void WindowSession::refuseOk() {
    setColor(Id::OK2, kGrey);
    setEnabled(Id::OK2, false);
    markWrong(Id::LOC2);
}

void WindowSession::onOk() {
    if (!okMayLog()) {
        refuseOk();
        return;
    }
    setColor(Id::OK2, kGrey);
    setEnabled(Id::OK2, false);

    const std::int64_t qrb = numberValue(text(Id::PANZ));
    addLine(Id::LIST1, logLine(text(Id::LOC2), st_.BAND_NR, st_.QRB_PKT, st_.BAND_MUL, qrb));
    sum_ += qrb;
    setText(Id::SU, sumText(sum_));

    BAANZ_AUS();
    setText(Id::LOC2, {});
    st_.QTH_TEXT.clear();
    setText(Id::PANZ, {});
    scored_.reset();
    okToLog_.reset();
    setColor(Id::LOC2, kLightGreen);
    setFocus(Id::LOC2);
    setEnabled(Id::DRU, true);
    setEnabled(Id::OK1, true);
}

// Printing changes nothing in the window: the job goes to the view's printer.
void WindowSession::onPrint() {
    pending_.print = logPrintJob(lines(Id::LIST0), lines(Id::LIST1));
}

} // namespace qrb
