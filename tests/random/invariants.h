// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The rules a window must keep whatever a person does to it, checked after
// every single action of a randomized session. Most of them need nothing but
// the states before and after the action; the rest use a small model of the
// contact being entered (whether an own locator has passed, which square was
// scored, whether a band was chosen for it since) that follows the actions.

#include "tests/random/window_state.h"

#include <QString>
#include <optional>

namespace randomized {

// One action as the window receives it.
struct Action {
    enum class Kind {
        Click, // a left click in the middle of `control`
        Key,   // one key press and release for the character `text`
        Paste, // `text` pasted into the focused field
        Close, // the window's close button
    };
    Kind kind = Kind::Click;
    QString control;
    // Click: the named control that is on top where the click lands (the
    // control itself, a control above it, or empty for the bare window).
    QString hit;
    QString text;
};

struct Violation {
    QString invariant; // which rule broke, a few words
    QString detail;    // what was found instead
    // A scenario line that fails in the state after the action, when the
    // rule can be said as an expectation; empty otherwise.
    QString expect;
};

class Checker {
public:
    // The window as started, before any action.
    std::optional<Violation> start(const Snapshot& started);

    // One action, with the states before and after it.
    std::optional<Violation> step(const Action& action, const Snapshot& before,
                                  const Snapshot& after);

private:
    std::optional<Violation> checkState(const Snapshot& before, const Snapshot& after) const;
    // What a key did to the entry field that has the focus.
    struct KeyEffect {
        bool firstKey = false;  // it began a new entry
        bool completed = false; // it was the Enter that completes one
        Ctl field = Ctl::LOC1;
    };
    std::optional<Violation> checkEntryKey(const Action& action, const Snapshot& before,
                                           const Snapshot& after, KeyEffect& effect);
    std::optional<Violation> checkProtocol(const Snapshot& before, const Snapshot& after,
                                           const KeyEffect& key, int band, bool ok) const;
    std::optional<Violation> checkCompletion(Ctl field, const QString& entry,
                                             const Snapshot& before, const Snapshot& after);
    std::optional<Violation> checkBand(int band, const Snapshot& before, const Snapshot& after);
    std::optional<Violation> checkOk(const Snapshot& before, const Snapshot& after);
    std::optional<Violation> checkPrint(const Snapshot& before, const Snapshot& after) const;

    Snapshot initial_;
    // The model of the contact being entered.
    bool ownPassed_ = false; // an own locator passed, LOC1 not begun anew
    // LOC1 and LOC2 texts of the last entry that scored, and the same pair once a
    // band was chosen for it: OK logs only while both fields still hold them.
    struct ScoredPair {
        QString own;
        QString foreign;
    };
    std::optional<ScoredPair> scored_;
    std::optional<ScoredPair> bandChosen_;
};

// The line of a scenario that expects TARGET to be VALUE, VALUE already
// written as the scenario writes it.
QString expectLine(const QString& target, const QString& value);

} // namespace randomized
