#pragma once
// System-menu commands (move, size, restore, maximise, minimise, close) as a
// window carries them out: each becomes a pre-event the procedure may refuse
// (Move, Size, Restore, Maximize, Iconize), and after the change the window
// posts the matching post-event (Moved, Sized, Restored, Maximized, Iconized).

#include <cstdint>

#include "ui/window.h"

namespace zor::ui {

// The area a maximised window fills; the front end sets it.
Rect desktopArea();
void setDesktopArea(const Rect& area);

// Handles WM_SYSCOMMAND: `command` is an SC_ value, `target` the new
// position and size for SC_MOVE and SC_SIZE (the front end supplies it as the
// message's payload). Returns 0.
intptr_t systemCommand(Window& window, uintptr_t command, const Rect* target);

}  // namespace zor::ui
