// SPDX-License-Identifier: GPL-3.0-or-later
// qrb-bench-page PAGE [ROUNDS]: how soon the page qrb-punkte.html is ready
// in a headless Chromium, and how large it is. "Ready" is the time from the
// navigation's start to the moment the window is open as at program start,
// LOC1 light green and focused (QrbPage.readyAt, the page's own clock). Each
// round loads the page in a new tab of one browser, after two rounds not
// counted. Prints the figures; judges nothing.
#include "tests/runner/devtools.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
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

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fputs("usage: qrb-bench-page PAGE [ROUNDS]\n", stderr);
        return 2;
    }
    const std::filesystem::path page = std::filesystem::absolute(argv[1]);
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
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
    return 0;
}
