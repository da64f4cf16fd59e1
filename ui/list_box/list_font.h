#pragma once
// The window font as a list sees it, and the conversion of dialog units to
// pixels and back. A dialog unit is a quarter of the font's average character
// across and an eighth of its height down. On the character-cell canvas the
// average character is one cell, so a pixel there is one cell.

#include <cstdint>

namespace zor::ui {

struct ListFont {
  int charWidth = 1;   // average character width, pixels
  int lineHeight = 1;  // character height, pixels

  int toPixelsX(int units) const { return scale(units, charWidth, 4); }
  int toPixelsY(int units) const { return scale(units, lineHeight, 8); }
  int toUnitsX(int pixels) const { return scale(pixels, 4, charWidth); }
  int toUnitsY(int pixels) const { return scale(pixels, 8, lineHeight); }

  // value * numerator / denominator rounded half away from zero, clamped to
  // the int range; 0 for a zero denominator.
  static int scale(int value, int numerator, int denominator) {
    if (denominator == 0) return 0;
    int64_t product = static_cast<int64_t>(value) * numerator;
    int64_t half = (denominator < 0 ? -denominator : denominator) / 2;
    int64_t rounded = ((product < 0) != (denominator < 0)) ? (product - half) / denominator
                                                           : (product + half) / denominator;
    if (rounded > INT32_MAX) return INT32_MAX;
    if (rounded < INT32_MIN) return INT32_MIN;
    return static_cast<int>(rounded);
  }
};

}  // namespace zor::ui
