#pragma once
// Process entry and the program body: initialise the window system once,
// create the globals in their fixed order, run the main window procedure,
// then release the globals in reverse.

#include <functional>

namespace qv {

struct ProgramParts {
  // Initialises the window system; false halts the program.
  std::function<bool()> initWindowSystem;
  // Runs the main window procedure; returns when the user closes it.
  std::function<void()> mainWindow;
};

// Initialises the window system at most once per process; a second call
// answers the first call's result at once.
bool initialiseWindowSystemOnce(const std::function<bool()>& init);

// Registers the per-thread hooks (thread start: dictionary set-up for every
// thread but 1; thread end: dictionary tear-down). Idempotent.
void registerThreadHooks();

// Starts the runtime: the program path, the locale (from the system-wide
// profile and the environment file beside the program), the thread hooks.
void startRuntime();

// The program body. Returns false when the window system could not be
// initialised (the program halts).
bool runProgramBody(const ProgramParts& parts);

// The whole process: hooks, program body, then the end of thread 1.
// Returns the process exit code: 0, or 1 when the window system could not
// be started.
int runProcess(const ProgramParts& parts);

}  // namespace qv
