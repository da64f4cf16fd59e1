#include "ui/system_commands.h"

#include <mutex>

#include "ui/base/event_numbers.h"
#include "ui/event_engine.h"
#include "ui/messages.h"

namespace zor::ui {
namespace {

std::mutex desktopMutex;
Rect desktop{0, 0, 640, 400};

// Keeps the normal position while the window is maximised or iconised.
void leaveNormal(Window& window, WindowShow show) {
  if (window.show == WindowShow::Normal) window.restoreRect = window.rect;
  window.show = show;
}

}  // namespace

Rect desktopArea() {
  std::lock_guard lock(desktopMutex);
  return desktop;
}

void setDesktopArea(const Rect& area) {
  std::lock_guard lock(desktopMutex);
  desktop = area;
}

intptr_t systemCommand(Window& window, uintptr_t command, const Rect* target) {
  Window* w = &window;
  bool iconized = window.show == WindowShow::Iconized;
  switch (command & 0xFFF0) {
    case SC_MOVE: {
      if (!target) return 0;
      Rect to = *target;
      auto move = [w, to] {
        w->rect.x = to.x;
        w->rect.y = to.y;
        post(*w, EVENT::Moved);
      };
      if (iconized)
        move();
      else
        runNow(window, EVENT::Move, move);
      return 0;
    }
    case SC_SIZE: {
      if (!target) return 0;
      Rect to = *target;
      auto size = [w, to] {
        w->rect = to;
        post(*w, EVENT::Sized);
      };
      if (iconized)
        size();
      else
        runNow(window, EVENT::Size, size);
      return 0;
    }
    case SC_RESTORE:
      runNow(window, EVENT::Restore, [w] {
        if (w->show != WindowShow::Normal) w->rect = w->restoreRect;
        w->show = WindowShow::Normal;
        post(*w, EVENT::Restored);
      });
      return 0;
    case SC_MAXIMIZE:
      runNow(window, EVENT::Maximize, [w] {
        leaveNormal(*w, WindowShow::Maximized);
        w->rect = desktopArea();
        post(*w, EVENT::Maximized);
      });
      return 0;
    case SC_MINIMIZE:
      runNow(window, EVENT::Iconize, [w] {
        leaveNormal(*w, WindowShow::Iconized);
        post(*w, EVENT::Iconized);
      });
      return 0;
    case SC_CLOSE:
      post(window, EVENT::CloseWindow);
      return 0;
    default:
      return 0;
  }
}

}  // namespace zor::ui
