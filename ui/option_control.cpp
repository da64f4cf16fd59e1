#include "ui/option_control.h"

#include "ui/base/event_numbers.h"
#include "ui/button_control.h"
#include "ui/event_engine.h"
#include "ui/window.h"
#include "ui/window_input.h"

namespace zor::ui {

ButtonControl* OptionControl::chosen() const {
  for (ButtonControl* radio : radios_) {
    if (valueOf(*radio) == contents) return radio;
  }
  return nullptr;
}

std::string OptionControl::valueOf(const ButtonControl& radio) const {
  if (!radio.value.empty()) return radio.value;
  for (size_t i = 0; i < radios_.size(); ++i) {
    if (radios_[i] == &radio) return std::to_string(i + 1);
  }
  return {};
}

void OptionControl::choose(Window& window, ButtonControl& radio) {
  std::string chosenValue = valueOf(radio);
  if (chosenValue == contents) return;
  contents = chosenValue;
  writeVariable(contents);
  post(window, EVENT::Accepted, field());
}

ButtonControl* OptionControl::neighbour(const Window& window, const ButtonControl& from,
                                        int delta) const {
  int count = static_cast<int>(radios_.size());
  int at = 0;
  while (at < count && radios_[at] != &from) ++at;
  if (at == count) return nullptr;
  for (int step = 1; step < count; ++step) {
    ButtonControl* candidate = radios_[((at + step * delta) % count + count) % count];
    if (isShowing(window, *candidate) && isUsable(window, *candidate)) return candidate;
  }
  return nullptr;
}

void OptionControl::childAdded(Control& child) {
  if (auto* radio = dynamic_cast<ButtonControl*>(&child);
      radio && child.kind() == ControlKind::Radio) {
    radio->group = this;
    radios_.push_back(radio);
  }
}

std::string OptionControl::property(int number, int index) const {
  if (number == PROP::Selected) {
    for (size_t i = 0; i < radios_.size(); ++i) {
      if (radios_[i] == chosen()) return std::to_string(i + 1);
    }
    return "0";
  }
  return Control::property(number, index);
}

void OptionControl::setProperty(int number, std::string value, int index) {
  if (number == PROP::Selected) {
    auto at = numberValue(value);
    if (at >= 1 && at <= static_cast<int64_t>(radios_.size())) {
      contents = valueOf(*radios_[static_cast<size_t>(at - 1)]);
    }
    return;
  }
  Control::setProperty(number, std::move(value), index);
}

}  // namespace zor::ui
