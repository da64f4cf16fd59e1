#include "ui/term/line_glyphs.h"

#include <algorithm>

namespace zor::ui::term {
namespace {

// Frames come in these styles (a list frame takes the list's style).
bool lineStyle(CellStyle style) {
  return style == CellStyle::Frame || style == CellStyle::Focused || style == CellStyle::Disabled ||
         style == CellStyle::Selected;
}

struct Neighbourhood {
  const Canvas& canvas;
  const ScreenLayers* layers;
  int layer;  // of the cell asked about
};

bool lineCell(const Neighbourhood& around, int x, int y, char a, char b) {
  const Canvas& canvas = around.canvas;
  if (x < 0 || y < 0 || x >= canvas.width() || y >= canvas.height()) return false;
  if (around.layers && around.layers->at(x, y) != around.layer) return false;
  const CanvasCell& cell = canvas.at(x, y);
  return lineStyle(cell.style) && (cell.character == a || cell.character == b);
}

enum Arm : unsigned { Up = 1, Down = 2, Left = 4, Right = 8 };

char32_t joint(unsigned arms) {
  switch (arms) {
    case Down | Right:
      return U'┌';
    case Down | Left:
      return U'┐';
    case Up | Right:
      return U'└';
    case Up | Left:
      return U'┘';
    case Up | Down | Right:
      return U'├';
    case Up | Down | Left:
      return U'┤';
    case Left | Right | Down:
      return U'┬';
    case Left | Right | Up:
      return U'┴';
    case Up | Down | Left | Right:
      return U'┼';
    case Left | Right:
    case Left:
    case Right:
      return U'─';
    case Up | Down:
    case Up:
    case Down:
      return U'│';
    default:
      return U'+';
  }
}

}  // namespace

ScreenLayers::ScreenLayers(int width, int height)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      cells_(static_cast<size_t>(width_) * static_cast<size_t>(height_), 0) {}

void ScreenLayers::cover(const Rect& area) {
  int layer = next_++;
  for (int y = std::max(area.y, 0); y < std::min(area.y + area.height, height_); ++y) {
    for (int x = std::max(area.x, 0); x < std::min(area.x + area.width, width_); ++x) {
      cells_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)] =
          static_cast<uint16_t>(layer);
    }
  }
}

int ScreenLayers::at(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return cells_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
}

char32_t glyphAt(const Canvas& canvas, int x, int y, bool lineDrawing, const ScreenLayers* layers) {
  const CanvasCell& cell = canvas.at(x, y);
  Neighbourhood around{canvas, layers, layers ? layers->at(x, y) : 0};
  auto byte = static_cast<unsigned char>(cell.character);
  if (!lineDrawing || !lineStyle(cell.style)) return byte;
  switch (cell.character) {
    case '-':
      return lineCell(around, x - 1, y, '-', '+') || lineCell(around, x + 1, y, '-', '+') ? U'─'
                                                                                          : U'-';
    case '|':
      return lineCell(around, x, y - 1, '|', '+') || lineCell(around, x, y + 1, '|', '+') ? U'│'
                                                                                          : U'|';
    case '+': {
      unsigned arms = 0;
      if (lineCell(around, x, y - 1, '|', '+')) arms |= Up;
      if (lineCell(around, x, y + 1, '|', '+')) arms |= Down;
      if (lineCell(around, x - 1, y, '-', '+')) arms |= Left;
      if (lineCell(around, x + 1, y, '-', '+')) arms |= Right;
      return joint(arms);
    }
    default:
      return byte;
  }
}

}  // namespace zor::ui::term
