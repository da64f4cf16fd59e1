#include "ui/window.h"

#include <algorithm>

#include "platform/threads.h"
#include "runtime/fatal_error.h"
#include "ui/event_engine.h"
#include "ui/event_numbers.h"
#include "ui/message_layer.h"
#include "ui/thread_state.h"

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
  post(*this, EVENT::OpenWindow);
}

void Window::close() {
  if (!isOpen()) fatalRuntimeError(536, title);
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
  return windowProcedure(*this, message);
}

Control& Window::add(std::unique_ptr<Control> control) {
  control->setField(static_cast<int>(controls_.size()) + 1);
  controls_.push_back(std::move(control));
  return *controls_.back();
}

Control& Window::addControl(uint8_t kind, std::string useLabel) {
  return add(std::make_unique<Control>(kind, std::move(useLabel)));
}

Control* Window::control(int field) const {
  if (field < 1 || static_cast<size_t>(field) > controls_.size()) return nullptr;
  return controls_[static_cast<size_t>(field) - 1].get();
}

std::string Window::property(int number, int index) const {
  return properties_.get(number, index);
}

void Window::setProperty(int number, std::string value, int index) {
  properties_.set(number, std::move(value), index);
  if (number == PROP::Timer && index == 0) applyTimer();
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

}  // namespace zor::ui
