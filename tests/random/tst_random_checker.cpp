// SPDX-License-Identifier: GPL-3.0-or-later
// Tests of the randomized sessions' own parts: the independent model of
// squares, points, checks and log lines against worked examples of the
// award; the invariant checker against a real window whose observed state is
// tampered with at one step (each tampering must be reported, with an expect
// line that a scenario can read); the shrinker; the scenario text; the
// generator's determinism.

#include "tests/random/checked_run.h"
#include "tests/random/invariants.h"
#include "tests/random/scenario_text.h"
#include "tests/random/session_generator.h"
#include "tests/random/shrink.h"
#include "tests/random/square_model.h"
#include "tests/random/window_state.h"
#include "tests/runner/scenario_session.h"

#include <QTemporaryDir>
#include <QTest>
#include <functional>

using namespace randomized;
using scenario::Command;

namespace {

Command click(const QString& name) {
    return Command::click(name);
}

Command keys(const QString& text) {
    return Command::keys(text);
}

using Tamper = std::function<void(Snapshot&)>;

// A real window driven step by step, its states fed to the checker; one step
// can have its observed state tampered with before the checker sees it.
class Trace {
public:
    Trace() {
        QVERIFY(session_.start().isEmpty());
        state_ = observer_.capture();
        const std::optional<Violation> v = checker_.start(state_);
        QVERIFY2(!v, v ? qPrintable(v->detail) : "");
    }

    // A click on the control; returns what the checker says.
    std::optional<Violation> clickOn(const QString& name, const Tamper& tamper = {}) {
        const scenario::WindowDriver& driver = session_.driver();
        Action action;
        action.kind = Action::Kind::Click;
        action.control = name;
        action.hit = driver.controlAt(driver.centreOf(driver.control(name)))->objectName();
        return act(action, click(name), tamper);
    }

    // The characters one by one; a tampering applies to the last of them.
    std::optional<Violation> type(const QString& text, const Tamper& tamper = {}) {
        const std::vector<QString> chars = characters(text);
        for (std::size_t i = 0; i < chars.size(); ++i) {
            Action action;
            action.kind = Action::Kind::Key;
            action.text = chars[i];
            if (auto v = act(action, keys(chars[i]), i + 1 == chars.size() ? tamper : Tamper{})) {
                return v;
            }
        }
        return std::nullopt;
    }

private:
    std::optional<Violation> act(const Action& action, const Command& command,
                                 const Tamper& tamper) {
        session_.execute(command, [](const QString&) {});
        Snapshot after = observer_.capture();
        if (tamper) {
            tamper(after);
        }
        std::optional<Violation> v = checker_.step(action, state_, after);
        state_ = after;
        return v;
    }

    scenario::Session session_;
    Observer observer_{session_};
    Checker checker_;
    Snapshot state_;
};

// The steps of one contact: JO62 own, JO73 foreign (2 points), 432 MHz.
void enterContact(Trace& trace) {
    QVERIFY(!trace.clickOn(QStringLiteral("LOC1")));
    QVERIFY(!trace.type(QStringLiteral("jo62\r")));
    QVERIFY(!trace.type(QStringLiteral("jo73\r")));
    QVERIFY(!trace.clickOn(QStringLiteral("B2")));
}

void verifyExpectReadable(const Violation& v) {
    QVERIFY2(!v.expect.isEmpty(), qPrintable(v.invariant));
    const scenario::ParsedLine parsed = scenario::parseLine(v.expect);
    QVERIFY2(parsed.status == scenario::ParsedLine::Status::Command, qPrintable(v.expect));
    QCOMPARE(parsed.command.kind, Command::Kind::Expect);
}

} // namespace

class TstRandomChecker : public QObject {
    Q_OBJECT

private slots:
    // ---- the model -----------------------------------------------------

    void tableRowsAndColumns() {
        // Row y = 1: pure east-west distance.
        const std::vector<int> row1{1, 2, 3, 4, 5, 6, 8, 9, 10, 12, 13, 14, 16};
        for (int x = 1; x <= 13; ++x) {
            QCOMPARE(tablePoints(x, 1), row1[static_cast<std::size_t>(x - 1)]);
        }
        for (int x = 14; x <= 40; ++x) {
            QCOMPARE(tablePoints(x, 1), x + 3);
        }
        for (int y = 1; y <= 40; ++y) {
            QCOMPARE(tablePoints(1, y), y); // pure north-south distance
            QCOMPARE(tablePoints(40, y), 43);
        }
        QCOMPARE(tablePoints(20, 1), 23);
        QCOMPARE(tablePoints(1, 20), 20);
        QCOMPARE(tablePoints(8, 8), 10);
        QCOMPARE(tablePoints(9, 8), 11);
        QCOMPARE(tablePoints(8, 9), 11);
        QCOMPARE(tablePoints(11, 11), 14);
        QCOMPARE(tablePoints(12, 11), 15);
        QCOMPARE(tablePoints(11, 12), 15);
        // Row 20 and the diagonal.
        const std::vector<int> row20{20, 20, 20, 21, 21, 21, 22, 22, 22};
        for (int x = 1; x <= 9; ++x) {
            QCOMPARE(tablePoints(x, 20), row20[static_cast<std::size_t>(x - 1)]);
        }
        for (int x = 10; x <= 20; ++x) {
            QCOMPARE(tablePoints(x, 20), 23);
        }
        const std::vector<int> diagonal{1, 2, 3, 5, 6, 7, 9, 10, 11};
        for (int n = 1; n <= 9; ++n) {
            QCOMPARE(tablePoints(n, n), diagonal[static_cast<std::size_t>(n - 1)]);
        }
        for (int n = 10; n <= 40; ++n) {
            QCOMPARE(tablePoints(n, n), n + 3);
        }
        // 43 in 70 cells, every row and column non-decreasing, x >= y never
        // less than its mirror.
        int maxima = 0;
        for (int x = 1; x <= 40; ++x) {
            for (int y = 1; y <= 40; ++y) {
                maxima += tablePoints(x, y) == 43 ? 1 : 0;
                if (x > 1) {
                    QVERIFY(tablePoints(x, y) >= tablePoints(x - 1, y));
                }
                if (y > 1) {
                    QVERIFY(tablePoints(x, y) >= tablePoints(x, y - 1));
                }
                if (x >= y) {
                    QVERIFY(tablePoints(x, y) >= tablePoints(y, x));
                }
            }
        }
        QCOMPARE(maxima, 70);
    }

    void lookupExamples_data() {
        QTest::addColumn<QString>("own");
        QTest::addColumn<QString>("foreign");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("points");
        const int points = static_cast<int>(Lookup::Kind::Points);
        const int out = static_cast<int>(Lookup::Kind::OutOfRange);
        QTest::newRow("same") << "JO62"
                              << "JO62" << points << 1;
        QTest::newRow("JO73") << "JO62"
                              << "JO73" << points << 2;
        QTest::newRow("JN58") << "JO62"
                              << "JN58" << points << 5;
        QTest::newRow("IO91") << "JO62"
                              << "IO91" << points << 9;
        QTest::newRow("KM72") << "JO62"
                              << "KM72" << points << 24;
        QTest::newRow("NO52") << "JO62"
                              << "NO52" << points << 43;
        QTest::newRow("JK63") << "JO62"
                              << "JK63" << points << 40;
        QTest::newRow("swapped") << "IO91"
                                 << "JO62" << points << 9;
        QTest::newRow("six chars") << "JO62QM"
                                   << "JO73AA" << points << 2;
        QTest::newRow("NO62") << "JO62"
                              << "NO62" << out << 0;
        QTest::newRow("JK62") << "JO62"
                              << "JK62" << out << 0;
        QTest::newRow("FN31") << "JO62"
                              << "FN31" << out << 0;
        QTest::newRow("blanks") << "JO62"
                                << "    " << static_cast<int>(Lookup::Kind::Blank) << 0;
        QTest::newRow("short own") << "JO6"
                                   << "JO62" << static_cast<int>(Lookup::Kind::TooShort) << 0;
        QTest::newRow("short foreign") << "JO62"
                                       << "J" << static_cast<int>(Lookup::Kind::TooShort) << 0;
        // Not a square: the latitude digit "A" (code 65) stands 17 degrees
        // above "0", 15 rows north of JO62.
        QTest::newRow("JO6A") << "JO6A"
                              << "JO62" << points << 16;
        // A blank field letter (code 32) lies in the far east: 32 fields of 20
        // degrees before J, folded by 360 degrees.
        QTest::newRow("blank field") << " O62"
                                     << "JO62" << out << 0;
    }

    void lookupExamples() {
        QFETCH(QString, own);
        QFETCH(QString, foreign);
        QFETCH(int, kind);
        QFETCH(int, points);
        const Lookup found = lookup(own, foreign);
        QCOMPARE(static_cast<int>(found.kind), kind);
        QCOMPARE(found.points, points);
    }

    void locatorCheck() {
        QCOMPARE(checkedSquare(u"JO62QM"), std::optional<QString>(QStringLiteral("JO62")));
        QCOMPARE(checkedSquare(u"  JO62  "), std::optional<QString>(QStringLiteral("JO62")));
        QCOMPARE(checkedSquare(u"JO62Q"), std::optional<QString>(QStringLiteral("JO62")));
        QCOMPARE(checkedSquare(u"JO62QMX"), std::optional<QString>(QStringLiteral("JO62")));
        QCOMPARE(checkedSquare(u"JS62"), std::optional<QString>(QStringLiteral("JS62")));
        QCOMPARE(checkedSquare(u"XX00"), std::optional<QString>(QStringLiteral("XX00")));
        for (const char16_t* bad : {u"JO62QY", u"JO6A", u"JY62", u"J062", u"jo62", u"JO6", u"",
                                    u"    ", u"J O62", u"\u00C4O62"}) {
            QVERIFY2(!checkedSquare(QStringView(bad)), qPrintable(QString::fromUtf16(bad)));
        }
    }

    void qthConversion_data() {
        QTest::addColumn<QString>("kenner");
        QTest::addColumn<QString>("square");
        QTest::newRow("DL47") << "DL47"
                              << "JO31";
        QTest::newRow("west") << "DL47-"
                              << "GO71";
        QTest::newRow("east") << "DL47+"
                              << "LO91";
        QTest::newRow("south") << "DL47 -"
                               << "JL35";
        QTest::newRow("north") << "DL47 +"
                               << "JQ37";
        QTest::newRow("west north") << "DL47-+"
                                    << "GQ77";
        QTest::newRow("east south") << "DL47+-"
                                    << "LL95";
        QTest::newRow("AA00") << "AA00"
                              << "JN00";
        QTest::newRow("EK13") << "EK13"
                              << "JO40";
        QTest::newRow("ZZ99") << "ZZ99"
                              << "LP55";
        QTest::newRow("ZZ99++") << "ZZ99++"
                                << "OS11";
        QTest::newRow("seventh ignored") << "DL47+-X"
                                         << "LL95";
        QTest::newRow("blanks around") << "  DL47 "
                                       << "JO31";
    }

    void qthConversion() {
        QFETCH(QString, kenner);
        QFETCH(QString, square);
        QCOMPARE(qthSquare(kenner), std::optional<QString>(square));
    }

    void qthRejected() {
        for (const char16_t* bad :
             {u"DL4", u"", u"   ", u"DL47X", u"DL47  +", u"DL4+", u"D147", u"dl47", u"DL47+X"}) {
            QVERIFY2(!qthSquare(QStringView(bad)), qPrintable(QString::fromUtf16(bad)));
        }
    }

    void logLines() {
        QCOMPARE(logLine(u"JO40", 2, 7, 2, 14), QStringLiteral("JO40   432     7     2    14"));
        QCOMPARE(logLine(u"JO40", 0, 7, 1, 7), QStringLiteral("JO40    50                 7"));
        QCOMPARE(logLine(u"JO40", 9, 43, 9, 387), QStringLiteral("JO40    47    43     9   387"));
        QCOMPARE(logLine(u"JO40", 7, 12, 7, 1084), QStringLiteral("JO40    10    12     7   1084"));
        QCOMPARE(qrbColumn(u"JO40   432     7     2    14"), std::optional<long long>(14));
        QCOMPARE(qrbColumn(u""), std::optional<long long>());
        QCOMPARE(sumText(21), QStringLiteral(" 21"));
        QCOMPARE(sumText(-3), QStringLiteral("-3"));
        QVERIFY(isInteger(u"0"));
        QVERIFY(isInteger(u"-12"));
        QVERIFY(!isInteger(u""));
        QVERIFY(!isInteger(u" 4"));
        QVERIFY(!isInteger(u"4a"));
        QVERIFY(!isInteger(u"-"));
    }

    // ---- the checker on a real window ---------------------------------------

    void untamperedContactPasses() {
        Trace trace;
        enterContact(trace);
        QVERIFY(!trace.clickOn(QStringLiteral("OK2")));
        QVERIFY(!trace.clickOn(QStringLiteral("DRU")));
        QVERIFY(!trace.type(QStringLiteral("qm")));
        QVERIFY(!trace.clickOn(QStringLiteral("INF")));
        QVERIFY(!trace.clickOn(QStringLiteral("OK2")));
    }

    void wrongPointsInTheLog() {
        Trace trace;
        enterContact(trace);
        const std::optional<Violation> v = trace.clickOn(QStringLiteral("OK2"), [](Snapshot& s) {
            s.lists[1].last() = QStringLiteral("JO73   432     3     2     6");
            s.su = QStringLiteral(" 6");
        });
        QVERIFY(v);
        QVERIFY2(v->invariant.contains(QStringLiteral("points of its squares")),
                 qPrintable(v->invariant));
        QCOMPARE(v->expect, QStringLiteral("expect LIST1[1] \"JO73   432     2     2     4\""));
        verifyExpectReadable(*v);
    }

    void logGrowsWithoutOk() {
        Trace trace;
        const std::optional<Violation> v = trace.clickOn(
            QStringLiteral("LOC1"), [](Snapshot& s) { s.lists[1].append(QStringLiteral("JO73")); });
        QVERIFY(v);
        QCOMPARE(v->expect, QStringLiteral("expect LIST1.count 1"));
    }

    void logLineChangedLater() {
        Trace trace;
        enterContact(trace);
        QVERIFY(!trace.clickOn(QStringLiteral("OK2")));
        const std::optional<Violation> v = trace.type(QStringLiteral("j"), [](Snapshot& s) {
            s.lists[1][1] = QStringLiteral("JO73   432     2     2     5");
        });
        QVERIFY(v);
        QCOMPARE(v->expect, QStringLiteral("expect LIST1[1] \"JO73   432     2     2     4\""));
    }

    void okRefusesWhatItMayLog() {
        Trace trace;
        enterContact(trace);
        const std::optional<Violation> v = trace.clickOn(QStringLiteral("OK2"), [](Snapshot& s) {
            s.lists[1].removeLast();
            s.su.clear();
        });
        QVERIFY(v);
        QCOMPARE(v->expect, QStringLiteral("expect LIST1.count 2"));
    }

    void okLogsWhatItMustRefuse() {
        Trace trace;
        enterContact(trace);
        QVERIFY(!trace.clickOn(QStringLiteral("LOC2")));
        // A new entry begun: JO73 is no longer the contact being entered.
        QVERIFY(!trace.type(QStringLiteral("jo7")));
        const std::optional<Violation> v = trace.clickOn(QStringLiteral("OK2"), [](Snapshot& s) {
            s.lists[1].append(QStringLiteral("JO7   432     2     2     4"));
            s.su = QStringLiteral(" 4");
        });
        QVERIFY(v);
        QVERIFY2(v->invariant.startsWith(QStringLiteral("OK logs nothing")),
                 qPrintable(v->invariant));
        QCOMPARE(v->expect, QStringLiteral("expect LIST1.count 1"));
    }

    void wrongSum() {
        Trace trace;
        enterContact(trace);
        const std::optional<Violation> v =
            trace.clickOn(QStringLiteral("OK2"), [](Snapshot& s) { s.su = QStringLiteral("4"); });
        QVERIFY(v);
        QCOMPARE(v->expect, QStringLiteral("expect SU.text \" 4\""));
    }

    void wrongPointsAfterLookup() {
        Trace trace;
        QVERIFY(!trace.clickOn(QStringLiteral("LOC1")));
        QVERIFY(!trace.type(QStringLiteral("jo62\r")));
        const std::optional<Violation> v =
            trace.type(QStringLiteral("kM72\r"), [](Snapshot& s) { s.qrbPkt = 23; });
        QVERIFY(v);
        QCOMPARE(v->expect, QStringLiteral("expect QRB_PKT 24"));
    }

    void qthScoredWithoutOwnLocator() {
        Trace trace;
        QVERIFY(!trace.clickOn(QStringLiteral("QTH2")));
        const std::optional<Violation> v =
            trace.type(QStringLiteral("dl47\r"), [](Snapshot& s) { s.fehler = 0; });
        QVERIFY(v);
        QCOMPARE(v->expect, QStringLiteral("expect FEHLER 1"));
    }

    void fehlerOutOfRange() {
        Trace trace;
        const std::optional<Violation> v =
            trace.clickOn(QStringLiteral("INF"), [](Snapshot& s) { s.fehler = 2; });
        QVERIFY(v);
        QCOMPARE(v->invariant, QStringLiteral("FEHLER is 0 or 1"));
        verifyExpectReadable(*v);
    }

    void focusOnDisabledControl() {
        Trace trace;
        const std::optional<Violation> v = trace.clickOn(QStringLiteral("TEXT1"), [](Snapshot& s) {
            s.focus = QStringLiteral("OK2");
            s.focusEnabled = false;
        });
        QVERIFY(v);
        QCOMPARE(v->expect, QStringLiteral("expect OK2.enabled 1"));
        const std::optional<Violation> hidden =
            trace.clickOn(QStringLiteral("TEXT1"), [](Snapshot& s) {
                s.focus = QStringLiteral("LIST3");
                s.focusVisible = false;
            });
        QVERIFY(hidden);
        QCOMPARE(hidden->expect, QStringLiteral("expect LIST3.visible 1"));
    }

    void fixedListsChange() {
        Trace trace;
        const std::optional<Violation> v = trace.clickOn(QStringLiteral("LIST1"), [](Snapshot& s) {
            s.lists[2][39].replace(6, 3, QStringLiteral("  2"));
        });
        QVERIFY(v);
        QVERIFY2(v->expect.startsWith(QStringLiteral("expect LIST2[39] \"  1 |   1  2  3")),
                 qPrintable(v->expect));
        const std::optional<Violation> help =
            trace.clickOn(QStringLiteral("INF"), [](Snapshot& s) { s.lists[3].removeLast(); });
        QVERIFY(help);
        QCOMPARE(help->expect, QStringLiteral("expect LIST3.count 24"));
    }

    void panzNotANumber() {
        Trace trace;
        enterContact(trace);
        const std::optional<Violation> v =
            trace.clickOn(QStringLiteral("B3"), [](Snapshot& s) { s.panz = QStringLiteral("6 "); });
        QVERIFY(v);
        QCOMPARE(v->invariant, QStringLiteral("PANZ is empty or an integer"));
    }

    void printedJobDiffers() {
        Trace trace;
        enterContact(trace);
        QVERIFY(!trace.clickOn(QStringLiteral("OK2")));
        const std::optional<Violation> v = trace.clickOn(QStringLiteral("DRU"), [](Snapshot& s) {
            s.lastJob->lines[3] = QStringLiteral("     JO73   432     2     2     5");
        });
        QVERIFY(v);
        QCOMPARE(v->expect,
                 QStringLiteral("expect PRINT[0][3] \"     JO73   432     2     2     4\""));
        const std::optional<Violation> missing =
            trace.clickOn(QStringLiteral("DRU"), [](Snapshot& s) { s.jobCount = 1; });
        QVERIFY(missing);
        QCOMPARE(missing->expect, QStringLiteral("expect PRINT.jobs 2"));
    }

    void endedWithoutEnd() {
        Trace trace;
        const std::optional<Violation> v =
            trace.type(QStringLiteral("j"), [](Snapshot& s) { s.ended = true; });
        QVERIFY(v);
        QCOMPARE(v->expect, QStringLiteral("expect ended 0"));
    }

    void keyCounterWrong() {
        Trace trace;
        const std::optional<Violation> v =
            trace.type(QStringLiteral("jo"), [](Snapshot& s) { s.tastZaehl = 3; });
        QVERIFY(v);
        QCOMPARE(v->expect, QStringLiteral("expect TAST_ZAEHL 2"));
    }

    void bandExclusionBroken() {
        Trace trace;
        QVERIFY(!trace.clickOn(QStringLiteral("LOC1")));
        QVERIFY(!trace.type(QStringLiteral("jo62\r")));
        QVERIFY(!trace.type(QStringLiteral("jo73\r")));
        const std::optional<Violation> v =
            trace.clickOn(QStringLiteral("B0"), [](Snapshot& s) { s.at(Ctl::B4).enabled = true; });
        QVERIFY(v);
        QCOMPARE(v->expect, QStringLiteral("expect B4.enabled 0"));
    }

    void buttonProtocol() {
        Trace trace;
        const std::optional<Violation> dru = trace.clickOn(
            QStringLiteral("LOC1"), [](Snapshot& s) { s.at(Ctl::DRU).enabled = true; });
        QVERIFY(dru);
        QCOMPARE(dru->expect, QStringLiteral("expect DRU.enabled 0"));
        Trace other;
        enterContact(other);
        const std::optional<Violation> ok = other.clickOn(
            QStringLiteral("INF"), [](Snapshot& s) { s.at(Ctl::OK2).enabled = false; });
        QVERIFY(ok);
        QCOMPARE(ok->expect, QStringLiteral("expect OK2.enabled 1"));
    }

    // ---- shrinking, scenario text, generator ------------------------------------

    void shrinkFindsTheTwoSteps() {
        // Fails when an "x" is typed somewhere before OK is clicked.
        const StillFails fails = [](const Steps& steps) {
            bool x = false;
            for (const Command& c : steps) {
                if (c.kind == Command::Kind::Keys && c.text.contains(u'x')) {
                    x = true;
                }
                if (x && c.kind == Command::Kind::Click && c.control == u"OK2") {
                    return true;
                }
            }
            return false;
        };
        Steps steps;
        for (int i = 0; i < 30; ++i) {
            steps.push_back(i == 11 ? keys(QStringLiteral("abxcd")) : keys(QStringLiteral("ab")));
            steps.push_back(click(i == 20 ? QStringLiteral("OK2") : QStringLiteral("INF")));
        }
        QVERIFY(fails(steps));
        ShrinkBudget budget;
        const Steps small = shrink(steps, fails, budget);
        QCOMPARE(small.size(), std::size_t{2});
        QCOMPARE(small[0].text, QStringLiteral("x"));
        QCOMPARE(small[1].control, QStringLiteral("OK2"));
        QVERIFY(budget.runs < budget.maxRuns);
    }

    void scenarioTextStopsAtTheFailure() {
        Command typed;
        typed.kind = Command::Kind::Type;
        typed.control = QStringLiteral("LOC2");
        typed.text = QStringLiteral("jo73\r");
        const Steps steps{click(QStringLiteral("LOC1")),
                          keys(QStringLiteral("a\"\\\t\u00e4\U0001F600\u0007")), typed,
                          click(QStringLiteral("OK2"))};
        StepFailure failure;
        failure.step = 2;
        failure.part = 2;
        failure.violation = Violation{QStringLiteral("a rule"), QStringLiteral("what was found"),
                                      QStringLiteral("expect QRB_PKT 2")};
        const QString text = scenarioText({QStringLiteral("header")}, steps, failure);
        QCOMPARE(text, QStringLiteral("# header\n"
                                      "click LOC1\n"
                                      "keys \"a\\\"\\\\\\t\u00e4\U0001F600\\u0007\"\n"
                                      "type LOC2 \"jo7\"\n"
                                      "# broken: a rule\n"
                                      "# found: what was found\n"
                                      "expect QRB_PKT 2\n"));
        // Read back, the steps are the same (the type cut after its third key).
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("s.scn"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
        file.close();
        QString error;
        const std::optional<Steps> back = readScenario(path, error);
        QVERIFY2(back, qPrintable(error));
        QCOMPARE(back->size(), std::size_t{3});
        QCOMPARE((*back)[1].text, steps[1].text);
        QCOMPARE((*back)[2].text, QStringLiteral("jo7"));
    }

    void generatorIsDeterministicAndWritable() {
        GeneratorOptions options;
        int differing = 0;
        for (std::uint64_t seed = 1; seed <= 300; ++seed) {
            const Steps a = generateSession(seed, options);
            const Steps b = generateSession(seed, options);
            QVERIFY(!a.empty());
            QVERIFY(static_cast<int>(a.size()) <= options.steps);
            QCOMPARE(a.size(), b.size());
            const Steps other = generateSession(seed + 1000, options);
            differing +=
                commandLine(a.front()) != commandLine(other.front()) || a.size() != other.size()
                    ? 1
                    : 0;
            for (std::size_t i = 0; i < a.size(); ++i) {
                const QString line = commandLine(a[i]);
                QCOMPARE(line, commandLine(b[i]));
                // Every step reads back as the same command.
                const scenario::ParsedLine parsed = scenario::parseLine(line);
                QVERIFY2(parsed.status == scenario::ParsedLine::Status::Command,
                         qPrintable(line.left(200)));
                QCOMPARE(parsed.command.kind, a[i].kind);
                QCOMPARE(parsed.command.control, a[i].control);
                QCOMPARE(parsed.command.text, a[i].text);
            }
        }
        QVERIFY(differing > 200);
    }
};

QTEST_MAIN(TstRandomChecker)
#include "tst_random_checker.moc"
