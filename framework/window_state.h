#pragma once
// A window's position and state as the INI manager stores it: the window
// position record, filled from a window and applied to one.

#include <cstdint>

#include "ui/window.h"

namespace zor::fw {

// The value of X, Y, W or H that means "no value".
inline constexpr int32_t kNoPosition = INT32_MIN;  // 0x80000000

struct WindowPosition {
  int32_t X = kNoPosition;  // left, top, width, height in dialog units
  int32_t Y = kNoPosition;
  int32_t W = kNoPosition;
  int32_t H = kNoPosition;
  uint8_t Maximized = 0;
  uint8_t Minimized = 0;
  uint8_t Got = 0;  // read from the store
};

// The record of a window: its maximize and iconize state, and, only while it
// is neither, its position and (when resizable) its size.
WindowPosition windowPosition(const ui::Window& window);

// Puts a window where the record says: back to normal size when it is
// maximised and the record is not; the position; the size when the window
// is resizable and the record has one; maximised when the record is. A
// restored window never comes up minimised: a window the user minimised
// and then closed would otherwise open as an icon, and seem not to open at
// all. A value that is missing (or a size below 1) leaves the window's
// own, and the place is moved (a resizable window also made smaller) as
// far as needed to keep the window on the desktop, which may be smaller
// than when it was saved.
void applyWindowPosition(ui::Window& window, const WindowPosition& position);

}  // namespace zor::fw
