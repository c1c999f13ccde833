// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Scenario commands against the page qrb-punkte.html in a headless Chromium,
// driven over the DevTools protocol: each file in a new tab that loads the
// page anew, with real mouse and key events (Input.dispatchMouseEvent,
// Input.dispatchKeyEvent), a paste as a paste event carrying the text, and
// close as the window's close button. What the page shows, the session's
// shared variables and the print jobs are read back from the page. Every
// request the page or a worker it starts makes for anything but itself, and
// every error thrown in the page, fails the file.

#include "output/printer.h"
#include "session/window_session.h"
#include "tests/runner/devtools.h"
#include "tests/runner/probe.h"
#include "tests/runner/scenario_session.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace scenario {

class PageRun;

class PageProbe : public Probe {
public:
    explicit PageProbe(const PageRun& run) : run_(run) {}

protected:
    Observed readControl(const Target& target) const override;
    QString focusName() const override;
    bool programEnded() const override;
    const qrb::SharedState& shared() const override;
    const std::vector<qrb::PrintJob>& printJobs() const override;

private:
    const PageRun& run_;
    mutable qrb::SharedState shared_;
    mutable bool haveTable_ = false;
    mutable std::vector<qrb::PrintJob> jobs_;
};

class PageRun : public ScenarioRun {
public:
    // `pageUrl`: the page as a file: URL. The browser serves every run of a
    // batch, one tab each; `browserFailure` says why it would not start.
    PageRun(devtools::Browser& browser, std::string pageUrl, std::string browserFailure = {});
    ~PageRun() override;
    PageRun(const PageRun&) = delete;
    PageRun& operator=(const PageRun&) = delete;

    QString start() override;
    bool ended() const override;
    QStringList finish() override;

    // The value of a JavaScript expression in the page; a failure is noted
    // for finish() and comes back as the answer's error.
    devtools::Browser::Answer evaluate(const std::string& expression,
                                       bool awaitPromise = false) const;
    // A DevTools command to the page's tab; a failure is noted likewise.
    devtools::Browser::Answer command(const std::string& method, const devtools::Json& params);
    // A left click at a point of the viewport (x, y in CSS pixels).
    void clickAt(const devtools::Json& point);

protected:
    bool hasControl(const QString& name) const override;
    void click(const QString& name) override;
    void keys(const QString& text) override;
    void paste(const QString& text) override;
    void close() override;
    const Probe& reader() const override { return probe_; }

private:
    const devtools::Json& centre(const QString& name) const;
    void sendAll(const std::vector<std::pair<std::string, devtools::Json>>& commands);
    void heard(const devtools::Json& event);
    void note(const QString& problem) const;

    devtools::Browser& browser_;
    std::string url_;
    std::string browserFailure_;
    std::string target_;
    std::string session_;
    std::set<std::string> workers_; // the sessions of the page's workers
    mutable QStringList problems_;
    mutable std::optional<bool> ended_;
    mutable std::map<QString, devtools::Json> centres_;
    PageProbe probe_;
};

} // namespace scenario
