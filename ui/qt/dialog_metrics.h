#pragma once
// Dialog units on the desktop: a window's font in Qt terms, and the
// conversion of dialog units to pixels through that font's metrics (a
// quarter of the average character width across, an eighth of the character
// height down), so that windows keep their declared proportions whatever
// font the desktop substitutes for the declared one.

#include <QFont>
#include <QPoint>
#include <QRect>
#include <string>

#include "ui/geometry.h"
#include "ui/list_box/list_font.h"

namespace zor::ui {
class Control;
class Window;
}  // namespace zor::ui

namespace zor::ui::qt {

// The font a declaration names ("MS Sans Serif", 8 points, weight 400). A
// typeface the desktop lacks is replaced by one of the same kind (fixed
// pitch for "Courier", "Fixedsys" and the like, proportional otherwise); a
// size of 0 keeps the desktop's size.
QFont declaredFont(const std::string& typeface, int pointSize, int weight);
// The window's font, and a control's (its own where it names one).
QFont windowFont(const Window& window);
QFont controlFont(const Window& window, const Control& control);

// Pixels of one dialog unit's worth of the font: the average width of the
// letters A-Z and a-z, and the character height.
ListFont metricsOf(const QFont& font);

QRect toPixels(const Rect& units, const ListFont& metrics);
Rect toUnits(const QRect& pixels, const ListFont& metrics);
// The pixel size of a character cell, the canvas grid input is given in.
inline QPoint cellSize(const ListFont& metrics) {
  return {metrics.charWidth, metrics.lineHeight};
}

}  // namespace zor::ui::qt
