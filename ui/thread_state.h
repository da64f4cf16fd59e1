#pragma once
// The window system's record of each thread: its last keystroke and its open
// windows, the innermost (most recently opened) being the active one that
// the language's statements address. The records of all threads form the
// runtime's list of threads, walked under the global critical section.

#include <cstdint>

#include "ui/messages.h"

namespace zor::ui {

class Window;

struct Keystroke {
  uint32_t code = 0;  // virtual key code plus 0x100 Shift, 0x200 Ctrl, 0x400 Alt
  uint8_t state = 0;
  uint8_t character = 0;
};

// The calling thread's last keystroke; front ends set it as keys arrive.
Keystroke lastKeystroke();
void setLastKeystroke(const Keystroke& keystroke);

// Windows opened on the calling thread, in opening order.
void enterWindow(Window& window);
void leaveWindow(Window& window);
// The calling thread's active window, or null.
Window* activeWindow();
// The calling thread's open window with that handle, or null.
Window* ownWindow(WindowHandle handle);
// The active window of any thread, 0 when it has none.
WindowHandle activeWindowOf(int thread);

}  // namespace zor::ui
