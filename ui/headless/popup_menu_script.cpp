#include "ui/headless/popup_menu_script.h"

namespace zor::ui::headless {

void PopupMenuScript::choose(int position) {
  std::lock_guard lock(mutex_);
  choices_.push_back(position);
}

int PopupMenuScript::show(std::string_view menu) {
  std::lock_guard lock(mutex_);
  shown_.emplace_back(menu);
  if (choices_.empty()) return 0;
  int chosen = choices_.front();
  choices_.pop_front();
  return chosen;
}

std::vector<std::string> PopupMenuScript::shown() const {
  std::lock_guard lock(mutex_);
  return shown_;
}

size_t PopupMenuScript::pending() const {
  std::lock_guard lock(mutex_);
  return choices_.size();
}

}  // namespace zor::ui::headless
