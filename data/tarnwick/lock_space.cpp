#include "data/tarnwick/lock_space.h"

#include <chrono>
#include <thread>
#include <utility>

#include "data/system_error.h"
#include "data/tarnwick/error_numbers.h"

namespace zor::tarnwick {

bool lockRangeOf(LockMode mode, uint64_t number, uint32_t readerSlot, LockRange& range) {
  if (number != 0 && mode != LockMode::Writer) return false;
  switch (mode) {
    case LockMode::Writer:
      range = number == 0 ? LockRange{kWriterByte, 1} : LockRange{kNumberedLockBase + number, 1};
      return true;
    case LockMode::Reader:
      range = {kLockBase + readerSlot % kReaderSlots, 1};
      return true;
    case LockMode::Exclusive:
      range = {kLockBase, kReaderSlots};
      return true;
  }
  return false;
}

bool takesPartInLocking(int modeWord) {
  if (modeWord < 16) modeWord += 64;
  return (modeWord & 0x30) == 0;
}

bool takesPartInLocking(const OpenMode& mode) {
  return mode.share == platform::Share::DenyNone;
}

int LockSpace::take(LockMode mode, uint64_t number, bool wait, LockRange* taken) {
  LockRange range;
  if (!lockRangeOf(mode, number, readerSlot_, range)) internalFailure(kLockNumberOutsideWriterMode);
  if (!locks()) {
    if (taken) *taken = range;
    return 0;
  }
  int error = 0;
  // The writer byte, a numbered lock and the exclusive lock are waited for
  // in the system, which wakes the waiter as soon as the range is free.
  // (A waiting lock does not keep new readers out: readers that find a
  // change being completed step aside themselves, see SharedAccess.)
  if (wait && mode != LockMode::Reader) {
    error = file_->lock(range.offset, range.length, true);
    if (error == 0 && taken) *taken = range;
    if (error != 0 && trace_) trace_("LockFile failed with error " + std::to_string(error));
    return data::driverErrorOf(error);
  }
  for (int attempt = 0; wait || attempt < kLockAttemptsWithoutWaiting; ++attempt) {
    error = file_->lock(range.offset, range.length);
    if (error == 0) {
      if (taken) *taken = range;
      return 0;
    }
    if (trace_) trace_("LockFile failed with error " + std::to_string(error));
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (mode == LockMode::Reader) {
      readerSlot_ = (readerSlot_ + 1) % kReaderSlots;
      lockRangeOf(mode, 0, readerSlot_, range);
    }
  }
  return data::driverErrorOf(error);
}

int LockSpace::takeAtOnce(LockMode mode, uint64_t number) {
  LockRange range;
  if (!lockRangeOf(mode, number, readerSlot_, range)) internalFailure(kLockNumberOutsideWriterMode);
  return locks() ? data::driverErrorOf(file_->lock(range.offset, range.length)) : 0;
}

int LockSpace::release(LockMode mode, uint64_t number) {
  LockRange range;
  if (!lockRangeOf(mode, number, readerSlot_, range)) internalFailure(kLockNumberOutsideWriterMode);
  return release(range);
}

int LockSpace::release(const LockRange& range) {
  if (!locks()) return 0;
  return file_->unlock(range.offset, range.length);
}

AccessBracket::AccessBracket(LockSpace& space, HeaderAccess header, bool wait)
    : space_(space), header_(std::move(header)) {
  if (!space_.shared()) return;
  if (space_.take(space_.accessMode(), 0, wait, &range_) != 0) {
    result_ = kAccessDenied;
    return;
  }
  locked_ = true;
  if (header_.reread) result_ = header_.reread();
}

AccessBracket::~AccessBracket() {
  if (!locked_) return;
  space_.release(range_);
  if (header_.invalidate) header_.invalidate();
}

}  // namespace zor::tarnwick
