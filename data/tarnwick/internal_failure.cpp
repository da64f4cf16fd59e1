#include "data/tarnwick/internal_failure.h"

#include <string>

#include "runtime/fatal_error.h"

namespace zor::tarnwick {

namespace {
thread_local int lastFault = 0;
}

void internalFailure(FailurePlace place) {
  const int number = static_cast<int>(place);
  lastFault = number;
  fatalRuntimeError(kInternalFailureRuntimeError,
                    std::string(kInternalFailureMessage) + " (" + std::to_string(number) + ")");
}

int lastDriverFault() {
  return lastFault;
}

}  // namespace zor::tarnwick
