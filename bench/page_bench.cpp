// SPDX-License-Identifier: GPL-3.0-or-later
// qrb-bench-page PAGE [ROUNDS] [--logbook LOG --score QRB_SCORE]: how soon
// the page qrb-punkte.html is ready in a headless Chromium, and how large it
// is. "Ready" is the time from the navigation's start to the moment the
// window is open as at program start, LOC1 light green and focused
// (QrbPage.readyAt, the page's own clock). Each round loads the page in a new
// tab of one browser, after two rounds not counted.
//
// With --logbook, also the logbook's report of LOG: the time from choosing
// the file in #logfiles (its change event) until the download #txt is
// offered, by the page's clock, against QRB_SCORE writing the text form of
// the same file (run in its folder, the text to /dev/null, the wall time),
// each the fastest of five rounds after one not counted. Prints the
// figures; judges nothing.
#include "tests/runner/devtools.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using scenario::devtools::Browser;
using scenario::devtools::Json;

struct Round {
    double ready = 0;  // ms from navigation start
    double parsed = 0; // ms to DOMContentLoaded, for comparison
};

// One load of the page in a fresh tab; false when it did not come up.
bool load(Browser& browser, const std::string& url, Round& round) {
    const Browser::Answer tab = browser.call("Target.createTarget", {{"url", "about:blank"}});
    if (!tab.error.empty()) {
        std::fprintf(stderr, "qrb-bench-page: %s\n", tab.error.c_str());
        return false;
    }
    const std::string target = tab.result.value("targetId", std::string());
    const Browser::Answer attached =
        browser.call("Target.attachToTarget", {{"targetId", target}, {"flatten", true}});
    const std::string session = attached.result.value("sessionId", std::string());
    browser.call("Page.enable", Json::object(), session);
    browser.call("Emulation.setFocusEmulationEnabled", {{"enabled", true}}, session);
    browser.dropEvents();
    browser.call("Page.navigate", {{"url", url}}, session);
    bool ok = browser.waitFor("Page.loadEventFired", session);
    if (ok) {
        const Browser::Answer ready = browser.call(
            "Runtime.evaluate",
            {{"expression",
              "QrbPage.ready.then(() => [QrbPage.readyAt, "
              "performance.getEntriesByType('navigation')[0].domContentLoadedEventEnd])"},
             {"awaitPromise", true},
             {"returnByValue", true}},
            session);
        const Json value = ready.result.contains("result")
                               ? ready.result["result"].value("value", Json())
                               : Json();
        ok = value.is_array() && value.size() == 2 && value[0].is_number();
        if (ok) {
            round.ready = value[0].get<double>();
            round.parsed = value[1].get<double>();
        } else {
            std::fprintf(stderr, "qrb-bench-page: the page did not start: %s\n",
                         ready.error.empty() ? ready.result.dump().c_str() : ready.error.c_str());
        }
    }
    browser.call("Target.closeTarget", {{"targetId", target}});
    return ok;
}

// The time in ms from choosing `log` in a fresh tab's #logfiles until #txt is
// offered; negative when the report did not come.
double report(Browser& browser, const std::string& url, const std::string& log) {
    const Browser::Answer tab = browser.call("Target.createTarget", {{"url", "about:blank"}});
    const std::string target = tab.result.value("targetId", std::string());
    const Browser::Answer attached =
        browser.call("Target.attachToTarget", {{"targetId", target}, {"flatten", true}});
    const std::string session = attached.result.value("sessionId", std::string());
    browser.call("Page.enable", Json::object(), session);
    browser.call("DOM.enable", Json::object(), session);
    browser.dropEvents();
    browser.call("Page.navigate", {{"url", url}}, session);
    double took = -1;
    if (browser.waitFor("Page.loadEventFired", session)) {
        const auto evaluate = [&](const std::string& expression) {
            const Browser::Answer a = browser.call(
                "Runtime.evaluate",
                {{"expression", expression}, {"awaitPromise", true}, {"returnByValue", true}},
                session);
            return a.result.contains("result") ? a.result["result"].value("value", Json()) : Json();
        };
        evaluate(R"js(QrbPage.ready.then(() => QrbPage.logbook).then(() => {
            const txt = document.getElementById("txt");
            let chosen = 0;
            document.addEventListener("change", () => { chosen = performance.now(); }, true);
            window.__benchReport = new Promise((resolve) => {
                new MutationObserver(() => {
                    if (txt.hasAttribute("href")) resolve(performance.now() - chosen);
                }).observe(txt, { attributes: true, attributeFilter: ["href"] });
            });
            return 0;
        }))js");
        const Json document = browser.call("DOM.getDocument", {{"depth", 0}}, session).result;
        const Json input =
            browser
                .call("DOM.querySelector",
                      {{"nodeId", document["root"].value("nodeId", 0)}, {"selector", "#logfiles"}},
                      session)
                .result;
        browser.call("DOM.setFileInputFiles",
                     {{"files", Json::array({log})}, {"nodeId", input.value("nodeId", 0)}},
                     session);
        const Json value = evaluate("window.__benchReport");
        if (value.is_number()) {
            took = value.get<double>();
        }
    }
    browser.call("Target.closeTarget", {{"targetId", target}});
    return took;
}

// The wall time in ms of `score` writing the text form of `log`, run in the
// log's folder with its name, as the page names it.
double native(const std::string& score, const std::filesystem::path& log) {
    const std::string name = log.filename().string();
    const std::string folder = log.parent_path().string();
    std::vector<char*> argv = {const_cast<char*>(score.c_str()), const_cast<char*>(name.c_str()),
                               nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = -1;
    const std::string here = std::filesystem::current_path().string();
    std::filesystem::current_path(folder);
    const int spawned = posix_spawn(&pid, score.c_str(), &actions, nullptr, argv.data(), environ);
    std::filesystem::current_path(here);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        return -1;
    }
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string log;
    std::string score;
    for (std::size_t i = 0; i + 1 < args.size();) {
        if (args[i] == "--logbook" || args[i] == "--score") {
            (args[i] == "--logbook" ? log : score) = std::filesystem::absolute(args[i + 1]);
            args.erase(args.begin() + static_cast<long>(i),
                       args.begin() + static_cast<long>(i) + 2);
        } else {
            ++i;
        }
    }
    if (args.empty() || args.size() > 2 || log.empty() != score.empty()) {
        std::fputs("usage: qrb-bench-page PAGE [ROUNDS] [--logbook LOG --score QRB_SCORE]\n",
                   stderr);
        return 2;
    }
    const std::filesystem::path page = std::filesystem::absolute(args[0]);
    const int rounds = args.size() > 1 ? std::max(1, std::atoi(args[1].c_str())) : 20;
    std::error_code error;
    const auto bytes = std::filesystem::file_size(page, error);
    if (error) {
        std::fprintf(stderr, "qrb-bench-page: %s: %s\n", page.c_str(), error.message().c_str());
        return 2;
    }
    const char* program = std::getenv("QRB_BROWSER");
    Browser browser;
    const std::string failure =
        browser.start(program != nullptr && *program != '\0' ? program : "chromium");
    if (!failure.empty()) {
        std::fprintf(stderr, "qrb-bench-page: %s\n", failure.c_str());
        return 2;
    }
    const std::string url = "file://" + page.string();
    std::vector<double> ready;
    std::vector<double> parsed;
    for (int i = 0; i < rounds + 2; ++i) {
        Round round;
        if (!load(browser, url, round)) {
            return 1;
        }
        if (i >= 2) {
            ready.push_back(round.ready);
            parsed.push_back(round.parsed);
        }
    }
    std::printf("page: %s\n", page.c_str());
    std::printf("size: %ju bytes (%.1f KiB, %.2f MiB)\n", static_cast<std::uintmax_t>(bytes),
                static_cast<double>(bytes) / 1024.0, static_cast<double>(bytes) / 1048576.0);
    std::printf("ready, %d rounds: median %.1f ms, fastest %.1f ms, slowest %.1f ms\n", rounds,
                median(ready), *std::min_element(ready.begin(), ready.end()),
                *std::max_element(ready.begin(), ready.end()));
    std::printf("DOMContentLoaded: median %.1f ms\n", median(parsed));
    if (log.empty()) {
        return 0;
    }
    std::vector<double> page_ms;
    std::vector<double> native_ms;
    for (int i = 0; i < 6; ++i) {
        const double p = report(browser, url, log);
        const double n = native(score, log);
        if (p < 0 || n < 0) {
            std::fprintf(stderr, "qrb-bench-page: no report of %s (%s)\n", log.c_str(),
                         p < 0 ? "page" : "qrb-score");
            return 1;
        }
        if (i > 0) {
            page_ms.push_back(p);
            native_ms.push_back(n);
        }
    }
    const double fastestPage = *std::min_element(page_ms.begin(), page_ms.end());
    const double fastestNative = *std::min_element(native_ms.begin(), native_ms.end());
    std::printf("logbook: %s\n", log.c_str());
    std::printf(
        "report in the page, from choosing the file to #txt: fastest %.0f ms, median %.0f ms\n",
        fastestPage, median(page_ms));
    std::printf("qrb-score, the text form: fastest %.0f ms, median %.0f ms\n", fastestNative,
                median(native_ms));
    std::printf("page / native: %.2f\n", fastestPage / fastestNative);
    return 0;
}
