#pragma once
// Scripted answers for message boxes: while the script lives it answers
// every box from its queue of answers (IDOK, IDYES ...), or with the box's
// default button once the queue is empty, and keeps what each box showed.

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "platform/message_box.h"

namespace zor::ui::headless {

struct ShownMessageBox {
  std::string text;
  std::string caption;
  unsigned flags = 0;
  int answer = 0;
};

class MessageBoxScript {
 public:
  MessageBoxScript();
  ~MessageBoxScript();
  MessageBoxScript(const MessageBoxScript&) = delete;
  MessageBoxScript& operator=(const MessageBoxScript&) = delete;

  // The answer to the next box not yet answered.
  void answer(int answer);
  // Every box shown so far, oldest first.
  std::vector<ShownMessageBox> shown() const;
  // Answers still waiting for a box.
  size_t pending() const;

 private:
  int show(const std::string& text, const std::string& caption, unsigned flags);

  mutable std::mutex mutex_;
  std::deque<int> answers_;
  std::vector<ShownMessageBox> shown_;
  platform::MessageBoxHook previous_;
};

}  // namespace zor::ui::headless
