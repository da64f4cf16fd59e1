#include "ui/properties.h"

#include <charconv>

namespace zor::ui {
namespace {

std::mutex systemMutex;

PropertyBag& systemBag() {
  static PropertyBag bag;
  return bag;
}

}  // namespace

std::string PropertyBag::get(int number, int index) const {
  auto found = values_.find({number, index});
  return found == values_.end() ? std::string() : found->second;
}

int64_t PropertyBag::getNumber(int number, int index) const {
  return numberValue(get(number, index));
}

void PropertyBag::set(int number, std::string value, int index) {
  values_[{number, index}] = std::move(value);
}

bool PropertyBag::contains(int number, int index) const {
  return values_.contains({number, index});
}

std::string flagText(bool value) {
  return value ? "1" : "";
}

bool flagValue(const std::string& text) {
  return !text.empty() && text != "0";
}

int64_t numberValue(const std::string& text) {
  size_t start = text.find_first_not_of(' ');
  if (start == std::string::npos) return 0;
  if (text[start] == '+') ++start;
  int64_t value = 0;
  std::from_chars(text.data() + start, text.data() + text.size(), value);
  return value;
}

namespace {

int* rectField(Rect& rect, int number) {
  switch (number) {
    case PROP::Xpos:
      return &rect.x;
    case PROP::Ypos:
      return &rect.y;
    case PROP::Width:
      return &rect.width;
    case PROP::Height:
      return &rect.height;
    default:
      return nullptr;
  }
}

}  // namespace

std::optional<std::string> rectProperty(const Rect& rect, int number) {
  Rect copy = rect;
  if (const int* field = rectField(copy, number)) return std::to_string(*field);
  return std::nullopt;
}

bool setRectProperty(Rect& rect, int number, const std::string& value) {
  int* field = rectField(rect, number);
  if (field) *field = static_cast<int>(numberValue(value));
  return field != nullptr;
}

std::string systemProperty(int number, int index) {
  std::lock_guard lock(systemMutex);
  return systemBag().get(number, index);
}

void setSystemProperty(int number, std::string value, int index) {
  std::lock_guard lock(systemMutex);
  systemBag().set(number, std::move(value), index);
}

}  // namespace zor::ui
