// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/runner/devtools.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace scenario::devtools {

namespace {

constexpr std::size_t kKeptEvents = 1000;

std::string errnoText(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

// The switches of a browser that stays off the network: no background
// services, no updates, no sync, no first-run pages, no QUIC, and no host
// name resolves, so that nothing could leave even if something tried.
std::vector<std::string> switches(const std::string& profile) {
    std::vector<std::string> args = {
        "--headless",
        "--remote-debugging-pipe",
        "--user-data-dir=" + profile,
        "--disable-background-networking",
        "--disable-component-update",
        "--disable-sync",
        "--disable-quic",
        "--disable-extensions",
        "--disable-default-apps",
        "--disable-gpu",
        "--no-first-run",
        "--no-default-browser-check",
        "--host-resolver-rules=MAP * ~NOTFOUND",
        "--mute-audio",
        "--window-size=800,600",
    };
    // Chromium's sandbox refuses to run as root.
    if (geteuid() == 0) {
        args.emplace_back("--no-sandbox");
    }
    args.emplace_back("about:blank");
    return args;
}

} // namespace

Browser::~Browser() {
    stop();
}

std::string Browser::start(const std::string& program) {
    if (running()) {
        return {};
    }
    // A browser that ends while a command is written must not end us.
    std::signal(SIGPIPE, SIG_IGN);
    std::error_code noTemp;
    std::string pattern =
        (std::filesystem::temp_directory_path(noTemp) / "qrb-scenario-page-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        return errnoText("no profile folder");
    }
    profile_ = pattern;

    int commands[2];
    int answers[2];
    if (pipe2(commands, O_CLOEXEC) != 0) {
        return errnoText("no pipe");
    }
    if (pipe2(answers, O_CLOEXEC) != 0) {
        close(commands[0]);
        close(commands[1]);
        return errnoText("no pipe");
    }
    const std::vector<std::string> args = switches(profile_);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    const std::string log = profile_ + "/browser.log";

    const pid_t pid = fork();
    if (pid < 0) {
        return errnoText("cannot start " + program);
    }
    if (pid == 0) {
        // The browser and its helpers form a group of their own, ended as one.
        setpgid(0, 0);
        // Moved out of the way first, as either may already be 3 or 4; the
        // copies do not close on exec.
        const int in = fcntl(commands[0], F_DUPFD, 10);
        const int out = fcntl(answers[1], F_DUPFD, 10);
        dup2(in, 3);
        dup2(out, 4);
        const int said = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (said >= 0) {
            dup2(said, 1);
            dup2(said, 2);
        }
        const int none = open("/dev/null", O_RDONLY);
        if (none >= 0) {
            dup2(none, 0);
        }
        execvp(argv[0], argv.data());
        _exit(127);
    }
    pid_ = pid;
    close(commands[0]);
    close(answers[1]);
    toBrowser_ = commands[1];
    fromBrowser_ = answers[0];
    const Answer version = call("Browser.getVersion");
    if (!version.error.empty()) {
        std::string said;
        if (FILE* f = std::fopen(log.c_str(), "rb")) {
            char chunk[2048];
            said.assign(chunk, std::fread(chunk, 1, sizeof chunk, f));
            std::fclose(f);
        }
        stop();
        return "no browser answered (" + program + "): " + version.error +
               (said.empty() ? std::string() : "; it said: " + said);
    }
    return {};
}

void Browser::stop() {
    const std::string why = failure_;
    if (pid_ > 0) {
        if (toBrowser_ >= 0) {
            const Json bye = {{"id", nextId_++}, {"method", "Browser.close"}};
            send(bye);
        }
        // A little while to close its profile, then the whole group ends.
        for (int i = 0; i < 50; ++i) {
            if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
                pid_ = -1;
                break;
            }
            usleep(20000);
        }
        if (pid_ > 0) {
            kill(-pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        pid_ = -1;
    }
    if (toBrowser_ >= 0) {
        close(toBrowser_);
        toBrowser_ = -1;
    }
    if (fromBrowser_ >= 0) {
        close(fromBrowser_);
        fromBrowser_ = -1;
    }
    if (!profile_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(profile_, ignored);
        profile_.clear();
    }
    failure_ = why;
}

bool Browser::send(const Json& message) {
    std::string bytes = message.dump(-1, ' ', false, Json::error_handler_t::replace);
    bytes.push_back('\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(toBrowser_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            failure_ = errnoText("the browser took no command");
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool Browser::receive(Json& message, std::chrono::steady_clock::time_point until) {
    for (;;) {
        const std::size_t end = buffer_.find('\0');
        if (end != std::string::npos) {
            message = Json::parse(buffer_.begin(), buffer_.begin() + static_cast<long>(end),
                                  nullptr, false);
            buffer_.erase(0, end + 1);
            if (message.is_discarded()) {
                failure_ = "the browser sent a message that is no JSON";
                return false;
            }
            return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            until - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            failure_ = "no answer from the browser within " +
                       std::to_string(patience.count() / 1000) + " s";
            return false;
        }
        pollfd wait{fromBrowser_, POLLIN, 0};
        const int ready = poll(&wait, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            continue;
        }
        char chunk[65536];
        const ssize_t n = read(fromBrowser_, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            failure_ = "the browser ended";
            return false;
        }
        buffer_.append(chunk, static_cast<std::size_t>(n));
    }
}

Browser::Answer Browser::call(const std::string& method, const Json& params,
                              const std::string& session) {
    std::vector<Answer> answers = exchange({{method, params}}, session);
    return std::move(answers.front());
}

bool Browser::post(const std::string& method, const Json& params, const std::string& session) {
    if (!running()) {
        return false;
    }
    Json message = {{"id", nextId_++}, {"method", method}, {"params", params}};
    if (!session.empty()) {
        message["sessionId"] = session;
    }
    return send(message);
}

std::string Browser::callAll(const std::vector<std::pair<std::string, Json>>& commands,
                             const std::string& session) {
    for (const Answer& answer : exchange(commands, session)) {
        if (!answer.error.empty()) {
            return answer.error;
        }
    }
    return {};
}

std::vector<Browser::Answer>
Browser::exchange(const std::vector<std::pair<std::string, Json>>& commands,
                  const std::string& session) {
    std::vector<Answer> answers(commands.size());
    const auto failAll = [&](const std::string& why) {
        for (std::size_t i = 0; i < commands.size(); ++i) {
            if (answers[i].error.empty() && answers[i].result.is_null()) {
                answers[i].error = commands[i].first + ": " + why;
            }
        }
        return answers;
    };
    if (!running()) {
        return failAll(failure_.empty() ? "the browser is not running" : failure_);
    }
    const long first = nextId_;
    for (const auto& [method, params] : commands) {
        Json message = {{"id", nextId_++}, {"method", method}, {"params", params}};
        if (!session.empty()) {
            message["sessionId"] = session;
        }
        if (!send(message)) {
            const std::string why = failure_;
            stop();
            return failAll(why);
        }
    }
    std::size_t open = commands.size();
    const auto until = std::chrono::steady_clock::now() + patience;
    Json in;
    while (open > 0 && receive(in, until)) {
        if (in.contains("id")) {
            const long id = in["id"].get<long>();
            if (id < first || id >= first + static_cast<long>(commands.size())) {
                continue; // the answer to a command given up on
            }
            Answer& answer = answers[static_cast<std::size_t>(id - first)];
            if (in.contains("error")) {
                answer.error = commands[static_cast<std::size_t>(id - first)].first + ": " +
                               in["error"].value("message", std::string("error"));
            } else {
                answer.result = in.value("result", Json::object());
            }
            --open;
            continue;
        }
        if (onEvent) {
            onEvent(in);
        }
        // Kept for a while only: what nobody waits for goes.
        if (events_.size() >= kKeptEvents) {
            events_.pop_front();
        }
        events_.push_back(std::move(in));
    }
    if (open > 0) {
        // A browser that no longer answers is given up at once, not again
        // at every command.
        const std::string why = failure_;
        stop();
        return failAll(why);
    }
    return answers;
}

bool Browser::waitFor(const std::string& method, const std::string& session) {
    const auto matches = [&](const Json& event) {
        return event.value("method", std::string()) == method &&
               event.value("sessionId", std::string()) == session;
    };
    while (!events_.empty()) {
        const bool hit = matches(events_.front());
        events_.pop_front();
        if (hit) {
            return true;
        }
    }
    if (!running()) {
        return false;
    }
    const auto until = std::chrono::steady_clock::now() + patience;
    Json in;
    while (receive(in, until)) {
        if (in.contains("id")) {
            continue;
        }
        if (onEvent) {
            onEvent(in);
        }
        if (matches(in)) {
            return true;
        }
    }
    return false;
}

} // namespace scenario::devtools
