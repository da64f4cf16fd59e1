#pragma once
// How a window reacts to keys and clicks: the focus and the Tab order (the
// controls that take the focus, in field equate order, skipping hidden,
// disabled and skipped ones), hot keys (Alt plus the letter after "&": a
// button is pressed, a prompt sends the focus to the control after it),
// Enter on the default button, Escape, and clicks found by cell.

#include <cstdint>

#include "ui/geometry.h"
#include "ui/input.h"
#include "ui/messages.h"

namespace zor::ui {

class Control;
class Window;

// Shown: neither it nor any control around it is hidden, and a control on a
// sheet lies on the selected tab.
bool isShowing(const Window& window, const Control& control);
// Enabled, and every control around it enabled.
bool isUsable(const Window& window, const Control& control);
bool canFocus(const Window& window, const Control& control);
// The first control that can take the focus, 0 when none.
int firstFocusable(const Window& window);
// The next (or previous) control that can take the focus after `field`,
// wrapping round; 0 when none.
int nextFocusable(const Window& window, int field, bool backward);

// Moves the focus. The control losing it completes its entry first (an
// Accepted event when the user changed it); if it refuses, the focus stays
// and false is returned. The control gaining it gets a Selected event.
bool setFocus(Window& window, int field);
// Presses the control the way the user would: the focus moves there (if it
// takes the focus) and the control acts.
void activateControl(Window& window, Control& control);

// The cells of a control, relative to the window's client area.
Rect controlCells(const Control& control);
// The last (innermost) shown control whose cells hold the cell, 0 when none.
int controlAt(const Window& window, Cell cell);

// WM_KEYDOWN, the mouse messages and the scroll messages of ui/input.h.
intptr_t handleInput(Window& window, const Message& message);

}  // namespace zor::ui
