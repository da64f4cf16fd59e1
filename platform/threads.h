#pragma once
// 1-based thread numbers and the start/end hooks that run on every thread
// the runtime starts (and for thread 1 at program start and end).

#include <functional>
#include <thread>

namespace zor::platform {

using ThreadHook = std::function<void(int threadNumber)>;

// The calling thread's number: 1 for the process's main thread, then 2, 3,
// ... for other threads in the order they first ask. Never 0.
int threadNumber();

// Hooks run in registration order at thread start and in reverse order at
// thread end. Returns an id for removeThreadHooks.
int addThreadHooks(ThreadHook onStart, ThreadHook onEnd);
void removeThreadHooks(int id);

// Runs the start hooks of the calling thread (used for thread 1, which the
// runtime does not start itself); runThreadEndHooks likewise for its end.
void runThreadStartHooks();
void runThreadEndHooks();

// Starts a thread that runs the start hooks, then `body`, then the end hooks.
std::thread startThread(std::function<void()> body);

}  // namespace zor::platform
