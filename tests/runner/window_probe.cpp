// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/runner/window_probe.h"

#include "app/drawn_line.h"
#include "app/line_list.h"
#include "app/telvor.h"
#include "output/recording_printer.h"
#include "tests/runner/scenario_tokens.h"
#include "tests/runner/window_driver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace scenario {

namespace {

QString notA(const QWidget* widget, const char* wanted) {
    return QStringLiteral("%1 is a %2, not a %3")
        .arg(widget->objectName(), QLatin1String(widget->metaObject()->className()),
             QLatin1String(wanted));
}

} // namespace

std::int64_t WindowProbe::twips(int pixels) const {
    // Twips are 1/1440 inch; the window's logical resolution gives the inch.
    return qRound64(static_cast<double>(pixels) * 1440.0 / window_.logicalDpiX());
}

QString WindowProbe::focusName() const {
    const QWidget* focus = QApplication::focusWidget();
    if (focus == nullptr) {
        return QStringLiteral("none");
    }
    if (!focus->objectName().isEmpty()) {
        return focus->objectName();
    }
    return QStringLiteral("(a %1 without a name)")
        .arg(QLatin1String(focus->metaObject()->className()));
}

const qrb::SharedState& WindowProbe::shared() const {
    return window_.shared();
}

const std::vector<qrb::PrintJob>& WindowProbe::printJobs() const {
    return printer_.jobs();
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

} // namespace scenario
