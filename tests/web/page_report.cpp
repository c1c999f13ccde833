// SPDX-License-Identifier: GPL-3.0-or-later
// qrb-page-report PAGE OUT: makes reports of logbooks in the page's logbook
// section, in one headless Chromium, for the differential tests of
// tests/tools/score_driver.py (mode page). Each line of standard input is one
// report, as JSON:
//
//   {"name": "samples", "files": [PATH…], "own": "", "unique": false,
//    "noSat": false, "confirmed": false, "band": "144", "drop": false,
//    "print": false, "screenshot": "FILE.png"}
//
// Each gets a fresh tab with the page: the options set in their controls,
// then the files chosen in #logfiles as a file chooser chooses them, or with
// "drop" dragged from outside and dropped on the window. Once the
// report is complete, every download offered is clicked, and the browser
// saves it into OUT/NAME/ under the name the page gives it; with "print" the
// page is printed as the browser prints it into OUT/NAME/print.pdf. One line
// of JSON answers each report:
//
//   {"name": …, "messages": [LINE…], "downloads": {"txt": NAME…},
//    "leftFiles": N, "shown": "logbook" or "window", "problems": [WHAT…]}
//
// "problems" are what the page itself did wrong: a request for anything
// outside it (by the page or its worker), an error thrown, no answer.
#include "tests/runner/devtools.h"
#include "tests/runner/page_run.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QUrl>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

namespace {

using scenario::devtools::Json;

constexpr const char* kDownloads[] = {"txt", "csv", "xlsx", "svg"};

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile out(path);
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size();
}

Json report(scenario::devtools::Browser& browser, const std::string& url, const QDir& out,
            const Json& request) {
    Json answer = {{"name", request.value("name", std::string())},
                   {"messages", Json::array()},
                   {"downloads", Json::object()},
                   {"problems", Json::array()}};
    Json& problems = answer["problems"];
    scenario::PageRun run(browser, url);
    const QString failure = run.start();
    if (!failure.isEmpty()) {
        problems.push_back("the page did not start: " + failure.toStdString());
        return answer;
    }
    const QString folder = out.filePath(QString::fromStdString(answer["name"].get<std::string>()));
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);

    // The options first, as a person sets them, then the files.
    run.command("DOM.enable", Json::object());
    run.evaluate("QrbPage.logbook", true);
    const Json options = {{"own", request.value("own", std::string())},
                          {"unique", request.value("unique", false)},
                          {"nosat", request.value("noSat", false)},
                          {"confirmed", request.value("confirmed", false)},
                          {"band", request.value("band", std::string())}};
    run.evaluate("((o) => {"
                 "  const set = (id, apply) => { const el = document.getElementById(id);"
                 "    apply(el); el.dispatchEvent(new Event('change', {bubbles: true})); };"
                 "  if (o.own) set('own', (el) => { el.value = o.own; });"
                 "  for (const id of ['unique', 'nosat', 'confirmed'])"
                 "    if (o[id]) set(id, (el) => { el.checked = true; });"
                 "  if (o.band) set('band', (el) => { el.value ="
                 "    Array.from(el.options).find((x) => x.textContent === o.band).value; });"
                 "  window.__qrbReport = QrbLogbook.complete();"
                 "  return 0; })(" +
                 options.dump() + ")");
    const Json files = request.value("files", Json::array());
    if (request.value("drop", false)) {
        const Json point = run.evaluate("(() => { const box = document.getElementById("
                                        "'window-frame').getBoundingClientRect();"
                                        " return [box.left + box.width / 2,"
                                        " box.top + box.height / 2]; })()")
                               .result;
        const Json data = {{"items", Json::array()}, {"files", files}, {"dragOperationsMask", 1}};
        for (const char* type : {"dragEnter", "dragOver", "drop"}) {
            run.command("Input.dispatchDragEvent",
                        {{"type", type}, {"x", point[0]}, {"y", point[1]}, {"data", data}});
        }
    } else {
        const Json document = run.command("DOM.getDocument", {{"depth", 0}}).result;
        const Json input =
            run.command("DOM.querySelector", {{"nodeId", document["root"].value("nodeId", 0)},
                                              {"selector", "#logfiles"}})
                .result;
        run.command("DOM.setFileInputFiles",
                    {{"files", files}, {"nodeId", input.value("nodeId", 0)}});
    }
    run.evaluate("window.__qrbReport", true);
    answer["messages"] =
        run.evaluate("Array.from(document.querySelectorAll('#messages p'), (p) => p.textContent)")
            .result;
    answer["leftFiles"] = run.evaluate("QrbLogbook.leftFiles ?? null").result;
    answer["shown"] =
        run.evaluate("document.getElementById('logbook-section').hidden ? 'window' : 'logbook'")
            .result;

    // Every download offered, saved by the browser under the page's name.
    browser.call("Browser.setDownloadBehavior",
                 {{"behavior", "allow"}, {"downloadPath", folder.toStdString()}});
    for (const char* id : kDownloads) {
        const Json name =
            run.evaluate(std::string("(() => { const a = document.getElementById('") + id +
                         "'); if (!a.href) return null; a.click();" + " return a.download; })()")
                .result;
        if (!name.is_string()) {
            continue;
        }
        answer["downloads"][id] = name;
        const QString saved =
            QDir(folder).filePath(QString::fromStdString(name.get<std::string>()));
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!QFileInfo::exists(saved) && std::chrono::steady_clock::now() < until) {
            run.evaluate("0"); // hears the browser meanwhile
            QThread::msleep(20);
        }
        if (!QFileInfo::exists(saved)) {
            problems.push_back(std::string("no download of #") + id);
        }
    }
    browser.call("Browser.setDownloadBehavior", {{"behavior", "default"}});

    if (request.value("print", false)) {
        const Json pdf = run.command("Page.printToPDF", {{"printBackground", false}}).result;
        writeFile(
            QDir(folder).filePath("print.pdf"),
            QByteArray::fromBase64(QByteArray::fromStdString(pdf.value("data", std::string()))));
    }
    if (request.contains("screenshot")) {
        run.command(
            "Emulation.setDeviceMetricsOverride",
            {{"width", 1000}, {"height", 1300}, {"deviceScaleFactor", 1}, {"mobile", false}});
        run.evaluate("new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r)))",
                     true);
        const Json shot = run.command("Page.captureScreenshot", {{"format", "png"}}).result;
        writeFile(
            QString::fromStdString(request["screenshot"].get<std::string>()),
            QByteArray::fromBase64(QByteArray::fromStdString(shot.value("data", std::string()))));
    }
    for (const QString& problem : run.finish()) {
        problems.push_back(problem.toStdString());
    }
    return answer;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: qrb-page-report PAGE OUT < REQUESTS\n", stderr);
        return 2;
    }
    const std::string url =
        QUrl::fromLocalFile(QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath())
            .toEncoded()
            .toStdString();
    const QDir out(QString::fromLocal8Bit(argv[2]));
    const char* program = std::getenv("QRB_BROWSER");
    scenario::devtools::Browser browser;
    const std::string failure =
        browser.start(program != nullptr && *program != '\0' ? program : "chromium");
    if (!failure.empty()) {
        std::fprintf(stderr, "qrb-page-report: %s\n", failure.c_str());
        return 2;
    }
    std::string line;
    while (std::getline(std::cin, line)) {
        const Json request = Json::parse(line, nullptr, false);
        if (request.is_discarded() || !request.is_object()) {
            std::fprintf(stderr, "qrb-page-report: not a request: %s\n", line.c_str());
            return 2;
        }
        std::puts(report(browser, url, out, request).dump().c_str());
        std::fflush(stdout);
    }
    return 0;
}
