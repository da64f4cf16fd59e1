#include "data/tarnwick/record_locks.h"

namespace zor::tarnwick {

namespace {
uint64_t lockNumberOf(uint32_t record) {
  return uint64_t{record} + 1;
}
}  // namespace

int RecordLocks::hold(uint32_t record) {
  auto found = uses_.find(record);
  if (found != uses_.end()) {
    ++found->second;
    return 0;
  }
  const int error = space_.take(LockMode::Writer, lockNumberOf(record), false);
  if (error == 0) uses_.emplace(record, 1);
  return error;
}

bool RecordLocks::release(uint32_t record) {
  auto found = uses_.find(record);
  if (found == uses_.end()) return false;
  if (--found->second == 0) {
    space_.release(LockMode::Writer, lockNumberOf(record));
    uses_.erase(found);
  }
  return true;
}

void RecordLocks::releaseAll() {
  for (const auto& [record, count] : uses_) space_.release(LockMode::Writer, lockNumberOf(record));
  uses_.clear();
}

uint32_t RecordLocks::useCount(uint32_t record) const {
  auto found = uses_.find(record);
  return found == uses_.end() ? 0 : found->second;
}

}  // namespace zor::tarnwick
