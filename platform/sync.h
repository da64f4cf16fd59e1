#pragma once
// Critical sections (recursive, as the runtime's locks are entered again by
// the thread that holds them) and the spin lock that guards the shared
// window-definition buffer: atomic exchange, 1 ms sleep between tries.

#include <atomic>
#include <mutex>

namespace zor::platform {

class CriticalSection {
 public:
  void enter() { mutex_.lock(); }
  bool tryEnter() { return mutex_.try_lock(); }
  void leave() { mutex_.unlock(); }
  // For std::lock_guard / std::unique_lock.
  void lock() { enter(); }
  void unlock() { leave(); }

 private:
  std::recursive_mutex mutex_;
};

class SpinLock {
 public:
  void lock();
  bool tryLock() { return !flag_.exchange(true, std::memory_order_acquire); }
  void unlock() { flag_.store(false, std::memory_order_release); }

 private:
  std::atomic<bool> flag_{false};
};

}  // namespace zor::platform
