#pragma once
// Scripted input: keys by key code, typed text, clicks on a control (found
// by its use label) or on a cell of the window as painted on its own canvas
// (the frame's top-left corner is cell 0, 0), wheel notches and drags with
// the button held from one such cell to another. Each input becomes the
// messages a front end would send; `deliverInput` hands them to the window at
// once, `postInput` queues them for its accept loop.

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

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
using Input = std::variant<KeyInput, ClickInput, WheelInput, DragInput>;

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
