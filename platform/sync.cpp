#include "platform/sync.h"

#include "platform/clock.h"

namespace zor::platform {

void SpinLock::lock() {
  // The holder keeps the lock only for a short copy, so a sleeping retry
  // costs little and leaves the core to the holder.
  while (!tryLock()) sleepMs(1);
}

}  // namespace zor::platform
