#pragma once
// What a front end learns of the windows of its thread: when one opens or
// closes, and when a window's accept loop is about to wait for input (the
// moment to draw, or, headless, to hand over the next scripted input).

namespace zor::ui {

class Window;

class FrontEnd {
 public:
  virtual ~FrontEnd() = default;
  virtual void windowOpened(Window&) {}
  virtual void windowClosed(Window&) {}
  virtual void idle(Window&) {}
};

// The calling thread's front end, null when it has none.
FrontEnd* frontEnd();
// Installs a front end for the calling thread; returns the previous one.
FrontEnd* setFrontEnd(FrontEnd* frontEnd);

}  // namespace zor::ui
