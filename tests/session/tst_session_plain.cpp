// SPDX-License-Identifier: GPL-3.0-or-later
// The window session without any toolkit: a view that applies nothing but
// the change reports must end up showing exactly what the session holds,
// after every step of a run through the window's paths (a contact logged,
// entries refused, a paste, the help panel, a print). And what the session
// decides for every view: the route of a key, the note about a failed print,
// where a label stands for its caption. Built without Qt.

#include "session/layout.h"
#include "session/window_session.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

using qrb::layout::Id;

// What a view shows, kept up to date from the change reports alone.
struct Mirror {
    std::array<qrb::ControlState, qrb::layout::kControlCount> controls{};
    std::array<std::vector<std::u16string>, qrb::layout::kControlCount> lines{};
    std::optional<Id> focus;
    std::vector<qrb::PrintJob> jobs;
    bool ended = false;

    explicit Mirror(const qrb::WindowSession& built) {
        for (std::size_t i = 0; i < controls.size(); ++i) {
            controls[i] = built.state(static_cast<Id>(i));
        }
    }

    void apply(const qrb::WindowSession& s, const qrb::Changes& changes) {
        for (std::size_t i = 0; i < controls.size(); ++i) {
            const auto id = static_cast<Id>(i);
            if (changes.controls[i]) {
                controls[i] = s.state(id);
            }
            const std::vector<std::u16string>& all = s.lines(id);
            for (std::size_t at = all.size() - changes.appended[i]; at < all.size(); ++at) {
                lines[i].push_back(all[at]);
            }
        }
        if (changes.focus) {
            focus = s.focus();
        }
        if (changes.print) {
            jobs.push_back(*changes.print);
        }
        ended = ended || changes.ended;
    }
};

int failures = 0;

void check(bool ok, const char* step, const char* what) {
    if (!ok) {
        std::printf("FAIL after %s: %s\n", step, what);
        ++failures;
    }
}

void compare(const qrb::WindowSession& s, const Mirror& m, const char* step) {
    for (std::size_t i = 0; i < m.controls.size(); ++i) {
        const auto id = static_cast<Id>(i);
        const qrb::ControlState& want = s.state(id);
        const qrb::ControlState& got = m.controls[i];
        const bool same = want.text == got.text && want.caption == got.caption &&
                          want.backColor == got.backColor && want.enabled == got.enabled &&
                          want.visible == got.visible && want.checked == got.checked;
        if (!same) {
            std::printf("FAIL after %s: %s not reported\n", step,
                        std::string(qrb::layout::control(id).name).c_str());
            ++failures;
        }
        check(s.lines(id) == m.lines[i], step, "list lines not reported");
    }
    check(s.focus() == m.focus, step, "focus not reported");
    check(s.ended() == m.ended, step, "end not reported");
}

struct Step {
    enum class Kind { Keys, Click, Paste, Close } kind;
    Id control;
    std::u16string text;
};

void checkViewRules() {
    using qrb::KeyRoute;
    const struct {
        char16_t code;
        KeyRoute route;
    } keys[]{
        {u'a', KeyRoute::Session}, {8, KeyRoute::Session},      {13, KeyRoute::Session},
        {0xA0, KeyRoute::Session}, {0x20AC, KeyRoute::Session}, {9, KeyRoute::Field},
        {0x16, KeyRoute::Field},   {27, KeyRoute::Field},       {0x7F, KeyRoute::Dropped},
        {0x80, KeyRoute::Dropped}, {0x9F, KeyRoute::Dropped},
    };
    for (const auto& k : keys) {
        check(qrb::routeKey(k.code) == k.route, "routing keys", "a key takes the wrong route");
    }
    // Neither DEL nor a C1 control reaches a field, nor counts as a key.
    qrb::WindowSession s;
    s.start();
    for (const char16_t code : {char16_t{0x7F}, char16_t{0x85}}) {
        s.key(Id::LOC1, code);
    }
    check(s.state(Id::LOC1).text.empty() && s.shared().TAST_ZAEHL == 0, "DEL and C1",
          "a dropped code changed LOC1");

    const qrb::PrintOutcome silent{false, {qrb::PrintError::ServerSilent, u"/run/cups.sock", {}}};
    check(qrb::printFailureNote(silent) == u"Nicht gedruckt: der Druckserver /run/cups.sock "
                                           u"antwortet nicht",
          "a silent server", "the note names the server");
    check(qrb::printFailureNote({false, {}}) == u"Nicht gedruckt", "no reason",
          "the note without a reason");

    // Where the caption needs it, a label grows to the right up to the next
    // control, then into the free margin on its left; never narrower than
    // laid out. Text4: 300..1500 twips, the margin from 210, at 96 dpi
    // (15 twips a pixel) 20..100 pixels, the margin from 14.
    const struct {
        int need;
        int dpi;
        qrb::layout::Rect want;
    } labels[]{
        {60, 96, {20, 74, 80, 16}}, {80, 96, {20, 74, 80, 16}},    {85, 96, {15, 74, 85, 16}},
        {99, 96, {14, 74, 86, 16}}, {101, 120, {24, 93, 101, 20}},
    };
    for (const auto& l : labels) {
        const qrb::layout::Rect got = qrb::layout::labelPixels(Id::Text4, l.need, l.dpi);
        check(got.left == l.want.left && got.top == l.want.top && got.width == l.want.width &&
                  got.height == l.want.height,
              "placing Text4", "the label is not where its caption needs it");
    }
    // Fonts in whole pixels are never larger than asked for.
    check(qrb::layout::fontPixels(8.25, 96) == 11 && qrb::layout::fontPixels(8.25, 120) == 13 &&
              qrb::layout::fontPixels(9.75, 144) == 19 && qrb::layout::fontPixels(6.75, 192) == 18,
          "font heights", "a font height is rounded up");
}

} // namespace

int main() {
    checkViewRules();

    qrb::WindowSession s;
    Mirror m(s);
    m.apply(s, s.start());
    compare(s, m, "start");

    const std::vector<Step> steps{
        {Step::Kind::Keys, Id::LOC1, u"jo62qm\r"}, {Step::Kind::Keys, Id::LOC2, u"jo73\r"},
        {Step::Kind::Click, Id::B2, {}},           {Step::Kind::Click, Id::OK2, {}},
        {Step::Kind::Keys, Id::LOC2, u"jn58\r"},   {Step::Kind::Click, Id::B7, {}},
        {Step::Kind::Click, Id::OK2, {}},          {Step::Kind::Click, Id::INF, {}},
        {Step::Kind::Click, Id::DRU, {}},          {Step::Kind::Keys, Id::LOC1, u"jo6a\r"},
        {Step::Kind::Keys, Id::LOC2, u"jo73\r"},   {Step::Kind::Click, Id::OK2, {}},
        {Step::Kind::Keys, Id::LOC1, u"jo62\r"},   {Step::Kind::Keys, Id::QTH2, u"eh12+-\r"},
        {Step::Kind::Click, Id::B0, {}},           {Step::Kind::Paste, Id::LOC2, u"x"},
        {Step::Kind::Click, Id::OK2, {}},          {Step::Kind::Close, Id::OK1, {}},
    };
    for (const Step& step : steps) {
        const std::string name(qrb::layout::control(step.control).name);
        switch (step.kind) {
        case Step::Kind::Keys:
            m.apply(s, s.focusMoved(step.control));
            for (const char16_t code : step.text) {
                m.apply(s, s.key(step.control, code));
            }
            break;
        case Step::Kind::Click:
            m.apply(s, s.click(step.control));
            break;
        case Step::Kind::Paste: {
            std::u16string text = s.state(step.control).text + step.text;
            const qrb::Caret caret{static_cast<int>(text.size()), 0, 0};
            m.apply(s, s.edited(step.control, std::move(text), caret));
            break;
        }
        case Step::Kind::Close:
            m.apply(s, s.close());
            break;
        }
        compare(s, m, name.c_str());
    }

    // Two contacts logged: 432 MHz (2 points twice) and 10 GHz, whose lookup
    // runs again on the band click; the sum is kept as a number.
    const std::vector<std::u16string>& log = s.lines(Id::LIST1);
    check(log.size() == 3, "the run", "two contacts logged");
    check(log.size() > 1 && log[1] == u"JO73   432     2     2     4", "the run",
          "the first contact's line");
    std::int64_t sum = 0;
    for (const std::u16string& line : log) {
        // The QRB column closes each line.
        const std::size_t last = line.find_last_of(u' ');
        if (last != std::u16string::npos) {
            sum += std::stoll(
                std::string(line.begin() + static_cast<std::ptrdiff_t>(last) + 1, line.end()));
        }
    }
    check(sum > 4 && s.sum() == sum, "the run", "the sum is the sum of the logged points");
    check(m.jobs.size() == 1 && m.jobs[0].lines.size() == 2 + s.lines(Id::LIST1).size(), "DRU",
          "one job with the header, the rule and the log");
    check(s.ended(), "close", "the program ended");
    if (failures == 0) {
        std::puts("passed");
    }
    return failures == 0 ? 0 : 1;
}
