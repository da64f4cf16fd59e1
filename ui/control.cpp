#include "ui/control.h"

#include "ui/definition/definition_kinds.h"
#include "ui/hot_key_text.h"

namespace zor::ui {

std::string Control::keyword() const {
  return kindName(kind_);
}

std::string Control::windowClass() const {
  const ControlKindInfo* info = kindByCode(kind_);
  return info ? std::string(info->windowClass) : std::string();
}

char Control::hotKey() const {
  return hotKeyOf(text);
}

std::string Control::shownCaption() const {
  return withoutHotKeyMarks(text);
}

void Control::display() {
  if (binding_.read) contents = binding_.read();
}

void Control::update() {
  if (binding_.write) binding_.write(contents);
}

void Control::writeVariable(const std::string& value) {
  if (binding_.write) binding_.write(value);
}

std::string Control::property(int number, int index) const {
  if (auto placed = rectProperty(rect, number)) return *placed;
  switch (number) {
    case PROP::Text:
      return text;
    case PROP::Hide:
      return flagText(hidden);
    case PROP::Disable:
      return flagText(!enabled);
    case PROP::ReadOnly:
      return flagText(readOnly);
    case PROP::Skip:
      return flagText(skip);
    case PROP::Default:
      return flagText(isDefault);
    case PROP::Tip:
      return tip;
    case PROP::Use:
      return variable;
    case PROP::Type:
      return std::to_string(kind_);
    case PROP::Keyword:
      return keyword();
    case PROP::ClassName:
      return windowClass();
    default:
      return properties_.get(number, index);
  }
}

void Control::setProperty(int number, std::string value, int index) {
  if (setRectProperty(rect, number, value)) return;
  switch (number) {
    case PROP::Text:
      text = std::move(value);
      return;
    case PROP::Hide:
      hidden = flagValue(value);
      return;
    case PROP::Disable:
      enabled = !flagValue(value);
      return;
    case PROP::ReadOnly:
      readOnly = flagValue(value);
      return;
    case PROP::Skip:
      skip = flagValue(value);
      return;
    case PROP::Default:
      isDefault = flagValue(value);
      return;
    case PROP::Tip:
      tip = std::move(value);
      return;
    case PROP::Use:
      variable = std::move(value);
      return;
    case PROP::Type:
    case PROP::Keyword:
    case PROP::ClassName:
      return;  // fixed when the control is made
    default:
      properties_.set(number, std::move(value), index);
  }
}

}  // namespace zor::ui
