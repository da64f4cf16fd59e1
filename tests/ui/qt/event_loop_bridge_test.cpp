// The accept loop waits in Qt's loop: a message posted from another thread
// wakes it at once, Qt's events are handled meanwhile, and the wait itself
// uses no processor time.

#include "ui/qt/event_loop_bridge.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QTimer>
#include <chrono>
#include <thread>

#include "tests/ui/qt/desktop_test_support.h"

namespace zor::ui::qt {
namespace {

double threadCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

TEST(EventLoopBridge, PostsWakeTheWaitAndQtsEventsRunWhileItWaits) {
  test::desktopApplication();
  EventLoopBridge bridge;
  WindowHandle window = createWindow([](const Message&) { return intptr_t{0}; });
  bool qtEventRan = false;
  QTimer::singleShot(20, [&] { qtEventRan = true; });
  std::thread poster([window] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    postMessage(window, 0x400);
  });
  double cpuBefore = threadCpuSeconds();
  Message message;
  ASSERT_TRUE(getMessage(message));
  double cpuUsed = threadCpuSeconds() - cpuBefore;
  poster.join();
  EXPECT_EQ(message.message, 0x400u);
  EXPECT_TRUE(qtEventRan);
  EXPECT_LT(cpuUsed, 0.15) << "waiting 300 ms took " << cpuUsed << " s of processor time";

  // A timer of the message layer ends the wait when it is due.
  setTimer(window, 9, 30);
  ASSERT_TRUE(getMessage(message));
  EXPECT_EQ(message.message, WM_TIMER);
  EXPECT_EQ(message.wParam, 9u);
  destroyWindow(window);
}

}  // namespace
}  // namespace zor::ui::qt
