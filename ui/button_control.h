#pragma once
// The button class: BUTTON, CHECK and RADIO. A button is pressed by a click,
// by Space or Enter while it has the focus, by its hot key with Alt, or (the
// default button) by Enter anywhere in the window; it raises Accepted. A
// check box toggles its variable between "1" and "0" and raises Accepted. A
// radio chooses its value for the option group around it, which raises
// Accepted; the arrow keys move the choice through the group, and the group
// is one stop of the Tab order (its chosen radio).

#include <string>

#include "ui/control.h"
#include "ui/radio_group.h"

namespace zor::ui {

// What the button class reports for a kind: "CHECK", "RADIO" or "BUTTON".
std::string buttonClassKeyword(uint8_t kind);

class ButtonControl : public Control {
 public:
  using Control::Control;

  std::string keyword() const override;
  // Check box ticked, or radio chosen.
  bool checked() const;
  // The value a radio gives its group, and a check box its variable when
  // ticked ("1" unless set).
  std::string value;
  // The option group of a radio, set when the radio is added to it.
  RadioGroup* group = nullptr;

  bool takesFocus() const override;
  bool key(Window& window, uint32_t code, char character) override;
  void mouse(Window& window, MouseAction action, Cell cell, int wheel) override;
  void activate(Window& window) override;
  std::string property(int number, int index = 0) const override;
  void setProperty(int number, std::string value, int index = 0) override;
};

}  // namespace zor::ui
