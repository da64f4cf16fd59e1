#pragma once
// The terminal screen as one canvas: the open windows in opening order (so
// a modal window lies over its owner), each at its place moved to stay on
// the screen, the windows other than the active one with dimmed frames,
// and the bottom row as the status line with the tool tip. Pure logic.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/canvas.h"
#include "ui/geometry.h"
#include "ui/term/line_glyphs.h"

namespace zor::ui {
class Window;
}

namespace zor::ui::term {

// Where the window's frame goes on a screen of that size: its own place,
// moved left and up as far as needed to show it whole. A window wider or
// taller than the screen (one that cannot be resized to fit) shows its
// top-left part, shifted as far as needed to show the control with the
// focus, so Tab reaches and shows every control.
Cell windowOrigin(const Window& window, int screenWidth, int screenHeight);

// The area, in dialog units, that windows may fill: the screen less the
// status line, less the frame.
Rect desktopUnits(int screenWidth, int screenHeight);

// What a screen of that size asks of a window, as the system command a
// user's move or size would give (SC_MOVE or SC_SIZE with the new place in
// dialog units): a maximised window takes the desktop; a resizable window
// takes the size it wants (`wanted`, else its own), made no larger than the
// desktop, and moves to show whole; any other window that fits moves back
// onto the screen. None when it stays as it is.
struct ResizeCommand {
  uintptr_t command = 0;
  Rect target;
  bool operator==(const ResizeCommand&) const = default;
};
std::optional<ResizeCommand> commandAfterResize(const Window& window, int screenWidth,
                                                int screenHeight,
                                                std::optional<Rect> wanted = std::nullopt);

// The tip the status line shows: the tip of the control under the pointer
// (`pointerField`, 0 for none), else that of the focused control.
std::string statusTip(const Window& window, int pointerField);

// The screen; `layers`, when given, receives a layer per window drawn.
Canvas composeScreen(const std::vector<const Window*>& windows, const Window* active,
                     int screenWidth, int screenHeight, std::string_view status,
                     ScreenLayers* layers = nullptr);

}  // namespace zor::ui::term
