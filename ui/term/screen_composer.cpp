#include "ui/term/screen_composer.h"

#include <algorithm>

#include "ui/messages.h"
#include "ui/window.h"
#include "ui/window_input.h"
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

// The frame's own place, moved left and up as far as needed to show it
// whole; where it cannot show whole, its top-left corner.
Cell placeWhole(const Rect& cells, int screenWidth, int usableHeight) {
  return {std::clamp(cells.x, 0, std::max(0, screenWidth - cells.width)),
          std::clamp(cells.y, 0, std::max(0, usableHeight - cells.height))};
}

// One axis of a frame larger than the screen: the frame's offset (0 or
// less) that shows the span [from, to) of frame cells with a cell to spare
// on each side where there is room, its start first.
int followFocus(int screen, int frame, int from, int to) {
  int offset = std::min(0, screen - (to + 1));
  offset = std::max(offset, 1 - from);
  return std::clamp(offset, std::min(0, screen - frame), 0);
}

}  // namespace

Cell windowOrigin(const Window& window, int screenWidth, int screenHeight) {
  Rect cells = windowCells(window);
  int usableHeight = std::max(1, screenHeight - 1);  // the status line stays free
  Cell origin = placeWhole(cells, screenWidth, usableHeight);
  const Control* focused = window.control(window.focus);
  if (!focused) return origin;
  Rect shown = controlCells(*focused);
  if (cells.width > screenWidth) {
    origin.x = followFocus(screenWidth, cells.width, shown.x + 1, shown.x + 1 + shown.width);
  }
  if (cells.height > usableHeight) {
    origin.y = followFocus(usableHeight, cells.height, shown.y + 1, shown.y + 1 + shown.height);
  }
  return origin;
}

Rect desktopUnits(int screenWidth, int screenHeight) {
  return {0, 0, std::max(1, screenWidth - 2) * kUnitsPerCellX,
          std::max(1, screenHeight - 3) * kUnitsPerCellY};
}

std::optional<ResizeCommand> commandAfterResize(const Window& window, int screenWidth,
                                                int screenHeight, std::optional<Rect> wanted) {
  if (window.show == WindowShow::Iconized) return std::nullopt;
  Rect desktop = desktopUnits(screenWidth, screenHeight);
  if (window.show == WindowShow::Maximized) {
    if (window.rect == desktop) return std::nullopt;
    return ResizeCommand{SC_SIZE, desktop};
  }
  Rect target = window.rect;
  if (window.resizable) {
    Rect want = wanted.value_or(window.rect);
    target.width = std::min(want.width, desktop.width);
    target.height = std::min(want.height, desktop.height);
  }
  Rect cells = frameCells(target);
  Cell origin = placeWhole(cells, screenWidth, std::max(1, screenHeight - 1));
  if (origin.x != cells.x) target.x = origin.x * kUnitsPerCellX;
  if (origin.y != cells.y) target.y = origin.y * kUnitsPerCellY;
  if (target == window.rect) return std::nullopt;
  bool sized = target.width != window.rect.width || target.height != window.rect.height;
  return ResizeCommand{sized ? SC_SIZE : SC_MOVE, target};
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
