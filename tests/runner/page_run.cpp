// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/runner/page_run.h"

#include "page_probe_script.h"
#include "tests/runner/scenario_qt.h"

#include <bit>
#include <cstdint>

namespace scenario {

namespace {

using devtools::Json;

std::string quoted(const std::string& text) {
    return Json(text).dump();
}

std::string utf8(const QString& text) {
    return text.toStdString();
}

// A text as the probe sends it: its UTF-16 code units.
std::u16string unitsText(const Json& codes) {
    std::u16string text;
    if (codes.is_array()) {
        for (const Json& c : codes) {
            text.push_back(static_cast<char16_t>(c.get<int>()));
        }
    }
    return text;
}

QString fromUnits(const Json& codes) {
    return qt(unitsText(codes));
}

Json unitsOf(const QString& text) {
    Json codes = Json::array();
    for (const QChar c : text) {
        codes.push_back(c.unicode());
    }
    return codes;
}

// The probe's name of a property.
const char* probeWord(Property property) {
    switch (property) {
    case Property::Text:
        return "text";
    case Property::Caption:
        return "caption";
    case Property::Tooltip:
        return "tooltip";
    case Property::Color:
        return "color";
    case Property::Enabled:
        return "enabled";
    case Property::Visible:
        return "visible";
    case Property::Checked:
        return "checked";
    case Property::Geometry:
        return "geometry";
    case Property::Line:
        return "line";
    case Property::Font:
        return "font";
    case Property::TabOrder:
        return "taborder";
    case Property::Count:
        return "count";
    case Property::Item:
        return "item";
    case Property::Size:
        return "size";
    }
    return "";
}

Value twipsValue(const Json& numbers, ValueKind kind) {
    Value v;
    v.kind = kind;
    for (std::size_t i = 0; i < numbers.size() && i < v.twips.size(); ++i) {
        v.twips[i] = numbers[i].get<std::int64_t>();
    }
    return v;
}

// The key a keyboard sends for a character: its name, its place and the
// Windows key code that Chromium reports in keyCode. Enter, Backspace, Tab,
// Delete and Escape are keys of their own; every other character is typed.
struct Stroke {
    std::string key;
    std::string code;
    int keyCode = 0;
    std::string text;
};

Stroke strokeFor(char32_t c) {
    switch (c) {
    case 13:
        return {"Enter", "Enter", 13, "\r"};
    case 8:
        return {"Backspace", "Backspace", 8, {}};
    case 9:
        return {"Tab", "Tab", 9, {}};
    case 127:
        return {"Delete", "Delete", 46, {}};
    case 27:
        return {"Escape", "Escape", 27, {}};
    default:
        break;
    }
    const QString character = QString::fromUcs4(&c, 1);
    Stroke stroke{utf8(character), {}, 0, utf8(character)};
    if (c >= 'a' && c <= 'z') {
        stroke.code = std::string("Key") + static_cast<char>(c - 'a' + 'A');
        stroke.keyCode = static_cast<int>(c - 'a' + 'A');
    } else if (c >= 'A' && c <= 'Z') {
        stroke.code = std::string("Key") + static_cast<char>(c);
        stroke.keyCode = static_cast<int>(c);
    } else if (c >= '0' && c <= '9') {
        stroke.code = std::string("Digit") + static_cast<char>(c);
        stroke.keyCode = static_cast<int>(c);
    } else if (c == ' ') {
        stroke.code = "Space";
        stroke.keyCode = 32;
    }
    return stroke;
}

} // namespace

// ---- Driving the page ---------------------------------------------------------

PageRun::PageRun(devtools::Browser& browser, std::string pageUrl, std::string browserFailure)
    : browser_(browser), url_(std::move(pageUrl)), browserFailure_(std::move(browserFailure)),
      probe_(*this) {}

PageRun::~PageRun() {
    browser_.onEvent = nullptr;
    if (!target_.empty()) {
        browser_.call("Target.closeTarget", {{"targetId", target_}});
    }
}

void PageRun::note(const QString& problem) const {
    if (!problems_.contains(problem)) {
        problems_.append(problem);
    }
}

// The page may load itself and data: and blob: URLs; anything else (the
// network, or a file beside it) is a reference outside the page. A worker
// the page starts waits until its requests are watched too.
void PageRun::heard(const Json& event) {
    const std::string from = event.value("sessionId", std::string());
    if (from != session_ && workers_.count(from) == 0) {
        return;
    }
    const std::string method = event.value("method", std::string());
    const Json& params = event.contains("params") ? event["params"] : Json::object();
    if (method == "Target.attachedToTarget" && from == session_) {
        const std::string worker = params.value("sessionId", std::string());
        workers_.insert(worker);
        browser_.post("Network.enable", Json::object(), worker);
        browser_.post("Runtime.runIfWaitingForDebugger", Json::object(), worker);
    } else if (method == "Network.requestWillBeSent") {
        const std::string url = params["request"].value("url", std::string());
        if (url != url_ && url.rfind("data:", 0) != 0 && url.rfind("blob:", 0) != 0) {
            note(QStringLiteral("expected no request for anything outside the page, got %1")
                     .arg(QString::fromStdString(url)));
        }
    } else if (method == "Runtime.exceptionThrown") {
        const Json& details = params["exceptionDetails"];
        std::string what = details.value("text", std::string());
        if (details.contains("exception")) {
            what = details["exception"].value("description", what);
        }
        note(QStringLiteral("expected no error in the page, got %1")
                 .arg(QString::fromStdString(what)));
    }
}

devtools::Browser::Answer PageRun::command(const std::string& method, const Json& params) {
    devtools::Browser::Answer answer = browser_.call(method, params, session_);
    if (!answer.error.empty()) {
        note(QStringLiteral("expected the browser to take %1, got %2")
                 .arg(QString::fromStdString(method), QString::fromStdString(answer.error)));
    }
    return answer;
}

devtools::Browser::Answer PageRun::evaluate(const std::string& expression,
                                            bool awaitPromise) const {
    devtools::Browser::Answer answer = browser_.call(
        "Runtime.evaluate",
        {{"expression", expression}, {"returnByValue", true}, {"awaitPromise", awaitPromise}},
        session_);
    if (answer.error.empty() && answer.result.contains("exceptionDetails")) {
        const Json& details = answer.result["exceptionDetails"];
        answer.error = details.value("text", std::string("an exception"));
        if (details.contains("exception")) {
            answer.error = details["exception"].value("description", answer.error);
        }
    }
    if (!answer.error.empty()) {
        note(QStringLiteral("expected an answer from the page, got %1")
                 .arg(QString::fromStdString(answer.error)));
        answer.result = Json();
        return answer;
    }
    answer.result = answer.result["result"].value("value", Json());
    return answer;
}

QString PageRun::start() {
    if (!browserFailure_.empty()) {
        return QStringLiteral("no browser: %1").arg(QString::fromStdString(browserFailure_));
    }
    browser_.onEvent = [this](const Json& event) { heard(event); };
    const devtools::Browser::Answer tab =
        browser_.call("Target.createTarget", {{"url", "about:blank"}});
    if (!tab.error.empty()) {
        return QStringLiteral("no tab: %1").arg(QString::fromStdString(tab.error));
    }
    target_ = tab.result.value("targetId", std::string());
    const devtools::Browser::Answer attached =
        browser_.call("Target.attachToTarget", {{"targetId", target_}, {"flatten", true}});
    if (!attached.error.empty()) {
        return QStringLiteral("no tab: %1").arg(QString::fromStdString(attached.error));
    }
    session_ = attached.result.value("sessionId", std::string());
    command("Page.enable", Json::object());
    command("Runtime.enable", Json::object());
    command("Network.enable", Json::object());
    // The page's workers are watched from their start.
    command("Target.setAutoAttach",
            {{"autoAttach", true}, {"waitForDebuggerOnStart", true}, {"flatten", true}});
    // The tab behaves as the focused one of a shown window.
    command("Emulation.setFocusEmulationEnabled", {{"enabled", true}});
    command("Page.addScriptToEvaluateOnNewDocument", {{"source", kPageProbeScript}});
    browser_.dropEvents();
    const devtools::Browser::Answer navigated =
        browser_.call("Page.navigate", {{"url", url_}}, session_);
    if (!navigated.error.empty() || navigated.result.contains("errorText")) {
        const std::string why = navigated.error.empty()
                                    ? navigated.result.value("errorText", std::string())
                                    : navigated.error;
        return QStringLiteral("no page %1: %2")
            .arg(QString::fromStdString(url_), QString::fromStdString(why));
    }
    if (!browser_.waitFor("Page.loadEventFired", session_)) {
        return QStringLiteral("a page that did not load");
    }
    const devtools::Browser::Answer ready =
        evaluate("QrbPage.ready.then(() => __qrbProbe.started())", true);
    if (!ready.error.empty()) {
        return QStringLiteral("a page that did not start: %1")
            .arg(QString::fromStdString(ready.error));
    }
    return QString::fromStdString(ready.result.get<std::string>());
}

bool PageRun::ended() const {
    if (!ended_) {
        const devtools::Browser::Answer answer = evaluate("__qrbProbe.ended()");
        ended_ = answer.result.is_boolean() && answer.result.get<bool>();
    }
    return *ended_;
}

QStringList PageRun::finish() {
    // Errors thrown after the last command still arrive with the next answer.
    evaluate("0");
    return problems_;
}

// Where a control's middle is; the window's controls keep their places, so
// each is asked for once.
const Json& PageRun::centre(const QString& name) const {
    auto known = centres_.find(name);
    if (known == centres_.end()) {
        known =
            centres_.emplace(name, evaluate("__qrbProbe.centre(" + quoted(utf8(name)) + ")").result)
                .first;
    }
    return known->second;
}

bool PageRun::hasControl(const QString& name) const {
    return !centre(name).is_null();
}

void PageRun::clickAt(const Json& point) {
    if (!point.is_array() || point.size() != 2) {
        return;
    }
    const double x = point[0].get<double>();
    const double y = point[1].get<double>();
    // Each click stands alone: never part of a double click.
    const auto mouse = [x, y](const char* type, int buttons) {
        return std::pair<std::string, Json>{"Input.dispatchMouseEvent",
                                            {{"type", type},
                                             {"x", x},
                                             {"y", y},
                                             {"button", "left"},
                                             {"buttons", buttons},
                                             {"clickCount", 1}}};
    };
    sendAll({mouse("mouseMoved", 0), mouse("mousePressed", 1), mouse("mouseReleased", 0)});
    ended_.reset();
}

void PageRun::sendAll(const std::vector<std::pair<std::string, Json>>& commands) {
    const std::string error = browser_.callAll(commands, session_);
    if (!error.empty()) {
        note(QStringLiteral("expected the browser to take the input, got %1")
                 .arg(QString::fromStdString(error)));
    }
}

void PageRun::click(const QString& name) {
    clickAt(centre(name));
}

// One key press per character, to whatever has the focus. They go to the
// browser together; it hands each to the page once the page has handled the
// one before, as a person's quick typing.
void PageRun::keys(const QString& text) {
    std::vector<std::pair<std::string, Json>> presses;
    for (const char32_t c : text.toUcs4()) {
        const Stroke stroke = strokeFor(c);
        Json down = {{"type", stroke.text.empty() ? "rawKeyDown" : "keyDown"},
                     {"key", stroke.key},
                     {"code", stroke.code},
                     {"windowsVirtualKeyCode", stroke.keyCode}};
        if (!stroke.text.empty()) {
            down["text"] = stroke.text;
            down["unmodifiedText"] = stroke.text;
        }
        presses.emplace_back("Input.dispatchKeyEvent", std::move(down));
        presses.emplace_back("Input.dispatchKeyEvent",
                             Json{{"type", "keyUp"},
                                  {"key", stroke.key},
                                  {"code", stroke.code},
                                  {"windowsVirtualKeyCode", stroke.keyCode}});
    }
    if (!presses.empty()) {
        sendAll(presses);
    }
    ended_.reset();
}

void PageRun::paste(const QString& text) {
    evaluate("__qrbProbe.paste(" + unitsOf(text).dump() + ")");
    ended_.reset();
}

void PageRun::close() {
    clickAt(evaluate("__qrbProbe.closeButton()").result);
}

// ---- Reading the page back ----------------------------------------------------

Observed PageProbe::readControl(const Target& target) const {
    const devtools::Browser::Answer answer =
        run_.evaluate("__qrbProbe.read(" + quoted(utf8(target.control)) + ", \"" +
                      probeWord(target.property) + "\", " + std::to_string(target.index) + ")");
    if (!answer.error.empty()) {
        return missing(QStringLiteral("no answer from the page: %1")
                           .arg(QString::fromStdString(answer.error)));
    }
    const Json& got = answer.result;
    if (!got.is_object() || !got.contains("value")) {
        return missing(QString::fromStdString(got.is_object() ? got.value("missing", std::string())
                                                              : std::string("no answer")));
    }
    const Json& value = got["value"];
    switch (target.property) {
    case Property::Text:
    case Property::Caption:
    case Property::Tooltip:
    case Property::Item:
        return found(stringValue(fromUnits(value)));
    case Property::Color: {
        if (!value.is_number() || value.get<std::int64_t>() < 0) {
            return missing(QStringLiteral("%1 has no colour").arg(target.control));
        }
        Value v;
        v.kind = ValueKind::Colour;
        v.colour = value.get<std::uint32_t>();
        return found(v);
    }
    case Property::Enabled:
    case Property::Visible:
    case Property::Checked:
        return found(flagValue(value.is_boolean() && value.get<bool>()));
    case Property::Geometry:
    case Property::Line:
        return found(twipsValue(value, ValueKind::Twips4));
    case Property::Size:
        return found(twipsValue(value, ValueKind::Twips2));
    case Property::Font:
        return found(fontValue(fromUnits(value[0]), value[1].get<double>()));
    case Property::TabOrder:
    case Property::Count:
        return found(signedValue(value.get<std::int64_t>()));
    }
    return missing(QStringLiteral("unknown property"));
}

QString PageProbe::focusName() const {
    const devtools::Browser::Answer answer = run_.evaluate("__qrbProbe.focus()");
    return answer.result.is_string() ? QString::fromStdString(answer.result.get<std::string>())
                                     : QStringLiteral("(no answer from the page)");
}

bool PageProbe::programEnded() const {
    return run_.ended();
}

// The shared variables as the page's session holds them; the point table,
// built once at start, is read once.
const qrb::SharedState& PageProbe::shared() const {
    const Json s = run_.evaluate("__qrbProbe.shared()").result;
    if (s.is_object()) {
        shared_.FEHLER = s.value("FEHLER", std::int16_t{0});
        shared_.TAST_ZAEHL = std::stoull(s.value("TAST_ZAEHL", std::string("0")));
        shared_.INF_ZAEHL = std::stoull(s.value("INF_ZAEHL", std::string("0")));
        shared_.BAND_NR = s.value("BAND_NR", std::int16_t{0});
        shared_.BAND_MUL = s.value("BAND_MUL", std::int16_t{0});
        shared_.QRB_PKT = s.value("QRB_PKT", std::int16_t{0});
        shared_.LAENGE = std::bit_cast<float>(s.value("LAENGE", std::uint32_t{0}));
        shared_.BREITE = std::bit_cast<float>(s.value("BREITE", std::uint32_t{0}));
        shared_.LOC_TEXT = unitsText(s["LOC_TEXT"]);
        shared_.QTH_TEXT = unitsText(s["QTH_TEXT"]);
    }
    if (!haveTable_) {
        const Json table = run_.evaluate("__qrbProbe.pointTable()").result;
        constexpr int kSize = qrb::QrbTable::kSize;
        if (table.is_array() && table.size() == static_cast<std::size_t>(kSize * kSize)) {
            for (int x = 0; x < kSize; ++x) {
                for (int y = 0; y < kSize; ++y) {
                    shared_.QRB_TAB.at(x, y) =
                        table[static_cast<std::size_t>(x * kSize + y)].get<qrb::QrbTable::Cell>();
                }
            }
            haveTable_ = true;
        }
    }
    return shared_;
}

const std::vector<qrb::PrintJob>& PageProbe::printJobs() const {
    const Json printed = run_.evaluate("__qrbProbe.printed()").result;
    jobs_.clear();
    if (printed.is_array()) {
        for (const Json& job : printed) {
            qrb::PrintJob j;
            j.fontFace = unitsText(job["face"]);
            j.fontSize = job.value("size", 0.0);
            for (const Json& line : job["lines"]) {
                j.lines.push_back(unitsText(line));
            }
            jobs_.push_back(std::move(j));
        }
    }
    return jobs_;
}

} // namespace scenario
