#include "ui/geometry.h"

#include <algorithm>

namespace zor::ui {
namespace {

// Rounds to the nearest cell, halves away from zero, so a control moved by a
// few units keeps its cell and both front ends agree on every position.
int toCells(int units, int perCell) {
  // In 64 bits, so that no value of int overflows on the way.
  const int64_t wide = units;
  return static_cast<int>(wide >= 0 ? (wide + perCell / 2) / perCell
                                    : -((-wide + perCell / 2) / perCell));
}

int spanCells(int units, int perCell) {
  if (units <= 0) return 0;
  return std::max(1, toCells(units, perCell));
}

}  // namespace

Rect unitsToCells(const Rect& units) {
  return {toCells(units.x, kUnitsPerCellX), toCells(units.y, kUnitsPerCellY),
          spanCells(units.width, kUnitsPerCellX), spanCells(units.height, kUnitsPerCellY)};
}

}  // namespace zor::ui
