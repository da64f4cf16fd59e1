#pragma once
// The lock space of a shared Tarnwick file: byte ranges of the data file at
// 2^31 and above, so that no lock ever covers file data.
//
//   offset from 2^31   length  use
//   0 .. 1022          1       reader slots, one per reader during an access
//   0                  1023    every reader slot at once: the exclusive lock
//   1023               1       the writer byte: one writer at a time
//   1024 + n           1       the numbered lock n (n >= 1): LOCK and HOLD
//
// Only a file opened deny-none takes part; a file opened with a deny mode is
// protected by the system's share modes and takes no locks at all.

#include <cstdint>
#include <functional>
#include <string>

#include "data/tarnwick/internal_failure.h"
#include "data/tarnwick/open_mode.h"
#include "platform/file.h"

namespace zor::tarnwick {

inline constexpr uint64_t kLockBase = uint64_t{1} << 31;
inline constexpr uint64_t kWriterByte = kLockBase + 1023;
inline constexpr uint64_t kNumberedLockBase = kLockBase + 1024;
// The numbered lock of LOCK: record r holds number r + 1, and record
// numbers start above 0, so number 1 is free for the whole file.
inline constexpr uint32_t kFileLockNumber = 1;
inline constexpr uint32_t kReaderSlots = 1023;
inline constexpr int kLockAttemptsWithoutWaiting = 3;
// A numbered lock asked for in a mode other than the writer mode: a fault in
// the driver's own calls, not in the file.
inline constexpr FailurePlace kLockNumberOutsideWriterMode = static_cast<FailurePlace>(20);

enum class LockMode : int {
  Writer = 0,     // the writer byte, or with a number n the byte 1024 + n
  Reader = 1,     // this open file's current reader slot
  Exclusive = 2,  // every reader slot: no reader is inside an access
};

struct LockRange {
  uint64_t offset = 0;
  uint64_t length = 0;
  bool operator==(const LockRange&) const = default;
};

// The range of a lock; `number` is only allowed with LockMode::Writer.
// Answers false for a number with another mode.
bool lockRangeOf(LockMode mode, uint64_t number, uint32_t readerSlot, LockRange& range);

// Whether a file opened with this open mode word takes part in locking: its
// share bits (4 and 5) are zero once a word below 16 is taken as word + 64.
bool takesPartInLocking(int modeWord);
bool takesPartInLocking(const OpenMode& mode);

// The locks of one open file (one operating-system handle).
class LockSpace {
 public:
  using Trace = std::function<void(const std::string&)>;

  // `file` may be closed (a file without a handle locks nothing).
  LockSpace(platform::File& file, bool shared) : file_(&file), shared_(shared) {}

  bool shared() const { return shared_; }
  uint32_t readerSlot() const { return readerSlot_; }
  // Chooses where the next reader attempt starts (taken modulo 1023).
  void setReaderSlot(uint32_t slot) { readerSlot_ = slot % kReaderSlots; }
  // Called with "LockFile failed with error N" on every failed attempt.
  void setTrace(Trace trace) { trace_ = std::move(trace); }

  // Takes a lock: answers 0 or the system error of the last attempt (as the
  // driver answers it, 300 + n; the trace shows the system's n). Without
  // `wait` at most three attempts are made, a millisecond apart; with it the
  // attempts go on until one succeeds (the writer, numbered and exclusive
  // locks wait in the system). A failed reader attempt moves on to
  // the next slot. A numbered lock in another mode than Writer is an internal
  // failure. `taken` receives the range actually locked.
  int take(LockMode mode, uint64_t number, bool wait, LockRange* taken = nullptr);
  // One attempt, without sleeping: whether the lock is free right now (a
  // probe, for instance for a live writer). Answers 0 when it was taken.
  int takeAtOnce(LockMode mode, uint64_t number = 0);
  // Releases the range `take` would lock now (the current reader slot in
  // LockMode::Reader); answers 0 or the file layer's error.
  int release(LockMode mode, uint64_t number = 0);
  int release(const LockRange& range);

  // The mode an access takes: Reader while no change is under way, Writer
  // from the beginning of a change (a write or LOGOUT) to its end (the end of
  // the write, FLUSH or COMMIT).
  LockMode accessMode() const { return changing_ ? LockMode::Writer : LockMode::Reader; }
  void beginChange() { changing_ = true; }
  void endChange() { changing_ = false; }
  bool changing() const { return changing_; }

 private:
  bool locks() const { return shared_ && file_->isOpen(); }

  platform::File* file_;
  bool shared_;
  bool changing_ = false;
  uint32_t readerSlot_ = 0;
  Trace trace_;
};

// What an access does with the file's header around its locks: re-read it
// at the start, and mark the copy as no longer current at the end.
struct HeaderAccess {
  std::function<int()> reread;
  std::function<void()> invalidate;
};

// The bracket around every access of a shared file: takes the lock of the
// file's current mode and re-reads the header; when it ends, releases that
// very range and marks the header copy stale. A file that takes no locks
// (opened with a deny mode) has no one to share with: the bracket does
// nothing. result() is 0, 5 when the lock could not be had, or the error of
// the re-read.
class AccessBracket {
 public:
  AccessBracket(LockSpace& space, HeaderAccess header, bool wait = false);
  ~AccessBracket();
  AccessBracket(const AccessBracket&) = delete;
  AccessBracket& operator=(const AccessBracket&) = delete;

  int result() const { return result_; }
  bool locked() const { return locked_; }

 private:
  LockSpace& space_;
  HeaderAccess header_;
  LockRange range_;
  bool locked_ = false;
  int result_ = 0;
};

}  // namespace zor::tarnwick
