#pragma once
// What the terminal shows for a canvas cell: frames drawn with "+", "-" and
// "|" become line-drawing characters (corners and joints chosen by the
// neighbouring frame cells), other bytes are the runtime's single-byte
// characters read as Latin-1. Pure logic.

#include "ui/canvas.h"

namespace zor::ui::term {

// The code point to show at (x, y). With `lineDrawing` false (no UTF-8
// locale) frames stay as they are.
char32_t glyphAt(const Canvas& canvas, int x, int y, bool lineDrawing);

}  // namespace zor::ui::term
