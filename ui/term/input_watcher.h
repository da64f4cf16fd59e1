#pragma once
// Wakes a window's accept loop when the terminal has input. The loop waits
// in the message layer, not on the terminal, so a thread of its own watches
// stdin (and the wake pipe that signal handlers write to) and posts a
// wake-up to the waiting window; the front end then reads the input on the
// window's thread. One wake-up per arm(): the watcher stays quiet until the
// front end has read what there was and arms it again.

#include <condition_variable>
#include <mutex>
#include <thread>

#include "ui/messages.h"

namespace zor::ui::term {

class InputWatcher {
 public:
  InputWatcher();
  ~InputWatcher();
  InputWatcher(const InputWatcher&) = delete;
  InputWatcher& operator=(const InputWatcher&) = delete;

  // The pipe end that signal handlers write a byte to.
  int wakeFd() const { return pipe_[1]; }
  // Watches until input comes, then wakes the window.
  void arm(WindowHandle window);
  // Whether stdin was found closed or hung up.
  bool inputGone() const;

 private:
  void run();

  int pipe_[2] = {-1, -1};
  mutable std::mutex mutex_;
  std::condition_variable armed_;
  WindowHandle target_ = 0;
  bool stopping_ = false;
  bool inputGone_ = false;
  std::thread thread_;
};

}  // namespace zor::ui::term
