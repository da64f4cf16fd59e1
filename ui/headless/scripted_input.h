#pragma once
// Scripted input: keys by key code, typed text, clicks on a control (found
// by its use label) or on a cell of the window as painted on its own canvas
// (the frame's top-left corner is cell 0, 0), wheel notches and drags with
// the button held from one such cell to another. Each input becomes the
// messages a front end would send; `deliverInput` hands them to the window at
// once, `postInput` queues them for its accept loop. System commands (a
// resize of the window, say) go the same way.

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "ui/geometry.h"
#include "ui/input.h"
#include "ui/messages.h"

namespace zor::ui {
class Window;
}

namespace zor::ui::headless {

struct KeyInput {
  uint32_t code = 0;
  char character = 0;
};
struct ClickInput {
  std::string useLabel;  // empty: click `cell`
  Cell cell;             // on the window's canvas
  bool twice = false;    // a double click
};
struct WheelInput {
  Cell cell;        // on the window's canvas
  int notches = 0;  // positive: away from the user (up)
};
struct DragInput {
  Cell from, to;  // on the window's canvas
};
// A system command as the user gives it from the window's frame (SC_SIZE,
// SC_MOVE with the window's new place in dialog units; SC_MAXIMIZE,
// SC_RESTORE, SC_MINIMIZE, SC_CLOSE without).
struct CommandInput {
  uintptr_t command = 0;
  Rect target;
  bool keepPlace = false;  // the target's x and y are the window's own
};
using Input = std::variant<KeyInput, ClickInput, WheelInput, DragInput, CommandInput>;

// The keystrokes that type the text.
std::vector<KeyInput> keysFor(std::string_view text);

// The messages of one input for the window, or an error when a click names
// a control the window does not show.
struct InputMessages {
  std::vector<Message> messages;
  std::string error;
};
InputMessages messagesFor(const Window& window, const Input& input);

// Hands the input to the window's procedure now (the window must be open on
// the calling thread). Returns the error of messagesFor, empty when none.
std::string deliverInput(Window& window, const Input& input);
// Queues the input's messages for the window's accept loop.
std::string postInput(const Window& window, const Input& input);

}  // namespace zor::ui::headless
