#pragma once
// Turns the terminal's mouse reports into the window's mouse messages
// (ui/input.h): a press and a release become WM_LBUTTONDOWN / WM_LBUTTONUP,
// a second press on the same cell soon after the first becomes
// WM_LBUTTONDBLCLK, movement while the button is held becomes WM_MOUSEMOVE
// with MK_LBUTTON (a drag), and the wheel WM_MOUSEWHEEL with one notch per
// report. A release without its press is a whole click. Pure logic: the
// caller supplies the time.

#include <cstdint>
#include <vector>

#include "ui/input.h"

namespace zor::ui::term {

// Click: a press and its release reported as one event.
enum class MouseReport { Press, Release, Click, Motion, WheelUp, WheelDown };

struct MouseMessage {
  uint32_t message = 0;
  uintptr_t wParam = 0;
  Cell cell;  // screen cell
  bool operator==(const MouseMessage&) const = default;
};

// Presses on one cell closer together than this make a double click.
inline constexpr int64_t kDoubleClickMs = 400;

class MouseTracker {
 public:
  std::vector<MouseMessage> report(MouseReport report, Cell cell, int64_t nowMs);
  bool buttonHeld() const { return held_; }

 private:
  bool held_ = false;
  bool havePress_ = false;
  bool lastWasDouble_ = false;
  Cell lastPress_;
  int64_t lastPressMs_ = 0;
  Cell lastMotion_;
};

// A notch of the wheel as WM_MOUSEWHEEL's wParam: a signed count carried
// in an unsigned word.
constexpr uintptr_t wheelNotches(int notches) {
  return static_cast<uintptr_t>(static_cast<intptr_t>(notches));
}

}  // namespace zor::ui::term
