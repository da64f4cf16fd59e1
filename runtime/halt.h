#pragma once
// Ending the program from anywhere: after a fatal error box, or when start-up
// cannot go on. halt() hands the exit code to the installed hook (tests put
// one in; a hook that returns lets the caller go on), or ends the process.
//
// Ending the process runs the halt actions that the layers holding something
// unfinished registered (the terminal front end puts the terminal back),
// flushes the standard streams and leaves with the exit code at once. Static
// destructors do not run: other threads may still be using what they would
// destroy, and every database change is already complete on disk (or rolled
// back when the file is next opened).

#include <functional>

namespace zor {

using HaltHook = std::function<void(int exitCode)>;

// Installs a hook and returns the previous one (empty: end the process).
HaltHook setHaltHook(HaltHook hook);

// The hook when one is installed (it may return), else endProcess.
void halt(int exitCode);

// Runs the halt actions, flushes stdio and ends the process.
[[noreturn]] void endProcess(int exitCode);

// Actions run by endProcess in reverse order of registration, each at most
// once, from whichever thread ends the process. Returns an id for
// removeHaltAction.
int addHaltAction(std::function<void()> action);
void removeHaltAction(int id);

}  // namespace zor
