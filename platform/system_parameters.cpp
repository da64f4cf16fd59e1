#include "platform/system_parameters.h"

#include <atomic>
#include <mutex>
#include <optional>
#include <string>

#include "platform/profile.h"

namespace zor::platform {
namespace {

constexpr const char* kSection = "Desktop";
constexpr const char* kDragFullWindows = "DragFullWindows";

struct SessionState {
  std::mutex mutex;
  // Set without SPIF_UPDATEINIFILE: in force for this process only.
  std::optional<uint32_t> dragFullWindows;
};

SessionState& session() {
  static SessionState instance;
  return instance;
}

std::atomic<int> setCount{0};

uint32_t storedDragFullWindows() {
  // A desktop that never stored the setting has it off; a stored value is
  // answered as it stands, so callers that test for exactly 1 can be checked.
  const int stored = getPrivateProfileInt(kSection, kDragFullWindows, 0, userProfilePath());
  return stored < 0 ? 0 : static_cast<uint32_t>(stored);
}

}  // namespace

bool systemParametersInfo(uint32_t action, uint32_t parameter, void* buffer, uint32_t flags) {
  SessionState& s = session();
  switch (action) {
    case SPI_GETDRAGFULLWINDOWS: {
      if (buffer == nullptr) return false;
      std::lock_guard guard(s.mutex);
      const uint32_t value = s.dragFullWindows ? *s.dragFullWindows : storedDragFullWindows();
      *static_cast<uint32_t*>(buffer) = value;
      return true;
    }
    case SPI_SETDRAGFULLWINDOWS: {
      ++setCount;
      const uint32_t value = parameter != 0 ? 1 : 0;
      std::lock_guard guard(s.mutex);
      if ((flags & SPIF_UPDATEINIFILE) != 0 &&
          !writeProfileString(kSection, kDragFullWindows, std::to_string(value))) {
        return false;
      }
      s.dragFullWindows = value;
      return true;
    }
    default:
      return false;
  }
}

int systemParameterSetCount() {
  return setCount.load();
}

void resetSystemParameterSession() {
  SessionState& s = session();
  std::lock_guard guard(s.mutex);
  s.dragFullWindows.reset();
}

}  // namespace zor::platform
