#include "data/tarnwick/record_lock.h"

#include <chrono>
#include <thread>

namespace zor::tarnwick {

int takeLock(platform::File& file, uint64_t offset, bool wait) {
  if (!file.isOpen()) return 0;
  int error = 0;
  for (int attempt = 0; wait || attempt < 3; ++attempt) {
    error = file.lock(offset, 1);
    if (error == 0) return 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return error;
}

void releaseLock(platform::File& file, uint64_t offset) {
  if (file.isOpen()) file.unlock(offset, 1);
}

}  // namespace zor::tarnwick
