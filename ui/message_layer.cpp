#include "ui/message_layer.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <iterator>
#include <mutex>
#include <unordered_map>
#include <utility>

#include "platform/clock.h"
#include "platform/threads.h"

namespace zor::ui {
namespace {

struct ThreadQueue;

// A message sent from another thread: the sender waits until `done`, which
// is guarded by the sender's queue mutex.
struct SentCall {
  Message message;
  std::shared_ptr<ThreadQueue> sender;
  bool done = false;
  intptr_t result = 0;
};

struct Timer {
  WindowHandle window = 0;
  uintptr_t id = 0;
  uint32_t intervalMs = 0;
  uint64_t due = 0;
};

struct ThreadQueue {
  int thread = 0;
  std::mutex mutex;
  std::condition_variable wake;
  ForeignEventLoop foreign;
  std::deque<Message> posted;
  std::deque<std::shared_ptr<SentCall>> sent;
  std::vector<Timer> timers;
  bool quit = false;
  int quitCode = 0;
  bool closed = false;
};

struct WindowEntry {
  int thread = 0;
  std::shared_ptr<ThreadQueue> queue;
  WindowProcedure procedure;
  WindowHandle parent = 0;
};

// Lock order: the registry's mutex before any queue's mutex.
struct Registry {
  std::mutex mutex;
  WindowHandle nextHandle = 1;
  std::unordered_map<WindowHandle, WindowEntry> windows;
  std::unordered_map<WindowHandle, int> retired;  // destroyed window -> owner thread
  std::unordered_map<int, std::shared_ptr<ThreadQueue>> threads;
  std::vector<WindowHandle> zOrder;  // top-level windows, topmost first
};

Registry& registry() {
  // Never destroyed: thread-local queues close themselves into it at exit.
  static Registry* instance = new Registry;
  return *instance;
}

// Wakes the queue's thread, wherever it waits. Called with the queue's mutex held.
void notify(ThreadQueue& queue) {
  queue.wake.notify_all();
  if (queue.foreign.wake) queue.foreign.wake();
}

void complete(const std::shared_ptr<SentCall>& call, intptr_t result) {
  std::lock_guard lock(call->sender->mutex);
  call->done = true;
  call->result = result;
  notify(*call->sender);
}

void closeQueue(const std::shared_ptr<ThreadQueue>& queue) {
  std::deque<Message> dropped;
  std::deque<std::shared_ptr<SentCall>> unanswered;
  {
    Registry& reg = registry();
    std::lock_guard regLock(reg.mutex);
    reg.threads.erase(queue->thread);
    std::erase_if(reg.windows, [&](const auto& item) { return item.second.queue == queue; });
    std::erase_if(reg.retired, [&](const auto& item) { return item.second == queue->thread; });
    std::erase_if(reg.zOrder, [&](WindowHandle h) { return !reg.windows.contains(h); });
    std::lock_guard lock(queue->mutex);
    queue->closed = true;
    dropped.swap(queue->posted);
    unanswered.swap(queue->sent);
    queue->timers.clear();
  }
  for (const auto& call : unanswered) complete(call, 0);
}

struct ThreadSlot {
  std::shared_ptr<ThreadQueue> queue;
  ThreadSlot() = default;
  ThreadSlot(const ThreadSlot&) = delete;
  ThreadSlot& operator=(const ThreadSlot&) = delete;
  ~ThreadSlot() {
    if (queue) closeQueue(queue);
  }
};

thread_local ThreadSlot threadSlot;

std::shared_ptr<ThreadQueue> ownQueue() {
  if (!threadSlot.queue) {
    auto queue = std::make_shared<ThreadQueue>();
    queue->thread = platform::threadNumber();
    Registry& reg = registry();
    std::lock_guard lock(reg.mutex);
    reg.threads[queue->thread] = queue;
    threadSlot.queue = queue;
  }
  return threadSlot.queue;
}

std::shared_ptr<ThreadQueue> queueOf(WindowHandle window) {
  Registry& reg = registry();
  std::lock_guard lock(reg.mutex);
  auto found = reg.windows.find(window);
  return found == reg.windows.end() ? nullptr : found->second.queue;
}

// The procedure of a window owned by the calling thread, or none.
WindowProcedure ownProcedure(WindowHandle window, const std::shared_ptr<ThreadQueue>& own) {
  Registry& reg = registry();
  std::lock_guard lock(reg.mutex);
  auto found = reg.windows.find(window);
  if (found == reg.windows.end() || found->second.queue != own) return {};
  return found->second.procedure;
}

void answer(const std::shared_ptr<SentCall>& call, const std::shared_ptr<ThreadQueue>& own) {
  WindowProcedure procedure = ownProcedure(call->message.window, own);
  complete(call, procedure ? procedure(call->message) : 0);
}

// Answers every message sent to this thread. Called with `lock` held; the
// lock is released around each window procedure.
void answerSent(std::unique_lock<std::mutex>& lock, const std::shared_ptr<ThreadQueue>& own) {
  while (!own->sent.empty()) {
    auto call = std::move(own->sent.front());
    own->sent.pop_front();
    lock.unlock();
    answer(call, own);
    lock.lock();
  }
}

bool matches(const Message& m, WindowHandle window, uint32_t first, uint32_t last) {
  return (window == 0 || m.window == window) && m.message >= first && m.message <= last;
}

// The most overdue timer of the window (0: any), or none.
Timer* dueTimer(ThreadQueue& queue, WindowHandle window, uint64_t now) {
  Timer* best = nullptr;
  for (Timer& timer : queue.timers) {
    if (timer.due > now || (window != 0 && timer.window != window)) continue;
    if (!best || timer.due < best->due) best = &timer;
  }
  return best;
}

Message timerMessage(Timer& timer, uint64_t now) {
  timer.due = now + timer.intervalMs;
  return Message{timer.window, WM_TIMER, timer.id, 0, {}};
}

bool pushPosted(const std::shared_ptr<ThreadQueue>& queue, Message message) {
  std::lock_guard lock(queue->mutex);
  if (queue->closed) return false;
  queue->posted.push_back(std::move(message));
  notify(*queue);
  return true;
}

}  // namespace

WindowHandle createWindow(WindowProcedure procedure, WindowHandle parent) {
  auto own = ownQueue();
  Registry& reg = registry();
  std::lock_guard lock(reg.mutex);
  WindowHandle handle = reg.nextHandle++;
  reg.windows[handle] = WindowEntry{own->thread, own, std::move(procedure), parent};
  if (parent == 0) reg.zOrder.insert(reg.zOrder.begin(), handle);
  return handle;
}

bool destroyWindow(WindowHandle window) {
  auto own = ownQueue();
  std::deque<Message> dropped;  // released after the locks
  Registry& reg = registry();
  std::lock_guard regLock(reg.mutex);
  auto found = reg.windows.find(window);
  if (found == reg.windows.end() || found->second.queue != own) return false;
  reg.windows.erase(found);
  reg.retired[window] = own->thread;
  std::erase(reg.zOrder, window);
  std::lock_guard lock(own->mutex);
  auto ofWindow = [window](const Message& m) { return m.window == window; };
  std::copy_if(own->posted.begin(), own->posted.end(), std::back_inserter(dropped), ofWindow);
  std::erase_if(own->posted, ofWindow);
  std::erase_if(own->timers, [window](const Timer& t) { return t.window == window; });
  return true;
}

bool isWindow(WindowHandle window) {
  Registry& reg = registry();
  std::lock_guard lock(reg.mutex);
  return reg.windows.contains(window);
}

int windowThread(WindowHandle window) {
  Registry& reg = registry();
  std::lock_guard lock(reg.mutex);
  if (auto found = reg.windows.find(window); found != reg.windows.end())
    return found->second.thread;
  if (auto found = reg.retired.find(window); found != reg.retired.end()) return found->second;
  return 0;
}

std::vector<WindowHandle> topLevelWindows() {
  Registry& reg = registry();
  std::lock_guard lock(reg.mutex);
  return reg.zOrder;
}

void bringWindowToTop(WindowHandle window) {
  Registry& reg = registry();
  std::lock_guard lock(reg.mutex);
  auto at = std::find(reg.zOrder.begin(), reg.zOrder.end(), window);
  if (at != reg.zOrder.end()) std::rotate(reg.zOrder.begin(), at, at + 1);
}

bool postMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam,
                 std::shared_ptr<void> payload) {
  auto queue = queueOf(window);
  return queue && pushPosted(queue, Message{window, message, wParam, lParam, std::move(payload)});
}

bool postThreadMessage(int thread, uint32_t message, uintptr_t wParam, intptr_t lParam,
                       std::shared_ptr<void> payload) {
  std::shared_ptr<ThreadQueue> queue;
  {
    Registry& reg = registry();
    std::lock_guard lock(reg.mutex);
    if (auto found = reg.threads.find(thread); found != reg.threads.end()) queue = found->second;
  }
  return queue && pushPosted(queue, Message{0, message, wParam, lParam, std::move(payload)});
}

bool wakeWindow(WindowHandle window) {
  auto queue = queueOf(window);
  if (!queue) return false;
  std::lock_guard lock(queue->mutex);
  if (queue->closed) return false;
  bool pending = std::any_of(
      queue->posted.begin(), queue->posted.end(),
      [window](const Message& m) { return m.window == window && m.message == WM_NULL; });
  if (!pending) queue->posted.push_back(Message{window, WM_NULL, 0, 0, {}});
  notify(*queue);
  return true;
}

void postQuitMessage(int exitCode) {
  auto own = ownQueue();
  std::lock_guard lock(own->mutex);
  own->quit = true;
  own->quitCode = exitCode;
}

intptr_t sendMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  auto own = ownQueue();
  Message msg{window, message, wParam, lParam, {}};
  if (WindowProcedure procedure = ownProcedure(window, own)) return procedure(msg);
  auto target = queueOf(window);
  if (!target) return 0;
  auto call = std::make_shared<SentCall>(SentCall{std::move(msg), own});
  {
    std::lock_guard lock(target->mutex);
    if (target->closed) return 0;
    target->sent.push_back(call);
    notify(*target);
  }
  std::unique_lock lock(own->mutex);
  while (!call->done) {
    answerSent(lock, own);
    if (!call->done) own->wake.wait(lock, [&] { return call->done || !own->sent.empty(); });
  }
  return call->result;
}

bool getMessage(Message& out) {
  auto own = ownQueue();
  std::unique_lock lock(own->mutex);
  for (;;) {
    answerSent(lock, own);
    if (!own->posted.empty()) {
      out = std::move(own->posted.front());
      own->posted.pop_front();
      return out.message != WM_QUIT;
    }
    if (own->quit) {
      own->quit = false;
      out = Message{0, WM_QUIT, static_cast<uintptr_t>(own->quitCode), 0, {}};
      return false;
    }
    uint64_t now = platform::tickCount();
    if (Timer* timer = dueTimer(*own, 0, now)) {
      out = timerMessage(*timer, now);
      return true;
    }
    auto woken = [&] { return !own->sent.empty() || !own->posted.empty() || own->quit; };
    int timeoutMs = -1;
    if (!own->timers.empty()) {
      uint64_t next = std::min_element(own->timers.begin(), own->timers.end(),
                                       [](const Timer& a, const Timer& b) { return a.due < b.due; })
                          ->due;
      timeoutMs = static_cast<int>(std::min<uint64_t>(next - now, INT32_MAX));
    }
    if (own->foreign.wait) {
      // The toolkit's loop runs while the thread has nothing to do; its
      // events become messages, which wake it as any post does.
      std::function<void(int)> wait = own->foreign.wait;
      lock.unlock();
      wait(timeoutMs);
      lock.lock();
    } else if (timeoutMs < 0) {
      own->wake.wait(lock, woken);
    } else {
      own->wake.wait_for(lock, std::chrono::milliseconds(timeoutMs), woken);
    }
  }
}

bool peekMessage(Message& out, WindowHandle window, uint32_t first, uint32_t last, bool remove) {
  auto own = ownQueue();
  std::unique_lock lock(own->mutex);
  answerSent(lock, own);
  auto found = std::find_if(own->posted.begin(), own->posted.end(),
                            [&](const Message& m) { return matches(m, window, first, last); });
  if (found != own->posted.end()) {
    out = *found;
    if (remove) own->posted.erase(found);
    return true;
  }
  if (own->quit && window == 0 && WM_QUIT >= first && WM_QUIT <= last) {
    out = Message{0, WM_QUIT, static_cast<uintptr_t>(own->quitCode), 0, {}};
    if (remove) own->quit = false;
    return true;
  }
  uint64_t now = platform::tickCount();
  if (WM_TIMER >= first && WM_TIMER <= last) {
    if (Timer* timer = dueTimer(*own, window, now)) {
      Timer copy = *timer;
      out = timerMessage(remove ? *timer : copy, now);
      return true;
    }
  }
  return false;
}

intptr_t dispatchMessage(const Message& message) {
  if (message.window == 0) return 0;
  WindowProcedure procedure = ownProcedure(message.window, ownQueue());
  return procedure ? procedure(message) : 0;
}

bool setTimer(WindowHandle window, uintptr_t id, uint32_t intervalMs) {
  auto queue = queueOf(window);
  if (!queue) return false;
  intervalMs = std::max<uint32_t>(intervalMs, 1);
  std::lock_guard lock(queue->mutex);
  if (queue->closed) return false;
  Timer timer{window, id, intervalMs, platform::tickCount() + intervalMs};
  auto same = [&](const Timer& t) { return t.window == window && t.id == id; };
  if (auto found = std::find_if(queue->timers.begin(), queue->timers.end(), same);
      found != queue->timers.end()) {
    *found = timer;
  } else {
    queue->timers.push_back(timer);
  }
  notify(*queue);
  return true;
}

bool killTimer(WindowHandle window, uintptr_t id) {
  auto queue = queueOf(window);
  if (!queue) return false;
  std::lock_guard lock(queue->mutex);
  return std::erase_if(queue->timers,
                       [&](const Timer& t) { return t.window == window && t.id == id; }) > 0;
}

ForeignEventLoop setForeignEventLoop(ForeignEventLoop loop) {
  auto own = ownQueue();
  std::lock_guard lock(own->mutex);
  ForeignEventLoop previous = std::move(own->foreign);
  own->foreign = std::move(loop);
  return previous;
}

bool requestEndSession() {
  std::vector<WindowHandle> asked;
  bool ends = true;
  for (WindowHandle window : topLevelWindows()) {
    asked.push_back(window);
    if (sendMessage(window, WM_QUERYENDSESSION) == 0 && isWindow(window)) {
      ends = false;
      break;
    }
  }
  for (WindowHandle window : asked) sendMessage(window, WM_ENDSESSION, ends ? 1 : 0);
  return ends;
}

}  // namespace zor::ui
