#pragma once
// OPTION: a group of radios sharing one variable, which holds the value of
// the chosen radio (its own value, or its position in the group from 1).

#include <vector>

#include "ui/control.h"
#include "ui/radio_group.h"

namespace zor::ui {

class ButtonControl;

class OptionControl : public Control, public RadioGroup {
 public:
  using Control::Control;

  const std::vector<ButtonControl*>& radios() const override { return radios_; }
  // The chosen radio, null when none.
  ButtonControl* chosen() const override;
  // The value a radio stands for.
  std::string valueOf(const ButtonControl& radio) const;
  // Chooses the radio as the user does: the variable takes its value and the
  // group gets Accepted. Nothing happens when it is chosen already.
  void choose(Window& window, ButtonControl& radio) override;
  // The radio `delta` places after the chosen one that is shown and enabled.
  ButtonControl* neighbour(const Window& window, const ButtonControl& from,
                           int delta) const override;

  void childAdded(Control& child) override;
  std::string property(int number, int index = 0) const override;
  void setProperty(int number, std::string value, int index = 0) override;

 private:
  std::vector<ButtonControl*> radios_;
};

}  // namespace zor::ui
