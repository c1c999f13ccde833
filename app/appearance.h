// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "session/layout.h"

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QStaticText>

class QPainter;
class QRect;
class QWidget;

namespace look {

// A colour of the layout table (0x00BBGGRR).
QColor fromBgr(unsigned bgr);

// Sets a control's background and remembers it in the property "backColor".
// The colour goes into the palette (Base, Window and Button), which the
// command buttons and the window's own controls paint with in every style.
void setBackColor(QWidget* widget, unsigned bgr);

// The window draws its buttons and frame as on a classic form, in the
// layout's colours: bevels of light, shadow and dark shadow edges around the
// grey face, greyed captions.
inline const QColor kEdgeLight = fromBgr(qrb::layout::kEdgeLight);
inline const QColor kEdgeShadow = fromBgr(qrb::layout::kEdgeShadow);
inline const QColor kEdgeDarkShadow = fromBgr(qrb::layout::kEdgeDarkShadow);
inline const QColor kEdgeFace = fromBgr(qrb::layout::kGrey);
inline const QColor kGreyedText = fromBgr(qrb::layout::kGreyedText);

// A caption that the window paints itself, laid out once and again only when
// its text or font change.
class Caption {
public:
    const QStaticText& laidOut(const QString& text, const QFont& font);

private:
    QStaticText layout_;
    QFont font_;
};

// The style's dotted focus rectangle around a part of a widget.
void drawFocus(QPainter& painter, const QWidget* widget, const QRect& around,
               const QColor& background);

// Twips (1/1440 inch) to pixels at the widget's logical dpi.
int twipsToPixels(const QWidget* widget, int twips);

// The window icon: a small yagi over a locator grid, 16 x 16 and larger.
QIcon windowIcon();

} // namespace look
