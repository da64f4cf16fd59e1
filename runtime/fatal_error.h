#pragma once
// Fatal runtime errors: the text of the error number, " : ", the detail, then
// "\nDo you want to GPF?" in a box captioned "Runtime error"; an installed
// fatal-error hook receives the message instead. Then the process stops.

#include <functional>
#include <string>

namespace zor {

using FatalErrorHook = std::function<void(int code, const std::string& message)>;

FatalErrorHook setFatalErrorHook(FatalErrorHook hook);
// The whole message as the box shows it.
std::string fatalErrorMessage(int code, const std::string& detail);
// Shows the message (or hands it to the hook) and ends the process unless
// the hook returns by throwing (tests do).
[[noreturn]] void fatalRuntimeError(int code, const std::string& detail);

}  // namespace zor
