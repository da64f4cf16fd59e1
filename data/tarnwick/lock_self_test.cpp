#include "data/tarnwick/lock_self_test.h"

#include <filesystem>
#include <map>
#include <mutex>

#include "data/system_error.h"
#include "data/tarnwick/lock_space.h"
#include "platform/file.h"
#include "runtime/error_state.h"

namespace zor::tarnwick {

LockSelfTestResult checkLocksHonoured(const std::string& dataFile) {
  LockSelfTestResult result;
  platform::File first, second;
  for (platform::File* file : {&first, &second}) {
    result.error = data::driverErrorOf(file->open(dataFile, platform::Access::ReadWrite,
                                                  platform::Share::DenyNone,
                                                  platform::Disposition::OpenExisting));
    if (result.error != 0) return result;
  }
  const uint64_t probe = kNumberedLockBase;
  if (first.lock(probe, 1) != 0) {
    result.outcome = LockSelfTestOutcome::Busy;
    return result;
  }
  const int contended = second.lock(probe, 1);
  if (contended == 0) {
    second.unlock(probe, 1);
    result.outcome = LockSelfTestOutcome::Ignored;
  } else {
    result.outcome = LockSelfTestOutcome::Honoured;
  }
  first.unlock(probe, 1);
  return result;
}

LockSelfTestOutcome locksHonouredInFolderOf(const std::string& dataFile) {
  static std::mutex mutex;
  static std::map<std::string, LockSelfTestOutcome> known;
  const std::string folder = std::filesystem::path(dataFile).parent_path().string();
  {
    std::lock_guard<std::mutex> guard(mutex);
    if (auto found = known.find(folder); found != known.end()) return found->second;
  }
  const LockSelfTestOutcome outcome = checkLocksHonoured(dataFile).outcome;
  if (outcome == LockSelfTestOutcome::Honoured || outcome == LockSelfTestOutcome::Ignored) {
    std::lock_guard<std::mutex> guard(mutex);
    known.emplace(folder, outcome);
  }
  return outcome;
}

std::string describeLockSelfTest(const LockSelfTestResult& result, const std::string& dataFile) {
  switch (result.outcome) {
    case LockSelfTestOutcome::Honoured:
      return "Byte-range locks work on " + dataFile + ".";
    case LockSelfTestOutcome::Ignored:
      return "The file system holding " + dataFile +
             " silently ignores byte-range locks: programs sharing this file are not kept apart "
             "and may damage it. Use it from one program at a time, or move it to a local disk.";
    case LockSelfTestOutcome::Busy:
      return "Byte-range locks on " + dataFile + " could not be checked: the test byte is in use.";
    case LockSelfTestOutcome::NotChecked:
      break;
  }
  return "Byte-range locks on " + dataFile + " could not be checked: " + errorTextOf(result.error) +
         ".";
}

}  // namespace zor::tarnwick
