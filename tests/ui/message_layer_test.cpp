#include "ui/message_layer.h"

#include <gtest/gtest.h>

#include <time.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/threads.h"

namespace zor::ui {
namespace {

// Messages dispatched to a window, in order.
struct Recorder {
  std::vector<uint32_t> seen;
  WindowHandle create() {
    return createWindow([this](const Message& m) {
      seen.push_back(m.message);
      return static_cast<intptr_t>(m.wParam + 1);
    });
  }
};

TEST(MessageLayer, PostedMessagesArriveInOrderAndPeekFilters) {
  Recorder a, b;
  WindowHandle wa = a.create();
  WindowHandle wb = b.create();
  ASSERT_TRUE(postMessage(wa, 0x400));
  ASSERT_TRUE(postMessage(wb, 0x401));
  ASSERT_TRUE(postMessage(wa, 0x402));
  Message m;
  ASSERT_TRUE(peekMessage(m, wb, 0, kAnyMessageLast, false));
  EXPECT_EQ(m.message, 0x401u);
  EXPECT_FALSE(peekMessage(m, wa, 0x500, 0x600, false));
  ASSERT_TRUE(peekMessage(m, wa, 0x402, 0x402, true));
  for (uint32_t expected : {0x400u, 0x401u}) {
    ASSERT_TRUE(getMessage(m));
    EXPECT_EQ(m.message, expected);
    dispatchMessage(m);
  }
  EXPECT_FALSE(peekMessage(m, 0, 0, kAnyMessageLast, false));
  EXPECT_EQ(a.seen, std::vector<uint32_t>{0x400});
  EXPECT_EQ(b.seen, std::vector<uint32_t>{0x401});
  EXPECT_TRUE(destroyWindow(wa));
  EXPECT_TRUE(destroyWindow(wb));
}

TEST(MessageLayer, DestroyedWindowsRefuseMessagesAndRememberTheirThread) {
  Recorder r;
  WindowHandle w = r.create();
  postMessage(w, 0x400);
  ASSERT_TRUE(destroyWindow(w));
  EXPECT_FALSE(isWindow(w));
  EXPECT_FALSE(postMessage(w, 0x401));
  EXPECT_EQ(sendMessage(w, 0x401), 0);
  EXPECT_EQ(windowThread(w), platform::threadNumber());
  Message m;
  EXPECT_FALSE(peekMessage(m, 0, 0, kAnyMessageLast, false)) << "its pending messages went too";
}

TEST(MessageLayer, WakeUpIsPostedOncePerWindow) {
  Recorder r;
  WindowHandle w = r.create();
  EXPECT_TRUE(wakeWindow(w));
  EXPECT_TRUE(wakeWindow(w));
  Message m;
  ASSERT_TRUE(peekMessage(m, w, 0, kAnyMessageLast, true));
  EXPECT_EQ(m.message, WM_NULL);
  EXPECT_FALSE(peekMessage(m, w, 0, kAnyMessageLast, true));
  destroyWindow(w);
}

TEST(MessageLayer, BlockingGetWakesForAnotherThreadsPost) {
  Recorder r;
  WindowHandle w = r.create();
  std::thread poster([w] { postMessage(w, 0x4AA, 7); });
  Message m;
  ASSERT_TRUE(getMessage(m));
  EXPECT_EQ(m.message, 0x4AAu);
  EXPECT_EQ(m.wParam, 7u);
  poster.join();
  destroyWindow(w);
}

TEST(MessageLayer, SendRunsTheProcedureOnItsOwnThread) {
  Recorder r;
  WindowHandle w = r.create();
  EXPECT_EQ(sendMessage(w, 0x400, 41), 42) << "same thread: a direct call";
  std::atomic<intptr_t> answer{0};
  std::thread sender([&] {
    answer = sendMessage(w, 0x401, 9);
    postMessage(w, 0x4FF);
  });
  // The sender waits until this thread answers the call inside getMessage.
  Message m;
  do {
    ASSERT_TRUE(getMessage(m));
  } while (m.message != 0x4FF);
  sender.join();
  EXPECT_EQ(answer, 10);
  EXPECT_EQ(r.seen, (std::vector<uint32_t>{0x400, 0x401}));
  destroyWindow(w);
}

TEST(MessageLayer, SendToAThreadThatEndsWithoutAnsweringReturnsZero) {
  std::atomic<WindowHandle> w{0};
  std::thread owner([&] {
    w = createWindow([](const Message&) { return intptr_t{5}; });
    std::this_thread::sleep_for(std::chrono::milliseconds(3));  // never pumps messages
  });
  while (w == 0) std::this_thread::yield();
  EXPECT_EQ(sendMessage(w, 0x400), 0);
  owner.join();
}

// Waiting for a message blocks on the queue instead of polling it.
TEST(MessageLayer, AnIdleWaitUsesNoProcessorTime) {
  Recorder r;
  WindowHandle w = r.create();
  setTimer(w, 1, 40);
  timespec before{}, after{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &before);
  Message m;
  ASSERT_TRUE(getMessage(m));
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &after);
  EXPECT_EQ(m.message, WM_TIMER);
  double cpuMs = (after.tv_sec - before.tv_sec) * 1e3 + (after.tv_nsec - before.tv_nsec) / 1e6;
  EXPECT_LT(cpuMs, 20.0);
  destroyWindow(w);
}

TEST(MessageLayer, QuitEndsGetAfterPendingMessages) {
  Recorder r;
  WindowHandle w = r.create();
  postMessage(w, 0x400);
  postQuitMessage(3);
  Message m;
  EXPECT_TRUE(getMessage(m));
  EXPECT_FALSE(getMessage(m));
  EXPECT_EQ(m.message, WM_QUIT);
  EXPECT_EQ(m.wParam, 3u);
  destroyWindow(w);
}

TEST(MessageLayer, TimersTickWithoutBacklogAndCanBeReplacedOrKilled) {
  Recorder r;
  WindowHandle w = r.create();
  ASSERT_TRUE(setTimer(w, 1, 2));
  Message m;
  ASSERT_TRUE(getMessage(m));
  EXPECT_EQ(m.message, WM_TIMER);
  EXPECT_EQ(m.wParam, 1u);
  EXPECT_EQ(m.window, w);
  std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(peekMessage(m, w, WM_TIMER, WM_TIMER, true)) << "an overdue timer ticks once";
  EXPECT_FALSE(peekMessage(m, w, WM_TIMER, WM_TIMER, true));
  ASSERT_TRUE(setTimer(w, 1, 60000));
  EXPECT_FALSE(peekMessage(m, w, WM_TIMER, WM_TIMER, true));
  EXPECT_TRUE(killTimer(w, 1));
  EXPECT_FALSE(killTimer(w, 1));
  destroyWindow(w);
}

TEST(MessageLayer, AThreadsWindowsAndQueueEndWithTheThread) {
  WindowHandle w = 0;
  int thread = 0;
  std::thread owner([&] {
    w = createWindow([](const Message&) { return intptr_t{1}; });
    thread = platform::threadNumber();
  });
  owner.join();
  EXPECT_FALSE(isWindow(w));
  EXPECT_FALSE(postMessage(w, 0x400));
  EXPECT_FALSE(postThreadMessage(thread, 0x400));
  EXPECT_EQ(sendMessage(w, 0x400), 0);
  EXPECT_EQ(windowThread(w), 0);
}

TEST(MessageLayer, ThreadMessagesCarryTheirPayloadAndFreeItWhenUndelivered) {
  auto payload = std::make_shared<int>(5);
  std::weak_ptr<int> watch = payload;
  std::atomic<int> thread{0};
  std::atomic<bool> posted{false};
  std::thread owner([&] {
    Recorder r;
    r.create();  // gives the thread its queue
    thread = platform::threadNumber();
    while (!posted) std::this_thread::yield();
  });
  while (thread == 0) std::this_thread::yield();
  EXPECT_TRUE(postThreadMessage(thread, 0x400, 0, 0, payload));
  payload.reset();
  posted = true;
  owner.join();
  EXPECT_TRUE(watch.expired()) << "the ended thread's queue released it";
}

TEST(MessageLayer, EndSessionAsksTopLevelWindowsInZOrder) {
  std::vector<WindowHandle> asked;
  auto procedure = [&asked](WindowHandle* self, intptr_t agree) {
    return [&asked, self, agree](const Message& m) -> intptr_t {
      if (m.message == WM_QUERYENDSESSION) asked.push_back(*self);
      return agree;
    };
  };
  WindowHandle first = 0, second = 0;
  first = createWindow(procedure(&first, 1));
  second = createWindow(procedure(&second, 1));
  EXPECT_TRUE(requestEndSession());
  EXPECT_EQ(asked, (std::vector<WindowHandle>{second, first}));
  bringWindowToTop(first);
  EXPECT_EQ(topLevelWindows().front(), first);
  destroyWindow(first);
  destroyWindow(second);
}

// A toolkit's loop stands in: its wait sleeps on a flag of its own that
// `wake` sets, and it notes each wait's limit.
TEST(MessageLayer, AForeignLoopWaitsInPlaceOfTheQueueAndPostsAndTimersEndIt) {
  struct Loop {
    std::mutex mutex;
    std::condition_variable changed;
    bool woken = false;
    std::vector<int> limits;
  };
  auto loop = std::make_shared<Loop>();
  ForeignEventLoop previous = setForeignEventLoop(
      {[loop](int timeoutMs) {
         std::unique_lock lock(loop->mutex);
         loop->limits.push_back(timeoutMs);
         auto woken = [&] { return loop->woken; };
         if (timeoutMs < 0) {
           loop->changed.wait(lock, woken);
         } else {
           loop->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), woken);
         }
         loop->woken = false;
       },
       [loop] {
         std::lock_guard lock(loop->mutex);
         loop->woken = true;
         loop->changed.notify_all();
       }});
  Recorder r;
  WindowHandle w = r.create();
  std::thread poster([w] {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    postMessage(w, 0x400);
  });
  Message m;
  ASSERT_TRUE(getMessage(m));
  poster.join();
  EXPECT_EQ(m.message, 0x400u);
  {
    std::lock_guard lock(loop->mutex);
    ASSERT_FALSE(loop->limits.empty()) << "the thread waited in the foreign loop";
    EXPECT_EQ(loop->limits.front(), -1) << "without timers the wait has no limit";
    loop->limits.clear();
  }
  ASSERT_TRUE(setTimer(w, 3, 40));
  ASSERT_TRUE(getMessage(m));
  EXPECT_EQ(m.message, WM_TIMER);
  {
    std::lock_guard lock(loop->mutex);
    ASSERT_FALSE(loop->limits.empty());
    EXPECT_GE(loop->limits.back(), 0);
    EXPECT_LE(loop->limits.back(), 40) << "the wait ends when the timer is due";
  }
  destroyWindow(w);
  setForeignEventLoop(std::move(previous));
}

}  // namespace
}  // namespace zor::ui
