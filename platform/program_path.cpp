#include "platform/program_path.h"

#include <unistd.h>

#include <climits>

namespace zor::platform {

std::string programPath() {
  char buffer[PATH_MAX];
  const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer);
  if (length <= 0 || static_cast<size_t>(length) >= sizeof buffer) return {};
  return std::string(buffer, static_cast<size_t>(length));
}

}  // namespace zor::platform
