// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/random/invariants.h"

#include "tests/random/square_model.h"
#include "tests/runner/scenario_tokens.h"

namespace randomized {

namespace {

constexpr std::uint32_t kGrey = 0xC0C0C0;
constexpr std::uint32_t kLightGreen = 0xC0FFC0;
constexpr std::uint32_t kLightRed = 0xC0C0FF;
constexpr int kBands = 10;
constexpr int kRelookupBand = 7; // "10" looks the points up again

using Result = std::optional<Violation>;

Violation broken(const QString& invariant, const QString& detail, const QString& expect = {}) {
    return Violation{invariant, detail, expect};
}

QString q(const QString& text) {
    return scenario::quoted(text);
}

QString flag(bool value) {
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

QString colour(std::uint32_t value) {
    return QStringLiteral("%1").arg(value, 6, 16, QLatin1Char('0')).toUpper();
}

QString num(long long value) {
    return QString::number(value);
}

bool isEntryField(const QString& name) {
    return name == u"LOC1" || name == u"LOC2" || name == u"QTH2";
}

Ctl entryCtl(const QString& name) {
    if (name == u"LOC1") {
        return Ctl::LOC1;
    }
    return name == u"LOC2" ? Ctl::LOC2 : Ctl::QTH2;
}

// The buttons whose activation the model follows, by name.
std::optional<Ctl> buttonCtl(const QString& name) {
    for (const Ctl ctl : {Ctl::OK1, Ctl::OK2, Ctl::DRU, Ctl::INF}) {
        if (name == ctlName(ctl)) {
            return ctl;
        }
    }
    for (int band = 0; band < kBands; ++band) {
        if (name == ctlName(bandCtl(band))) {
            return bandCtl(band);
        }
    }
    return std::nullopt;
}

// The keys the shared key filter of the entry fields sees: printable
// characters, Backspace and Enter.
bool deliversCharacter(QChar c) {
    const char16_t code = c.unicode();
    if (code == 8 || code == 13) {
        return true;
    }
    return code >= 0x20 && code != 0x7F && !(code >= 0x80 && code <= 0x9F);
}

// The band buttons switched off: all disabled, none selected.
Result bandsOff(const Snapshot& after, const QString& why) {
    for (int band = 0; band < kBands; ++band) {
        const ControlState& b = after.at(bandCtl(band));
        const QString name = ctlName(bandCtl(band));
        if (b.enabled) {
            return broken(why, QStringLiteral("%1 is enabled").arg(name),
                          expectLine(name + QStringLiteral(".enabled"), flag(false)));
        }
        if (b.checked) {
            return broken(why, QStringLiteral("%1 is selected").arg(name),
                          expectLine(name + QStringLiteral(".checked"), flag(false)));
        }
    }
    return std::nullopt;
}

// The band buttons switched on: all enabled, none selected.
Result bandsOn(const Snapshot& after, const QString& why) {
    for (int band = 0; band < kBands; ++band) {
        const ControlState& b = after.at(bandCtl(band));
        const QString name = ctlName(bandCtl(band));
        if (!b.enabled) {
            return broken(why, QStringLiteral("%1 is disabled").arg(name),
                          expectLine(name + QStringLiteral(".enabled"), flag(true)));
        }
        if (b.checked) {
            return broken(why, QStringLiteral("%1 is selected").arg(name),
                          expectLine(name + QStringLiteral(".checked"), flag(false)));
        }
    }
    return std::nullopt;
}

Result wantFehler(const Snapshot& after, std::int64_t want, const QString& why) {
    if (after.fehler != want) {
        return broken(why, QStringLiteral("FEHLER is %1, expected %2").arg(after.fehler).arg(want),
                      expectLine(QStringLiteral("FEHLER"), num(want)));
    }
    return std::nullopt;
}

Result wantPoints(const Snapshot& after, std::int64_t want, const QString& why) {
    if (after.qrbPkt != want) {
        return broken(why, QStringLiteral("QRB_PKT is %1, expected %2").arg(after.qrbPkt).arg(want),
                      expectLine(QStringLiteral("QRB_PKT"), num(want)));
    }
    return std::nullopt;
}

Result wantFocus(const Snapshot& after, Ctl ctl, const QString& why) {
    if (after.focus != ctlName(ctl)) {
        return broken(
            why, QStringLiteral("the focus is on %1, expected %2").arg(after.focus, ctlName(ctl)),
            expectLine(QStringLiteral("focus"), ctlName(ctl)));
    }
    return std::nullopt;
}

Result wantColour(const Snapshot& after, Ctl ctl, std::uint32_t want, const QString& why) {
    if (after.at(ctl).color != want) {
        return broken(why,
                      QStringLiteral("%1 has colour %2, expected %3")
                          .arg(ctlName(ctl), colour(after.at(ctl).color), colour(want)),
                      expectLine(ctlName(ctl) + QStringLiteral(".color"), colour(want)));
    }
    return std::nullopt;
}

Result wantEnabled(const Snapshot& after, Ctl ctl, bool want, const QString& why) {
    if (after.at(ctl).enabled != want) {
        return broken(
            why,
            QStringLiteral("%1 is %2")
                .arg(ctlName(ctl), want ? QStringLiteral("disabled") : QStringLiteral("enabled")),
            expectLine(ctlName(ctl) + QStringLiteral(".enabled"), flag(want)));
    }
    return std::nullopt;
}

Result wantText(const Snapshot& after, Ctl ctl, const QString& want, const QString& why) {
    if (after.text(ctl) != want) {
        return broken(why,
                      QStringLiteral("%1 shows %2, expected %3")
                          .arg(ctlName(ctl), q(after.text(ctl).left(200)), q(want)),
                      expectLine(ctlName(ctl) + QStringLiteral(".text"), q(want)));
    }
    return std::nullopt;
}

// A list must be exactly as it was.
Result sameList(int index, const QStringList& want, const QStringList& got, const QString& why) {
    const QString name = QStringLiteral("LIST%1").arg(index);
    if (got.size() != want.size()) {
        return broken(why,
                      QStringLiteral("%1 holds %2 lines, expected %3")
                          .arg(name)
                          .arg(got.size())
                          .arg(want.size()),
                      expectLine(name + QStringLiteral(".count"), num(want.size())));
    }
    for (qsizetype i = 0; i < want.size(); ++i) {
        if (got[i] != want[i]) {
            return broken(why,
                          QStringLiteral("%1[%2] reads %3, expected %4")
                              .arg(name)
                              .arg(i)
                              .arg(q(got[i]), q(want[i])),
                          expectLine(QStringLiteral("%1[%2]").arg(name).arg(i), q(want[i])));
        }
    }
    return std::nullopt;
}

// The 42 lines of the point table listing, from the closed form.
QStringList tableListing() {
    const auto field = [](int n) { return QStringLiteral("%1").arg(n, 3); };
    QStringList lines;
    for (int y = 40; y >= 1; --y) {
        QString line = field(y) + QStringLiteral(" | ");
        for (int x = 1; x <= 40; ++x) {
            line += field(tablePoints(x, y));
        }
        lines.append(line);
    }
    lines.append(QStringLiteral("  _").repeated(40));
    QString axis(6, QLatin1Char(' '));
    for (int x = 1; x <= 40; ++x) {
        axis += field(x);
    }
    lines.append(axis);
    return lines;
}

} // namespace

QString expectLine(const QString& target, const QString& value) {
    return QStringLiteral("expect %1 %2").arg(target, value);
}

Result Checker::start(const Snapshot& started) {
    initial_ = started;
    const QString why = QStringLiteral("the started window");
    if (auto v = sameList(0, QStringList{logHeader()}, started.lists[0], why)) {
        return v;
    }
    if (auto v = sameList(1, QStringList{QString()}, started.lists[1], why)) {
        return v;
    }
    if (auto v = sameList(2, tableListing(), started.lists[2], why)) {
        return v;
    }
    if (started.lists[3].size() != 24) {
        return broken(why,
                      QStringLiteral("the help panel holds %1 lines").arg(started.lists[3].size()),
                      expectLine(QStringLiteral("LIST3.count"), QStringLiteral("24")));
    }
    if (auto v = wantFocus(started, Ctl::LOC1, why)) {
        return v;
    }
    if (auto v = wantEnabled(started, Ctl::LOC2, false, why)) {
        return v;
    }
    if (auto v = wantFehler(started, 0, why)) {
        return v;
    }
    return checkState(started, started);
}

// Rules that hold in every state, whatever the action was.
Result Checker::checkState(const Snapshot& before, const Snapshot& after) const {
    if (after.fehler != 0 && after.fehler != 1) {
        return broken(QStringLiteral("FEHLER is 0 or 1"),
                      QStringLiteral("FEHLER is %1").arg(after.fehler),
                      expectLine(QStringLiteral("FEHLER"), QStringLiteral("1")));
    }
    for (const int index : {0, 2, 3}) {
        const auto i = static_cast<std::size_t>(index);
        if (auto v = sameList(index, initial_.lists[i], after.lists[i],
                              QStringLiteral("LIST0, LIST2 and LIST3 never change"))) {
            return v;
        }
    }
    // The log keeps every line it had.
    const QStringList& oldLog = before.lists[1];
    const QStringList& log = after.lists[1];
    const QString logRule = QStringLiteral("LIST1 only grows");
    if (log.size() < oldLog.size()) {
        return broken(
            logRule,
            QStringLiteral("LIST1 shrank from %1 to %2 lines").arg(oldLog.size()).arg(log.size()),
            expectLine(QStringLiteral("LIST1.count"), num(oldLog.size())));
    }
    if (auto v = sameList(1, oldLog, log.mid(0, oldLog.size()), logRule)) {
        // Only a changed line can be reported here, the counts being equal.
        return v;
    }
    // The sum is the sum of the QRB column.
    long long sum = 0;
    for (qsizetype i = 1; i < log.size(); ++i) {
        sum += qrbColumn(log[i]).value_or(0);
    }
    const QString wantSum = log.size() > 1 ? sumText(sum) : QString();
    if (after.su != wantSum) {
        return broken(
            QStringLiteral("SU is the sum of the QRB column"),
            QStringLiteral("SU shows %1, the QRB column sums to %2").arg(q(after.su)).arg(sum),
            expectLine(QStringLiteral("SU.text"), q(wantSum)));
    }
    if (!after.panz.isEmpty() && !isInteger(after.panz)) {
        return broken(QStringLiteral("PANZ is empty or an integer"),
                      QStringLiteral("PANZ shows %1").arg(q(after.panz.left(200))),
                      expectLine(QStringLiteral("PANZ.text"), q(QString())));
    }
    if (after.focus != u"none" && !after.focusEnabled) {
        return broken(QStringLiteral("the focus is never on a disabled control"),
                      QStringLiteral("%1 has the focus and is disabled").arg(after.focus),
                      expectLine(after.focus + QStringLiteral(".enabled"), flag(true)));
    }
    if (after.focus != u"none" && !after.focusVisible) {
        return broken(QStringLiteral("the focus is never on a hidden control"),
                      QStringLiteral("%1 has the focus and is hidden").arg(after.focus),
                      expectLine(after.focus + QStringLiteral(".visible"), flag(true)));
    }
    return std::nullopt;
}

Result Checker::step(const Action& action, const Snapshot& before, const Snapshot& after) {
    // Which button (or band button) the action set off: a click that lands on
    // an enabled one, or a blank typed while one has the focus.
    std::optional<Ctl> activated;
    if (action.kind == Action::Kind::Click) {
        const std::optional<Ctl> hit = buttonCtl(action.hit);
        if (hit && before.at(*hit).enabled && before.at(*hit).visible) {
            activated = hit;
        }
    } else if (action.kind == Action::Kind::Key && action.text == u" ") {
        activated = buttonCtl(before.focus);
    }
    int band = -1;
    for (int b = 0; b < kBands; ++b) {
        if (activated == bandCtl(b)) {
            band = b;
        }
    }

    // The program ends by END or the close button, and by nothing else.
    const bool mustEnd = action.kind == Action::Kind::Close || activated == Ctl::OK1;
    if (after.ended != mustEnd) {
        return broken(QStringLiteral("only END and the close button end the program"),
                      mustEnd ? QStringLiteral("the program did not end")
                              : QStringLiteral("the program ended"),
                      expectLine(QStringLiteral("ended"), flag(mustEnd)));
    }
    if (after.ended) {
        return std::nullopt;
    }
    const bool ok = activated == Ctl::OK2;
    if (after.lists[1].size() != before.lists[1].size() && !ok) {
        return broken(QStringLiteral("LIST1 grows only by OK"),
                      QStringLiteral("LIST1 went from %1 to %2 lines")
                          .arg(before.lists[1].size())
                          .arg(after.lists[1].size()),
                      expectLine(QStringLiteral("LIST1.count"), num(before.lists[1].size())));
    }

    if (auto v = checkState(before, after)) {
        return v;
    }

    // Keys that reach an entry field go through the shared key filter.
    KeyEffect key;
    if (action.kind == Action::Kind::Key && isEntryField(before.focus)) {
        if (auto v = checkEntryKey(action, before, after, key)) {
            return v;
        }
    } else if (after.tastZaehl != before.tastZaehl) {
        return broken(QStringLiteral("only keys in LOC1, LOC2 and QTH2 count"),
                      QStringLiteral("TAST_ZAEHL went from %1 to %2")
                          .arg(before.tastZaehl)
                          .arg(after.tastZaehl),
                      expectLine(QStringLiteral("TAST_ZAEHL"),
                                 num(static_cast<long long>(before.tastZaehl))));
    }
    if (band >= 0) {
        if (auto v = checkBand(band, before, after)) {
            return v;
        }
    }
    if (ok) {
        if (auto v = checkOk(before, after)) {
            return v;
        }
    }
    const bool print = activated == Ctl::DRU;
    if (print && after.jobCount == before.jobCount) {
        return broken(QStringLiteral("DRU prints the log"), QStringLiteral("no print job came"),
                      expectLine(QStringLiteral("PRINT.jobs"),
                                 num(static_cast<long long>(before.jobCount) + 1)));
    }
    if (auto v = checkPrint(before, after)) {
        return v;
    }
    const bool info = activated == Ctl::INF;
    if (info != (after.at(Ctl::LIST3).visible != before.at(Ctl::LIST3).visible)) {
        return broken(QStringLiteral("\"?\" and only \"?\" shows and hides the help panel"),
                      QStringLiteral("LIST3 is %1")
                          .arg(after.at(Ctl::LIST3).visible ? QStringLiteral("shown")
                                                            : QStringLiteral("hidden")),
                      expectLine(QStringLiteral("LIST3.visible"),
                                 flag(info != before.at(Ctl::LIST3).visible)));
    }

    // What nothing but a completion, a band choice or OK may change.
    const bool relookup = band == kRelookupBand;
    const bool completed = key.completed;
    if (after.fehler != before.fehler && !completed && !relookup) {
        return broken(
            QStringLiteral("FEHLER changes only by a check or a lookup"),
            QStringLiteral("FEHLER went from %1 to %2").arg(before.fehler).arg(after.fehler),
            expectLine(QStringLiteral("FEHLER"), num(before.fehler)));
    }
    if (after.qrbPkt != before.qrbPkt && !completed && !relookup) {
        return broken(
            QStringLiteral("QRB_PKT changes only by a lookup"),
            QStringLiteral("QRB_PKT went from %1 to %2").arg(before.qrbPkt).arg(after.qrbPkt),
            expectLine(QStringLiteral("QRB_PKT"), num(before.qrbPkt)));
    }
    if ((after.bandNr != before.bandNr || after.bandMul != before.bandMul) && band < 0) {
        return broken(QStringLiteral("BAND_NR and BAND_MUL change only by a band choice"),
                      QStringLiteral("BAND_NR %1, BAND_MUL %2 became %3, %4")
                          .arg(before.bandNr)
                          .arg(before.bandMul)
                          .arg(after.bandNr)
                          .arg(after.bandMul),
                      expectLine(QStringLiteral("BAND_NR"), num(before.bandNr)));
    }
    if (after.panz != before.panz && band < 0 && !ok) {
        return broken(QStringLiteral("PANZ changes only by a band choice or OK"),
                      QStringLiteral("PANZ went from %1 to %2").arg(q(before.panz), q(after.panz)),
                      expectLine(QStringLiteral("PANZ.text"), q(before.panz)));
    }
    if (after.jobCount != before.jobCount && !print) {
        return broken(
            QStringLiteral("only DRU prints"),
            QStringLiteral("%1 print jobs became %2").arg(before.jobCount).arg(after.jobCount),
            expectLine(QStringLiteral("PRINT.jobs"), num(static_cast<long long>(before.jobCount))));
    }
    return checkProtocol(before, after, key, band, ok);
}

// The enabled states of the buttons are the visible protocol of the window:
// each changes only by its own causes.
Result Checker::checkProtocol(const Snapshot& before, const Snapshot& after, const KeyEffect& key,
                              int band, bool ok) const {
    const bool logged = ok && after.lists[1].size() > before.lists[1].size();
    const bool newOwn = key.firstKey && key.field == Ctl::LOC1;
    const bool newForeign = key.firstKey && key.field == Ctl::LOC2;
    const auto changed = [&](Ctl ctl, bool to) {
        return before.at(ctl).enabled != to && after.at(ctl).enabled == to;
    };
    const auto protocol = [](Ctl ctl, bool to, const QString& rule) {
        return broken(
            rule,
            QStringLiteral("%1 became %2")
                .arg(ctlName(ctl), to ? QStringLiteral("enabled") : QStringLiteral("disabled")),
            expectLine(ctlName(ctl) + QStringLiteral(".enabled"), flag(!to)));
    };
    if (changed(Ctl::OK1, false)) {
        return protocol(Ctl::OK1, false, QStringLiteral("nothing disables END"));
    }
    if (changed(Ctl::OK1, true) && !newOwn && !logged) {
        return protocol(Ctl::OK1, true,
                        QStringLiteral("END comes on by the first key in LOC1 or by OK"));
    }
    if (changed(Ctl::DRU, true) && !logged) {
        return protocol(Ctl::DRU, true, QStringLiteral("DRU comes on by OK only"));
    }
    if (changed(Ctl::DRU, false) && !newForeign) {
        return protocol(Ctl::DRU, false,
                        QStringLiteral("DRU goes off by the first key in LOC2 only"));
    }
    if (changed(Ctl::OK2, true) && !(band >= 0 && after.fehler == 0)) {
        return protocol(Ctl::OK2, true,
                        QStringLiteral("OK comes on by a band choice without an error only"));
    }
    if (changed(Ctl::OK2, false) && !ok) {
        return protocol(Ctl::OK2, false, QStringLiteral("OK goes off by OK only"));
    }
    for (const Ctl ctl : {Ctl::LOC1, Ctl::QTH2, Ctl::INF}) {
        if (!after.at(ctl).enabled) {
            return protocol(ctl, false, QStringLiteral("LOC1, QTH2 and \"?\" stay enabled"));
        }
    }
    if (changed(Ctl::LOC2, false)) {
        return protocol(Ctl::LOC2, false, QStringLiteral("LOC2 stays enabled once enabled"));
    }
    return std::nullopt;
}

Result Checker::checkEntryKey(const Action& action, const Snapshot& before, const Snapshot& after,
                              KeyEffect& effect) {
    const Ctl field = entryCtl(before.focus);
    effect.field = field;
    std::uint64_t count = before.tastZaehl;
    bool first = false;
    bool enter = false;
    for (const QChar c : action.text) {
        if (!deliversCharacter(c)) {
            continue;
        }
        ++count;
        first = first || count == 1;
        if (c.unicode() == 13) {
            count = 0;
            enter = true;
            break;
        }
    }
    if (after.tastZaehl != count) {
        return broken(
            QStringLiteral("the key counter counts every key since the last Enter"),
            QStringLiteral("TAST_ZAEHL is %1, expected %2").arg(after.tastZaehl).arg(count),
            expectLine(QStringLiteral("TAST_ZAEHL"), num(static_cast<long long>(count))));
    }
    effect.firstKey = first;
    if (first) {
        // A new entry: whatever was scored before is no longer being entered.
        scored_.reset();
        bandChosen_.reset();
        const QString why = QStringLiteral("the first key of an entry starts it anew");
        switch (field) {
        case Ctl::LOC1:
            ownPassed_ = false;
            for (const Ctl other : {Ctl::LOC2, Ctl::QTH2}) {
                if (auto v = wantText(after, other, QString(), why)) {
                    return v;
                }
            }
            if (auto v = bandsOff(after, why)) {
                return v;
            }
            if (auto v = wantEnabled(after, Ctl::OK1, true, why)) {
                return v;
            }
            break;
        case Ctl::LOC2:
            if (auto v = wantText(after, Ctl::QTH2, QString(), why)) {
                return v;
            }
            if (auto v = wantEnabled(after, Ctl::DRU, false, why)) {
                return v;
            }
            break;
        default:
            if (auto v = wantText(after, Ctl::LOC2, QString(), why)) {
                return v;
            }
            break;
        }
        // The emptied field then receives the key, letters in upper case.
        const QString& key = action.text;
        if (!enter && key.size() == 1 && (key[0] == u'\b' || (key[0] >= u' ' && key[0] <= u'~'))) {
            const QString want = key[0] == u'\b' ? QString() : key.toUpper();
            if (auto v = wantText(after, field, want, why)) {
                return v;
            }
        }
    }
    if (!enter) {
        return std::nullopt;
    }
    effect.completed = true;
    return checkCompletion(field, first ? QString() : before.text(field), before, after);
}

Result Checker::checkCompletion(Ctl field, const QString& entry, const Snapshot& before,
                                const Snapshot& after) {
    if (field == Ctl::LOC1) {
        const std::optional<QString> square = checkedSquare(entry);
        const QString why = square ? QStringLiteral("an own locator that passes the check")
                                   : QStringLiteral("an own locator that fails the check");
        if (auto v = wantFehler(after, square ? 0 : 1, why)) {
            return v;
        }
        if (!square) {
            if (auto v = wantColour(after, Ctl::LOC1, kLightRed, why)) {
                return v;
            }
            return wantFocus(after, Ctl::LOC1, why);
        }
        ownPassed_ = true;
        if (after.loc1 != entry && after.loc1 != trimBlanks(entry)) {
            return wantText(after, Ctl::LOC1, trimBlanks(entry), why);
        }
        if (auto v = wantEnabled(after, Ctl::LOC2, true, why)) {
            return v;
        }
        return wantFocus(after, Ctl::LOC2, why);
    }

    std::optional<QString> square;
    QString why;
    if (field == Ctl::LOC2) {
        square = checkedSquare(entry);
        why = square ? QStringLiteral("a foreign locator that passes the check")
                     : QStringLiteral("a foreign locator that fails the check");
    } else {
        square = qthSquare(entry);
        why = square ? QStringLiteral("a QTH-Kenner that passes the check")
                     : QStringLiteral("a QTH-Kenner that fails the check");
    }
    scored_.reset();
    if (!square) {
        if (auto v = wantFehler(after, 1, why)) {
            return v;
        }
        if (auto v = wantColour(after, field, kLightRed, why)) {
            return v;
        }
        return wantFocus(after, field, why);
    }
    if (auto v = wantText(after, Ctl::LOC2, *square, why)) {
        return v;
    }
    if (field == Ctl::QTH2 && !ownPassed_) {
        const QString unscored = QStringLiteral("a QTH-Kenner before an own locator has passed "
                                                "does not score");
        if (auto v = wantFehler(after, 1, unscored)) {
            return v;
        }
        return wantPoints(after, before.qrbPkt, unscored);
    }
    if (field == Ctl::LOC2 && !ownPassed_) {
        // The own locator was refused, or begun anew and left: a foreign
        // locator is refused like one against a short own locator.
        const QString unscored = QStringLiteral("a foreign locator before an own locator has "
                                                "passed does not score");
        if (auto v = wantFehler(after, 1, unscored)) {
            return v;
        }
        if (auto v = wantPoints(after, before.qrbPkt, unscored)) {
            return v;
        }
        if (auto v = wantColour(after, Ctl::LOC1, kLightRed, unscored)) {
            return v;
        }
        if (auto v = wantFocus(after, Ctl::LOC1, unscored)) {
            return v;
        }
        return bandsOff(after, unscored);
    }
    const Lookup found = lookup(before.loc1, *square);
    const bool scores = found.kind == Lookup::Kind::Points;
    why +=
        scores
            ? QStringLiteral(", in range of the own locator %1 (x %2, y %3)")
                  .arg(q(before.loc1.left(4)))
                  .arg(found.x)
                  .arg(found.y)
            : QStringLiteral(", not scored against the own locator %1").arg(q(before.loc1.left(4)));
    if (auto v = wantFehler(after, scores ? 0 : 1, why)) {
        return v;
    }
    if (auto v = wantPoints(after, scores ? found.points : before.qrbPkt, why)) {
        return v;
    }
    if (scores) {
        scored_ = ScoredPair{before.loc1, *square};
    }
    // A foreign locator opens the band buttons only when it scores; a
    // QTH-Kenner opens them in any case.
    if (field == Ctl::LOC2 && !scores) {
        return bandsOff(after, why);
    }
    return bandsOn(after, why);
}

Result Checker::checkBand(int band, const Snapshot& before, const Snapshot& after) {
    const int multiplier = bandMultiplier(band);
    std::int64_t fehler = before.fehler;
    std::int64_t points = before.qrbPkt;
    QString why = QStringLiteral("choosing band %1").arg(ctlName(bandCtl(band)));
    if (band == kRelookupBand) {
        const Lookup found = lookup(before.loc1, before.loc2);
        if (found.kind == Lookup::Kind::Points || found.kind == Lookup::Kind::Blank) {
            fehler = 0;
            points = found.points;
        } else {
            fehler = 1;
        }
        why += QStringLiteral(" with LOC1 %1 and LOC2 %2")
                   .arg(q(before.loc1.left(8)), q(before.loc2.left(8)));
    }
    if (auto v = wantFehler(after, fehler, why)) {
        return v;
    }
    if (auto v = wantPoints(after, points, why)) {
        return v;
    }
    if (after.bandNr != band) {
        return broken(why, QStringLiteral("BAND_NR is %1").arg(after.bandNr),
                      expectLine(QStringLiteral("BAND_NR"), num(band)));
    }
    if (after.bandMul != multiplier) {
        return broken(why, QStringLiteral("BAND_MUL is %1").arg(after.bandMul),
                      expectLine(QStringLiteral("BAND_MUL"), num(multiplier)));
    }
    if (auto v = wantText(after, Ctl::PANZ, num(points * multiplier), why)) {
        return v;
    }
    const QString name = ctlName(bandCtl(band));
    if (!after.at(bandCtl(band)).checked) {
        return broken(why, QStringLiteral("%1 is not selected").arg(name),
                      expectLine(name + QStringLiteral(".checked"), flag(true)));
    }
    // 50 MHz and the higher bands exclude each other.
    for (int other = 0; other < kBands; ++other) {
        if (other != band && (band == 0 || other == 0)) {
            if (auto v = wantEnabled(after, bandCtl(other), false, why)) {
                return v;
            }
        }
    }
    if (fehler != 0) {
        return wantEnabled(after, Ctl::OK2, before.at(Ctl::OK2).enabled, why);
    }
    bandChosen_ = scored_;
    if (auto v = wantEnabled(after, Ctl::OK2, true, why)) {
        return v;
    }
    if (auto v = wantColour(after, Ctl::OK2, kLightGreen, why)) {
        return v;
    }
    return wantFocus(after, Ctl::OK2, why);
}

Result Checker::checkOk(const Snapshot& before, const Snapshot& after) {
    const qsizetype lines = before.lists[1].size();
    const bool mayLog = before.fehler == 0 && bandChosen_ && bandChosen_->foreign == before.loc2 &&
                        bandChosen_->own == before.loc1;
    if (!mayLog) {
        const QString why =
            QStringLiteral("OK logs nothing unless LOC1 and LOC2 still hold the locators scored "
                           "and given a band (FEHLER %1, LOC2 %2, scored %3)")
                .arg(before.fehler)
                .arg(q(before.loc2.left(40)), bandChosen_ ? q(bandChosen_->foreign) +
                                                                QStringLiteral(" against ") +
                                                                q(bandChosen_->own.left(40))
                                                          : QStringLiteral("nothing with a band"));
        if (after.lists[1].size() != lines) {
            return broken(why,
                          QStringLiteral("a line was logged: %1").arg(q(after.lists[1].last())),
                          expectLine(QStringLiteral("LIST1.count"), num(lines)));
        }
        if (auto v = wantEnabled(after, Ctl::OK2, false, why)) {
            return v;
        }
        if (auto v = wantColour(after, Ctl::OK2, kGrey, why)) {
            return v;
        }
        return wantColour(after, Ctl::LOC2, kLightRed, why);
    }
    scored_.reset();
    bandChosen_.reset();
    const QString why = QStringLiteral("OK logs the contact %1 scored against the own locator %2")
                            .arg(q(before.loc2), q(before.loc1.left(4)));
    if (after.lists[1].size() != lines + 1) {
        return broken(
            why,
            QStringLiteral("LIST1 went from %1 to %2 lines").arg(lines).arg(after.lists[1].size()),
            expectLine(QStringLiteral("LIST1.count"), num(lines + 1)));
    }
    const QString& line = after.lists[1].last();
    const QString at = QStringLiteral("LIST1[%1]").arg(lines);
    if (before.loc2.size() != 4 || !isSquare(before.loc2)) {
        return broken(QStringLiteral("a logged locator is a square that passes the check"),
                      QStringLiteral("logged %1").arg(q(line)),
                      expectLine(QStringLiteral("LIST1.count"), num(lines)));
    }
    if (before.bandNr < 0 || before.bandNr >= kBands) {
        return broken(QStringLiteral("a logged band is one of the ten"),
                      QStringLiteral("BAND_NR is %1, logged %2").arg(before.bandNr).arg(q(line)),
                      expectLine(QStringLiteral("LIST1.count"), num(lines)));
    }
    const Lookup found = lookup(before.loc1, before.loc2);
    if (found.kind != Lookup::Kind::Points) {
        return broken(
            QStringLiteral("a logged contact scores against the own locator at OK"),
            QStringLiteral("logged %1 while LOC1 holds %2, against which %3 has no points")
                .arg(q(line), q(before.loc1.left(40)), q(before.loc2)),
            expectLine(QStringLiteral("LIST1.count"), num(lines)));
    }
    const int band = static_cast<int>(before.bandNr);
    const int multiplier = bandMultiplier(band);
    const QString want = logLine(before.loc2, band, found.points, multiplier,
                                 static_cast<long long>(found.points) * multiplier);
    if (line != want) {
        return broken(QStringLiteral("a logged line has the points of its squares times the "
                                     "band's multiplier, in fixed columns"),
                      QStringLiteral("logged %1, expected %2 (%3 against the own locator %4: x %5, "
                                     "y %6, %7 points)")
                          .arg(q(line), q(want), q(before.loc2), q(before.loc1.left(4)))
                          .arg(found.x)
                          .arg(found.y)
                          .arg(found.points),
                      expectLine(at, q(want)));
    }
    const QString next = QStringLiteral("after OK the window waits for the next contact");
    if (auto v = wantText(after, Ctl::LOC2, QString(), next)) {
        return v;
    }
    if (auto v = wantText(after, Ctl::PANZ, QString(), next)) {
        return v;
    }
    if (auto v = wantEnabled(after, Ctl::OK2, false, next)) {
        return v;
    }
    if (auto v = wantEnabled(after, Ctl::DRU, true, next)) {
        return v;
    }
    if (auto v = wantEnabled(after, Ctl::OK1, true, next)) {
        return v;
    }
    if (auto v = bandsOff(after, next)) {
        return v;
    }
    if (auto v = wantColour(after, Ctl::LOC2, kLightGreen, next)) {
        return v;
    }
    return wantFocus(after, Ctl::LOC2, next);
}

// A click on DRU prints LIST0, a rule and LIST1 as they stand, each line
// indented by five blanks, in Courier New 10.
Result Checker::checkPrint(const Snapshot& before, const Snapshot& after) const {
    if (after.jobCount == before.jobCount) {
        return std::nullopt;
    }
    const QString why = QStringLiteral("a print job is the log at the time of the click");
    const auto job = static_cast<long long>(before.jobCount);
    if (after.jobCount != before.jobCount + 1 || !after.lastJob) {
        return broken(
            why, QStringLiteral("%1 print jobs became %2").arg(before.jobCount).arg(after.jobCount),
            expectLine(QStringLiteral("PRINT.jobs"), num(job + 1)));
    }
    QStringList want;
    const QString indent(5, QLatin1Char(' '));
    for (const QString& line : before.lists[0]) {
        want.append(indent + line);
    }
    want.append(printRule());
    for (const QString& line : before.lists[1]) {
        want.append(indent + line);
    }
    const Job& got = *after.lastJob;
    if (got.fontFace != u"Courier New" || got.fontSize != 10.0) {
        return broken(why,
                      QStringLiteral("printed in %1 %2").arg(q(got.fontFace)).arg(got.fontSize),
                      expectLine(QStringLiteral("PRINT[%1].font").arg(job),
                                 QStringLiteral("\"Courier New\" 10")));
    }
    if (got.lines.size() != want.size()) {
        return broken(why,
                      QStringLiteral("printed %1 lines, the log has %2")
                          .arg(got.lines.size())
                          .arg(want.size()),
                      expectLine(QStringLiteral("PRINT[%1].count").arg(job), num(want.size())));
    }
    for (qsizetype i = 0; i < want.size(); ++i) {
        if (got.lines[i] != want[i]) {
            return broken(why, QStringLiteral("printed %1 as line %2").arg(q(got.lines[i])).arg(i),
                          expectLine(QStringLiteral("PRINT[%1][%2]").arg(job).arg(i), q(want[i])));
        }
    }
    return std::nullopt;
}

} // namespace randomized
