// The window's look, laid out as the level editor's tools are: places given in twips, the
// dialog font, and light colours of its own whatever the desktop's theme.
#pragma once

#include <QFont>
#include <QPalette>

class QWidget;

namespace sondrel {

// Twips are 1/1440 inch, 15 to a pixel at the usual 96 dots per inch; Qt scales the pixels on
// a high-density screen.
constexpr int Px(int twips) {
    return twips / 15;
}
// Puts a widget at a place and size given in twips.
void PlaceInTwips(QWidget* widget, int left, int top, int width, int height);

inline constexpr double kDialogFontPoints = 8.25;
inline constexpr double kFlagFontPoints = 9.75;
// The dialog font "MS Sans Serif" at `points`, where the system has it, else Qt's default.
QFont DialogFont(double points, bool bold);

// Light colours on every desktop: the flags are red and black by their meaning, and must stay
// legible on the button face (black 18.4 : 1, red 3.5 : 1).
QPalette LightPalette();

} // namespace sondrel
