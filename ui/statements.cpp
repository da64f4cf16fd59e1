#include "ui/statements.h"

#include <vector>

#include "platform/message_box.h"
#include "platform/threads.h"
#include "runtime/fatal_error.h"
#include "ui/base/event_numbers.h"
#include "ui/event_engine.h"
#include "ui/front_end.h"
#include "ui/message_box_answers.h"
#include "ui/properties.h"
#include "ui/thread_state.h"
#include "ui/window.h"

namespace zor::ui {
namespace {

// The active window for statements that need one: runtime error 536.
Window& requireWindow() {
  Window* window = activeWindow();
  if (!window) fatalRuntimeError(536, {});
  return *window;
}

template <typename Action>
void forControls(int first, int last, Action action) {
  Window& window = requireWindow();
  if (first == 0) {
    for (const auto& control : window.controls()) action(*control);
    return;
  }
  if (last == 0) last = first;
  for (int field = first; field <= last; ++field) {
    if (Control* control = window.control(field)) action(*control);
  }
}

struct ButtonSet {
  unsigned flags;
  std::vector<unsigned> buttons;  // in the order the box shows them
};

// The standard box offers fixed sets; a request maps onto the set that holds
// the buttons asked for.
ButtonSet buttonSetFor(unsigned buttons) {
  using namespace platform;
  if (buttons & (BUTTON::Abort | BUTTON::Ignore)) {
    return {MB_ABORTRETRYIGNORE, {BUTTON::Abort, BUTTON::Retry, BUTTON::Ignore}};
  }
  if ((buttons & BUTTON::Yes) || (buttons & BUTTON::No)) {
    if (buttons & BUTTON::Cancel) {
      return {MB_YESNOCANCEL, {BUTTON::Yes, BUTTON::No, BUTTON::Cancel}};
    }
    return {MB_YESNO, {BUTTON::Yes, BUTTON::No}};
  }
  if (buttons & BUTTON::Retry) return {MB_RETRYCANCEL, {BUTTON::Retry, BUTTON::Cancel}};
  if (buttons & BUTTON::Cancel) return {MB_OKCANCEL, {BUTTON::Ok, BUTTON::Cancel}};
  return {MB_OK, {BUTTON::Ok}};
}

unsigned iconFlags(unsigned icon) {
  switch (icon) {
    case ICON::Hand:
      return platform::MB_ICONHAND;
    case ICON::Question:
      return platform::MB_ICONQUESTION;
    case ICON::Exclamation:
      return platform::MB_ICONEXCLAMATION;
    case ICON::Asterisk:
      return platform::MB_ICONASTERISK;
    default:
      return 0;
  }
}

}  // namespace

bool accept() {
  Window* window = activeWindow();
  if (!window) fatalRuntimeError(537, {});
  return nextEvent(*window) > 0;
}

void cycle() {
  if (Window* window = activeWindow()) refuseEvent(*window);
}

uint32_t event() {
  Window* window = activeWindow();
  const Event* current = window ? currentEvent(*window) : nullptr;
  return current ? uncarried(current->number) : 0;
}

int field() {
  Window* window = activeWindow();
  const Event* current = window ? currentEvent(*window) : nullptr;
  return current ? current->field : 0;
}

int focus() {
  Window* window = activeWindow();
  return window ? window->focus : 0;
}

uint32_t keyCode() {
  Window* window = activeWindow();
  const Event* current = window ? currentEvent(*window) : nullptr;
  return current ? current->keyCode : 0;
}

bool post(uint32_t eventNumber, int control, int thread) {
  if (thread != 0 && thread != platform::threadNumber()) {
    WindowHandle target = activeWindowOf(thread);
    return target != 0 && postEvent(target, eventNumber, control);
  }
  Window* window = activeWindow();
  return window && post(*window, eventNumber, control);
}

void select(int control) {
  Window& window = requireWindow();
  Control* target = window.control(control);
  if (!target) return;
  if (Control* losing = window.control(window.focus); losing && losing != target) {
    losing->focusLost(window);
  }
  window.focus = control;
  target->focusGained(window);
  post(window, EVENT::Selected, control);
}

void display(int first, int last) {
  forControls(first, last, [](Control& control) { control.display(); });
}

void update(int first, int last) {
  forControls(first, last, [](Control& control) { control.update(); });
}

void enable(int first, int last) {
  forControls(first, last, [](Control& control) { control.enabled = true; });
}

void disable(int first, int last) {
  forControls(first, last, [](Control& control) { control.enabled = false; });
}

void hide(int first, int last) {
  forControls(first, last, [](Control& control) { control.hidden = true; });
}

void unhide(int first, int last) {
  forControls(first, last, [](Control& control) { control.hidden = false; });
}

std::string getProperty(int target, int number, int index) {
  if (target == SystemTarget) return systemProperty(number, index);
  Window& window = requireWindow();
  if (target == 0) return window.property(number, index);
  Control* control = window.control(target);
  return control ? control->property(number, index) : std::string();
}

void setProperty(int target, int number, const std::string& value, int index) {
  if (target == SystemTarget) {
    setSystemProperty(number, value, index);
    if (number == PROP::Cursor) {
      if (FrontEnd* shown = frontEnd()) shown->cursorChanged();
    }
    return;
  }
  Window& window = requireWindow();
  if (target == 0) {
    window.setProperty(number, value, index);
  } else if (Control* control = window.control(target)) {
    control->setProperty(number, value, index);
  }
}

unsigned message(const std::string& text, const std::string& caption, unsigned icon,
                 unsigned buttons, unsigned defaultButton, unsigned style) {
  std::string shown = text;
  for (char& c : shown) {
    if (c == '|') c = '\n';
  }
  ButtonSet set = buttonSetFor(buttons);
  unsigned flags = set.flags | iconFlags(icon);
  if (style & MSGMODE::SysModal) flags |= platform::MB_SYSTEMMODAL;
  for (size_t i = 0; i < set.buttons.size(); ++i) {
    if (set.buttons[i] == defaultButton)
      flags |= static_cast<unsigned>(i) * platform::MB_DEFBUTTON2;
  }
  return buttonOfAnswer(platform::messageBox(shown, caption, flags));
}

int popup(std::string_view menu) {
  FrontEnd* shown = frontEnd();
  return shown ? shown->popupMenu(menu, std::nullopt) : 0;
}

}  // namespace zor::ui
