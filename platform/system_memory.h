#pragma once
// How much memory the machine has.

#include <cstdint>

namespace zor::platform {

// Physical memory in bytes, all of it or the part that is free; 0 when the
// system cannot tell.
uint64_t physicalMemory();
uint64_t freePhysicalMemory();

}  // namespace zor::platform
