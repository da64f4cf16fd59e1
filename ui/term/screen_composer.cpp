#include "ui/term/screen_composer.h"

#include <algorithm>

#include "ui/messages.h"
#include "ui/window.h"
#include "ui/window_painter.h"

namespace zor::ui::term {
namespace {

void dimFrame(Canvas& canvas, const Rect& area) {
  for (int y = area.y; y < area.y + area.height; ++y) {
    for (int x = area.x; x < area.x + area.width; ++x) {
      if (x < 0 || y < 0 || x >= canvas.width() || y >= canvas.height()) continue;
      const CanvasCell& cell = canvas.at(x, y);
      if (cell.style == CellStyle::Frame || cell.style == CellStyle::Title) {
        canvas.put(x, y, cell.character, CellStyle::Disabled);
      }
    }
  }
}

}  // namespace

Cell windowOrigin(const Window& window, int screenWidth, int screenHeight) {
  Rect cells = windowCells(window);
  int usableHeight = std::max(1, screenHeight - 1);  // the status line stays free
  return {std::clamp(cells.x, 0, std::max(0, screenWidth - cells.width)),
          std::clamp(cells.y, 0, std::max(0, usableHeight - cells.height))};
}

Rect desktopUnits(int screenWidth, int screenHeight) {
  return {0, 0, std::max(1, screenWidth - 2) * kUnitsPerCellX,
          std::max(1, screenHeight - 3) * kUnitsPerCellY};
}

std::optional<ResizeCommand> commandAfterResize(const Window& window, int screenWidth,
                                                int screenHeight) {
  if (window.show == WindowShow::Iconized) return std::nullopt;
  if (window.show == WindowShow::Maximized) {
    Rect desktop = desktopUnits(screenWidth, screenHeight);
    if (window.rect == desktop) return std::nullopt;
    return ResizeCommand{SC_SIZE, desktop};
  }
  Rect cells = windowCells(window);
  Cell origin = windowOrigin(window, screenWidth, screenHeight);
  if (origin.x == cells.x && origin.y == cells.y) return std::nullopt;
  Rect moved = window.rect;
  moved.x = origin.x * kUnitsPerCellX;
  moved.y = origin.y * kUnitsPerCellY;
  return ResizeCommand{SC_MOVE, moved};
}

std::string statusTip(const Window& window, int pointerField) {
  if (const Control* pointed = window.control(pointerField); pointed && !pointed->tip.empty()) {
    return pointed->tip;
  }
  const Control* focused = window.control(window.focus);
  return focused ? focused->tip : std::string();
}

Canvas composeScreen(const std::vector<const Window*>& windows, const Window* active,
                     int screenWidth, int screenHeight, std::string_view status,
                     ScreenLayers* layers) {
  Canvas canvas(std::max(screenWidth, 0), std::max(screenHeight, 0));
  const Window* lastPainted = nullptr;
  for (const Window* window : windows) {
    if (!window->visible || window->show == WindowShow::Iconized) continue;
    lastPainted = window;
    Cell origin = windowOrigin(*window, screenWidth, screenHeight);
    paintWindow(canvas, *window, origin);
    Rect cells = windowCells(*window);
    Rect placed{origin.x, origin.y, cells.width, cells.height};
    if (layers) layers->cover(placed);
    if (window != active) dimFrame(canvas, placed);
  }
  if (active && active != lastPainted && screenHeight > 0) {
    // The cursor belongs to the active window, painted last of all.
    Canvas top(std::max(screenWidth, 0), std::max(screenHeight, 0));
    Cell origin = windowOrigin(*active, screenWidth, screenHeight);
    paintWindow(top, *active, origin);
    if (top.hasCursor()) {
      canvas.setCursor(top.cursor());
    }
  }
  if (screenHeight > 0) {
    canvas.resetClip();
    canvas.fill({0, screenHeight - 1, screenWidth, 1}, ' ');
    canvas.write(1, screenHeight - 1, status, CellStyle::Title, screenWidth - 2);
  }
  return canvas;
}

}  // namespace zor::ui::term
