#pragma once
// Record locks of one open file: holding record r (HOLD before a read, or a
// PUT without a HOLD) locks the numbered lock r + 1 in the writer mode,
// without waiting. A use count per record lets several uses of the same
// record share the one byte: it is locked when the count leaves 0 and
// unlocked when the count returns to 0 (a handle cannot lock a byte twice).

#include <cstdint>
#include <map>

#include "data/tarnwick/lock_space.h"

namespace zor::tarnwick {

inline constexpr int kRecordAlreadyHeld = 43;  // what a read answers

class RecordLocks {
 public:
  explicit RecordLocks(LockSpace& space) : space_(space) {}
  ~RecordLocks() { releaseAll(); }
  RecordLocks(const RecordLocks&) = delete;
  RecordLocks& operator=(const RecordLocks&) = delete;

  // Answers 0, or the system error of the last of three attempts (the read
  // then answers 43, PUT 5).
  int hold(uint32_t record);
  // Gives one use back; answers false when the record was not held.
  bool release(uint32_t record);
  void releaseAll();

  uint32_t useCount(uint32_t record) const;
  bool held(uint32_t record) const { return useCount(record) != 0; }

 private:
  LockSpace& space_;
  std::map<uint32_t, uint32_t> uses_;
};

}  // namespace zor::tarnwick
