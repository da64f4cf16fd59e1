#include "ui/term/line_glyphs.h"

namespace zor::ui::term {
namespace {

// Frames come in these styles (a list frame takes the list's style).
bool lineStyle(CellStyle style) {
  return style == CellStyle::Frame || style == CellStyle::Focused || style == CellStyle::Disabled ||
         style == CellStyle::Selected;
}

bool lineCell(const Canvas& canvas, int x, int y, char a, char b) {
  if (x < 0 || y < 0 || x >= canvas.width() || y >= canvas.height()) return false;
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

char32_t glyphAt(const Canvas& canvas, int x, int y, bool lineDrawing) {
  const CanvasCell& cell = canvas.at(x, y);
  auto byte = static_cast<unsigned char>(cell.character);
  if (!lineDrawing || !lineStyle(cell.style)) return byte;
  switch (cell.character) {
    case '-':
      return lineCell(canvas, x - 1, y, '-', '+') || lineCell(canvas, x + 1, y, '-', '+') ? U'─'
                                                                                          : U'-';
    case '|':
      return lineCell(canvas, x, y - 1, '|', '+') || lineCell(canvas, x, y + 1, '|', '+') ? U'│'
                                                                                          : U'|';
    case '+': {
      unsigned arms = 0;
      if (lineCell(canvas, x, y - 1, '|', '+')) arms |= Up;
      if (lineCell(canvas, x, y + 1, '|', '+')) arms |= Down;
      if (lineCell(canvas, x - 1, y, '-', '+')) arms |= Left;
      if (lineCell(canvas, x + 1, y, '-', '+')) arms |= Right;
      return joint(arms);
    }
    default:
      return byte;
  }
}

}  // namespace zor::ui::term
