// SPDX-License-Identifier: GPL-3.0-or-later
// Building the window from the layout table: every control at its place (in
// twips), with its font, colour, start state and tab index.
#include "app/appearance.h"
#include "app/band_button.h"
#include "app/band_frame.h"
#include "app/command_button.h"
#include "app/drawn_line.h"
#include "app/line_list.h"
#include "app/telvor.h"

#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>
#include <limits>
#include <span>

namespace {

using qrb::layout::Id;
using qrb::layout::Kind;

QString fromView(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

QFont makeFont(std::string_view family, double points) {
    QFont font{QString::fromLatin1(family.data(), static_cast<qsizetype>(family.size()))};
    font.setPointSizeF(points);
    return font;
}

// A caption in the font that stands in for Arial can be wider than its label:
// the layout then gives the label the room it needs (labelPixels).
void fitCaption(QLabel* label, Id id) {
    const QFontMetrics metrics(label->font());
    const QString& text = label->text();
    // The ink may reach past the advance of the last glyph; one pixel more
    // keeps it whole when the window is drawn at a fractional scale.
    const int need =
        std::max(metrics.horizontalAdvance(text), metrics.boundingRect(text).right() + 1) +
        label->contentsMargins().left() + label->contentsMargins().right() + 1;
    const qrb::layout::Rect at =
        qrb::layout::labelPixels(id, need, label->parentWidget()->logicalDpiX());
    label->setGeometry(at.left, at.top, at.width, at.height);
}

QWidget* makeControl(QWidget* window, const qrb::layout::Control& c) {
    const QString caption = fromView(c.caption);
    switch (c.kind) {
    case Kind::Label:
        return new QLabel(caption, window);
    case Kind::CommandButton: {
        auto* button = new CommandButton(caption, window);
        button->setAutoDefault(false);
        return button;
    }
    case Kind::List:
        return new LineList(window);
    case Kind::TextField:
    case Kind::DisplayField: {
        auto* field = new QLineEdit(window);
        // No length limit on what a person types or pastes.
        field->setMaxLength(std::numeric_limits<int>::max());
        if (qrb::layout::centred(c.kind)) {
            field->setAlignment(Qt::AlignCenter);
        }
        if (c.kind == Kind::DisplayField) {
            // SU and PANZ show only what the program writes: read-only, so
            // nothing typed can reach the sum or the points.
            field->setReadOnly(true);
            QPalette palette = field->palette();
            palette.setColor(QPalette::Text, Qt::black);
            field->setPalette(palette);
        }
        return field;
    }
    case Kind::Frame:
        return new BandFrame(caption, window);
    case Kind::OptionButton: {
        auto* option = new BandButton(window);
        option->setText(caption);
        // Disabled captions stay readable, greyed as on a classic form.
        QPalette palette = option->palette();
        palette.setColor(QPalette::Disabled, QPalette::WindowText, look::kGreyedText);
        palette.setColor(QPalette::Disabled, QPalette::ButtonText, look::kGreyedText);
        palette.setColor(QPalette::Disabled, QPalette::Text, look::kGreyedText);
        option->setPalette(palette);
        return option;
    }
    }
    return nullptr;
}

} // namespace

void Telvor::buildControls() {
    using qrb::layout::kWindow;
    setObjectName(
        QString::fromLatin1(kWindow.name.data(), static_cast<qsizetype>(kWindow.name.size())));
    setWindowTitle(fromView(kWindow.caption));
    setAccessibleName(windowTitle());
    setWindowIcon(look::windowIcon());
    setFont(makeFont(kWindow.fontFace, kWindow.fontSize));
    look::setBackColor(this, kWindow.backColor);
    setFixedSize(look::twipsToPixels(this, kWindow.width),
                 look::twipsToPixels(this, kWindow.height));
    auto px = [this](int twips) { return look::twipsToPixels(this, twips); };

    bandGroup_ = new QButtonGroup(this);
    bandGroup_->setExclusive(true);
    QLabel* caption = nullptr; // the label before a field names it
    for (const qrb::layout::Control& c : qrb::layout::controls()) {
        QWidget* control = makeControl(this, c);
        widgets_[qrb::layout::index(c.id)] = control;
        control->setObjectName(
            QString::fromLatin1(c.name.data(), static_cast<qsizetype>(c.name.size())));
        control->setGeometry(px(c.place.left), px(c.place.top), px(c.place.width),
                             px(c.place.height));
        control->setProperty("tabIndex", c.tabIndex);
        control->setFont(makeFont(c.fontFace, c.fontSize));
        look::setBackColor(control, c.backColor);
        // A screen reader announces each control by its accessible name and
        // reads its tooltip as the description.
        control->setAccessibleName(fromView(c.accessible));
        if (!c.tooltip.empty()) {
            control->setToolTip(fromView(c.tooltip));
            control->setAccessibleDescription(fromView(c.tooltip));
        }
        switch (c.kind) {
        case Kind::Label:
            caption = static_cast<QLabel*>(control);
            fitCaption(caption, c.id);
            break;
        case Kind::TextField:
        case Kind::DisplayField:
            // The caption label beside a field also labels it for assistive
            // tools (the label's buddy).
            if (caption != nullptr) {
                caption->setBuddy(control);
            }
            break;
        case Kind::OptionButton:
            // The band buttons belong to the window, not to the frame.
            bandGroup_->addButton(static_cast<QAbstractButton*>(control),
                                  qrb::layout::bandOf(c.id));
            break;
        default:
            break;
        }
        if (!c.enabled) {
            control->setEnabled(false);
        }
        if (!c.visible) {
            control->hide();
        }
    }

    for (const qrb::layout::Line& l : qrb::layout::lines()) {
        QWidget* parent = l.parent ? widget(*l.parent) : this;
        auto* line = new DrawnLine(
            parent, QPoint(look::twipsToPixels(parent, l.x1), look::twipsToPixels(parent, l.y1)),
            QPoint(look::twipsToPixels(parent, l.x2), look::twipsToPixels(parent, l.y2)));
        line->setObjectName(
            QString::fromLatin1(l.name.data(), static_cast<qsizetype>(l.name.size())));
    }

    // The header is one line in a box one line high: no scroll bars.
    lineList(Id::LIST0)->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lineList(Id::LIST0)->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (const Id id : qrb::layout::raised()) {
        widget(id)->raise();
    }

    applyTabOrder();
}

// Tab moves through the layout's tab chain; Qt skips the controls that are
// disabled or hidden, as the session does.
void Telvor::applyTabOrder() {
    const std::span<const Id> chain = qrb::layout::tabChain();
    for (std::size_t i = 1; i < chain.size(); ++i) {
        QWidget::setTabOrder(widget(chain[i - 1]), widget(chain[i]));
    }
}
