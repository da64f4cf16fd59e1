#include "ui/button_control.h"

#include "ui/base/event_numbers.h"
#include "ui/event_engine.h"
#include "ui/key_codes.h"
#include "ui/window.h"
#include "ui/window_input.h"

namespace zor::ui {

std::string buttonClassKeyword(uint8_t kind) {
  if (kind == ControlKind::Check) return "CHECK";
  if (kind == ControlKind::Radio) return "RADIO";
  return "BUTTON";
}

std::string ButtonControl::keyword() const {
  return buttonClassKeyword(kind());
}

bool ButtonControl::checked() const {
  if (kind() == ControlKind::Radio) return group ? group->chosen() == this : contents == "1";
  return kind() == ControlKind::Check && !contents.empty() && contents != "0";
}

bool ButtonControl::takesFocus() const {
  if (kind() != ControlKind::Radio || !group) return true;
  // The group is one stop: its chosen radio, or the first when none is.
  ButtonControl* chosen = group->chosen();
  if (chosen) return chosen == this;
  return !group->radios().empty() && group->radios().front() == this;
}

bool ButtonControl::key(Window& window, uint32_t code, char) {
  if (code == KEY::Space || (code == KEY::Enter && kind() == ControlKind::Button)) {
    activate(window);
    return true;
  }
  if (kind() == ControlKind::Radio && group && KEY::modifiers(code) == 0) {
    int delta = 0;
    if (code == KEY::Up || code == KEY::Left) delta = -1;
    if (code == KEY::Down || code == KEY::Right) delta = 1;
    if (delta == 0) return false;
    if (ButtonControl* next = group->neighbour(window, *this, delta)) {
      group->choose(window, *next);
      setFocus(window, next->field());
    }
    return true;
  }
  return false;
}

void ButtonControl::mouse(Window& window, MouseAction action, Cell, int) {
  if (action == MouseAction::Release) activate(window);
}

void ButtonControl::activate(Window& window) {
  switch (kind()) {
    case ControlKind::Check:
      contents = checked() ? "0" : (value.empty() ? "1" : value);
      writeVariable(contents);
      post(window, EVENT::Accepted, field());
      return;
    case ControlKind::Radio:
      if (group) {
        group->choose(window, *this);
      } else if (contents != "1") {
        contents = "1";
        writeVariable(contents);
        post(window, EVENT::Accepted, field());
      }
      return;
    default:
      post(window, EVENT::Accepted, field());
  }
}

std::string ButtonControl::property(int number, int index) const {
  if (number == PROP::Value) return value;
  return Control::property(number, index);
}

void ButtonControl::setProperty(int number, std::string newValue, int index) {
  if (number == PROP::Value) {
    value = std::move(newValue);
    return;
  }
  Control::setProperty(number, std::move(newValue), index);
}

}  // namespace zor::ui
