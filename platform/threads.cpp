#include "platform/threads.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

#include <unistd.h>

namespace zor::platform {
namespace {

struct HookPair {
  int id;
  ThreadHook onStart, onEnd;
};

struct HookRegistry {
  std::mutex mutex;
  std::vector<HookPair> hooks;  // registration order
  int nextId = 1;
};

HookRegistry& registry() {
  static HookRegistry instance;
  return instance;
}

std::vector<HookPair> snapshot() {
  HookRegistry& r = registry();
  std::lock_guard guard(r.mutex);
  return r.hooks;
}

std::atomic<int> lastThreadNumber{1};  // numbers above 1 go to other threads
thread_local int currentThreadNumber = 0;
// The hooks whose start ran on this thread: only they get their end, so a
// hook added while a thread runs never tears down what it never set up.
thread_local std::vector<int> startedHooks;

}  // namespace

int threadNumber() {
  if (currentThreadNumber == 0) {
    // The process's main thread is always thread 1, whichever thread asks first.
    currentThreadNumber = ::gettid() == ::getpid() ? 1 : ++lastThreadNumber;
  }
  return currentThreadNumber;
}

int addThreadHooks(ThreadHook onStart, ThreadHook onEnd) {
  HookRegistry& r = registry();
  std::lock_guard guard(r.mutex);
  const int id = r.nextId++;
  r.hooks.push_back({id, std::move(onStart), std::move(onEnd)});
  return id;
}

void removeThreadHooks(int id) {
  HookRegistry& r = registry();
  std::lock_guard guard(r.mutex);
  std::erase_if(r.hooks, [id](const HookPair& hook) { return hook.id == id; });
}

// The hooks run outside the registry's lock: a hook may start threads or
// register hooks of its own.
void runThreadStartHooks() {
  const int number = threadNumber();
  for (const HookPair& hook : snapshot()) {
    if (std::find(startedHooks.begin(), startedHooks.end(), hook.id) != startedHooks.end()) {
      continue;
    }
    startedHooks.push_back(hook.id);
    if (hook.onStart) hook.onStart(number);
  }
}

void runThreadEndHooks() {
  const int number = threadNumber();
  const std::vector<HookPair> hooks = snapshot();
  for (auto hook = hooks.rbegin(); hook != hooks.rend(); ++hook) {
    if (std::find(startedHooks.begin(), startedHooks.end(), hook->id) == startedHooks.end()) {
      continue;
    }
    if (hook->onEnd) hook->onEnd(number);
  }
  startedHooks.clear();
}

std::thread startThread(std::function<void()> body) {
  return std::thread([body = std::move(body)] {
    runThreadStartHooks();
    if (body) body();
    runThreadEndHooks();
  });
}

}  // namespace zor::platform
