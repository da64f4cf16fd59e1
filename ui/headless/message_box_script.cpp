#include "ui/headless/message_box_script.h"

namespace zor::ui::headless {

MessageBoxScript::MessageBoxScript()
    : previous_(platform::setMessageBoxHook(
          [this](const std::string& text, const std::string& caption, unsigned flags) {
            return show(text, caption, flags);
          })) {}

MessageBoxScript::~MessageBoxScript() {
  platform::setMessageBoxHook(previous_);
}

void MessageBoxScript::answer(int answer) {
  std::lock_guard lock(mutex_);
  answers_.push_back(answer);
}

std::vector<ShownMessageBox> MessageBoxScript::shown() const {
  std::lock_guard lock(mutex_);
  return shown_;
}

size_t MessageBoxScript::pending() const {
  std::lock_guard lock(mutex_);
  return answers_.size();
}

int MessageBoxScript::show(const std::string& text, const std::string& caption, unsigned flags) {
  std::lock_guard lock(mutex_);
  int answer = platform::defaultMessageBoxAnswer(flags);
  if (!answers_.empty()) {
    answer = answers_.front();
    answers_.pop_front();
  }
  shown_.push_back({text, caption, flags, answer});
  return answer;
}

}  // namespace zor::ui::headless
