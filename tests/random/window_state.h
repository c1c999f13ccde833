// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the invariants look at, copied out of the running window after every
// step: the entry and display fields, the lists, the state of the buttons,
// the focus, the shared variables, the print jobs and whether the program has
// ended. A plain value, so that the checks can also be fed made-up states.

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

class LineList;
class QWidget;

namespace scenario {
class Session;
}

namespace randomized {

// The controls whose state the checks read, with their names in the window.
enum class Ctl {
    LOC1,
    LOC2,
    QTH2,
    SU,
    PANZ,
    OK1,
    OK2,
    DRU,
    INF,
    BAND,
    B0,
    B1,
    B2,
    B3,
    B4,
    B5,
    B6,
    B7,
    B8,
    B9,
    LIST3,
};
inline constexpr int kCtlCount = static_cast<int>(Ctl::LIST3) + 1;
QString ctlName(Ctl ctl);
Ctl bandCtl(int band);

struct ControlState {
    bool enabled = false;
    bool visible = false;
    bool checked = false;
    std::uint32_t color = 0;
};

struct Job {
    QString fontFace;
    double fontSize = 0.0;
    QStringList lines;
};

struct Snapshot {
    // Texts of the three entry fields and the two display fields.
    QString loc1, loc2, qth2, su, panz;
    // LIST0 .. LIST3, line by line.
    std::array<QStringList, 4> lists;
    std::array<ControlState, kCtlCount> controls{};
    // The control with the focus ("none" when no control has it), and
    // whether that control is enabled and shown.
    QString focus = QStringLiteral("none");
    bool focusEnabled = true;
    bool focusVisible = true;
    // Shared variables.
    std::int64_t fehler = 0;
    std::uint64_t tastZaehl = 0;
    std::int64_t qrbPkt = 0;
    std::int64_t bandNr = 0;
    std::int64_t bandMul = 0;
    // Print jobs finished so far and the newest of them.
    std::size_t jobCount = 0;
    std::optional<Job> lastJob;
    bool ended = false;

    const ControlState& at(Ctl ctl) const { return controls[static_cast<std::size_t>(ctl)]; }
    ControlState& at(Ctl ctl) { return controls[static_cast<std::size_t>(ctl)]; }
    const QString& text(Ctl ctl) const;
};

// Copies the state of a session's window. The controls are looked up once,
// when the observer is made.
class Observer {
public:
    explicit Observer(const scenario::Session& session);
    Snapshot capture() const;

private:
    const scenario::Session& session_;
    std::array<const QWidget*, kCtlCount> controls_{};
    std::array<const LineList*, 4> lists_{};
};

// The state of a freshly started window as the decided start state has it,
// with the lists given (the checks take LIST2 and LIST3 from the window).
Snapshot startState(const QStringList& list2, const QStringList& list3);

} // namespace randomized
