// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QStaticText>

class QPainter;
class QRect;
class QWidget;

namespace look {

// Background colours as the window keeps them: 0x00BBGGRR values.
inline constexpr unsigned kGrey = 0xC0C0C0;
inline constexpr unsigned kLightGreen = 0xC0FFC0; // where the next action is expected
inline constexpr unsigned kLightRed = 0xC0C0FF;   // an input in error
inline constexpr unsigned kWhite = 0xFFFFFF;
inline constexpr unsigned kLightYellow = 0xC0FFFF;

QColor fromBgr(unsigned bgr);

// Sets a control's background and remembers it in the property "backColor".
// The colour goes into the palette (Base, Window and Button), which the
// command buttons and the window's own controls paint with in every style.
void setBackColor(QWidget* widget, unsigned bgr);

// The window draws its buttons and frame as on a classic form: bevels of
// light, shadow and dark shadow edges around the grey face, greyed captions.
inline const QColor kEdgeLight{0xFF, 0xFF, 0xFF};
inline const QColor kEdgeShadow{0x80, 0x80, 0x80};
inline const QColor kEdgeDarkShadow{0x40, 0x40, 0x40};
inline const QColor kEdgeFace{0xC0, 0xC0, 0xC0};
inline const QColor kGreyedText{0x80, 0x80, 0x80};

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
