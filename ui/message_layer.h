#pragma once
// The message layer: window handles owned by threads, one message queue per
// thread, posting, sending, blocking and non-blocking retrieval, timers and
// the session-end request. A thread's queue comes into being the first time
// the thread uses the layer and is closed when the thread ends; its windows
// die with it and messages still addressed to it are refused.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "ui/messages.h"

namespace zor::ui {

// A window procedure runs on the window's own thread only.
using WindowProcedure = std::function<intptr_t(const Message&)>;

// Creates a window owned by the calling thread. `parent` 0 makes it top-level.
WindowHandle createWindow(WindowProcedure procedure, WindowHandle parent = 0);
// Destroys the window (its pending posted messages and timers go with it).
// Returns false for a handle that does not exist or belongs to another thread.
bool destroyWindow(WindowHandle window);
bool isWindow(WindowHandle window);
// The owning thread's number; for a destroyed window, the thread that owned
// it while that thread is alive. 0 when unknown.
int windowThread(WindowHandle window);
// Top-level windows in z-order, topmost first.
std::vector<WindowHandle> topLevelWindows();
void bringWindowToTop(WindowHandle window);

// Queues a message for the window's thread; false when the window does not
// exist or its thread has ended (the payload is then released by the caller's
// copy only).
bool postMessage(WindowHandle window, uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0,
                 std::shared_ptr<void> payload = {});
// Queues a message with no window for a thread; false when the thread has no
// queue (never used the layer, or ended).
bool postThreadMessage(int thread, uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0,
                       std::shared_ptr<void> payload = {});
// Posts WM_NULL to wake the window's thread unless a wake-up for the window
// is already pending.
bool wakeWindow(WindowHandle window);
void postQuitMessage(int exitCode);

// Calls the window procedure on its thread and returns its answer. From
// another thread the caller waits, handling messages sent to itself meanwhile.
// 0 when the window does not exist or its thread ends before answering.
intptr_t sendMessage(WindowHandle window, uint32_t message, uintptr_t wParam = 0,
                     intptr_t lParam = 0);

// Waits without using the processor until a message for the calling thread is
// there (sent messages are handled meanwhile). False on WM_QUIT.
bool getMessage(Message& out);
// Looks for a message without waiting: `window` 0 matches every message of the
// thread, otherwise only that window's; the number must lie in [first, last].
bool peekMessage(Message& out, WindowHandle window, uint32_t first, uint32_t last, bool remove);
inline constexpr uint32_t kAnyMessageLast = 0xFFFFFFFF;
// Hands a retrieved message to its window's procedure; 0 for thread messages.
intptr_t dispatchMessage(const Message& message);

// A front end with an event loop of its own (a desktop toolkit's) lets the
// thread wait in that loop: getMessage then calls `wait` instead of sleeping
// on its queue, so the toolkit's events are handled (and become messages)
// while the thread has nothing else to do. `wait` returns once `wake` was
// called or `timeoutMs` passed (-1: no limit); a `wake` that comes before
// the wait must make it return at once. `wake` is called from any thread,
// with the queue locked, whenever a message, a sent call or a timer change
// arrives for the thread.
struct ForeignEventLoop {
  std::function<void(int timeoutMs)> wait;
  std::function<void()> wake;
};
// Installs the calling thread's loop (an empty one restores the plain wait)
// and returns the previous one.
ForeignEventLoop setForeignEventLoop(ForeignEventLoop loop);

// Starts or replaces the timer (window, id): WM_TIMER with wParam = id every
// interval. A late timer yields one WM_TIMER, not a backlog.
bool setTimer(WindowHandle window, uintptr_t id, uint32_t intervalMs);
bool killTimer(WindowHandle window, uintptr_t id);

// Asks every top-level window of every thread whether the session may end
// (WM_QUERYENDSESSION); true when none refuses. Then tells them the outcome
// with WM_ENDSESSION (wParam 1 when it ends).
bool requestEndSession();

}  // namespace zor::ui
