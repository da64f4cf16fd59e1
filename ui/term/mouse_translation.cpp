#include "ui/term/mouse_translation.h"

namespace zor::ui::term {

std::vector<MouseMessage> MouseTracker::report(MouseReport report, Cell cell, int64_t nowMs) {
  switch (report) {
    case MouseReport::Press: {
      // A third quick press starts over instead of making a second double click.
      bool twice = havePress_ && !lastWasDouble_ && cell == lastPress_ &&
                   nowMs - lastPressMs_ >= 0 && nowMs - lastPressMs_ < kDoubleClickMs;
      held_ = true;
      havePress_ = true;
      lastWasDouble_ = twice;
      lastPress_ = cell;
      lastMotion_ = cell;
      lastPressMs_ = nowMs;
      return {{twice ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, MK_LBUTTON, cell}};
    }
    case MouseReport::Release: {
      // A quick click can reach ncurses as its release alone (the press
      // and the release arrived together): it is the whole click.
      std::vector<MouseMessage> messages;
      if (!held_) messages = this->report(MouseReport::Press, cell, nowMs);
      held_ = false;
      messages.push_back({WM_LBUTTONUP, 0, cell});
      return messages;
    }
    case MouseReport::Click: {
      std::vector<MouseMessage> messages = this->report(MouseReport::Press, cell, nowMs);
      held_ = false;
      messages.push_back({WM_LBUTTONUP, 0, cell});
      return messages;
    }
    case MouseReport::Motion:
      if (cell == lastMotion_) return {};
      lastMotion_ = cell;
      return {{WM_MOUSEMOVE, held_ ? MK_LBUTTON : 0, cell}};
    case MouseReport::WheelUp:
      return {{WM_MOUSEWHEEL, wheelNotches(1), cell}};
    case MouseReport::WheelDown:
      return {{WM_MOUSEWHEEL, wheelNotches(-1), cell}};
  }
  return {};
}

}  // namespace zor::ui::term
