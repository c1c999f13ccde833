// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up benchmark driver: starts its own Xvfb, then starts the program, any
// further windows and last the bare Qt window in turn, each until it has
// ended itself after its first paint, and reports for each, with its ratio to
// the bare window: the wall time until the first picture went to the display
// (median and fastest), the wall time until the program had ended, CPU time
// and peak resident memory. Plain POSIX, no Qt, so that it stays small and
// adds nothing to what it measures.
//
// The first paint and the end are apart by more than the teardown of the
// window: Qt's fontconfig database, destroyed at the end, first loads the
// whole font configuration if nothing drew text before, so the bare window
// pays at its end for what a window with text pays before its first paint.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct Options {
    int runs = 30;
    int warmup = 2;
    int timeoutSeconds = 30;
    std::vector<std::string> paths; // the bare window last
    std::vector<std::string> names;
    std::string logPath =
        (std::filesystem::temp_directory_path() / "qrb-bench-startup.log").string();
    std::string csvPath;
};

struct Sample {
    double paintMs = 0; // fork until the first picture was sent to the display
    double wallMs = 0;  // fork until the end of the program
    double cpuMs = 0;
    long maxRssKiB = 0;
};

struct Subject {
    std::string name;
    std::string path;
    std::vector<Sample> samples;
    int failures = 0;
};

void usage() {
    std::fprintf(stderr,
                 "usage: qrb-bench-startup [--runs N] [--warmup N] [--timeout SECONDS]\n"
                 "                         [--log FILE] [--csv FILE] [--names NAME,...,NAME]\n"
                 "                         PROGRAM [WINDOW...] BARE_WINDOW\n"
                 "Every executable must end itself after its first paint and report its\n"
                 "moment (bench/end_after_first_paint.h); ratios are to the last one.\n"
                 "Their output goes to the log file (default: qrb-bench-startup.log in\n"
                 "the system's folder for temporary files).\n");
}

std::optional<Options> parse(int argc, char** argv) {
    Options opt;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--runs" && hasValue) {
            opt.runs = std::atoi(argv[++i]);
        } else if (arg == "--warmup" && hasValue) {
            opt.warmup = std::atoi(argv[++i]);
        } else if (arg == "--timeout" && hasValue) {
            opt.timeoutSeconds = std::atoi(argv[++i]);
        } else if (arg == "--log" && hasValue) {
            opt.logPath = argv[++i];
        } else if (arg == "--csv" && hasValue) {
            opt.csvPath = argv[++i];
        } else if (arg == "--names" && hasValue) {
            std::string names = argv[++i];
            opt.names.clear();
            for (std::size_t comma; (comma = names.find(',')) != std::string::npos;) {
                opt.names.push_back(names.substr(0, comma));
                names.erase(0, comma + 1);
            }
            opt.names.push_back(names);
        } else if (!arg.empty() && arg[0] == '-') {
            return std::nullopt;
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() < 2 || opt.runs < 1 || opt.warmup < 0 || opt.timeoutSeconds < 1) {
        return std::nullopt;
    }
    if (opt.names.empty()) {
        opt.names.push_back("qrb-punkte");
        for (std::size_t i = 1; i + 1 < positional.size(); ++i) {
            opt.names.push_back(positional[i].substr(positional[i].rfind('/') + 1));
        }
        opt.names.push_back("bare Qt window");
    }
    if (opt.names.size() != positional.size()) {
        return std::nullopt;
    }
    opt.paths = positional;
    return opt;
}

// An alarm only has to interrupt wait4(); the handler itself does nothing.
void onAlarm(int /*signal*/) {}

void installAlarm() {
    struct sigaction action {};
    action.sa_handler = onAlarm;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART: wait4() returns EINTR
    sigaction(SIGALRM, &action, nullptr);
}

// Starts "Xvfb -displayfd" and reads the display number it picked.
std::optional<std::pair<pid_t, int>> startXvfb() {
    int fds[2];
    if (pipe(fds) != 0) {
        return std::nullopt;
    }
    const pid_t pid = fork();
    if (pid < 0) {
        return std::nullopt;
    }
    if (pid == 0) {
        close(fds[0]);
        const int devNull = open("/dev/null", O_RDWR);
        dup2(devNull, STDIN_FILENO);
        dup2(devNull, STDOUT_FILENO);
        dup2(devNull, STDERR_FILENO);
        const std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24",
               "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    pollfd waitFor{fds[0], POLLIN, 0};
    while (number.find('\n') == std::string::npos && poll(&waitFor, 1, 10000) > 0) {
        char buffer[16];
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        number.append(buffer, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    if (number.find('\n') == std::string::npos) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        return std::nullopt;
    }
    return std::make_pair(pid, std::atoi(number.c_str()));
}

double toMs(const timeval& t) {
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3;
}

// One start: fork, exec, wait for the end. The program writes the moment of
// its first paint (steady clock, which is CLOCK_MONOTONIC) into a pipe whose
// write end it finds in QRB_BENCH_PAINTED_FD. Wall times from before the
// fork; CPU time and peak RSS from the child's own resource usage.
std::optional<Sample> runOnce(const std::string& path, int display, const Options& opt) {
    int painted[2];
    if (pipe(painted) != 0) {
        return std::nullopt;
    }
    // The read end never blocks: a program that ends without its report
    // (or whose helpers still hold the write end) gives no figure.
    fcntl(painted[0], F_SETFL, O_NONBLOCK);
    fcntl(painted[0], F_SETFD, FD_CLOEXEC);
    const auto begin = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid < 0) {
        close(painted[0]);
        close(painted[1]);
        return std::nullopt;
    }
    if (pid == 0) {
        const std::string displayName = ":" + std::to_string(display);
        setenv("DISPLAY", displayName.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        setenv("QRB_BENCH_PAINTED_FD", std::to_string(painted[1]).c_str(), 1);
        unsetenv("WAYLAND_DISPLAY");
        const int devNull = open("/dev/null", O_RDONLY);
        const int log = open(opt.logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        dup2(devNull, STDIN_FILENO);
        dup2(log, STDOUT_FILENO);
        dup2(log, STDERR_FILENO);
        execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(painted[1]);
    alarm(static_cast<unsigned>(opt.timeoutSeconds));
    int status = 0;
    rusage usage{};
    pid_t done = wait4(pid, &status, 0, &usage);
    alarm(0);
    const auto end = std::chrono::steady_clock::now();
    std::int64_t paintedAt = 0;
    const ssize_t got = read(painted[0], &paintedAt, sizeof paintedAt);
    close(painted[0]);
    if (done < 0 && errno == EINTR) {
        std::fprintf(stderr, "%s: no first paint within %d s, killed\n", path.c_str(),
                     opt.timeoutSeconds);
        kill(pid, SIGKILL);
        wait4(pid, &status, 0, &usage);
        return std::nullopt;
    }
    if (done != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s: ended abnormally (status %d), see %s\n", path.c_str(), status,
                     opt.logPath.c_str());
        return std::nullopt;
    }
    if (got != sizeof paintedAt) {
        std::fprintf(stderr, "%s: did not report its first paint\n", path.c_str());
        return std::nullopt;
    }
    Sample sample;
    const std::int64_t beginNs =
        std::chrono::duration_cast<std::chrono::nanoseconds>(begin.time_since_epoch()).count();
    sample.paintMs = static_cast<double>(paintedAt - beginNs) / 1e6;
    sample.wallMs = std::chrono::duration<double, std::milli>(end - begin).count();
    sample.cpuMs = toMs(usage.ru_utime) + toMs(usage.ru_stime);
    sample.maxRssKiB = usage.ru_maxrss;
    return sample;
}

template <typename T> double median(std::vector<T> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    if (values.size() % 2 == 1) {
        return static_cast<double>(values[mid]);
    }
    return (static_cast<double>(values[mid - 1]) + static_cast<double>(values[mid])) / 2.0;
}

struct Summary {
    double paintMedian = 0;
    double paintMin = 0;
    double wallMedian = 0;
    double cpuMedian = 0;
    double rssMedianMiB = 0;
    double rssMaxMiB = 0;
};

Summary summarize(const Subject& subject) {
    std::vector<double> paint;
    std::vector<double> wall;
    std::vector<double> cpu;
    std::vector<long> rss;
    for (const Sample& s : subject.samples) {
        paint.push_back(s.paintMs);
        wall.push_back(s.wallMs);
        cpu.push_back(s.cpuMs);
        rss.push_back(s.maxRssKiB);
    }
    Summary sum;
    if (wall.empty()) {
        return sum;
    }
    sum.paintMedian = median(paint);
    sum.paintMin = *std::min_element(paint.begin(), paint.end());
    sum.wallMedian = median(wall);
    sum.cpuMedian = median(cpu);
    sum.rssMedianMiB = median(rss) / 1024.0;
    sum.rssMaxMiB = static_cast<double>(*std::max_element(rss.begin(), rss.end())) / 1024.0;
    return sum;
}

void writeCsv(const std::string& path, const std::vector<Subject>& subjects) {
    FILE* out = std::fopen(path.c_str(), "w");
    if (out == nullptr) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return;
    }
    std::fprintf(out, "subject,run,first_paint_ms,wall_ms,cpu_ms,max_rss_kib\n");
    for (const Subject& subject : subjects) {
        for (std::size_t i = 0; i < subject.samples.size(); ++i) {
            const Sample& s = subject.samples[i];
            std::fprintf(out, "%s,%zu,%.3f,%.3f,%.3f,%ld\n", subject.name.c_str(), i + 1, s.paintMs,
                         s.wallMs, s.cpuMs, s.maxRssKiB);
        }
    }
    std::fclose(out);
}

} // namespace

int main(int argc, char** argv) {
    const std::optional<Options> parsed = parse(argc, argv);
    if (!parsed) {
        usage();
        return 2;
    }
    const Options& opt = *parsed;
    installAlarm();
    std::remove(opt.logPath.c_str());

    const auto xvfb = startXvfb();
    if (!xvfb) {
        std::fprintf(stderr, "could not start Xvfb\n");
        return 1;
    }
    const auto [xvfbPid, display] = *xvfb;

    std::vector<Subject> subjects;
    for (std::size_t i = 0; i < opt.paths.size(); ++i) {
        subjects.push_back({opt.names[i], opt.paths[i], {}, 0});
    }
    const std::size_t count = subjects.size();
    // Warm-up: fill the page cache and the font caches for all.
    for (int i = 0; i < opt.warmup; ++i) {
        for (Subject& subject : subjects) {
            runOnce(subject.path, display, opt);
        }
    }
    // In turn, the first of each round moving on by one, so that a drift of
    // the machine (cache, frequency, neighbours) falls on all alike.
    for (int round = 0; round < opt.runs; ++round) {
        for (std::size_t k = 0; k < count; ++k) {
            Subject& subject = subjects[(static_cast<std::size_t>(round) + k) % count];
            if (const auto sample = runOnce(subject.path, display, opt)) {
                subject.samples.push_back(*sample);
            } else {
                ++subject.failures;
            }
        }
    }
    kill(xvfbPid, SIGTERM);
    waitpid(xvfbPid, nullptr, 0);

    if (!opt.csvPath.empty()) {
        writeCsv(opt.csvPath, subjects);
    }

    std::vector<Summary> sums;
    for (const Subject& subject : subjects) {
        sums.push_back(summarize(subject));
    }
    const Summary& bare = sums.back();
    std::printf("Start-up on Xvfb :%d, %d runs each, in turn (%d warm-up runs each not "
                "counted)\n\n",
                display, opt.runs, opt.warmup);
    std::printf("%-16s %21s %11s %10s %21s\n", "", "first paint", "end", "CPU", "peak RSS");
    std::printf("%-16s %10s %10s %11s %10s %10s %10s %6s\n", "", "median", "fastest", "median",
                "median", "median", "max", "failed");
    int failures = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const Summary& s = sums[i];
        std::printf("%-16s %7.1f ms %7.1f ms %8.1f ms %7.1f ms %6.1f MiB %6.1f MiB %6d\n",
                    subjects[i].name.c_str(), s.paintMedian, s.paintMin, s.wallMedian, s.cpuMedian,
                    s.rssMedianMiB, s.rssMaxMiB, subjects[i].failures);
        failures += subjects[i].failures;
    }
    if (bare.paintMedian > 0 && bare.wallMedian > 0 && bare.cpuMedian > 0 &&
        bare.rssMedianMiB > 0) {
        std::printf("ratio to %s:\n", subjects.back().name.c_str());
        for (std::size_t i = 0; i + 1 < count; ++i) {
            const Summary& s = sums[i];
            if (subjects[i].samples.empty()) {
                std::printf("%-16s no run ended well\n", subjects[i].name.c_str());
                continue;
            }
            std::printf("%-16s %9.2fx %9.2fx %10.2fx %9.2fx %9.2fx\n", subjects[i].name.c_str(),
                        s.paintMedian / bare.paintMedian, s.paintMin / bare.paintMin,
                        s.wallMedian / bare.wallMedian, s.cpuMedian / bare.cpuMedian,
                        s.rssMedianMiB / bare.rssMedianMiB);
        }
    }
    return failures == 0 ? 0 : 1;
}
