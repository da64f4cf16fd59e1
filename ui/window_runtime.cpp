// The members of Window that run through the layers above the window model:
// opening and closing (the thread's record of its windows, the first focus,
// OpenWindow, the front end), the default message procedure (input handling
// and the event engine) and the show commands behind the Maximize and
// Iconize properties. They live apart from ui/window.cpp so that the model
// does not include the event engine, the input handling or the system
// commands, all of which include it.

#include "platform/threads.h"
#include "runtime/fatal_error.h"
#include "ui/base/event_numbers.h"
#include "ui/event_engine.h"
#include "ui/front_end.h"
#include "ui/input.h"
#include "ui/message_layer.h"
#include "ui/system_commands.h"
#include "ui/thread_state.h"
#include "ui/window.h"
#include "ui/window_input.h"
#include "ui/window_procedure.h"

namespace zor::ui {

void Window::open() {
  if (isOpen()) fatalRuntimeError(535, title);
  handle_ = createWindow([this](const Message& message) { return onMessage(message); });
  if (handle_ == 0) fatalRuntimeError(529, title);
  thread_ = platform::threadNumber();
  accept_.phase = LoopPhase::Accepting;
  enterWindow(*this);
  applyTimer();
  if (focus == 0) focus = firstFocusable(*this);
  if (Control* focused = control(focus)) focused->focusGained(*this);
  post(*this, EVENT::OpenWindow);
  if (FrontEnd* front = frontEnd()) front->windowOpened(*this);
}

void Window::close() {
  if (!isOpen()) fatalRuntimeError(536, title);
  if (FrontEnd* front = frontEnd()) front->windowClosed(*this);
  leaveWindow(*this);
  destroyWindow(handle_);
  handle_ = 0;
  accept_.queue.clear();
  accept_.preEvents.clear();
  accept_.current.reset();
  accept_.refused = false;
  accept_.refreshPending = false;
  accept_.pendingAccept = false;
  accept_.phase = LoopPhase::Inactive;
}

intptr_t Window::onMessage(const Message& message) {
  if (message.message == WM_KEYDOWN || isMouseMessage(message.message) ||
      isScrollMessage(message.message)) {
    return handleInput(*this, message);
  }
  return windowProcedure(*this, message);
}

// Through the window command, so the procedure sees the same events as when
// the user maximises, iconises or restores the window.
void Window::showCommand(int property, bool on) {
  if (on) {
    systemCommand(*this, property == PROP::Maximize ? SC_MAXIMIZE : SC_MINIMIZE, nullptr);
  } else {
    systemCommand(*this, SC_RESTORE, nullptr);
  }
}

}  // namespace zor::ui
