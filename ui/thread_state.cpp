#include "ui/thread_state.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <vector>

#include "platform/sync.h"
#include "platform/threads.h"
#include "ui/window.h"

namespace zor::ui {
namespace {

// The runtime's list of threads: each thread's active window handle.
struct ThreadList {
  platform::CriticalSection lock;
  std::map<int, WindowHandle> active;
};

ThreadList& threadList() {
  static ThreadList* list = new ThreadList;  // outlives every thread's record
  return *list;
}

struct ThreadRecord {
  int thread = platform::threadNumber();
  Keystroke keystroke;
  std::vector<Window*> windows;

  ThreadRecord() = default;
  ThreadRecord(const ThreadRecord&) = delete;
  ThreadRecord& operator=(const ThreadRecord&) = delete;
  ~ThreadRecord() {
    std::lock_guard guard(threadList().lock);
    threadList().active.erase(thread);
  }

  void publish() const {
    std::lock_guard guard(threadList().lock);
    if (windows.empty()) {
      threadList().active.erase(thread);
    } else {
      threadList().active[thread] = windows.back()->handle();
    }
  }
};

ThreadRecord& record() {
  thread_local ThreadRecord threadRecord;
  return threadRecord;
}

}  // namespace

Keystroke lastKeystroke() {
  return record().keystroke;
}

void setLastKeystroke(const Keystroke& keystroke) {
  record().keystroke = keystroke;
}

void enterWindow(Window& window) {
  record().windows.push_back(&window);
  record().publish();
}

void leaveWindow(Window& window) {
  std::erase(record().windows, &window);
  record().publish();
}

Window* activeWindow() {
  auto& windows = record().windows;
  return windows.empty() ? nullptr : windows.back();
}

Window* ownWindow(WindowHandle handle) {
  for (Window* window : record().windows) {
    if (window->handle() == handle) return window;
  }
  return nullptr;
}

WindowHandle activeWindowOf(int thread) {
  std::lock_guard guard(threadList().lock);
  auto found = threadList().active.find(thread);
  return found == threadList().active.end() ? 0 : found->second;
}

}  // namespace zor::ui
