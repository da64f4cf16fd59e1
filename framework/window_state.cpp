#include "framework/window_state.h"

#include <algorithm>

#include "ui/properties.h"
#include "ui/system_commands.h"

namespace zor::fw {
namespace {

bool flag(const ui::Window& window, int property) {
  return ui::flagValue(window.property(property));
}

int32_t number(const ui::Window& window, int property) {
  return static_cast<int32_t>(ui::numberValue(window.property(property)));
}

// Within [low, low + room - size], or at low when it does not fit.
int keptInside(int at, int size, int low, int room) {
  return std::max(low, std::min(at, low + room - size));
}

}  // namespace

WindowPosition windowPosition(const ui::Window& window) {
  WindowPosition position;
  position.Maximized = flag(window, ui::PROP::Maximize);
  position.Minimized = flag(window, ui::PROP::Iconize);
  if (!position.Maximized && !position.Minimized) {
    position.X = number(window, ui::PROP::Xpos);
    position.Y = number(window, ui::PROP::Ypos);
    if (flag(window, ui::PROP::Resize)) {
      position.W = number(window, ui::PROP::Width);
      position.H = number(window, ui::PROP::Height);
    }
  }
  return position;
}

void applyWindowPosition(ui::Window& window, const WindowPosition& position) {
  const bool wasMaximized = flag(window, ui::PROP::Maximize);
  if (wasMaximized && !position.Maximized) window.setProperty(ui::PROP::Maximize, "");
  // The normal place: while the window is maximised or iconised (a restore
  // still waiting for the loop included), the one it returns to.
  ui::Rect& normal = window.show == ui::WindowShow::Normal ? window.rect : window.restoreRect;
  const ui::Rect desktop = ui::desktopArea();
  if (window.resizable) {
    if (position.W != kNoPosition && position.W > 0) normal.width = position.W;
    if (position.H != kNoPosition && position.H > 0) normal.height = position.H;
    normal.width = std::min(normal.width, std::max(1, desktop.width));
    normal.height = std::min(normal.height, std::max(1, desktop.height));
  }
  if (position.X != kNoPosition) normal.x = position.X;
  if (position.Y != kNoPosition) normal.y = position.Y;
  normal.x = keptInside(normal.x, normal.width, desktop.x, desktop.width);
  normal.y = keptInside(normal.y, normal.height, desktop.y, desktop.height);
  if (position.Maximized && !wasMaximized) window.setProperty(ui::PROP::Maximize, "1");
  if (window.show == ui::WindowShow::Iconized) window.setProperty(ui::PROP::Iconize, "");
}

}  // namespace zor::fw
