#include "ui/qt/event_loop_bridge.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>
#include <QTimer>

namespace zor::ui::qt {

EventLoopBridge::EventLoopBridge(std::function<void()> beforeWait)
    : beforeWait_(std::move(beforeWait)),
      dispatcher_(QAbstractEventDispatcher::instance(QThread::currentThread())) {
  QAbstractEventDispatcher* dispatcher = dispatcher_;
  previous_ = setForeignEventLoop({[this](int timeoutMs) { wait(timeoutMs); },
                                   // Qt's wake-up is kept until the next wait when it comes early.
                                   [dispatcher] {
                                     if (dispatcher) dispatcher->wakeUp();
                                   }});
}

EventLoopBridge::~EventLoopBridge() {
  setForeignEventLoop(std::move(previous_));
}

void EventLoopBridge::wait(int timeoutMs) {
  if (beforeWait_) beforeWait_();
  // The timer's expiry is an event of its own, which ends the wait.
  QTimer timeout;
  if (timeoutMs >= 0) {
    timeout.setSingleShot(true);
    timeout.setTimerType(Qt::PreciseTimer);
    timeout.start(timeoutMs);
  }
  QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents);
  // Qt leaves objects to delete for its loop to delete between events; no
  // loop of Qt's runs here, and nothing of Qt's is on the stack now.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace zor::ui::qt
