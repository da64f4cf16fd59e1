#include "ui/window.h"

#include <algorithm>

#include "platform/ascii_case.h"
#include "platform/threads.h"
#include "ui/front_end.h"
#include "ui/message_layer.h"

namespace zor::ui {

Window::Window(std::string windowTitle) : title(std::move(windowTitle)) {}

Window::~Window() {
  if (isOpen() && thread_ == platform::threadNumber()) close();
}

Control& Window::add(std::unique_ptr<Control> control) {
  control->setField(static_cast<int>(controls_.size()) + 1);
  controls_.push_back(std::move(control));
  Control& added = *controls_.back();
  if (Control* parent = this->control(added.parent)) parent->childAdded(added);
  return added;
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
      showCommand(number, flagValue(value));
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
