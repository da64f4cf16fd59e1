#include "platform/threads.h"

#include <gtest/gtest.h>

#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/sync.h"

namespace zor::platform {
namespace {

// Records hook calls as "start:<hook>" / "end:<hook>" with the thread number.
class HookLog {
 public:
  ThreadHook hook(const std::string& event) {
    return [this, event](int number) {
      std::lock_guard guard(mutex_);
      entries_.push_back(event + "@" + std::to_string(number));
    };
  }
  std::vector<std::string> entries() {
    std::lock_guard guard(mutex_);
    return entries_;
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> entries_;
};

TEST(Threads, NumbersAreStablePerThreadAndDistinctAcrossThreads) {
  const int mine = threadNumber();
  EXPECT_GE(mine, 1);
  EXPECT_EQ(threadNumber(), mine);
  std::mutex mutex;
  std::set<int> seen{mine};
  std::vector<std::thread> threads;
  for (int i = 0; i < 4; ++i) {
    threads.push_back(startThread([&] {
      const int number = threadNumber();
      EXPECT_EQ(threadNumber(), number);
      std::lock_guard guard(mutex);
      EXPECT_TRUE(seen.insert(number).second);
    }));
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(seen.size(), 5u);
}

TEST(Threads, HooksWrapEveryStartedThreadInOrder) {
  HookLog log;
  const int first = addThreadHooks(log.hook("start1"), log.hook("end1"));
  const int second = addThreadHooks(log.hook("start2"), log.hook("end2"));
  int number = 0;
  startThread([&] {
    number = threadNumber();
    log.hook("body")(number);
  }).join();
  removeThreadHooks(first);
  removeThreadHooks(second);
  const std::string n = "@" + std::to_string(number);
  EXPECT_EQ(log.entries(), (std::vector<std::string>{"start1" + n, "start2" + n, "body" + n,
                                                     "end2" + n, "end1" + n}));
  startThread([] {}).join();  // removed hooks run no more
  EXPECT_EQ(log.entries().size(), 5u);
}

TEST(Threads, OnlyHooksThatStartedOnAThreadEndOnIt) {
  HookLog log;
  const int early = addThreadHooks(log.hook("start-early"), log.hook("end-early"));
  runThreadStartHooks();
  runThreadStartHooks();  // a second call does not start the same hooks again
  const int late = addThreadHooks(nullptr, log.hook("end-late"));
  runThreadEndHooks();
  removeThreadHooks(early);
  removeThreadHooks(late);
  const std::string n = "@" + std::to_string(threadNumber());
  EXPECT_EQ(log.entries(), (std::vector<std::string>{"start-early" + n, "end-early" + n}));
}

TEST(Sync, CriticalSectionIsRecursiveAndExcludesOtherThreads) {
  CriticalSection section;
  section.enter();
  ASSERT_TRUE(section.tryEnter());
  bool otherGotIt = true;
  std::thread([&] { otherGotIt = section.tryEnter(); }).join();
  EXPECT_FALSE(otherGotIt);
  section.leave();
  section.leave();
  std::thread([&] {
    otherGotIt = section.tryEnter();
    if (otherGotIt) section.leave();
  }).join();
  EXPECT_TRUE(otherGotIt);
}

TEST(Sync, SpinLockSerialisesThreads) {
  SpinLock lock;
  int counter = 0;
  auto work = [&] {
    for (int i = 0; i < 200; ++i) {
      std::lock_guard guard(lock);
      ++counter;
    }
  };
  std::thread a(work), b(work);
  a.join();
  b.join();
  EXPECT_EQ(counter, 400);
  ASSERT_TRUE(lock.tryLock());
  EXPECT_FALSE(lock.tryLock());
  lock.unlock();
}

}  // namespace
}  // namespace zor::platform
