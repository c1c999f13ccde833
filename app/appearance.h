#pragma once

#include <QColor>
#include <QIcon>

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
unsigned backColor(const QWidget* widget);

// Twips (1/1440 inch) to pixels at the widget's logical dpi.
int twipsToPixels(const QWidget* widget, int twips);

// The 16 x 16 window icon: a small yagi over a locator grid.
QIcon windowIcon();

} // namespace look
