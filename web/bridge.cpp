// SPDX-License-Identifier: GPL-3.0-or-later
// The window session as a WebAssembly module for the page: the page's view
// calls these exported functions with what a person did and applies what
// comes back. Every answer is one JSON text (ASCII: every other character is
// written as \uXXXX, so that a lone surrogate a field may hold survives)
// that stays valid until the next call; its length is qrb_reply_size().
//
// Controls are named by their index in the layout table (layout::Id); -1 is
// none. Numbers from the page are checked: an index that names no control,
// or a field that takes no keys, changes nothing.

#include "session/layout.h"
#include "session/window_session.h"
#include "web/json.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#define QRB_EXPORT(name) extern "C" __attribute__((export_name(#name)))

namespace {

using qrb::layout::Id;
using qrb::layout::Kind;

std::optional<qrb::WindowSession> session;
std::string reply;
// Text the page hands in (a field's text after a paste or Delete), UTF-16.
std::u16string inbox;

using qrb::web::json::bigNumber;
using qrb::web::json::comma;
using qrb::web::json::flag;
using qrb::web::json::key;
using qrb::web::json::number;
using qrb::web::json::string;

const char* answer(std::string text) {
    reply = std::move(text);
    return reply.c_str();
}

std::string_view kindName(Kind kind) {
    switch (kind) {
    case Kind::Label:
        return "Label";
    case Kind::CommandButton:
        return "CommandButton";
    case Kind::List:
        return "List";
    case Kind::TextField:
        return "TextField";
    case Kind::DisplayField:
        return "DisplayField";
    case Kind::Frame:
        return "Frame";
    case Kind::OptionButton:
        return "OptionButton";
    }
    return "";
}

std::optional<Id> control(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= qrb::layout::kControlCount) {
        return std::nullopt;
    }
    return static_cast<Id>(index);
}

int indexOf(std::optional<Id> id) {
    return id ? static_cast<int>(qrb::layout::index(*id)) : -1;
}

qrb::Caret caret(int cursor, int selectionStart, int selectionLength) {
    return {cursor, selectionStart, selectionLength};
}

// [cursor, selectionStart, selectionLength]
void caretArray(std::string& out, const qrb::Caret& at) {
    out += '[';
    number(out, at.cursor);
    out += ',';
    number(out, at.selectionStart);
    out += ',';
    number(out, at.selectionLength);
    out += ']';
}

// What one event changed: the whole state of every control it touched, the
// lines each list got, where the focus is, the end and a print job.
const char* changes(const qrb::Changes& c) {
    std::string out = "{";
    key(out, "controls");
    out += '[';
    for (std::size_t i = 0; i < qrb::layout::kControlCount; ++i) {
        if (!c.controls[i]) {
            continue;
        }
        const qrb::ControlState& s = session->state(static_cast<Id>(i));
        comma(out);
        out += '{';
        key(out, "id");
        number(out, static_cast<std::int64_t>(i));
        key(out, "text");
        string(out, s.text);
        key(out, "caption");
        string(out, s.caption);
        key(out, "color");
        number(out, s.backColor);
        key(out, "enabled");
        flag(out, s.enabled);
        key(out, "visible");
        flag(out, s.visible);
        key(out, "checked");
        flag(out, s.checked);
        key(out, "caret");
        caretArray(out, s.caret);
        out += '}';
    }
    out += ']';
    key(out, "lines");
    out += '[';
    for (std::size_t i = 0; i < qrb::layout::kControlCount; ++i) {
        if (c.appended[i] == 0) {
            continue;
        }
        const std::vector<std::u16string>& lines = session->lines(static_cast<Id>(i));
        comma(out);
        out += '[';
        number(out, static_cast<std::int64_t>(i));
        out += ",[";
        for (std::size_t at = lines.size() - c.appended[i]; at < lines.size(); ++at) {
            comma(out);
            string(out, lines[at]);
        }
        out += "]]";
    }
    out += ']';
    key(out, "focus");
    number(out, indexOf(session->focus()));
    key(out, "focusMoved");
    flag(out, c.focus);
    // Where the cursor of the focused field stands: a field that takes the
    // focus by Tab has its whole text selected.
    if (const std::optional<Id> focus = session->focus()) {
        const Kind kind = qrb::layout::control(*focus).kind;
        if (kind == Kind::TextField || kind == Kind::DisplayField) {
            key(out, "focusCaret");
            caretArray(out, session->state(*focus).caret);
        }
    }
    key(out, "ended");
    flag(out, c.ended);
    if (c.print) {
        key(out, "print");
        out += '{';
        key(out, "face");
        string(out, c.print->fontFace);
        key(out, "size");
        out += std::to_string(c.print->fontSize);
        key(out, "lines");
        out += '[';
        for (const std::u16string& line : c.print->lines) {
            comma(out);
            string(out, line);
        }
        out += "]}";
    }
    out += '}';
    return answer(std::move(out));
}

const char* nothing() {
    return changes(qrb::Changes{});
}

bool running() {
    return session.has_value();
}

} // namespace

QRB_EXPORT(qrb_reply_size) std::size_t qrb_reply_size() {
    return reply.size();
}

// The window and its controls as the layout table has them, places in twips
// in the window's coordinates (a control inside another in that one's).
QRB_EXPORT(qrb_layout) const char* qrb_layout() {
    const qrb::layout::Window& w = qrb::layout::kWindow;
    std::string out = "{";
    key(out, "window");
    out += '{';
    key(out, "name");
    string(out, w.name);
    key(out, "caption");
    string(out, w.caption);
    key(out, "width");
    number(out, w.width);
    key(out, "height");
    number(out, w.height);
    key(out, "font");
    string(out, w.fontFace);
    key(out, "size");
    out += std::to_string(w.fontSize);
    key(out, "color");
    number(out, w.backColor);
    out += '}';
    key(out, "controls");
    out += '[';
    for (const qrb::layout::Control& c : qrb::layout::controls()) {
        comma(out);
        out += '{';
        key(out, "id");
        number(out, static_cast<std::int64_t>(qrb::layout::index(c.id)));
        key(out, "name");
        string(out, c.name);
        key(out, "kind");
        string(out, kindName(c.kind));
        key(out, "caption");
        string(out, c.caption);
        key(out, "tooltip");
        string(out, c.tooltip);
        key(out, "place");
        out += '[';
        number(out, c.place.left);
        out += ',';
        number(out, c.place.top);
        out += ',';
        number(out, c.place.width);
        out += ',';
        number(out, c.place.height);
        out += ']';
        key(out, "tab");
        number(out, c.tabIndex);
        key(out, "font");
        string(out, c.fontFace);
        key(out, "size");
        out += std::to_string(c.fontSize);
        key(out, "color");
        number(out, c.backColor);
        key(out, "enabled");
        flag(out, c.enabled);
        key(out, "visible");
        flag(out, c.visible);
        key(out, "parent");
        number(out, indexOf(c.parent));
        key(out, "accessible");
        string(out, c.accessible);
        key(out, "takesFocus");
        flag(out, qrb::layout::takesFocus(c.kind));
        key(out, "fittedWidth");
        number(out, c.fittedWidth);
        out += '}';
    }
    out += ']';
    key(out, "lines");
    out += '[';
    for (const qrb::layout::Line& l : qrb::layout::lines()) {
        comma(out);
        out += '{';
        key(out, "name");
        string(out, l.name);
        key(out, "parent");
        number(out, indexOf(l.parent));
        key(out, "from");
        out += '[';
        number(out, l.x1);
        out += ',';
        number(out, l.y1);
        out += "]";
        key(out, "to");
        out += '[';
        number(out, l.x2);
        out += ',';
        number(out, l.y2);
        out += "]}";
    }
    out += "]}";
    return answer(std::move(out));
}

// A new window, started as at program start; an earlier one is gone.
QRB_EXPORT(qrb_start) const char* qrb_start() {
    session.emplace();
    return changes(session->start());
}

QRB_EXPORT(qrb_key)
const char* qrb_key(int field, int code, int cursor, int selectionStart, int selectionLength) {
    const std::optional<Id> id = control(field);
    if (!running() || !id || code < 0 || code > 0xFFFF ||
        qrb::layout::control(*id).kind != Kind::TextField) {
        return nothing();
    }
    return changes(session->key(*id, static_cast<char16_t>(code),
                                caret(cursor, selectionStart, selectionLength)));
}

QRB_EXPORT(qrb_click) const char* qrb_click(int index) {
    const std::optional<Id> id = control(index);
    if (!running() || !id) {
        return nothing();
    }
    return changes(session->click(*id));
}

QRB_EXPORT(qrb_focus) const char* qrb_focus(int index, int byTab) {
    if (!running()) {
        return nothing();
    }
    const std::optional<Id> id = control(index);
    if (id && !qrb::layout::takesFocus(qrb::layout::control(*id).kind)) {
        return nothing();
    }
    return changes(session->focusMoved(id, byTab != 0));
}

QRB_EXPORT(qrb_tab) const char* qrb_tab(int backwards) {
    if (!running()) {
        return nothing();
    }
    return changes(session->tab(backwards != 0));
}

// Room for `length` UTF-16 code units that the page writes before it calls
// qrb_edited; null when there is no memory for them.
QRB_EXPORT(qrb_text) char16_t* qrb_text(int length) {
    if (length < 0) {
        return nullptr;
    }
    inbox.assign(static_cast<std::size_t>(length), u'\0');
    return inbox.data();
}

QRB_EXPORT(qrb_edited)
const char* qrb_edited(int field, int cursor, int selectionStart, int selectionLength) {
    const std::optional<Id> id = control(field);
    if (!running() || !id || qrb::layout::control(*id).kind != Kind::TextField) {
        return nothing();
    }
    return changes(session->edited(*id, inbox, caret(cursor, selectionStart, selectionLength)));
}

QRB_EXPORT(qrb_close) const char* qrb_close() {
    if (!running()) {
        return nothing();
    }
    return changes(session->close());
}

// The shared variables, for a test or a look inside: the floats as their 32
// bits, the counters as decimal texts.
QRB_EXPORT(qrb_shared) const char* qrb_shared() {
    if (!running()) {
        return answer("{}");
    }
    const qrb::SharedState& st = session->shared();
    std::string out = "{";
    key(out, "FEHLER");
    number(out, st.FEHLER);
    key(out, "TAST_ZAEHL");
    bigNumber(out, st.TAST_ZAEHL);
    key(out, "INF_ZAEHL");
    bigNumber(out, st.INF_ZAEHL);
    key(out, "BAND_NR");
    number(out, st.BAND_NR);
    key(out, "BAND_MUL");
    number(out, st.BAND_MUL);
    key(out, "QRB_PKT");
    number(out, st.QRB_PKT);
    key(out, "LAENGE");
    number(out, std::bit_cast<std::uint32_t>(st.LAENGE));
    key(out, "BREITE");
    number(out, std::bit_cast<std::uint32_t>(st.BREITE));
    key(out, "LOC_TEXT");
    string(out, st.LOC_TEXT);
    key(out, "QTH_TEXT");
    string(out, st.QTH_TEXT);
    out += '}';
    return answer(std::move(out));
}

// The point table QRB_TAB, row by row of the first index: [x * 41 + y].
QRB_EXPORT(qrb_point_table) const char* qrb_point_table() {
    if (!running()) {
        return answer("[]");
    }
    const qrb::QrbTable& table = session->shared().QRB_TAB;
    std::string out = "[";
    for (int x = 0; x < qrb::QrbTable::kSize; ++x) {
        for (int y = 0; y < qrb::QrbTable::kSize; ++y) {
            comma(out);
            number(out, table.at(x, y));
        }
    }
    out += ']';
    return answer(std::move(out));
}
