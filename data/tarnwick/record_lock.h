#pragma once
// Locks of the table layer, as byte ranges of the data file at 2^31 and
// above (never file data): the writer byte, one writer at a time, and the
// numbered locks 1024 + n of HOLD (record r is lock r + 1) and LOCK.
// Without waiting a lock is tried three times, a millisecond apart.

#include <cstdint>

#include "platform/file.h"

namespace zor::tarnwick {

inline constexpr uint64_t kLockBase = uint64_t{1} << 31;
inline constexpr uint64_t kWriterByte = kLockBase + 1023;
inline constexpr uint64_t kNumberedLockBase = kLockBase + 1024;
inline constexpr uint32_t kFileLockNumber = 1;

inline uint64_t recordLockOffset(uint32_t record) {
  return kNumberedLockBase + uint64_t{record} + 1;
}

// Answers 0 or the system's error of the last attempt.
int takeLock(platform::File& file, uint64_t offset, bool wait);
void releaseLock(platform::File& file, uint64_t offset);

}  // namespace zor::tarnwick
