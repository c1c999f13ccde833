// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/random/window_state.h"

#include "app/line_list.h"
#include "app/telvor.h"
#include "tests/runner/scenario_session.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>

namespace randomized {

namespace {

constexpr std::array<const char*, kCtlCount> kNames{
    "LOC1", "LOC2", "QTH2", "SU", "PANZ", "OK1", "OK2", "DRU", "INF", "BAND",  "B0",
    "B1",   "B2",   "B3",   "B4", "B5",   "B6",  "B7",  "B8",  "B9",  "LIST3",
};

QString fieldText(const QWidget* widget) {
    const auto* field = qobject_cast<const QLineEdit*>(widget);
    return field != nullptr ? field->text() : QString();
}

QStringList listLines(const LineList* list) {
    return list != nullptr ? list->lines() : QStringList();
}

QStringList fromU16(const std::vector<std::u16string>& lines) {
    QStringList result;
    result.reserve(static_cast<qsizetype>(lines.size()));
    for (const std::u16string& line : lines) {
        result.append(QString::fromStdU16String(line));
    }
    return result;
}

} // namespace

QString ctlName(Ctl ctl) {
    return QLatin1String(kNames[static_cast<std::size_t>(ctl)]);
}

Ctl bandCtl(int band) {
    return static_cast<Ctl>(static_cast<int>(Ctl::B0) + band);
}

const QString& Snapshot::text(Ctl ctl) const {
    switch (ctl) {
    case Ctl::LOC1:
        return loc1;
    case Ctl::LOC2:
        return loc2;
    case Ctl::QTH2:
        return qth2;
    case Ctl::SU:
        return su;
    case Ctl::PANZ:
        return panz;
    default:
        break;
    }
    static const QString none;
    return none;
}

Observer::Observer(const scenario::Session& session) : session_(session) {
    const scenario::WindowDriver& driver = session.driver();
    for (int i = 0; i < kCtlCount; ++i) {
        controls_[static_cast<std::size_t>(i)] = driver.control(ctlName(static_cast<Ctl>(i)));
    }
    for (int i = 0; i < 4; ++i) {
        lists_[static_cast<std::size_t>(i)] =
            qobject_cast<const LineList*>(driver.control(QStringLiteral("LIST%1").arg(i)));
    }
}

Snapshot Observer::capture() const {
    const Telvor& window = session_.window();
    const auto widget = [this](Ctl ctl) { return controls_[static_cast<std::size_t>(ctl)]; };
    Snapshot s;
    s.loc1 = fieldText(widget(Ctl::LOC1));
    s.loc2 = fieldText(widget(Ctl::LOC2));
    s.qth2 = fieldText(widget(Ctl::QTH2));
    s.su = fieldText(widget(Ctl::SU));
    s.panz = fieldText(widget(Ctl::PANZ));
    for (std::size_t i = 0; i < lists_.size(); ++i) {
        s.lists[i] = listLines(lists_[i]);
    }
    for (int i = 0; i < kCtlCount; ++i) {
        const auto ctl = static_cast<Ctl>(i);
        const QWidget* control = widget(ctl);
        if (control == nullptr) {
            continue;
        }
        ControlState& state = s.at(ctl);
        state.enabled = control->isEnabled();
        state.visible = control->isVisibleTo(&window);
        state.color = control->property("backColor").toUInt();
        if (const auto* button = qobject_cast<const QAbstractButton*>(control)) {
            state.checked = button->isChecked();
        }
    }
    if (const QWidget* focus = QApplication::focusWidget()) {
        // The named control that holds the focus (a list's viewport counts as
        // its list).
        const QWidget* named = focus;
        while (named != nullptr && named->objectName().isEmpty()) {
            named = named->parentWidget();
        }
        s.focus = named != nullptr ? named->objectName()
                                   : QStringLiteral("(a %1 without a name)")
                                         .arg(QLatin1String(focus->metaObject()->className()));
        s.focusEnabled = focus->isEnabled();
        s.focusVisible = focus->isVisible();
    }
    const SharedState& st = window.shared();
    s.fehler = st.FEHLER;
    s.tastZaehl = st.TAST_ZAEHL;
    s.qrbPkt = st.QRB_PKT;
    s.bandNr = st.BAND_NR;
    s.bandMul = st.BAND_MUL;
    const std::vector<qrb::PrintJob>& jobs = session_.printer().jobs();
    s.jobCount = jobs.size();
    if (!jobs.empty()) {
        const qrb::PrintJob& job = jobs.back();
        s.lastJob = Job{QString::fromStdU16String(job.fontFace), job.fontSize, fromU16(job.lines)};
    }
    s.ended = session_.ended();
    return s;
}

Snapshot startState(const QStringList& list2, const QStringList& list3) {
    Snapshot s;
    s.lists[0] = QStringList{QStringLiteral(" LOC   QRG   PKT   MUL   QRB")};
    s.lists[1] = QStringList{QString()};
    s.lists[2] = list2;
    s.lists[3] = list3;
    for (ControlState& state : s.controls) {
        state.visible = true;
        state.color = 0xC0C0C0;
    }
    for (const Ctl ctl : {Ctl::LOC1, Ctl::QTH2, Ctl::SU, Ctl::PANZ, Ctl::INF}) {
        s.at(ctl).enabled = true;
    }
    s.at(Ctl::LOC1).color = 0xC0FFC0;
    s.at(Ctl::LIST3).visible = false;
    s.at(Ctl::LIST3).color = 0xC0FFFF;
    s.focus = QStringLiteral("LOC1");
    return s;
}

} // namespace randomized
