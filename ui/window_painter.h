#pragma once
// Draws windows and their controls on the character-cell canvas: the frame
// with the title, prompts, entries with their formatted text in brackets,
// buttons as "[ Save ]" (the default button as "[>Save<]"), check boxes
// "[X]", radios "(*)", option groups and groups as frames, sheets with their
// row of tab headers (the chosen one in brackets), text boxes, and lists as
// a frame around the rows their list view renders, ">" at the selected row.
// Controls are painted in field equate order, so children lie on top.

#include "ui/canvas.h"
#include "ui/geometry.h"
#include "ui/input.h"

namespace zor::ui {

class Window;

// The cells a window takes with its frame, placed at its position.
Rect windowCells(const Window& window);
// The same for a window whose client area lies at `units`.
Rect frameCells(const Rect& units);
// The client area's top-left cell for a window painted at `origin`.
inline Cell clientOrigin(Cell origin) {
  return {origin.x + 1, origin.y + 1};
}

// Paints the window with its frame's top-left corner at `origin`.
void paintWindow(Canvas& canvas, const Window& window, Cell origin);
// A canvas just the size of the window (at most 1024 x 512 cells: a larger
// one is cut), with the window painted at (0, 0).
Canvas paintWindow(const Window& window);

}  // namespace zor::ui
