#pragma once
// Helpers shared by the window-system tests.

#include <stdexcept>
#include <string>

#include "runtime/fatal_error.h"

namespace zor::ui::test {

struct FatalError : std::runtime_error {
  explicit FatalError(int errorCode) : std::runtime_error("fatal"), code(errorCode) {}
  int code;
};

// Turns fatal runtime errors into exceptions for the lifetime of the object.
class FatalErrorTrap {
 public:
  FatalErrorTrap()
      : previous_(setFatalErrorHook([](int code, const std::string&) { throw FatalError(code); })) {
  }
  ~FatalErrorTrap() { setFatalErrorHook(previous_); }
  FatalErrorTrap(const FatalErrorTrap&) = delete;
  FatalErrorTrap& operator=(const FatalErrorTrap&) = delete;

 private:
  FatalErrorHook previous_;
};

// The code of the fatal error `action` raises, 0 when it raises none.
template <typename Action>
int fatalCodeOf(Action action) {
  FatalErrorTrap trap;
  try {
    action();
  } catch (const FatalError& error) {
    return error.code;
  }
  return 0;
}

}  // namespace zor::ui::test
