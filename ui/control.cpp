#include "ui/control.h"

namespace zor::ui {

void Control::display() {
  if (binding_.read) contents = binding_.read();
}

void Control::update() {
  if (binding_.write) binding_.write(contents);
}

std::string Control::property(int number, int index) const {
  return properties_.get(number, index);
}

void Control::setProperty(int number, std::string value, int index) {
  properties_.set(number, std::move(value), index);
}

}  // namespace zor::ui
