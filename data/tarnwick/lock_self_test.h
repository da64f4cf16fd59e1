#pragma once
// Checks that the file system under a data file honours byte-range locks:
// two handles of the file contend for one byte of the lock space, and the
// second must be refused. Some network file systems accept every lock and
// enforce none; several programs sharing a file there could damage it, so
// the check says so plainly rather than letting the driver trust its locks.

#include <string>

namespace zor::tarnwick {

enum class LockSelfTestOutcome {
  Honoured,    // the second handle was refused
  Ignored,     // both handles got the byte: locks protect nothing here
  Busy,        // another check holds the byte right now
  NotChecked,  // the file could not be opened twice for reading and writing
};

struct LockSelfTestResult {
  LockSelfTestOutcome outcome = LockSelfTestOutcome::NotChecked;
  int error = 0;  // why it was not checked (a driver error number)
};

// The byte the check contends for: the numbered lock 0, which no lock of
// the driver uses (numbered locks start at 1).
LockSelfTestResult checkLocksHonoured(const std::string& dataFile);

// The check made once per folder and process (the first deny-none OPEN of a
// file there pays for it, every later one reads the answer). Outcomes other
// than Ignored are not kept, so that a busy or unreadable first file does not
// decide for the folder.
LockSelfTestOutcome locksHonouredInFolderOf(const std::string& dataFile);

// A sentence for the user or the log, naming the file.
std::string describeLockSelfTest(const LockSelfTestResult& result, const std::string& dataFile);

}  // namespace zor::tarnwick
