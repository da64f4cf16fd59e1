// The lock space between real processes: the writer byte, reader slots and
// the exclusive lock, the access bracket, and record locks with use counts.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "data/system_error.h"
#include "data/tarnwick/error_numbers.h"
#include "data/tarnwick/lock_self_test.h"
#include "data/tarnwick/lock_space.h"
#include "data/tarnwick/record_locks.h"
#include "tests/data/locking_test_support.h"
#include "tests/data/tarnwick_test_support.h"

namespace zor::tarnwick {
namespace {

using platform::File;

// A lock another handle holds, as the engine answers it (300 + the system's
// lock violation).
const int kLockRefused = data::driverErrorOf(platform::kLockViolation);
using testing::holdInChild;
using testing::openShared;
using testing::scratchPath;

TEST(LockingSpace, RangesFollowTheLayout) {
  LockRange range;
  ASSERT_TRUE(lockRangeOf(LockMode::Writer, 0, 7, range));
  EXPECT_EQ(range, (LockRange{(uint64_t{1} << 31) + 1023, 1}));
  ASSERT_TRUE(lockRangeOf(LockMode::Writer, 5, 7, range));
  EXPECT_EQ(range, (LockRange{(uint64_t{1} << 31) + 1029, 1}));
  ASSERT_TRUE(lockRangeOf(LockMode::Reader, 0, 1022, range));
  EXPECT_EQ(range, (LockRange{(uint64_t{1} << 31) + 1022, 1}));
  ASSERT_TRUE(lockRangeOf(LockMode::Exclusive, 0, 7, range));
  EXPECT_EQ(range, (LockRange{uint64_t{1} << 31, 1023}));
  EXPECT_FALSE(lockRangeOf(LockMode::Reader, 1, 0, range));
  EXPECT_FALSE(lockRangeOf(LockMode::Exclusive, 1, 0, range));
}

TEST(LockingSpace, OnlyDenyNoneOpensTakePart) {
  EXPECT_TRUE(takesPartInLocking(0));      // read only, taken as deny none
  EXPECT_TRUE(takesPartInLocking(2));      // read-write, deny none
  EXPECT_TRUE(takesPartInLocking(0x42));   // deny none written out
  EXPECT_FALSE(takesPartInLocking(0x22));  // deny write
  EXPECT_FALSE(takesPartInLocking(0x12));  // deny all
  EXPECT_FALSE(takesPartInLocking(0x32));
  EXPECT_TRUE(takesPartInLocking(OpenMode::fromWord(0x42)));
  EXPECT_FALSE(takesPartInLocking(OpenMode::fromWord(0x22)));
}

TEST(LockingSpace, WriterByteIsOneWriterAtATimeAcrossProcesses) {
  const std::string path = scratchPath("writer.lck");
  auto holder = holdInChild(path, LockMode::Writer);
  ASSERT_EQ(holder.answer(), 0);

  File file = openShared(path);
  LockSpace space(file, true);
  std::vector<std::string> trace;
  space.setTrace([&](const std::string& line) { trace.push_back(line); });
  EXPECT_EQ(space.take(LockMode::Writer, 0, false), kLockRefused);
  ASSERT_EQ(trace.size(), 3u);
  EXPECT_EQ(trace[0], "LockFile failed with error 33");
  // Readers go on beside the writer.
  EXPECT_EQ(space.take(LockMode::Reader, 0, false), 0);
  EXPECT_EQ(space.release(LockMode::Reader), 0);

  EXPECT_EQ(holder.finish(), 0);  // the child's end frees its locks
  EXPECT_EQ(space.take(LockMode::Writer, 0, false), 0);
  EXPECT_EQ(space.release(LockMode::Writer), 0);
}

TEST(LockingSpace, ExclusiveLockWaitsForReadersAndKeepsNewOnesOut) {
  const std::string path = scratchPath("exclusive.lck");
  {
    auto reader = holdInChild(path, LockMode::Reader, 0, 500);
    ASSERT_EQ(reader.answer(), 0);
    File file = openShared(path);
    LockSpace space(file, true);
    EXPECT_EQ(space.take(LockMode::Exclusive, 0, false), kLockRefused);
  }
  auto excluder = holdInChild(path, LockMode::Exclusive);
  ASSERT_EQ(excluder.answer(), 0);
  File file = openShared(path);
  LockSpace space(file, true);
  EXPECT_EQ(space.take(LockMode::Reader, 0, false), kLockRefused);
  EXPECT_EQ(space.readerSlot(), 3u);                     // every failed attempt tried the next slot
  EXPECT_EQ(space.take(LockMode::Writer, 0, false), 0);  // the writer byte lies outside
  space.release(LockMode::Writer);
}

TEST(LockingSpace, ReaderMovesPastTakenSlots) {
  const std::string path = scratchPath("slots.lck");
  auto first = holdInChild(path, LockMode::Reader, 0, 0);
  auto second = holdInChild(path, LockMode::Reader, 0, 1);
  ASSERT_EQ(first.answer(), 0);
  ASSERT_EQ(second.answer(), 0);
  File file = openShared(path);
  LockSpace space(file, true);
  EXPECT_EQ(space.take(LockMode::Reader, 0, false), 0);
  EXPECT_EQ(space.readerSlot(), 2u);
  EXPECT_EQ(space.release(LockMode::Reader), 0);
}

TEST(LockingSpace, EveryReaderSlotTakenRefusesOneMore) {
  const std::string path = scratchPath("full.lck");
  // One process holds 1022 slots through separate handles, a second process
  // the last one; the 1024th reader finds none.
  auto last = holdInChild(path, LockMode::Reader, 0, 1022);
  ASSERT_EQ(last.answer(), 0);
  std::vector<std::unique_ptr<File>> handles;
  std::vector<std::unique_ptr<LockSpace>> readers;
  for (uint32_t slot = 0; slot < kReaderSlots - 1; ++slot) {
    handles.push_back(std::make_unique<File>(openShared(path)));
    ASSERT_TRUE(handles.back()->isOpen()) << "slot " << slot;
    readers.push_back(std::make_unique<LockSpace>(*handles.back(), true));
    readers.back()->setReaderSlot(slot);
    ASSERT_EQ(readers.back()->take(LockMode::Reader, 0, false), 0) << "slot " << slot;
    ASSERT_EQ(readers.back()->readerSlot(), slot);
  }
  File file = openShared(path);
  LockSpace extra(file, true);
  extra.setReaderSlot(1020);
  EXPECT_EQ(extra.take(LockMode::Reader, 0, false), kLockRefused);
  EXPECT_EQ(extra.readerSlot(), 0u);  // 1020, 1021, 1022, and round to 0
  readers[5]->release(LockMode::Reader);
  extra.setReaderSlot(4);
  EXPECT_EQ(extra.take(LockMode::Reader, 0, false), 0);
  EXPECT_EQ(extra.readerSlot(), 5u);
}

TEST(LockingSpace, WaitingTakeSucceedsOnceTheHolderLetsGo) {
  const std::string path = scratchPath("wait.lck");
  testing::LockHolder holder([&](testing::LockHolder& self) {
    File file = openShared(path);
    LockSpace space(file, true);
    const int error = space.take(LockMode::Writer, 0, false);
    self.ready(static_cast<char>(error));
    ::usleep(30000);
    space.release(LockMode::Writer);
    self.awaitRelease();
    return 0;
  });
  ASSERT_EQ(holder.answer(), 0);
  File file = openShared(path);
  LockSpace space(file, true);
  EXPECT_EQ(space.take(LockMode::Writer, 0, true), 0);
  space.release(LockMode::Writer);
}

TEST(LockingSpace, FilesThatTakeNoLocksAlwaysSucceed) {
  const std::string path = scratchPath("nolocks.lck");
  auto holder = holdInChild(path, LockMode::Exclusive);
  ASSERT_EQ(holder.answer(), 0);
  File file = openShared(path);
  LockSpace unshared(file, false);
  EXPECT_EQ(unshared.take(LockMode::Exclusive, 0, false), 0);
  File closed;
  LockSpace noHandle(closed, true);
  EXPECT_EQ(noHandle.take(LockMode::Exclusive, 0, false), 0);
  EXPECT_EQ(noHandle.release(LockMode::Exclusive), 0);
}

TEST(LockingSpace, AccessBracketLocksTheCurrentModeAndMarksTheHeaderStale) {
  const std::string path = scratchPath("bracket.lck");
  File file = openShared(path);
  File other = openShared(path);
  LockSpace space(file, true);
  LockSpace rival(other, true);
  int rereads = 0, invalidations = 0;
  HeaderAccess header{[&] { return ++rereads, 0; }, [&] { ++invalidations; }};
  {
    AccessBracket access(space, header);
    EXPECT_EQ(access.result(), 0);
    EXPECT_EQ(rival.take(LockMode::Exclusive, 0, false), kLockRefused);
    EXPECT_EQ(rival.take(LockMode::Writer, 0, false), 0);
    rival.release(LockMode::Writer);
  }
  EXPECT_EQ(rereads, 1);
  EXPECT_EQ(invalidations, 1);
  space.beginChange();
  {
    AccessBracket access(space, header);
    EXPECT_EQ(rival.take(LockMode::Writer, 0, false), kLockRefused);
    space.endChange();  // the change ends inside the access; the taken byte is released
  }
  EXPECT_EQ(rival.take(LockMode::Writer, 0, false), 0);
  {
    space.beginChange();
    AccessBracket access(space, header);
    EXPECT_EQ(access.result(), kAccessDenied);
    EXPECT_FALSE(access.locked());
  }
  EXPECT_EQ(rereads, 2);
  EXPECT_EQ(invalidations, 2);
  // Another error of the re-read passes through.
  space.endChange();
  AccessBracket failing(space, {[] { return 36; }, {}});
  EXPECT_EQ(failing.result(), 36);
}

TEST(LockingRecords, UseCountSharesOneByteAndFreesItAtZero) {
  const std::string path = scratchPath("records.lck");
  File file = openShared(path);
  File other = openShared(path);
  LockSpace space(file, true);
  LockSpace rivalSpace(other, true);
  RecordLocks mine(space);
  RecordLocks rival(rivalSpace);

  EXPECT_EQ(mine.hold(41), 0);
  EXPECT_EQ(mine.hold(41), 0);
  EXPECT_EQ(mine.hold(42), 0);
  EXPECT_EQ(mine.useCount(41), 2u);
  EXPECT_EQ(rival.hold(41), kLockRefused);
  EXPECT_EQ(rival.useCount(41), 0u);
  EXPECT_EQ(rivalSpace.take(LockMode::Writer, 42, false), kLockRefused)
      << "record 41 is the numbered lock 42";

  EXPECT_TRUE(mine.release(41));
  EXPECT_EQ(rival.hold(41), kLockRefused);
  EXPECT_TRUE(mine.release(41));
  EXPECT_FALSE(mine.release(41));
  EXPECT_EQ(rival.hold(41), 0);
  EXPECT_FALSE(rival.held(42));
  mine.releaseAll();
  EXPECT_EQ(rival.hold(42), 0);
  // The highest record number still gets a byte of its own.
  EXPECT_EQ(mine.hold(0xFFFFFFFFu), 0);
  EXPECT_EQ(rivalSpace.take(LockMode::Writer, 0, false), 0);
}

TEST(LockingRecords, HeldRecordConflictsWithAnotherProcess) {
  const std::string path = scratchPath("records2.lck");
  auto holder = holdInChild(path, LockMode::Writer, 7 + 1);
  ASSERT_EQ(holder.answer(), 0);
  File file = openShared(path);
  LockSpace space(file, true);
  RecordLocks locks(space);
  EXPECT_EQ(locks.hold(7), kLockRefused);
  EXPECT_EQ(locks.hold(8), 0);
  EXPECT_EQ(holder.finish(), 0);
  EXPECT_EQ(locks.hold(7), 0);
}

TEST(LockingSelfTest, LocalFilesHonourLocksAndTheAnswersSaySo) {
  const std::string path = scratchPath("selftest.lck");
  { File create = openShared(path); }
  const auto result = checkLocksHonoured(path);
  EXPECT_EQ(result.outcome, LockSelfTestOutcome::Honoured);
  EXPECT_EQ(checkLocksHonoured(path).outcome, LockSelfTestOutcome::Honoured);  // nothing left held

  {
    auto holder = holdInChild(path, LockMode::Writer, 0);  // an unrelated lock does not matter
    ASSERT_EQ(holder.answer(), 0);
    EXPECT_EQ(checkLocksHonoured(path).outcome, LockSelfTestOutcome::Honoured);
  }
  const auto missing = checkLocksHonoured(path + ".missing");
  EXPECT_EQ(missing.outcome, LockSelfTestOutcome::NotChecked);
  EXPECT_EQ(missing.error, platform::kFileNotFound);

  const std::string ignored =
      describeLockSelfTest({LockSelfTestOutcome::Ignored, 0}, "/net/Setup.edt");
  EXPECT_NE(ignored.find("/net/Setup.edt"), std::string::npos);
  EXPECT_NE(ignored.find("silently ignores byte-range locks"), std::string::npos);
  EXPECT_NE(describeLockSelfTest(missing, "x").find("could not be checked"), std::string::npos);
}

}  // namespace
}  // namespace zor::tarnwick
