// SPDX-License-Identifier: GPL-3.0-or-later
// qrb-random: randomized user sessions against the real window.
//
//   qrb-random [--seed S|time] [--sessions N] [--steps K] [--jobs J] [--soak]
//              [--keep-going] [--out DIR] [--no-fork]
//   qrb-random --replay FILE
//
// Session i of a run uses the seed S + i; its commands depend on nothing else,
// so "--seed X --sessions 1 --steps K" runs exactly that session again. Every
// session gets a freshly started window with a recording printer, driven
// through the same machinery as qrb-scenario, and the invariants are checked
// after every action. The first broken rule is shrunk to the shortest steps
// that still break it, printed as a scenario file and written to
// DIR/random-<seed>.scn. With --soak every session draws its own length
// (1 to 300 steps) and progress is shown. With --keep-going the sessions go
// on after a broken rule; each rule is shrunk and shown once (per worker),
// later sessions that break it are only named.
//
// The sessions run in worker processes (J of them, 1 by default), so that a
// crash of the program is caught too: the supervisor then shrinks the crashing
// session by running candidates in fresh processes. --no-fork runs everything
// in one process. Exit status: 0 when nothing broke, 1 when a rule broke or
// the program crashed, 2 on wrong usage.

#include "tests/random/checked_run.h"
#include "tests/random/rng.h"
#include "tests/random/scenario_text.h"
#include "tests/random/session_generator.h"
#include "tests/random/shrink.h"
#include "tests/runner/scenario_runner.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSet>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <new>
#include <string>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using randomized::RunOutcome;
using randomized::StepFailure;
using randomized::Steps;

struct Options {
    std::uint64_t seed = 1;
    long sessions = 2000;
    int steps = 60;
    bool stepsGiven = false;
    int jobs = 1;
    bool soak = false;
    bool keepGoing = false;
    bool fork = true;
    QString out = QStringLiteral(".");
    QString replay;
};

// What a worker process tells the supervisor, in memory shared between them.
struct WorkerSlot {
    std::atomic<std::uint64_t> seed{0}; // the session being run
    std::atomic<int> steps{0};
    std::atomic<long> sessions{0}; // sessions finished
    std::atomic<long> withContacts{0};
    std::atomic<long> contacts{0};
    std::atomic<long> printJobs{0};
    std::atomic<long> ended{0};
    std::atomic<long> actions{0};
    std::atomic<long> failures{0}; // sessions that broke a rule (with --keep-going)
    std::atomic<int> finished{0};  // 1: returned normally, 3: reported a broken rule
};

void out(const QString& text) {
    const QByteArray bytes = text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

int usage() {
    std::fputs("usage: qrb-random [--seed S|time] [--sessions N] [--steps K] [--jobs J] [--soak]"
               " [--keep-going] [--out DIR] [--no-fork]\n"
               "       qrb-random --replay FILE\n",
               stderr);
    return 2;
}

std::optional<Options> parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= argc) {
                return std::nullopt;
            }
            return std::string(argv[++i]);
        };
        const auto number = [&](long low, long high) -> std::optional<long> {
            const std::optional<std::string> text = value();
            if (!text || text->empty()) {
                return std::nullopt;
            }
            char* end = nullptr;
            const long n = std::strtol(text->c_str(), &end, 10);
            if (*end != '\0' || n < low || n > high) {
                return std::nullopt;
            }
            return n;
        };
        if (arg == "--seed") {
            const std::optional<std::string> text = value();
            if (!text) {
                return std::nullopt;
            }
            if (*text == "time") {
                o.seed = static_cast<std::uint64_t>(std::time(nullptr));
            } else {
                char* end = nullptr;
                o.seed = std::strtoull(text->c_str(), &end, 10);
                if (text->empty() || *end != '\0') {
                    return std::nullopt;
                }
            }
        } else if (arg == "--sessions") {
            const auto n = number(1, 1000000000L);
            if (!n) {
                return std::nullopt;
            }
            o.sessions = *n;
        } else if (arg == "--steps") {
            const auto n = number(1, 100000);
            if (!n) {
                return std::nullopt;
            }
            o.steps = static_cast<int>(*n);
            o.stepsGiven = true;
        } else if (arg == "--jobs") {
            const auto n = number(1, 64);
            if (!n) {
                return std::nullopt;
            }
            o.jobs = static_cast<int>(*n);
        } else if (arg == "--soak") {
            o.soak = true;
        } else if (arg == "--keep-going") {
            o.keepGoing = true;
        } else if (arg == "--no-fork") {
            o.fork = false;
        } else if (arg == "--out") {
            const std::optional<std::string> text = value();
            if (!text) {
                return std::nullopt;
            }
            o.out = QString::fromStdString(*text);
        } else if (arg == "--replay") {
            const std::optional<std::string> text = value();
            if (!text) {
                return std::nullopt;
            }
            o.replay = QString::fromStdString(*text);
        } else {
            return std::nullopt;
        }
    }
    return o;
}

// Steps of the session with this seed: fixed, or drawn per session in a soak.
int stepsFor(const Options& o, std::uint64_t seed) {
    if (o.stepsGiven || !o.soak) {
        return o.steps;
    }
    randomized::Rng rng(seed ^ 0x5EEDULL);
    return rng.between(1, 300);
}

Steps sessionSteps(const Options& o, std::uint64_t seed) {
    randomized::GeneratorOptions generator;
    generator.steps = stepsFor(o, seed);
    return randomized::generateSession(seed, generator);
}

QString rerun(std::uint64_t seed, int steps) {
    return QStringLiteral("qrb-random --seed %1 --sessions 1 --steps %2").arg(seed).arg(steps);
}

// Writes the scenario next to the others of this run and prints it.
QString saveScenario(const Options& o, std::uint64_t seed, const QString& text) {
    QDir().mkpath(o.out);
    QString path = QDir(o.out).filePath(QStringLiteral("random-%1.scn").arg(seed));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(text.toUtf8());
    }
    out(QStringLiteral("----- %1").arg(path));
    out(text.size() > 20000 ? text.left(20000) + QStringLiteral("... (see the file)") : text);
    out(QStringLiteral("-----"));
    return path;
}

// Runs the scenario file with the scenario runner itself, to show that it
// reproduces the failure.
void confirmWithRunner(const QString& path) {
    scenario::Tally tally;
    QStringList report;
    scenario::runScenarioFile(path, tally, [&report](const QString& line) { report.append(line); });
    out(QStringLiteral("qrb-scenario %1:").arg(path));
    for (const QString& line : report) {
        out(QStringLiteral("  ") + line);
    }
    out(QStringLiteral("  %1 passed, %2 failed").arg(tally.passed).arg(tally.failed));
}

// A broken rule: shrink the session, then print and check the scenario.
void reportFailure(const Options& o, std::uint64_t seed, const Steps& steps,
                   const StepFailure& failure) {
    out(QStringLiteral("BROKEN RULE in the session with seed %1 (%2 steps): %3")
            .arg(seed)
            .arg(steps.size())
            .arg(failure.violation.invariant));
    out(QStringLiteral("  %1").arg(failure.violation.detail));
    out(QStringLiteral("  again: %1").arg(rerun(seed, stepsFor(o, seed))));

    const QString rule = failure.violation.invariant;
    Steps start(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(
                                                   std::min(failure.step + 1, steps.size())));
    randomized::ShrinkBudget budget;
    const Steps smallest = randomized::shrink(
        start,
        [&rule](const Steps& candidate) {
            const RunOutcome outcome = randomized::runChecked(candidate);
            return outcome.failure && outcome.failure->violation.invariant == rule;
        },
        budget);
    const RunOutcome again = randomized::runChecked(smallest);
    const std::optional<StepFailure> last = again.failure ? again.failure : failure;
    const Steps& shown = again.failure ? smallest : steps;
    const QStringList comments{
        QStringLiteral("Found by %1, shrunk from %2 to %3 steps (%4 runs).")
            .arg(rerun(seed, stepsFor(o, seed)))
            .arg(steps.size())
            .arg(shown.size())
            .arg(budget.runs),
    };
    const QString path = saveScenario(o, seed, randomized::scenarioText(comments, shown, last));
    confirmWithRunner(path);
}

int worker(const Options& o, int index, WorkerSlot& slot, int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    if (!o.replay.isEmpty()) {
        QString error;
        const std::optional<Steps> steps = randomized::readScenario(o.replay, error);
        if (!steps) {
            out(error);
            slot.finished = 3;
            return 1;
        }
        const RunOutcome outcome = randomized::runChecked(*steps);
        if (outcome.failure) {
            out(QStringLiteral("BROKEN RULE: %1").arg(outcome.failure->violation.invariant));
            out(randomized::scenarioText({}, *steps, outcome.failure));
            slot.finished = 3;
            return 1;
        }
        out(QStringLiteral("%1: %2 steps, %3 contacts logged, no rule broken")
                .arg(o.replay)
                .arg(outcome.stepsRun)
                .arg(outcome.contacts));
        slot.finished = 1;
        return 0;
    }

    const long every = 1000;
    QSet<QString> reported; // rules already shrunk and shown
    for (long s = index; s < o.sessions; s += o.jobs) {
        const std::uint64_t seed = o.seed + static_cast<std::uint64_t>(s);
        slot.seed = seed;
        slot.steps = stepsFor(o, seed);
        const Steps steps = sessionSteps(o, seed);
        const RunOutcome outcome = randomized::runChecked(steps);
        if (!outcome.startProblem.isEmpty()) {
            out(QStringLiteral("session %1: expected the started window shown and active, got %2")
                    .arg(seed)
                    .arg(outcome.startProblem));
            slot.finished = 3;
            return 1;
        }
        if (outcome.failure) {
            const QString& rule = outcome.failure->violation.invariant;
            if (!o.keepGoing) {
                ++slot.sessions;
                reportFailure(o, seed, steps, *outcome.failure);
                slot.finished = 3;
                return 1;
            }
            ++slot.failures;
            if (reported.contains(rule)) {
                out(QStringLiteral("BROKEN RULE again in the session with seed %1: %2 (%3)")
                        .arg(seed)
                        .arg(rule, rerun(seed, stepsFor(o, seed))));
            } else {
                reported.insert(rule);
                reportFailure(o, seed, steps, *outcome.failure);
            }
        }
        ++slot.sessions;
        slot.contacts += outcome.contacts;
        slot.withContacts += outcome.contacts > 0 ? 1 : 0;
        slot.printJobs += outcome.printJobs;
        slot.ended += outcome.ended ? 1 : 0;
        slot.actions += static_cast<long>(outcome.stepsRun);
        if (o.soak && slot.sessions % every == 0) {
            out(QStringLiteral("worker %1: %2 sessions, %3 contacts logged")
                    .arg(index)
                    .arg(slot.sessions.load())
                    .arg(slot.contacts.load()));
        }
    }
    slot.finished = slot.failures > 0 ? 3 : 1;
    return slot.failures > 0 ? 1 : 0;
}

// ---- the supervisor ---------------------------------------------------------

// Runs `body` in a child process; returns its wait status.
template <typename Body> int inChild(Body body) {
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = fork();
    if (pid == 0) {
        std::exit(body());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}

bool crashed(int status) {
    return WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) != 0);
}

QString describeStatus(int status) {
    if (WIFSIGNALED(status)) {
        return QStringLiteral("killed by signal %1").arg(WTERMSIG(status));
    }
    return QStringLiteral("exit status %1").arg(WEXITSTATUS(status));
}

// A session that took its worker down: shrink it, each candidate in a fresh
// process of its own.
void reportCrash(const Options& o, std::uint64_t seed, int status, int argc, char** argv) {
    out(QStringLiteral("CRASH in the session with seed %1 (%2)")
            .arg(seed)
            .arg(describeStatus(status)));
    out(QStringLiteral("  again: %1").arg(rerun(seed, stepsFor(o, seed))));
    const auto crashes = [&](const Steps& steps) {
        return crashed(inChild([&]() {
            if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
                qputenv("QT_QPA_PLATFORM", "offscreen");
            }
            QApplication app(argc, argv);
            QApplication::setQuitOnLastWindowClosed(false);
            randomized::runUnchecked(steps);
            return 0;
        }));
    };
    const Steps steps = sessionSteps(o, seed);
    randomized::ShrinkBudget budget;
    budget.maxRuns = 400;
    const bool alone = crashes(steps);
    if (!alone) {
        out(QStringLiteral("  the session alone does not crash: the crash came from a shorter "
                           "candidate while a broken rule was shrunk (see above)"));
    }
    const Steps smallest = alone ? randomized::shrink(steps, crashes, budget) : steps;
    const QStringList comments{
        QStringLiteral("Found by %1, shrunk from %2 to %3 steps (%4 runs).")
            .arg(rerun(seed, stepsFor(o, seed)))
            .arg(steps.size())
            .arg(smallest.size())
            .arg(budget.runs),
        QStringLiteral("broken: the program never crashes; it does (%1) at the last step")
            .arg(describeStatus(status)),
    };
    saveScenario(o, seed, randomized::scenarioText(comments, smallest, std::nullopt));
}

int supervise(const Options& o, int argc, char** argv) {
    const std::size_t bytes = sizeof(WorkerSlot) * static_cast<std::size_t>(o.jobs);
    void* memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) {
        std::perror("mmap");
        return 2;
    }
    auto* workerSlots = static_cast<WorkerSlot*>(memory);
    for (int j = 0; j < o.jobs; ++j) {
        new (&workerSlots[j]) WorkerSlot();
    }
    std::fflush(stdout);
    std::vector<pid_t> workers;
    for (int j = 0; j < o.jobs; ++j) {
        const pid_t pid = fork();
        if (pid == 0) {
            std::exit(worker(o, j, workerSlots[j], argc, argv));
        }
        workers.push_back(pid);
    }
    bool failed = false;
    std::vector<int> statuses(workers.size(), 0);
    for (std::size_t left = workers.size(); left > 0; --left) {
        int status = 0;
        const pid_t pid = wait(&status);
        for (std::size_t j = 0; j < workers.size(); ++j) {
            if (workers[j] != pid) {
                continue;
            }
            workers[j] = 0;
            statuses[j] = status;
            const bool clean =
                WIFEXITED(status) && WEXITSTATUS(status) == 0 && workerSlots[j].finished == 1;
            if (!clean) {
                failed = true;
            }
            if (!clean && !o.keepGoing) {
                // One failure is enough: the other workers stop.
                for (const pid_t other : workers) {
                    if (other != 0) {
                        kill(other, SIGTERM);
                    }
                }
            }
        }
    }
    for (int j = 0; j < o.jobs; ++j) {
        const int status = statuses[static_cast<std::size_t>(j)];
        const int said = workerSlots[j].finished;
        if (said == 3 || (said == 0 && WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM)) {
            continue; // reported by the worker, or stopped because another failed
        }
        if (said == 1 && crashed(status)) {
            out(QStringLiteral("worker %1 finished its sessions but ended with %2 (a sanitizer "
                               "report above?)")
                    .arg(j)
                    .arg(describeStatus(status)));
        } else if (said == 0) {
            reportCrash(o, workerSlots[j].seed, status, argc, argv);
        }
    }
    if (!o.replay.isEmpty()) {
        munmap(memory, bytes);
        return failed ? 1 : 0;
    }
    long sessions = 0;
    long contacts = 0;
    long withContacts = 0;
    long printJobs = 0;
    long ended = 0;
    long actions = 0;
    long failures = 0;
    for (int j = 0; j < o.jobs; ++j) {
        failures += workerSlots[j].failures;
        sessions += workerSlots[j].sessions;
        contacts += workerSlots[j].contacts;
        withContacts += workerSlots[j].withContacts;
        printJobs += workerSlots[j].printJobs;
        ended += workerSlots[j].ended;
        actions += workerSlots[j].actions;
    }
    out(QStringLiteral("%1 sessions (seeds %2 to %3), %4 steps run: %5 contacts logged in %6 "
                       "sessions, %7 print jobs, %8 sessions ended by END or close; %9")
            .arg(sessions)
            .arg(o.seed)
            .arg(o.seed + static_cast<std::uint64_t>(o.sessions) - 1)
            .arg(actions)
            .arg(contacts)
            .arg(withContacts)
            .arg(printJobs)
            .arg(ended)
            .arg(failed ? (failures > 0 ? QStringLiteral("FAILED in %1 sessions").arg(failures)
                                        : QStringLiteral("FAILED"))
                        : QStringLiteral("no rule broken")));
    munmap(memory, bytes);
    return failed ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::optional<Options> parsed = parse(argc, argv);
    if (!parsed) {
        return usage();
    }
    Options o = *parsed;
    if (!o.replay.isEmpty()) {
        o.jobs = 1;
    }
    if (!o.replay.isEmpty()) {
        out(QStringLiteral("qrb-random --replay %1").arg(o.replay));
    } else {
        out(QStringLiteral("qrb-random --seed %1 --sessions %2%3 --jobs %4%5")
                .arg(o.seed)
                .arg(o.sessions)
                .arg(o.stepsGiven || !o.soak ? QStringLiteral(" --steps %1").arg(o.steps)
                                             : QString())
                .arg(o.jobs)
                .arg(o.soak ? QStringLiteral(" --soak") : QString()));
    }
    if (!o.fork) {
        WorkerSlot slot;
        const int status = worker(o, 0, slot, argc, argv);
        if (o.replay.isEmpty()) {
            out(QStringLiteral("%1 sessions, %2 contacts logged in %3 sessions; %4")
                    .arg(slot.sessions.load())
                    .arg(slot.contacts.load())
                    .arg(slot.withContacts.load())
                    .arg(status == 0 ? QStringLiteral("no rule broken")
                                     : QStringLiteral("FAILED")));
        }
        return status;
    }
    return supervise(o, argc, argv);
}
