#include "runtime/halt.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <utility>
#include <vector>

namespace zor {
namespace {

struct HaltState {
  std::mutex mutex;
  HaltHook hook;
  std::vector<std::pair<int, std::function<void()>>> actions;
  int nextId = 1;
};

HaltState& state() {
  static HaltState* instance = new HaltState;  // used up to the very end: never released
  return *instance;
}

}  // namespace

HaltHook setHaltHook(HaltHook hook) {
  HaltState& s = state();
  std::lock_guard guard(s.mutex);
  return std::exchange(s.hook, std::move(hook));
}

void halt(int exitCode) {
  HaltHook hook;
  {
    HaltState& s = state();
    std::lock_guard guard(s.mutex);
    hook = s.hook;
  }
  if (hook) {
    hook(exitCode);
    return;
  }
  endProcess(exitCode);
}

void endProcess(int exitCode) {
  std::vector<std::pair<int, std::function<void()>>> actions;
  {
    HaltState& s = state();
    std::lock_guard guard(s.mutex);
    actions.swap(s.actions);  // a second caller finds none left to run
  }
  for (auto action = actions.rbegin(); action != actions.rend(); ++action) action->second();
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  std::_Exit(exitCode);
}

int addHaltAction(std::function<void()> action) {
  HaltState& s = state();
  std::lock_guard guard(s.mutex);
  s.actions.emplace_back(s.nextId, std::move(action));
  return s.nextId++;
}

void removeHaltAction(int id) {
  HaltState& s = state();
  std::lock_guard guard(s.mutex);
  std::erase_if(s.actions, [id](const auto& entry) { return entry.first == id; });
}

}  // namespace zor
