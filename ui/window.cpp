#include "ui/window.h"

#include <algorithm>

#include "platform/ascii_case.h"
#include "platform/threads.h"
#include "runtime/fatal_error.h"
#include "ui/base/event_numbers.h"
#include "ui/control_factory.h"
#include "ui/event_engine.h"
#include "ui/front_end.h"
#include "ui/input.h"
#include "ui/message_layer.h"
#include "ui/system_commands.h"
#include "ui/thread_state.h"
#include "ui/window_input.h"

namespace zor::ui {

Window::Window(std::string windowTitle) : title(std::move(windowTitle)) {}

Window::~Window() {
  if (isOpen() && thread_ == platform::threadNumber()) close();
}

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

Control& Window::add(std::unique_ptr<Control> control) {
  control->setField(static_cast<int>(controls_.size()) + 1);
  controls_.push_back(std::move(control));
  Control& added = *controls_.back();
  if (Control* parent = this->control(added.parent)) parent->childAdded(added);
  return added;
}

Control& Window::addControl(uint8_t kind, std::string useLabel) {
  return add(makeControl(kind, std::move(useLabel)));
}

Control& Window::createControl(uint8_t kind, std::string useLabel, int parent) {
  Window* active = activeWindow();
  if (active && active != this && active->modal) fatalRuntimeError(541, useLabel);
  auto made = makeControl(kind, std::move(useLabel));
  made->parent = control(parent) ? parent : 0;
  return add(std::move(made));
}

Control* Window::control(int field) const {
  if (field < 1 || static_cast<size_t>(field) > controls_.size()) return nullptr;
  return controls_[static_cast<size_t>(field) - 1].get();
}

Control* Window::find(const std::string& useLabel) const {
  for (const auto& made : controls_) {
    if (platform::equalsIgnoringCase(made->useLabel(), useLabel)) return made.get();
  }
  return nullptr;
}

std::string Window::property(int number, int index) const {
  if (auto placed = rectProperty(rect, number)) return *placed;
  switch (number) {
    case PROP::Text:
      return title;
    case PROP::Hide:
      return flagText(!visible);
    case PROP::Disable:
      return flagText(!enabled);
    case PROP::Maximize:
      return flagText(show == WindowShow::Maximized);
    case PROP::Iconize:
      return flagText(show == WindowShow::Iconized);
    case PROP::Resize:
      return flagText(resizable);
    case PROP::Icon:
      return icon.empty() ? systemProperty(PROP::Icon) : icon;
    default:
      return properties_.get(number, index);
  }
}

void Window::setProperty(int number, std::string value, int index) {
  if (setRectProperty(rect, number, value)) return;
  switch (number) {
    case PROP::Text:
      title = std::move(value);
      return;
    case PROP::Hide:
      visible = !flagValue(value);
      return;
    case PROP::Disable:
      enabled = !flagValue(value);
      return;
    case PROP::Maximize:
    case PROP::Iconize:
      // Through the window command, so the procedure sees the same events
      // as when the user maximises, iconises or restores the window.
      if (flagValue(value)) {
        systemCommand(*this, number == PROP::Maximize ? SC_MAXIMIZE : SC_MINIMIZE, nullptr);
      } else {
        systemCommand(*this, SC_RESTORE, nullptr);
      }
      return;
    case PROP::Resize:
      resizable = flagValue(value);
      return;
    case PROP::Icon:
      icon = std::move(value);
      return;
    default:
      properties_.set(number, std::move(value), index);
      if (number == PROP::Timer && index == 0) applyTimer();
      if (number == PROP::Cursor && isOpen()) {
        if (FrontEnd* front = frontEnd()) front->cursorChanged();
      }
  }
}

// The timer property replaces any running window timer; 0 ends it. The
// interval is in hundredths of a second.
void Window::applyTimer() {
  if (!isOpen()) return;
  int64_t hundredths = properties_.getNumber(PROP::Timer);
  if (hundredths > 0) {
    setTimer(handle_, kWindowTimerId,
             static_cast<uint32_t>(std::min<int64_t>(hundredths, 0x7FFFFFF)) * 10);
  } else {
    killTimer(handle_, kWindowTimerId);
  }
}

void Window::setLoopTimer(uint32_t intervalMs) {
  if (!isOpen()) return;
  if (intervalMs > 0) {
    setTimer(handle_, kLoopTimerId, intervalMs);
  } else {
    killTimer(handle_, kLoopTimerId);
  }
}

bool Window::runIdle() {
  FrontEnd* front = frontEnd();
  if (!front && !idleWork) return false;
  if (front) front->idle(*this);
  if (idleWork && isOpen()) idleWork();
  return true;
}

}  // namespace zor::ui
