#pragma once
// Rectangles and the mapping of dialog units onto character cells. Windows
// and controls are placed in dialog units; both front ends draw on one grid
// of character cells, a dialog unit being a quarter of a cell across and an
// eighth of a cell down.

#include <cstdint>

namespace zor::ui {

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const Rect&) const = default;
  bool contains(int px, int py) const {
    // Wide sums: a rectangle at the edge of int's range cannot overflow.
    return px >= x && py >= y && int64_t{px} < int64_t{x} + width &&
           int64_t{py} < int64_t{y} + height;
  }
};

inline constexpr int kUnitsPerCellX = 4;
inline constexpr int kUnitsPerCellY = 8;

// The cells a rectangle in dialog units covers: edges round to the nearest
// cell, and anything with a size keeps at least one cell.
Rect unitsToCells(const Rect& units);

// The rectangle moved and shrunk as little as needed to lie inside `area`,
// both in dialog units and in the cells each covers, and never empty (at
// least one unit across and down); an area without room gives its first unit.
Rect fitInside(const Rect& rect, const Rect& area);

}  // namespace zor::ui
