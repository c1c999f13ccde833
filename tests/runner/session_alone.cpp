// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/runner/session_alone.h"

#include "input/key_filter.h"
#include "session/layout.h"

#include <string>

namespace scenario {

namespace {

using qrb::layout::Id;
using qrb::layout::Kind;

std::string latin1(const QString& text) {
    return text.toStdString();
}

QString nameOf(Id id) {
    const std::string_view name = qrb::layout::control(id).name;
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

// Where a control is drawn: a label as wide as its caption needs.
qrb::layout::Rect shownPlace(Id id) {
    qrb::layout::Rect at = qrb::layout::placeInWindow(id);
    const qrb::layout::Control& c = qrb::layout::control(id);
    if (c.kind == Kind::Label) {
        at.width = c.fittedWidth;
    }
    return at;
}

bool contains(const qrb::layout::Rect& r, int x, int y) {
    return x >= r.left && x < r.left + r.width && y >= r.top && y < r.top + r.height;
}

Value twips4(int a, int b, int c, int d) {
    Value v;
    v.kind = ValueKind::Twips4;
    v.twips = {a, b, c, d};
    return v;
}

// The help panel lies over the log and every other control.
bool above(Id candidate, Id current) {
    if (candidate == Id::LIST3 || current == Id::LIST3) {
        return candidate == Id::LIST3;
    }
    return qrb::layout::index(candidate) > qrb::layout::index(current);
}

constexpr char16_t kSpace = 32;
constexpr char16_t kTab = 9;
constexpr char16_t kDelete = 127;

} // namespace

Observed SessionProbe::readControl(const Target& target) const {
    const std::string name = latin1(target.control);
    if (name == qrb::layout::kWindow.name) {
        const qrb::layout::Window& w = qrb::layout::kWindow;
        switch (target.property) {
        case Property::Caption:
            return found(stringValue(fromU16(std::u16string(w.caption))));
        case Property::Tooltip:
            return found(stringValue(QString()));
        case Property::Color: {
            Value v;
            v.kind = ValueKind::Colour;
            v.colour = w.backColor;
            return found(v);
        }
        case Property::Enabled:
        case Property::Visible:
            return found(flagValue(true));
        case Property::Font:
            return found(fontValue(QString::fromLatin1(w.fontFace.data()), w.fontSize));
        case Property::Geometry:
            return found(twips4(0, 0, w.width, w.height));
        case Property::Size: {
            Value v;
            v.kind = ValueKind::Twips2;
            v.twips[0] = w.width;
            v.twips[1] = w.height;
            return found(v);
        }
        default:
            return missing(QStringLiteral("the window has no such property"));
        }
    }
    if (const qrb::layout::Line* line = qrb::layout::findLine(name)) {
        switch (target.property) {
        case Property::Line:
            return found(twips4(line->x1, line->y1, line->x2, line->y2));
        case Property::Visible:
        case Property::Enabled:
            return found(flagValue(true));
        case Property::Tooltip:
            return found(stringValue(QString()));
        default:
            return missing(QStringLiteral("%1 is a drawn line").arg(target.control));
        }
    }
    const std::optional<Id> id = qrb::layout::find(name);
    if (!id) {
        return missing(QStringLiteral("the window has no control named %1").arg(target.control));
    }
    const qrb::layout::Control& c = qrb::layout::control(*id);
    const qrb::ControlState& s = session_.state(*id);
    const bool field = c.kind == Kind::TextField || c.kind == Kind::DisplayField;
    const bool list = c.kind == Kind::List;
    switch (target.property) {
    case Property::Text:
        if (field) {
            return found(stringValue(fromU16(s.text)));
        }
        return missing(QStringLiteral("%1 is no text field").arg(target.control));
    case Property::Caption:
        if (!field && !list) {
            return found(stringValue(fromU16(s.caption)));
        }
        return missing(QStringLiteral("%1 has no caption").arg(target.control));
    case Property::Tooltip:
        return found(stringValue(fromU16(std::u16string(c.tooltip))));
    case Property::Color: {
        Value v;
        v.kind = ValueKind::Colour;
        v.colour = s.backColor;
        return found(v);
    }
    case Property::Enabled:
        return found(flagValue(s.enabled));
    case Property::Visible:
        return found(flagValue(s.visible));
    case Property::Checked:
        if (c.kind == Kind::OptionButton || c.kind == Kind::CommandButton) {
            return found(flagValue(s.checked));
        }
        return missing(QStringLiteral("%1 is no button").arg(target.control));
    case Property::Geometry: {
        qrb::layout::Rect at = c.place;
        if (c.kind == Kind::Label) {
            at.width = c.fittedWidth;
        }
        return found(twips4(at.left, at.top, at.width, at.height));
    }
    case Property::Line:
        return missing(QStringLiteral("%1 is no drawn line").arg(target.control));
    case Property::Font:
        return found(fontValue(QString::fromLatin1(c.fontFace.data()), c.fontSize));
    case Property::TabOrder:
        return found(signedValue(c.tabIndex));
    case Property::Count:
        if (list) {
            return found(unsignedValue(session_.lines(*id).size()));
        }
        return missing(QStringLiteral("%1 is no list").arg(target.control));
    case Property::Item: {
        if (!list) {
            return missing(QStringLiteral("%1 is no list").arg(target.control));
        }
        const std::vector<std::u16string>& lines = session_.lines(*id);
        if (static_cast<std::size_t>(target.index) >= lines.size()) {
            return missing(QStringLiteral("no line %1 in %2, which counts %3")
                               .arg(target.index)
                               .arg(target.control)
                               .arg(lines.size()));
        }
        return found(stringValue(fromU16(lines[static_cast<std::size_t>(target.index)])));
    }
    case Property::Size:
        return missing(QStringLiteral("only the window has a size"));
    }
    return missing(QStringLiteral("unknown property"));
}

QString SessionProbe::focusName() const {
    const std::optional<Id> focus = session_.focus();
    return focus ? nameOf(*focus) : QStringLiteral("none");
}

QString SessionAlone::start() {
    take(session_.start());
    return {};
}

void SessionAlone::take(const qrb::Changes& changes) {
    if (changes.print) {
        printer_.print(*changes.print);
    }
}

bool SessionAlone::hasControl(const QString& name) const {
    const std::string n = latin1(name);
    return n == qrb::layout::kWindow.name || qrb::layout::find(n) ||
           qrb::layout::findLine(n) != nullptr;
}

// The click lands on the topmost shown control under the middle of the named
// one; a disabled control lets it fall through to the window, which does
// nothing with it. Drawn lines let every click through.
void SessionAlone::click(const QString& name) {
    const std::string n = latin1(name);
    int x = qrb::layout::kWindow.width / 2;
    int y = qrb::layout::kWindow.height / 2;
    if (const std::optional<Id> id = qrb::layout::find(n)) {
        const qrb::layout::Rect at = shownPlace(*id);
        x = at.left + at.width / 2;
        y = at.top + at.height / 2;
    } else if (const qrb::layout::Line* line = qrb::layout::findLine(n)) {
        const qrb::layout::Rect outer =
            line->parent ? qrb::layout::placeInWindow(*line->parent) : qrb::layout::Rect{};
        x = outer.left + (line->x1 + line->x2) / 2;
        y = outer.top + (line->y1 + line->y2) / 2;
    }
    std::optional<Id> hit;
    for (const qrb::layout::Control& c : qrb::layout::controls()) {
        if (session_.state(c.id).visible && contains(shownPlace(c.id), x, y) &&
            (!hit || above(c.id, *hit))) {
            hit = c.id;
        }
    }
    if (!hit || !session_.state(*hit).enabled) {
        return;
    }
    if (qrb::layout::takesFocus(qrb::layout::control(*hit).kind)) {
        take(session_.focusMoved(hit));
    }
    take(session_.click(*hit));
}

void SessionAlone::keys(const QString& text) {
    for (const QChar ch : text) {
        if (session_.ended()) {
            return;
        }
        key(ch.unicode());
    }
}

void SessionAlone::key(char16_t code) {
    const std::optional<Id> focus = session_.focus();
    if (!focus) {
        return;
    }
    if (code == kTab) {
        take(session_.tab());
        return;
    }
    const Kind kind = qrb::layout::control(*focus).kind;
    switch (kind) {
    case Kind::TextField:
        if (qrb::deliversCharacter(code)) {
            take(session_.key(*focus, code));
        } else if (code == kDelete) {
            const qrb::ControlState& s = session_.state(*focus);
            std::u16string after = s.text;
            qrb::Caret caret = s.caret;
            if (caret.selectionLength > 0) {
                after.erase(static_cast<std::size_t>(caret.selectionStart),
                            static_cast<std::size_t>(caret.selectionLength));
                caret = {caret.selectionStart, 0, 0};
            } else if (static_cast<std::size_t>(caret.cursor) < after.size()) {
                after.erase(static_cast<std::size_t>(caret.cursor), 1);
            } else {
                return;
            }
            take(session_.edited(*focus, std::move(after), caret));
        }
        break;
    case Kind::CommandButton:
    case Kind::OptionButton:
        if (code == kSpace) {
            take(session_.click(*focus));
        }
        break;
    default:
        break;
    }
}

// The text goes in at the cursor of the focused field, in place of the
// selection, as a paste from the clipboard does; a display field takes none.
void SessionAlone::paste(const QString& text) {
    const std::optional<Id> focus = session_.focus();
    if (!focus || qrb::layout::control(*focus).kind != Kind::TextField) {
        return;
    }
    const qrb::ControlState& s = session_.state(*focus);
    std::u16string after = s.text;
    qrb::Caret caret = s.caret;
    if (caret.selectionLength > 0) {
        after.erase(static_cast<std::size_t>(caret.selectionStart),
                    static_cast<std::size_t>(caret.selectionLength));
        caret.cursor = caret.selectionStart;
    }
    const std::u16string inserted = text.toStdU16String();
    after.insert(static_cast<std::size_t>(caret.cursor), inserted);
    caret = {caret.cursor + static_cast<int>(inserted.size()), 0, 0};
    take(session_.edited(*focus, std::move(after), caret));
}

void SessionAlone::close() {
    take(session_.close());
}

} // namespace scenario
