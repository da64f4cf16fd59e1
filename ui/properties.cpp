#include "ui/properties.h"

#include <charconv>

namespace zor::ui {

std::string PropertyBag::get(int number, int index) const {
  auto found = values_.find({number, index});
  return found == values_.end() ? std::string() : found->second;
}

// Leading blanks are skipped and the number ends at the first non-digit, so
// "  25" and "25 " read as 25; text that does not start with a number is 0.
int64_t PropertyBag::getNumber(int number, int index) const {
  std::string text = get(number, index);
  size_t start = text.find_first_not_of(' ');
  if (start == std::string::npos) return 0;
  if (text[start] == '+') ++start;
  int64_t value = 0;
  std::from_chars(text.data() + start, text.data() + text.size(), value);
  return value;
}

void PropertyBag::set(int number, std::string value, int index) {
  values_[{number, index}] = std::move(value);
}

bool PropertyBag::contains(int number, int index) const {
  return values_.contains({number, index});
}

}  // namespace zor::ui
