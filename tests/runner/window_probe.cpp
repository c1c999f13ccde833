// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/runner/window_probe.h"

#include "app/drawn_line.h"
#include "app/line_list.h"
#include "app/telvor.h"
#include "tests/runner/recording_printer.h"
#include "tests/runner/scenario_tokens.h"
#include "tests/runner/window_driver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace scenario {

namespace {

Observed found(Value value) {
    return {std::move(value), {}};
}

Observed missing(QString why) {
    return {std::nullopt, std::move(why)};
}

Value stringValue(const QString& text) {
    Value v;
    v.kind = ValueKind::String;
    v.text = text;
    return v;
}

Value flagValue(bool flag) {
    Value v;
    v.kind = ValueKind::Flag;
    v.flag = flag;
    return v;
}

Value integerValue(Integer number) {
    Value v;
    v.kind = ValueKind::Integer;
    v.integer = number;
    return v;
}

Value signedValue(std::int64_t number) {
    return integerValue(Integer::of(number));
}

Value unsignedValue(std::uint64_t number) {
    return integerValue(Integer::ofUnsigned(number));
}

Value decimalValue(float number) {
    Value v;
    v.kind = ValueKind::Decimal;
    v.decimal = number;
    return v;
}

Value fontValue(const QString& family, double points) {
    Value v;
    v.kind = ValueKind::Font;
    v.text = family;
    v.points = points;
    return v;
}

QString fromU16(const std::u16string& text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

QString notA(const QWidget* widget, const char* wanted) {
    return QStringLiteral("%1 is a %2, not a %3")
        .arg(widget->objectName(), QLatin1String(widget->metaObject()->className()),
             QLatin1String(wanted));
}

} // namespace

QString Observed::render() const {
    return value ? scenario::render(*value) : QStringLiteral("(%1)").arg(missing);
}

std::int64_t WindowProbe::twips(int pixels) const {
    // Twips are 1/1440 inch; the window's logical resolution gives the inch.
    return qRound64(static_cast<double>(pixels) * 1440.0 / window_.logicalDpiX());
}

Observed WindowProbe::read(const Target& target) const {
    switch (target.kind) {
    case Target::Kind::Control:
        return readControl(target);
    case Target::Kind::Focus: {
        Value v;
        v.kind = ValueKind::FocusName;
        const QWidget* focus = QApplication::focusWidget();
        if (focus == nullptr) {
            v.text = QStringLiteral("none");
        } else if (!focus->objectName().isEmpty()) {
            v.text = focus->objectName();
        } else {
            v.text = QStringLiteral("(a %1 without a name)")
                         .arg(QLatin1String(focus->metaObject()->className()));
        }
        return found(v);
    }
    case Target::Kind::Ended:
        return found(flagValue(ended_));
    case Target::Kind::Shared:
    case Target::Kind::QrbTab:
        return readShared(target);
    case Target::Kind::PrintJobs:
    case Target::Kind::PrintCount:
    case Target::Kind::PrintLine:
    case Target::Kind::PrintFont:
        return readPrint(target);
    }
    return missing(QStringLiteral("unknown target"));
}

Observed WindowProbe::readControl(const Target& target) const {
    const QWidget* widget = driver_.control(target.control);
    if (widget == nullptr) {
        return missing(QStringLiteral("the window has no control named %1").arg(target.control));
    }
    const bool isWindow = widget == &window_;
    switch (target.property) {
    case Property::Text:
        if (const auto* field = qobject_cast<const QLineEdit*>(widget)) {
            return found(stringValue(field->text()));
        }
        return missing(notA(widget, "QLineEdit"));
    case Property::Caption:
        if (isWindow) {
            return found(stringValue(widget->windowTitle()));
        }
        if (const auto* label = qobject_cast<const QLabel*>(widget)) {
            return found(stringValue(label->text()));
        }
        if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
            return found(stringValue(button->text()));
        }
        if (const auto* frame = qobject_cast<const QGroupBox*>(widget)) {
            return found(stringValue(frame->title()));
        }
        return missing(notA(widget, "widget with a caption"));
    case Property::Tooltip:
        return found(stringValue(widget->toolTip()));
    case Property::Color: {
        const QVariant colour = widget->property("backColor");
        if (!colour.isValid()) {
            return missing(QStringLiteral("%1 has no backColor property").arg(target.control));
        }
        Value v;
        v.kind = ValueKind::Colour;
        v.colour = colour.toUInt();
        return found(v);
    }
    case Property::Enabled:
        return found(flagValue(widget->isEnabled()));
    case Property::Visible:
        return found(flagValue(isWindow ? widget->isVisible() : widget->isVisibleTo(&window_)));
    case Property::Checked:
        if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
            return found(flagValue(button->isChecked()));
        }
        return missing(notA(widget, "QAbstractButton"));
    case Property::Geometry: {
        const QRect g = widget->geometry();
        Value v;
        v.kind = ValueKind::Twips4;
        v.twips = {twips(g.left()), twips(g.top()), twips(g.width()), twips(g.height())};
        return found(v);
    }
    case Property::Line:
        if (const auto* drawn = dynamic_cast<const DrawnLine*>(widget)) {
            const QLine line = drawn->line();
            Value v;
            v.kind = ValueKind::Twips4;
            v.twips = {twips(line.x1()), twips(line.y1()), twips(line.x2()), twips(line.y2())};
            return found(v);
        }
        return missing(notA(widget, "DrawnLine"));
    case Property::Font:
        return found(fontValue(widget->font().family(), widget->font().pointSizeF()));
    case Property::TabOrder: {
        const QVariant index = widget->property("tabIndex");
        if (!index.isValid()) {
            return missing(QStringLiteral("%1 has no tabIndex property").arg(target.control));
        }
        return found(signedValue(index.toInt()));
    }
    case Property::Count:
        if (const auto* list = qobject_cast<const LineList*>(widget)) {
            return found(signedValue(list->count()));
        }
        return missing(notA(widget, "LineList"));
    case Property::Item:
        if (const auto* list = qobject_cast<const LineList*>(widget)) {
            if (target.index >= list->count()) {
                return missing(QStringLiteral("no line %1 in %2, which counts %3")
                                   .arg(target.index)
                                   .arg(target.control)
                                   .arg(list->count()));
            }
            return found(stringValue(list->line(target.index)));
        }
        return missing(notA(widget, "LineList"));
    case Property::Size: {
        Value v;
        v.kind = ValueKind::Twips2;
        v.twips[0] = twips(widget->width());
        v.twips[1] = twips(widget->height());
        return found(v);
    }
    }
    return missing(QStringLiteral("unknown property"));
}

Observed WindowProbe::readShared(const Target& target) const {
    const SharedState& st = window_.shared();
    if (target.kind == Target::Kind::QrbTab) {
        return found(signedValue(st.QRB_TAB.at(target.index, target.index2)));
    }
    switch (target.shared) {
    case SharedVar::FEHLER:
        return found(signedValue(st.FEHLER));
    case SharedVar::TAST_ZAEHL:
        return found(unsignedValue(st.TAST_ZAEHL));
    case SharedVar::INF_ZAEHL:
        return found(unsignedValue(st.INF_ZAEHL));
    case SharedVar::BAND_NR:
        return found(signedValue(st.BAND_NR));
    case SharedVar::BAND_MUL:
        return found(signedValue(st.BAND_MUL));
    case SharedVar::QRB_PKT:
        return found(signedValue(st.QRB_PKT));
    case SharedVar::LAENGE:
        return found(decimalValue(st.LAENGE));
    case SharedVar::BREITE:
        return found(decimalValue(st.BREITE));
    case SharedVar::LOC_TEXT:
        return found(stringValue(QString::fromStdU16String(st.LOC_TEXT)));
    case SharedVar::QTH_TEXT:
        return found(stringValue(QString::fromStdU16String(st.QTH_TEXT)));
    }
    return missing(QStringLiteral("unknown variable"));
}

Observed WindowProbe::readPrint(const Target& target) const {
    const std::vector<PrintJob>& jobs = printer_.jobs();
    if (target.kind == Target::Kind::PrintJobs) {
        return found(unsignedValue(jobs.size()));
    }
    if (static_cast<std::size_t>(target.index) >= jobs.size()) {
        return missing(QStringLiteral("no print job %1, jobs finished: %2")
                           .arg(target.index)
                           .arg(jobs.size()));
    }
    const PrintJob& job = jobs[static_cast<std::size_t>(target.index)];
    switch (target.kind) {
    case Target::Kind::PrintCount:
        return found(unsignedValue(job.lines.size()));
    case Target::Kind::PrintFont:
        return found(fontValue(fromU16(job.fontFace), job.fontSize));
    case Target::Kind::PrintLine:
        if (static_cast<std::size_t>(target.index2) >= job.lines.size()) {
            return missing(QStringLiteral("no line %1 in print job %2, which counts %3")
                               .arg(target.index2)
                               .arg(target.index)
                               .arg(job.lines.size()));
        }
        return found(stringValue(fromU16(job.lines[static_cast<std::size_t>(target.index2)])));
    default:
        break;
    }
    return missing(QStringLiteral("unknown print target"));
}

void WindowProbe::dump(const std::function<void(const QString&)>& emitLine) const {
    const auto show = [&](const Target& target) {
        emitLine(targetText(target) + QLatin1Char(' ') + read(target).render());
    };
    for (const ControlInfo& info : controls()) {
        Target target;
        target.kind = Target::Kind::Control;
        target.control = QLatin1String(info.name);
        for (const Property p : dottedProperties()) {
            if (appliesTo(p, info.kind)) {
                target.property = p;
                show(target);
            }
        }
        if (info.kind == ControlKind::List) {
            const auto* list = qobject_cast<const LineList*>(driver_.control(target.control));
            target.property = Property::Item;
            for (int i = 0; list != nullptr && i < list->count(); ++i) {
                target.index = i;
                show(target);
            }
        }
    }
    Target target;
    target.kind = Target::Kind::Focus;
    show(target);
    target.kind = Target::Kind::Ended;
    show(target);
    target.kind = Target::Kind::Shared;
    for (const SharedVar var : sharedVars()) {
        target.shared = var;
        show(target);
    }
    // The point table one row of the first index at a time: QRB_TAB(X,0..40).
    const SharedState& st = window_.shared();
    for (int x = 0; x < qrb::QrbTable::kSize; ++x) {
        QString row = QStringLiteral("QRB_TAB(%1,0..40)").arg(x);
        for (int y = 0; y < qrb::QrbTable::kSize; ++y) {
            row += QLatin1Char(' ') + QString::number(st.QRB_TAB.at(x, y));
        }
        emitLine(row);
    }
    target.kind = Target::Kind::PrintJobs;
    show(target);
    const std::vector<PrintJob>& jobs = printer_.jobs();
    for (std::size_t j = 0; j < jobs.size(); ++j) {
        target.index = static_cast<int>(j);
        target.kind = Target::Kind::PrintFont;
        show(target);
        target.kind = Target::Kind::PrintCount;
        show(target);
        target.kind = Target::Kind::PrintLine;
        for (std::size_t i = 0; i < jobs[j].lines.size(); ++i) {
            target.index2 = static_cast<int>(i);
            show(target);
        }
    }
}

} // namespace scenario
