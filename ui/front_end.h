#pragma once
// What a front end learns of the windows of its thread: when one opens or
// closes, and when a window's accept loop is about to wait for input (the
// moment to draw, or, headless, to hand over the next scripted input); and
// what it shows for the framework: popup menus and the wait cursor.

#include <optional>
#include <string_view>

#include "ui/input.h"

namespace zor::ui {

class Window;

class FrontEnd {
 public:
  virtual ~FrontEnd() = default;
  virtual void windowOpened(Window&) {}
  virtual void windowClosed(Window&) {}
  virtual void idle(Window&) {}
  // Shows a popup menu (the menu string of the POPUP statement) near the
  // screen cell, or where the front end sees fit, and answers the chosen
  // item's position, 0 when cancelled. A front end without menus cancels.
  virtual int popupMenu(std::string_view /*menu*/, std::optional<Cell> /*at*/) { return 0; }
  // The cursor of the program or of a window changed (ui/wait_cursor.h):
  // shown at once, not only when the loop next waits.
  virtual void cursorChanged() {}
};

// The calling thread's front end, null when it has none.
FrontEnd* frontEnd();
// Installs a front end for the calling thread; returns the previous one.
FrontEnd* setFrontEnd(FrontEnd* frontEnd);

}  // namespace zor::ui
