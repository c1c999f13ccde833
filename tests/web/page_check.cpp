// SPDX-License-Identifier: GPL-3.0-or-later
// qrb-page-check PAGE: what the page does beyond what a scenario says, in a
// headless Chromium: fields named by their labels for screen readers with
// the tooltip as description; captions whole in the fonts the page carries;
// the window whole at browser zoom 100 to 200 % and scaled as a whole to a
// phone's width; keys from a phone's input method; DRU's printout as the
// print style lays it out; a new start after END. A failed check is one
// line "expected WANT, got GOT"; the last line is "N passed, M failed", the
// exit status 1 when any failed.
//
// qrb-page-check --screenshot FILE PAGE writes the page with a short log as
// PNG instead.
#include "tests/runner/devtools.h"
#include "tests/runner/page_run.h"
#include "tests/runner/scenario_command.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using scenario::devtools::Json;

int passed = 0;
int failed = 0;

void check(bool ok, const std::string& what, const std::string& got = {}) {
    if (ok) {
        ++passed;
        return;
    }
    ++failed;
    std::printf("expected %s, got %s\n", what.c_str(), got.empty() ? "otherwise" : got.c_str());
    std::fflush(stdout);
}

class Check {
public:
    Check(scenario::devtools::Browser& browser, const std::string& url) : run_(browser, url) {}

    bool open() {
        const QString problem = run_.start();
        check(problem.isEmpty(), "the page started", problem.toStdString());
        return problem.isEmpty();
    }

    // Scenario lines, read as every runner reads them; each expectation
    // counts.
    void steps(std::initializer_list<const char*> lines) {
        for (const char* line : lines) {
            const scenario::ParsedLine parsed = scenario::parseLine(QString::fromUtf8(line));
            if (parsed.status != scenario::ParsedLine::Status::Command) {
                check(false, std::string("a scenario line: ") + line, parsed.reason.toStdString());
                continue;
            }
            const auto outcome = run_.execute(parsed.command, [](const QString&) {});
            using Kind = scenario::ScenarioRun::Outcome::Kind;
            if (outcome.kind == Kind::Passed) {
                ++passed;
            } else if (outcome.kind != Kind::Done) {
                check(false, line, outcome.message.toStdString());
            }
        }
    }

    Json js(const std::string& expression) { return run_.evaluate(expression, true).result; }

    Json call(const std::string& method, const Json& params = Json::object()) {
        return run_.command(method, params).result;
    }

    // A piece of JavaScript that answers with the problems it found.
    void none(const std::string& what, const std::string& expression) {
        const Json problems = js(expression);
        check(problems.is_array() && problems.empty(), what,
              problems.is_array() ? problems.dump() : "no answer");
    }

    void clickAt(const Json& point) { run_.clickAt(point); }

    // What the page itself reported: requests, errors, lost answers.
    void finish() {
        for (const QString& problem : run_.finish()) {
            check(false, "a page without trouble", problem.toStdString());
        }
    }

private:
    scenario::PageRun run_;
};

// After a layout change: two frames later the page has settled.
const std::string kSettled =
    "await new Promise(r => requestAnimationFrame(() => requestAnimationFrame(r)));";

// Every caption inside the box of its control, measured on the text itself;
// every control inside the window's client area.
const std::string kWhole = R"js((async () => {
    await document.fonts.ready;
    const problems = [];
    const client = document.getElementById("TELVOR").getBoundingClientRect();
    const slack = 0.5;
    for (const el of document.querySelectorAll("#TELVOR .control")) {
        const box = el.getBoundingClientRect();
        if (getComputedStyle(el).visibility !== "visible") continue;
        if (box.left < client.left - slack || box.right > client.right + slack ||
            box.top < client.top - slack || box.bottom > client.bottom + slack) {
            problems.push(`${el.id} outside the window`);
        }
        const caption = el.querySelector(".caption") ??
            (el.classList.contains("Label") || el.classList.contains("CommandButton") ? el : null);
        if (!caption || caption.textContent === "") continue;
        const range = document.createRange();
        range.selectNodeContents(caption);
        const text = range.getBoundingClientRect();
        if (text.left < box.left - slack || text.right > box.right + slack) {
            problems.push(`${el.id}: caption ${text.left.toFixed(1)}..${text.right.toFixed(1)} ` +
                          `in ${box.left.toFixed(1)}..${box.right.toFixed(1)}`);
        }
    }
    const frame = document.getElementById("window-frame").getBoundingClientRect();
    if (frame.left < -slack || frame.right > document.documentElement.clientWidth + slack) {
        problems.push(`the window ${frame.left.toFixed(1)}..${frame.right.toFixed(1)} wider ` +
                      `than the page ${document.documentElement.clientWidth}`);
    }
    return problems;
})())js";

// The fields and controls as a screen reader announces them: name,
// description, role.
struct Announced {
    const char* id;
    const char* name;
    const char* description;
    const char* role;
};
constexpr Announced kAnnounced[] = {
    {"LOC1", "Eigener Locator", "4-stellig", "textbox"},
    {"LOC2", "Fremder Locator", "4-stellig", "textbox"},
    {"QTH2", "QTH - Kenner", "4-stellig (+-) (+-)", "textbox"},
    {"SU", "Summe QRB", "", "textbox"},
    {"PANZ", "QRB-Punkte", "", "textbox"},
    {"OK1", "END", "Pogrammende", "button"},
    {"OK2", "OK", "Eigabebestätigung", "button"},
    {"DRU", "DRU", "Protokoll ausdrucken", "button"},
    {"INF", "?", "QTH-Info (ein/aus)", "button"},
    {"B3", "Band 1.2", "", "radio"},
    {"LIST1", "Protokoll", "", "listbox"},
    {"BAND", "BAND [MHz, GHz]", "", "group"},
};

std::string axValue(const Json& node, const char* key) {
    return node.contains(key) && node[key].contains("value") && node[key]["value"].is_string()
               ? node[key]["value"].get<std::string>()
               : std::string();
}

void screenReaders(Check& page) {
    const Json root = page.call("DOM.getDocument", {{"depth", 0}});
    const int document = root["root"].value("nodeId", 0);
    for (const Announced& a : kAnnounced) {
        const Json node = page.call("DOM.querySelector",
                                    {{"nodeId", document}, {"selector", std::string("#") + a.id}});
        const Json tree =
            page.call("Accessibility.getPartialAXTree",
                      {{"nodeId", node.value("nodeId", 0)}, {"fetchRelatives", false}});
        std::string got = "no node";
        bool ok = false;
        if (tree.contains("nodes")) {
            for (const Json& n : tree["nodes"]) {
                if (n.value("ignored", false)) {
                    continue;
                }
                const std::string name = axValue(n, "name");
                const std::string description = axValue(n, "description");
                const std::string role = axValue(n, "role");
                got = "\"" + name + "\", \"" + description + "\", " + role;
                ok = name == a.name && description == a.description && role == a.role;
                break;
            }
        }
        check(ok,
              std::string(a.id) + " announced as \"" + a.name + "\", \"" + a.description + "\", " +
                  a.role,
              got);
    }
}

// Captions whole in Liberation Sans as the page carries it, the face a
// system without Arial and Liberation (a phone) falls back to.
void carriedFonts(Check& page) {
    page.none(
        "the page's own Liberation Sans loaded and every caption whole in it", R"js((async () => {
        const style = document.createElement("style");
        style.id = "carried-fonts";
        style.textContent = '#TELVOR .control:not(.List):not(.TextField):not(.DisplayField), ' +
            '#TELVOR .control .caption { font-family: "QRB Liberation Sans" !important; }';
        document.head.appendChild(style);
        await document.fonts.load('11px "QRB Liberation Sans"');
        await document.fonts.load('11px "QRB Liberation Mono"');
        const problems = [];
        for (const family of ["QRB Liberation Sans", "QRB Liberation Mono"]) {
            if (!document.fonts.check(`11px "${family}"`)) problems.push(`${family} not loaded`);
        }
        const used = getComputedStyle(document.getElementById("Text4")).fontFamily;
        if (!used.startsWith('"QRB Liberation Sans"')) problems.push(`Text4 in ${used}`);
        problems.push(...await )js" + kWhole + R"js();
        style.remove();
        return problems;
    })())js");
}

void zoomAndPhone(Check& page) {
    for (const double zoom : {1.0, 1.25, 1.5, 1.75, 2.0}) {
        // Browser zoom on a 1280 x 900 screen: fewer, larger CSS pixels.
        page.call("Emulation.setDeviceMetricsOverride", {{"width", static_cast<int>(1280 / zoom)},
                                                         {"height", static_cast<int>(900 / zoom)},
                                                         {"deviceScaleFactor", zoom},
                                                         {"mobile", false}});
        page.none("the window whole at " + std::to_string(static_cast<int>(zoom * 100)) + " %",
                  "(async () => { " + kSettled + " return await " + kWhole + "; })()");
    }
    // A phone 360 CSS pixels wide: the window scaled down as a whole.
    page.call("Emulation.setDeviceMetricsOverride",
              {{"width", 360}, {"height", 740}, {"deviceScaleFactor", 3}, {"mobile", true}});
    page.none("the window scaled as a whole to a phone's width", "(async () => { " + kSettled +
                                                                     R"js(
        const problems = await )js" + kWhole + R"js(;
        const frame = document.getElementById("window-frame");
        const box = frame.getBoundingClientRect();
        const across = box.width / frame.offsetWidth;
        const down = box.height / frame.offsetHeight;
        if (!(across < 1) || Math.abs(across - down) > 0.01) {
            problems.push(`scaled ${across} across and ${down} down`);
        }
        return problems; })())js");
    page.call("Emulation.clearDeviceMetricsOverride");
}

// A phone's keyboard sends no key codes (229): its text arrives as input,
// whole words through the input method's composition.
void inputMethod(Check& page) {
    page.steps({"click LOC1"});
    page.call("Input.insertText", {{"text", "jo6"}});
    page.steps({"expect LOC1.text \"JO6\"", "expect TAST_ZAEHL 3"});
    page.call("Input.imeSetComposition",
              {{"text", "2q"}, {"selectionStart", 2}, {"selectionEnd", 2}});
    page.call("Input.insertText", {{"text", "2qm"}});
    page.steps({"expect LOC1.text \"JO62QM\"", "expect TAST_ZAEHL 6", "keys \"\\r\"",
                "expect focus LOC2", "expect FEHLER 0"});
}

// DRU's job as the browser prints it: the printout alone, line for line,
// in the job's font.
void printout(Check& page) {
    page.steps({"type LOC2 \"jo73\\r\"", "click B2", "click OK2", "click DRU",
                "expect PRINT.jobs 1", "expect PRINT[0].count 4"});
    page.call("Emulation.setEmulatedMedia", {{"media", "print"}});
    page.none("only the printout printed, its lines whole in Courier New 10 pt", R"js((() => {
        const problems = [];
        for (const id of ["desk", "about"]) {
            if (getComputedStyle(document.getElementById(id)).display !== "none") {
                problems.push(`${id} printed`);
            }
        }
        const out = document.getElementById("printout");
        const style = getComputedStyle(out);
        if (style.display === "none") problems.push("no printout");
        if (!style.fontFamily.startsWith('"Courier New"') || style.fontSize !== "13.3333px") {
            problems.push(`${style.fontFamily} ${style.fontSize}`);
        }
        const lines = out.querySelectorAll(".print-line");
        if (lines.length !== 4) problems.push(`${lines.length} lines`);
        for (const line of lines) {
            if (line.offsetHeight === 0 || line.scrollWidth > out.clientWidth) {
                problems.push(`line "${line.textContent}" cut`);
            }
        }
        return problems;
    })())js");
    const Json pdf = page.call("Page.printToPDF", {{"printBackground", false}});
    const QByteArray bytes =
        QByteArray::fromBase64(QByteArray::fromStdString(pdf.value("data", std::string())));
    check(bytes.startsWith("%PDF"), "the browser printing the printout", "no PDF");
    page.call("Emulation.setEmulatedMedia", {{"media", ""}});
}

// END: the page says so and offers a new start, which opens the window as
// at program start.
void endAndStartAgain(Check& page) {
    page.steps({"click OK1", "expect ended 1"});
    page.none("the end said, the new start offered", R"js((() => {
        const problems = [];
        if (document.getElementById("ended").hidden) problems.push("no notice");
        if (!document.getElementById("window-frame").hidden) problems.push("the window still shown");
        if (document.activeElement !== document.getElementById("restart")) {
            problems.push("the new start not focused");
        }
        return problems;
    })())js");
    page.clickAt(page.js(R"js((() => {
        const box = document.getElementById("restart").getBoundingClientRect();
        return [box.left + box.width / 2, box.top + box.height / 2];
    })())js"));
    page.steps({"expect ended 0", "expect focus LOC1", "expect LOC1.color C0FFC0",
                "expect LOC1.text \"\"", "expect LIST1.count 1", "expect TAST_ZAEHL 0",
                "expect SU.text \"\"", "type LOC1 \"jo62\\r\"", "expect focus LOC2"});
}

int screenshot(Check& page, const QString& file) {
    page.steps({"type LOC1 \"jo62qm\\r\"", "type LOC2 \"jo73\\r\"", "click B2", "click OK2",
                "type LOC2 \"jn58\\r\"", "click B1", "click OK2", "type LOC2 \"io91\\r\"",
                "click B7", "click OK2", "type LOC2 \"km72\\r\"", "click B2"});
    const Json frame = page.js(R"js((() => {
        const box = document.getElementById("window-frame").getBoundingClientRect();
        return [box.left, box.top, box.width, box.height];
    })())js");
    const Json shot = page.call("Page.captureScreenshot",
                                {{"format", "png"},
                                 {"clip",
                                  {{"x", 0},
                                   {"y", 0},
                                   {"width", frame[0].get<double>() * 2 + frame[2].get<double>()},
                                   {"height", frame[1].get<double>() * 2 + frame[3].get<double>()},
                                   {"scale", 1}}}});
    QFile out(file);
    const QByteArray png =
        QByteArray::fromBase64(QByteArray::fromStdString(shot.value("data", std::string())));
    if (png.isEmpty() || !out.open(QIODevice::WriteOnly) || out.write(png) != png.size()) {
        std::fprintf(stderr, "qrb-page-check: %s not written\n", file.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QString shotFile;
    int first = 1;
    if (argc > 2 && std::strcmp(argv[1], "--screenshot") == 0) {
        shotFile = QString::fromLocal8Bit(argv[2]);
        first = 3;
    }
    if (argc != first + 1) {
        std::fputs("usage: qrb-page-check [--screenshot FILE] PAGE\n", stderr);
        return 2;
    }
    const std::string url =
        QUrl::fromLocalFile(QFileInfo(QString::fromLocal8Bit(argv[first])).absoluteFilePath())
            .toEncoded()
            .toStdString();
    const char* program = std::getenv("QRB_BROWSER");
    scenario::devtools::Browser browser;
    const std::string failure =
        browser.start(program != nullptr && *program != '\0' ? program : "chromium");
    if (!failure.empty()) {
        std::fprintf(stderr, "qrb-page-check: %s\n", failure.c_str());
        return 2;
    }
    Check page(browser, url);
    if (!page.open()) {
        std::printf("%d passed, %d failed\n", passed, failed);
        return 1;
    }
    if (!shotFile.isEmpty()) {
        return screenshot(page, shotFile);
    }
    screenReaders(page);
    carriedFonts(page);
    zoomAndPhone(page);
    inputMethod(page);
    printout(page);
    endAndStartAgain(page);
    page.finish();
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed > 0 ? 1 : 0;
}
