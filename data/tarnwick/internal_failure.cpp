#include "data/tarnwick/internal_failure.h"

#include <algorithm>
#include <atomic>
#include <string>

#include "data/message_resource.h"
#include "platform/message_box.h"
#include "runtime/fatal_error.h"

namespace zor::tarnwick {

namespace {
thread_local int lastFault = 0;
std::atomic<bool> boxShown{true};
}  // namespace

void showInternalFailureBox(bool shown) {
  boxShown = shown;
}

void internalFailure(FailurePlace place) {
  const int number = static_cast<int>(place);
  std::string message = data::messageResourceText(kInternalFailureMessageResource);
  const bool own = !message.empty();
  if (own) {
    message.resize(std::min(message.size(), kInternalFailureMessageLimit));
  } else {
    message = kInternalFailureMessage;
  }
  if (boxShown)
    platform::messageBox(own ? message : std::to_string(number), kInternalFailureCaption,
                         platform::MB_OK | platform::MB_ICONHAND);
  lastFault = number;
  fatalRuntimeError(kInternalFailureRuntimeError, message + " (" + std::to_string(number) + ")");
}

int lastDriverFault() {
  return lastFault;
}

}  // namespace zor::tarnwick
