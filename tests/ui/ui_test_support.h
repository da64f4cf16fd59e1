#pragma once
// Helpers shared by the window-system tests.

#include <stdexcept>
#include <string>

#include "runtime/fatal_error.h"

namespace zor::ui::test {

struct FatalError : std::runtime_error {
  FatalError(int errorCode, const std::string& message)
      : std::runtime_error(message), code(errorCode) {}
  int code;
};

// Turns fatal runtime errors into exceptions for the lifetime of the object.
class FatalErrorTrap {
 public:
  FatalErrorTrap()
      : previous_(setFatalErrorHook(
            [](int code, const std::string& message) { throw FatalError(code, message); })) {}
  ~FatalErrorTrap() { setFatalErrorHook(previous_); }
  FatalErrorTrap(const FatalErrorTrap&) = delete;
  FatalErrorTrap& operator=(const FatalErrorTrap&) = delete;

 private:
  FatalErrorHook previous_;
};

// The fatal error `action` raises: code 0 and no message when it raises none.
template <typename Action>
FatalError fatalErrorOf(Action action) {
  FatalErrorTrap trap;
  try {
    action();
  } catch (const FatalError& error) {
    return error;
  }
  return FatalError(0, {});
}

template <typename Action>
int fatalCodeOf(Action action) {
  return fatalErrorOf(action).code;
}

}  // namespace zor::ui::test
