// SPDX-License-Identifier: GPL-3.0-or-later
// Building the window: every control at its place (in twips), with its font,
// colour, start state and tab index.
#include "app/appearance.h"
#include "app/band_button.h"
#include "app/band_frame.h"
#include "app/command_button.h"
#include "app/drawn_line.h"
#include "app/line_list.h"
#include "app/telvor.h"
#include "scoring/bands.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <limits>
#include <vector>

namespace {

QFont makeFont(const char* family, double points) {
    QFont font{QString::fromLatin1(family)};
    font.setPointSizeF(points);
    return font;
}

struct Place {
    int left;
    int top;
    int width;
    int height;
    int tabIndex;
};

// Puts a control into the window: name, geometry from twips, tab index and the
// grey background every control starts with.
template <typename W> W* place(QWidget* window, W* widget, const char* name, Place at) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(look::twipsToPixels(window, at.left), look::twipsToPixels(window, at.top),
                        look::twipsToPixels(window, at.width),
                        look::twipsToPixels(window, at.height));
    widget->setProperty("tabIndex", at.tabIndex);
    look::setBackColor(widget, look::kGrey);
    return widget;
}

// A caption in the font that stands in for Arial can be wider than its label:
// the label then grows to the right, just enough to show it whole, but never
// beyond `roomTo` (twips), where the next control begins. Its left, top and
// height stay.
void fitCaption(QLabel* label, int roomTo) {
    const QFontMetrics metrics(label->font());
    const QString& text = label->text();
    // The ink may reach past the advance of the last glyph; one pixel more
    // keeps it whole when the window is drawn at a fractional scale.
    const int need =
        std::max(metrics.horizontalAdvance(text), metrics.boundingRect(text).right() + 1) +
        label->contentsMargins().left() + label->contentsMargins().right() + 1;
    const int room = look::twipsToPixels(label->parentWidget(), roomTo) - label->x();
    if (need > label->width()) {
        label->resize(std::min(need, room), label->height());
    }
}

// A screen reader announces each control by its accessible name and reads its
// tooltip as the description.
QLabel* label(QWidget* window, const char* name, const QString& caption, Place at, int roomTo,
              double points = 8.25) {
    auto* widget = place(window, new QLabel(caption, window), name, at);
    widget->setFont(makeFont("Arial", points));
    widget->setAccessibleName(caption);
    fitCaption(widget, roomTo);
    return widget;
}

QPushButton* button(QWidget* window, const char* name, const QString& caption,
                    const QString& tooltip, Place at) {
    auto* widget = place(window, new CommandButton(caption, window), name, at);
    widget->setFont(makeFont("Arial", 8.25));
    widget->setToolTip(tooltip);
    widget->setAccessibleName(caption);
    widget->setAccessibleDescription(tooltip);
    widget->setAutoDefault(false);
    return widget;
}

// A field is named by the caption label beside it, which also labels it for
// assistive tools (the label's buddy).
QLineEdit* textField(QWidget* window, const char* name, QLabel* caption, const QString& tooltip,
                     Place at) {
    auto* widget = place(window, new QLineEdit(window), name, at);
    widget->setFont(makeFont("MS Sans Serif", 8.25));
    widget->setToolTip(tooltip);
    widget->setAccessibleName(caption->text());
    widget->setAccessibleDescription(tooltip);
    caption->setBuddy(widget);
    // No length limit on what a person types or pastes.
    widget->setMaxLength(std::numeric_limits<int>::max());
    return widget;
}

// SU and PANZ show only what the program writes: read-only and centred, so
// nothing typed can reach the sum or the points.
QLineEdit* displayField(QWidget* window, const char* name, QLabel* caption, Place at) {
    auto* widget = textField(window, name, caption, QString(), at);
    widget->setReadOnly(true);
    widget->setAlignment(Qt::AlignCenter);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Text, Qt::black);
    widget->setPalette(palette);
    return widget;
}

LineList* list(QWidget* window, const char* name, const QString& accessibleName, Place at,
               unsigned back) {
    auto* widget = place(window, new LineList(window), name, at);
    widget->setAccessibleName(accessibleName);
    look::setBackColor(widget, back);
    return widget;
}

void line(QWidget* parent, const char* name, int x1, int y1, int x2, int y2) {
    auto px = [parent](int twips) { return look::twipsToPixels(parent, twips); };
    auto* widget = new DrawnLine(parent, QPoint(px(x1), px(y1)), QPoint(px(x2), px(y2)));
    widget->setObjectName(QString::fromLatin1(name));
}

struct BandPlace {
    int left;
    int top;
    int tabIndex;
};

// Positions of B0..B9: "50" alone on top, the higher bands in two columns.
constexpr std::array<BandPlace, 10> kBandPlaces{{
    {360, 2800, 14},
    {375, 3200, 7},
    {375, 3500, 8},
    {375, 3800, 9},
    {360, 4100, 15},
    {375, 4400, 16},
    {1440, 3200, 10},
    {1440, 3500, 11},
    {1440, 3800, 12},
    {1440, 4100, 13},
}};

} // namespace

void Telvor::buildControls() {
    setObjectName(QStringLiteral("TELVOR"));
    setWindowTitle(QStringLiteral("QRB-PUNKTE"));
    setAccessibleName(windowTitle());
    setWindowIcon(look::windowIcon());
    setFont(makeFont("Courier New", 8.25));
    look::setBackColor(this, look::kGrey);
    setFixedSize(look::twipsToPixels(this, 6690), look::twipsToPixels(this, 5595));

    // Each caption may grow up to the next control on its right (or the edge of
    // the window).
    label(this, "TEXT1", QStringLiteral("Berechnung der QRB-Punkte für das EU-UKW-Diplom"),
          {150, 300, 4800, 240, 24}, 5200, 9.75);
    OK1 = button(this, "OK1", QStringLiteral("END"), QStringLiteral("Pogrammende"),
                 {6000, 500, 600, 300, 25});
    LIST2 = list(this, "LIST2", QStringLiteral("Punktetabelle"), {5200, 500, 660, 240, 29},
                 look::kWhite);
    DRU = button(this, "DRU", QStringLiteral("DRU"), QStringLiteral("Protokoll ausdrucken"),
                 {6000, 900, 600, 300, 21});
    QLabel* sumCaption =
        label(this, "Text2", QStringLiteral("Summe QRB"), {4200, 960, 900, 240, 1}, 5200);
    SU = displayField(this, "SU", sumCaption, {5200, 900, 660, 300, 30});
    QLabel* ownCaption =
        label(this, "Text4", QStringLiteral("Eigener Locator"), {300, 1110, 1200, 240, 0}, 1500);
    LOC1 = textField(this, "LOC1", ownCaption, QStringLiteral("4-stellig"),
                     {1500, 1047, 975, 300, 23});
    LIST0 =
        list(this, "LIST0", QStringLiteral("Kopfzeile"), {3100, 1300, 3500, 240, 28}, look::kWhite);
    LIST1 =
        list(this, "LIST1", QStringLiteral("Protokoll"), {3100, 1500, 3500, 3810, 2}, look::kWhite);
    QLabel* foreignCaption =
        label(this, "TEXT5", QStringLiteral("Fremder Locator"), {240, 1680, 1200, 225, 20}, 1500);
    LOC2 = textField(this, "LOC2", foreignCaption, QStringLiteral("4-stellig"),
                     {1500, 1646, 975, 300, 3});
    LIST3 = list(this, "LIST3", QStringLiteral("QTH-Info"), {3200, 1700, 3300, 3450, 26},
                 look::kLightYellow);
    QLabel* qthCaption =
        label(this, "TEXT6", QStringLiteral("QTH - Kenner"), {300, 2160, 1200, 225, 18}, 1500);
    QTH2 = textField(this, "QTH2", qthCaption, QStringLiteral("4-stellig (+-) (+-)"),
                     {1500, 2100, 975, 300, 17});
    INF = button(this, "INF", QStringLiteral("?"), QStringLiteral("QTH-Info (ein/aus)"),
                 {2600, 2100, 300, 300, 27});
    BAND = place(this, new BandFrame(QStringLiteral("BAND [MHz, GHz]"), this), "BAND",
                 {300, 2500, 1875, 2200, 5});
    BAND->setFont(makeFont("Arial", 8.25));
    BAND->setAccessibleName(BAND->title());
    line(BAND, "Linie10", 100, 570, 1700, 570);

    // The band buttons belong to the window, not to the frame, and lie above it.
    bandGroup_ = new QButtonGroup(this);
    bandGroup_->setExclusive(true);
    for (int i = 0; i < qrb::kBandCount; ++i) {
        const auto index = static_cast<std::size_t>(i);
        const BandPlace& at = kBandPlaces[index];
        const QByteArray name = "B" + QByteArray::number(i);
        auto* option = place(this, new BandButton(this), name.constData(),
                             {at.left, at.top, 675, 210, at.tabIndex});
        option->setText(QString::fromStdU16String(std::u16string(qrb::kBands[index].caption)));
        // The caption alone ("1.2") says little once read outside the frame.
        option->setAccessibleName(QStringLiteral("Band ") + option->text());
        option->setFont(makeFont("Arial", 8.25));
        // Disabled captions stay readable, greyed as on a classic form.
        QPalette palette = option->palette();
        palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x80));
        palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x80));
        palette.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x80));
        option->setPalette(palette);
        option->setEnabled(false);
        option->raise();
        bandGroup_->addButton(option, i);
        B[index] = option;
    }

    QLabel* pointsCaption =
        label(this, "TEXT7", QStringLiteral("QRB-Punkte"), {300, 4860, 900, 225, 19}, 1500);
    PANZ = displayField(this, "PANZ", pointsCaption, {1500, 4800, 660, 300, 4});
    OK2 = button(this, "OK2", QStringLiteral("OK"), QStringLiteral("Eigabebestätigung"),
                 {2280, 4800, 600, 300, 6});

    line(this, "Linie5", 150, 900, 3000, 900);
    line(this, "Line2", 150, 900, 150, 5325);
    line(this, "Linie7", 3000, 900, 3000, 5325);
    line(this, "Linie9", 150, 5325, 3000, 5325);
    line(this, "Line1", 150, 1500, 3000, 1500);

    // The header is one line in a box one line high: no scroll bars.
    LIST0->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    LIST0->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    LIST3->setFont(makeFont("Courier New", 6.75));
    LIST2->hide();
    LIST3->hide();
    LIST3->raise(); // when shown it lies over the log

    OK1->setEnabled(false);
    DRU->setEnabled(false);
    OK2->setEnabled(false);
    LOC1->setEnabled(false);
    LOC2->setEnabled(false);
    QTH2->setEnabled(false);

    applyTabOrder();
}

// Tab moves through the controls in rising tab index; Qt skips those that are
// disabled, hidden or take no focus.
void Telvor::applyTabOrder() {
    std::vector<QWidget*> chain;
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child->property("tabIndex").isValid() && child->focusPolicy() != Qt::NoFocus) {
            chain.push_back(child);
        }
    }
    std::sort(chain.begin(), chain.end(), [](const QWidget* a, const QWidget* b) {
        return a->property("tabIndex").toInt() < b->property("tabIndex").toInt();
    });
    for (std::size_t i = 1; i < chain.size(); ++i) {
        QWidget::setTabOrder(chain[i - 1], chain[i]);
    }
}
