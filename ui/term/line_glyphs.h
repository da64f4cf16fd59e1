#pragma once
// What the terminal shows for a canvas cell: frames drawn with "+", "-" and
// "|" become line-drawing characters (corners and joints chosen by the
// neighbouring frame cells), other bytes are the runtime's single-byte
// characters read as Latin-1. Pure logic.

#include <cstdint>
#include <vector>

#include "ui/canvas.h"
#include "ui/geometry.h"

namespace zor::ui::term {

// Which window or box was painted last on each cell, so that frames join
// only the frames of the same window: a box lying on a list's frame does
// not grow joints into it.
class ScreenLayers {
 public:
  ScreenLayers(int width, int height);
  // A new layer over the area (cut to the screen).
  void cover(const Rect& area);
  // The layer of the cell; 0 where none was laid.
  int at(int x, int y) const;

 private:
  int width_;
  int height_;
  int next_ = 1;
  std::vector<uint16_t> cells_;
};

// The code point to show at (x, y). With `lineDrawing` false (no UTF-8
// locale) frames stay as they are. With `layers`, frames join only within
// a layer.
char32_t glyphAt(const Canvas& canvas, int x, int y, bool lineDrawing,
                 const ScreenLayers* layers = nullptr);

}  // namespace zor::ui::term
