#include "runtime/fatal_error.h"

#include <cstdlib>
#include <mutex>

#include "platform/message_box.h"
#include "runtime/error_state.h"
#include "runtime/halt.h"

namespace zor {

namespace {

constexpr int kFatalExitCode = 3;

std::mutex gHookMutex;
FatalErrorHook gHook;

}  // namespace

FatalErrorHook setFatalErrorHook(FatalErrorHook hook) {
  std::lock_guard<std::mutex> lock(gHookMutex);
  FatalErrorHook previous = std::move(gHook);
  gHook = std::move(hook);
  return previous;
}

std::string fatalErrorMessage(int code, const std::string& detail) {
  return errorTextOf(code) + " : " + detail + "\nDo you want to GPF?";
}

void fatalRuntimeError(int code, const std::string& detail) {
  std::string message = fatalErrorMessage(code, detail);
  FatalErrorHook hook;
  {
    std::lock_guard<std::mutex> lock(gHookMutex);
    hook = gHook;
  }
  if (hook) {
    hook(code, message);  // may leave by throwing
  } else {
    // "Yes" asks for a crash that a debugger can catch; the default is a
    // plain stop.
    int answer = platform::messageBox(message, "Runtime error",
                                      platform::MB_YESNO | platform::MB_ICONHAND |
                                          platform::MB_DEFBUTTON2 | platform::MB_TASKMODAL);
    if (answer == platform::IDYES) std::abort();
  }
  endProcess(kFatalExitCode);
}

}  // namespace zor
