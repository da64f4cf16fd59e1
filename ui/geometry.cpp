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

struct Span {
  int start, size;
};

// One axis of fitInside.
Span fitSpan(Span span, Span area, int perCell) {
  if (area.size <= 0) return {area.start, 1};
  span.size = std::clamp(span.size, 1, area.size);
  span.start = std::clamp(span.start, area.start, area.start + area.size - span.size);
  // Rounding to cells may still take the span a cell past the area's last
  // one: move it back a unit at a time, and shrink it at the area's start.
  const int lastCell = toCells(area.start, perCell) + spanCells(area.size, perCell);
  while (toCells(span.start, perCell) + spanCells(span.size, perCell) > lastCell) {
    if (span.start > area.start) {
      --span.start;
    } else if (span.size > 1) {
      --span.size;
    } else {
      break;
    }
  }
  return span;
}

}  // namespace

Rect fitInside(const Rect& rect, const Rect& area) {
  Span x = fitSpan({rect.x, rect.width}, {area.x, area.width}, kUnitsPerCellX);
  Span y = fitSpan({rect.y, rect.height}, {area.y, area.height}, kUnitsPerCellY);
  return {x.start, y.start, x.size, y.size};
}

Rect unitsToCells(const Rect& units) {
  return {toCells(units.x, kUnitsPerCellX), toCells(units.y, kUnitsPerCellY),
          spanCells(units.width, kUnitsPerCellX), spanCells(units.height, kUnitsPerCellY)};
}

}  // namespace zor::ui
