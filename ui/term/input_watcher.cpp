#include "ui/term/input_watcher.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "ui/message_layer.h"

namespace zor::ui::term {

InputWatcher::InputWatcher() {
  if (pipe(pipe_) == 0) {
    for (int fd : pipe_) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    for (int fd : pipe_) fcntl(fd, F_SETFD, FD_CLOEXEC);
  }
  thread_ = std::thread([this] { run(); });
}

InputWatcher::~InputWatcher() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  armed_.notify_all();
  char byte = 0;
  if (pipe_[1] >= 0) (void)!write(pipe_[1], &byte, 1);
  thread_.join();
  for (int fd : pipe_) {
    if (fd >= 0) close(fd);
  }
}

void InputWatcher::arm(WindowHandle window) {
  {
    std::lock_guard lock(mutex_);
    target_ = window;
  }
  armed_.notify_all();
}

bool InputWatcher::inputGone() const {
  std::lock_guard lock(mutex_);
  return inputGone_;
}

void InputWatcher::run() {
  for (;;) {
    WindowHandle target = 0;
    {
      std::unique_lock lock(mutex_);
      armed_.wait(lock, [this] { return stopping_ || (target_ != 0 && !inputGone_); });
      if (stopping_) return;
      target = target_;
    }
    pollfd watched[2] = {{STDIN_FILENO, POLLIN, 0}, {pipe_[0], POLLIN, 0}};
    int ready = poll(watched, pipe_[0] >= 0 ? 2 : 1, -1);
    if (ready < 0) continue;  // a signal interrupted the wait
    if (watched[1].revents & POLLIN) {
      char bytes[64];
      while (read(pipe_[0], bytes, sizeof bytes) > 0) {
      }
    }
    std::lock_guard lock(mutex_);
    if (stopping_) return;
    // A hung-up terminal reports POLLHUP (with POLLIN for the end of file).
    if (watched[0].revents & (POLLHUP | POLLERR | POLLNVAL)) inputGone_ = true;
    if (target_ == target) target_ = 0;
    wakeWindow(target);
  }
}

}  // namespace zor::ui::term
