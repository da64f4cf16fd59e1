#pragma once
// The option group around a radio, as the radio sees it: ui/option_control.h
// implements it, so a radio (ui/button_control.h) asks its group without
// including it.

#include <vector>

namespace zor::ui {

class ButtonControl;
class Window;

class RadioGroup {
 public:
  virtual ~RadioGroup() = default;
  virtual const std::vector<ButtonControl*>& radios() const = 0;
  // The chosen radio, null when none.
  virtual ButtonControl* chosen() const = 0;
  // Chooses the radio as the user does.
  virtual void choose(Window& window, ButtonControl& radio) = 0;
  // The radio `delta` places after `from` that is shown and enabled.
  virtual ButtonControl* neighbour(const Window& window, const ButtonControl& from,
                                   int delta) const = 0;
};

}  // namespace zor::ui
