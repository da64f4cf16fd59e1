#pragma once
// The event record: one per queued event, owned by the queue until it is
// delivered, then destroyed.

#include <cstdint>
#include <functional>

#include "ui/messages.h"

namespace zor::ui {

struct Event;
// Runs once the procedure has handled the event (or, for an event that is
// never delivered, not at all); `refused` tells whether the procedure cycled.
using EventFinish = std::function<void(const Event& event, bool refused)>;

struct Event {
  uint32_t number = 0;      // carried number (0xA000 + event)
  WindowHandle window = 0;  // the window the event belongs to
  int32_t field = 0;        // the control's field equate number, 0 for window events
  int32_t mouseX = 0;       // pointer position relative to the window when posted
  int32_t mouseY = 0;
  uint32_t keyCode = 0;  // the thread's last keystroke when posted
  uint8_t keyState = 0;
  uint8_t keyChar = 0;
  uint8_t flags[2] = {0, 0};
  EventFinish finish;
};

}  // namespace zor::ui
