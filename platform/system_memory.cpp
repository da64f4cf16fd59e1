#include "platform/system_memory.h"

#include <unistd.h>

namespace zor::platform {

namespace {

uint64_t pagesInBytes(long pages) {
  const long pageSize = sysconf(_SC_PAGESIZE);
  if (pages < 0 || pageSize <= 0) return 0;
  return static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize);
}

}  // namespace

uint64_t physicalMemory() {
  return pagesInBytes(sysconf(_SC_PHYS_PAGES));
}

uint64_t freePhysicalMemory() {
  return pagesInBytes(sysconf(_SC_AVPHYS_PAGES));
}

}  // namespace zor::platform
