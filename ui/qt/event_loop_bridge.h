#pragma once
// Lets the accept loop wait in Qt's event loop: while the thread has no
// message, Qt handles its events (painting, the window manager, input, which
// becomes messages), and any message posted to the thread, from whichever
// thread, wakes Qt's loop so the accept loop takes it at once. Without
// events and messages the thread sleeps in Qt's wait: idle uses no CPU.
//
// Installed on the thread that runs Qt, for its lifetime.

#include <functional>

#include "ui/message_layer.h"

class QAbstractEventDispatcher;

namespace zor::ui::qt {

class EventLoopBridge {
 public:
  // `beforeWait` runs each time the thread is about to wait.
  explicit EventLoopBridge(std::function<void()> beforeWait = {});
  ~EventLoopBridge();
  EventLoopBridge(const EventLoopBridge&) = delete;
  EventLoopBridge& operator=(const EventLoopBridge&) = delete;

 private:
  void wait(int timeoutMs);

  std::function<void()> beforeWait_;
  QAbstractEventDispatcher* dispatcher_ = nullptr;
  ForeignEventLoop previous_;
};

}  // namespace zor::ui::qt
