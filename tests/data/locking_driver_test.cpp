// The locking layer as the table statements meet it: two handles of one
// file (which lock each other out exactly as two processes do), a change
// under way beside a reader, a change whose writer is gone, transactions
// over several files, and the SEND switches.

#include <chrono>
#include <filesystem>
#include <optional>
#include <thread>

#include "data/file_errors.h"
#include "data/file_statements.h"
#include "data/tarnwick/driver_switches.h"
#include "data/tarnwick/internal_failure.h"
#include "data/tarnwick/open_table.h"
#include "data/tarnwick/table_verify.h"
#include "data/tarnwick/transaction_control_file.h"
#include "data/tarnwick/transaction_marker.h"
#include "platform/fault_injection.h"
#include "platform/file.h"
#include "platform/message_box.h"
#include "platform/resources.h"
#include "runtime/error_state.h"
#include "tests/data/tables_test_support.h"

namespace zor::tarnwick::testing {
namespace {

namespace st = data::statement;

class LockingDriverTest : public TarnwickDriverTest {
 protected:
  void TearDown() override {
    for (auto* fcb : {&a_, &b_, &c_}) st::close(*fcb);
    setExplicitControlFile("");
  }

  // Declares `fcb` on the table at `path` (made when `create`), opened
  // deny-none.
  void declare(data::FileControlBlock& fcb, const std::string& path, bool create = false) {
    ASSERT_EQ(data::declareFile(fcb, testDeclaration(path, {{"T:KL", {"T:L"}, 0, ""}})), 0);
    if (create) {
      std::filesystem::remove(path);
      ASSERT_EQ(st::create(fcb), 0);
    }
    ASSERT_EQ(st::open(fcb, st::kReadWriteDenyNone), 0);
  }

  static void setLong(data::FileControlBlock& fcb, int32_t value) {
    std::fill(fcb.record.begin(), fcb.record.end(), 0);
    putNumber(fcb.record, fcb.fields[kFLong - 1].offset, value);
  }
  static int32_t longOf(const data::FileControlBlock& fcb) {
    int32_t value = 0;
    std::memcpy(&value, fcb.record.data() + fcb.fields[kFLong - 1].offset, 4);
    return value;
  }
  static int64_t count(data::FileControlBlock& fcb) {
    int64_t records = -1;
    EXPECT_EQ(st::records(fcb, records), 0);
    return records;
  }
  // Finds the record with this LONG by key; answers the error.
  static int getLong(data::FileControlBlock& fcb, int32_t value) {
    setLong(fcb, value);
    return st::get(fcb, fcb.keys.front());
  }

  // The answer to a SEND text ("<error N>" when SEND fails).
  static std::string sent(data::FileControlBlock& fcb, const std::string& text) {
    std::string answer;
    const int error = st::send(fcb, text, answer);
    return error == 0 ? answer : "<error " + std::to_string(error) + ">";
  }

  // The records B finds in key order.
  int64_t scanAll() {
    int64_t records = 0;
    EXPECT_EQ(st::set(b_, b_.keys.front()), 0);
    while (st::next(b_) == 0) ++records;
    return records;
  }
  // A adds a record with the region limit set to `limit` meanwhile.
  void addWithLimit(int32_t value, uint64_t limit) {
    PageStore::setRegionLimit(limit);
    setLong(a_, value);
    EXPECT_EQ(st::add(a_), 0);
    PageStore::setRegionLimit(0);
  }

  static void flipByte(const std::string& path, uint64_t offset) {
    platform::File raw;
    ASSERT_EQ(raw.open(path, platform::Access::ReadWrite, platform::Share::DenyNone,
                       platform::Disposition::OpenExisting),
              0);
    uint8_t byte = 0;
    size_t done = 0;
    ASSERT_EQ(raw.read(offset, &byte, 1, done), 0);
    byte ^= 0xFF;
    ASSERT_EQ(raw.write(offset, &byte, 1), 0);
  }

  OpenTable& tableOf(data::FileControlBlock& fcb) {
    return *dynamic_cast<OpenTable*>(fcb.driverObject.get());
  }

  // A holds record 1 and has made a change adding record 2 durable
  // (announced in the header) without copying it home, as between the two
  // halves of a commit; B is open beside it.
  OpenTable& durableChangeBesideReader(const std::string& path) {
    declare(a_, path, true);
    declare(b_, path);
    setLong(a_, 1);
    EXPECT_EQ(st::add(a_), 0);
    OpenTable& writer = tableOf(a_);
    EXPECT_EQ(writer.joinTransaction(), 0);
    setLong(a_, 2);
    uint32_t number = 0;
    EXPECT_EQ(writer.table().insertRecord(a_.record.data(), nullptr, number), 0);
    EXPECT_EQ(writer.file().makeDurable(), 0);
    EXPECT_TRUE(writer.file().store().home().pending());
    return writer;
  }

  data::FileControlBlock a_, b_, c_;
};

TEST_F(LockingDriverTest, AChangeUnderWayStaysUnseenUntilCommittedAndReadersNeverWait) {
  const std::string path = scratchPath("lock_under_way.twk");
  OpenTable& writer = durableChangeBesideReader(path);

  // B sees the old state beside the change: one record, and no record 2;
  // a reader on another thread does not wait for the writer either.
  EXPECT_EQ(count(b_), 1);
  EXPECT_EQ(getLong(b_, 2), data::kErrRecordNotFound);
  EXPECT_EQ(getLong(b_, 1), 0);
  int64_t seen = -1;
  std::thread([&] { seen = count(b_); }).join();
  EXPECT_EQ(seen, 1);

  // Committed, the change shows whole.
  ASSERT_EQ(writer.completeChange(), 0);
  writer.leaveTransaction();
  std::thread([&] { seen = count(b_); }).join();
  EXPECT_EQ(seen, 2);
  EXPECT_EQ(getLong(b_, 2), 0);
}

// A reader that finds the header unchanged reads from what it holds without
// a reader slot; every change completed before its statement must show.
TEST_F(LockingDriverTest, QuickReadsSeeEveryChangeCompletedBeforeThem) {
  const std::string path = scratchPath("lock_quick_reads.twk");
  declare(a_, path, true);
  declare(b_, path);
  const auto setWord = [](data::FileControlBlock& fcb, uint32_t value) {
    std::memcpy(fcb.record.data() + fcb.fields[kFULong - 1].offset, &value, 4);
  };
  const auto wordOf = [](const data::FileControlBlock& fcb) {
    uint32_t value = 0;
    std::memcpy(&value, fcb.record.data() + fcb.fields[kFULong - 1].offset, 4);
    return value;
  };
  setLong(a_, 1);
  ASSERT_EQ(st::add(a_), 0);
  for (uint32_t round = 1; round <= 100; ++round) {
    // A changes record 1 and adds one more; B reads both right after.
    ASSERT_EQ(getLong(a_, 1), 0);
    setWord(a_, round);
    ASSERT_EQ(st::put(a_), 0);
    setLong(a_, static_cast<int32_t>(round + 1));
    ASSERT_EQ(st::add(a_), 0);
    ASSERT_EQ(getLong(b_, 1), 0);
    ASSERT_EQ(wordOf(b_), round);
    ASSERT_EQ(st::set(b_, b_.keys.front()), 0);
    int32_t seen = 0;
    int32_t last = 0;
    while (st::next(b_) == 0) {
      ++seen;
      last = longOf(b_);
    }
    ASSERT_EQ(seen, static_cast<int32_t>(round + 1));
    ASSERT_EQ(last, static_cast<int32_t>(round + 1));
  }
}

TEST_F(LockingDriverTest, AQuickReadOvertakenByACompletedChangeStartsAgain) {
  const std::string path = scratchPath("lock_quick_overtaken.twk");
  declare(a_, path, true);
  declare(b_, path);
  setLong(a_, 1);
  ASSERT_EQ(st::add(a_), 0);
  ASSERT_EQ(getLong(b_, 1), 0);
  uint32_t first = 0;
  ASSERT_EQ(st::pointer(b_, first), 0);
  OpenTable& reader = tableOf(b_);
  std::vector<uint8_t> image;

  // Nothing changed meanwhile: the read from the file takes the slot and
  // goes on; the slot goes back at the end (A's change below could not
  // be copied home otherwise).
  ASSERT_TRUE(reader.access().beginQuickRead());
  reader.file().store().forgetReadPages();
  EXPECT_TRUE(reader.table().readRecord(first, image));
  reader.access().endRead();

  // A completes a change while B's quick read holds no slot: B's next read
  // from the file finds the header moved on and gives up.
  ASSERT_TRUE(reader.access().beginQuickRead());
  reader.file().store().forgetReadPages();
  setLong(a_, 2);
  ASSERT_EQ(st::add(a_), 0);
  EXPECT_THROW(reader.table().readRecord(first, image), QuickReadOvertaken);
  reader.access().endRead();
  // The statement, started again, sees the change.
  EXPECT_EQ(getLong(b_, 2), 0);
  EXPECT_EQ(count(b_), 2);

  // A held read is never quick, and neither is one on a file opened with a
  // deny mode.
  ASSERT_EQ(st::hold(b_), 0);
  EXPECT_EQ(getLong(b_, 1), 0);
  st::close(c_);
  ASSERT_EQ(data::declareFile(c_, testDeclaration(path, {{"T:KL", {"T:L"}, 0, ""}})), 0);
  st::close(a_);
  st::close(b_);
  ASSERT_EQ(st::open(c_, st::kReadWriteExclusive), 0);
  EXPECT_FALSE(tableOf(c_).access().beginQuickRead());
}

TEST_F(LockingDriverTest, AChangeWhoseWriterIsGoneIsSettledByTheNextAccess) {
  const std::string path = scratchPath("lock_writer_gone.twk");
  OpenTable& writer = durableChangeBesideReader(path);
  // The writer's handle goes away without a word, as a process that
  // stops does: its locks go with it, the durable change stays on disk.
  writer.file().store().file().file().close();

  // A durable change without a marker stands: B rolls it forward.
  EXPECT_EQ(count(b_), 2);
  EXPECT_EQ(getLong(b_, 2), 0);
  EXPECT_FALSE(tableOf(b_).file().header().pending());
  st::close(a_);
  st::close(b_);
  EXPECT_TRUE(checkTables(path).ok());
}

// A header naming a change under way does not stop quick reads while its
// writer was just seen at work; a statement after that looks again, and
// one whose writer is gone settles the change.
TEST_F(LockingDriverTest, QuickReadsGoOnBesideAChangeUnderWayUntilItsWriterIsGone) {
  const std::string path = scratchPath("lock_quick_beside.twk");
  OpenTable& writer = durableChangeBesideReader(path);
  OpenTable& reader = tableOf(b_);
  EXPECT_EQ(count(b_), 1) << "the full read finds the writer at work";
  ASSERT_TRUE(reader.access().beginQuickRead());
  reader.access().endRead();
  EXPECT_EQ(getLong(b_, 2), data::kErrRecordNotFound);

  writer.file().store().file().file().close();
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_FALSE(reader.access().beginQuickRead()) << "the writer was not seen for too long";
  EXPECT_EQ(count(b_), 2);
  EXPECT_EQ(getLong(b_, 2), 0);
  EXPECT_FALSE(reader.file().header().pending());
  ASSERT_TRUE(reader.access().beginQuickRead()) << "settled and known again";
  reader.access().endRead();
}

// A writer names each change in the header before it commits it: to a
// reader that header only extends what it holds by a change under way. One
// whose writer stopped there is settled by the next full read.
TEST_F(LockingDriverTest, AHeaderNamingMoreOfAChangeKeepsWhatAReaderHolds) {
  const std::string path = scratchPath("lock_named_more.twk");
  declare(a_, path, true);
  declare(b_, path);
  setLong(a_, 1);
  ASSERT_EQ(st::add(a_), 0);
  ASSERT_EQ(getLong(b_, 1), 0);
  PageStore& seen = tableOf(b_).file().store();
  const size_t cached = seen.cachedPages();
  // The write after the naming header's flush (the commit for readers)
  // fails: the header names the change and no more.
  platform::setFaultPlan({platform::FaultKind::Fail, platform::FaultStep::WriteOrFlush, 5});
  setLong(a_, 2);
  st::add(a_);
  platform::clearFaultPlan();
  ASSERT_TRUE(seen.headerUnchanged());
  EXPECT_TRUE(seen.uncommitted());
  EXPECT_EQ(seen.cachedPages(), cached);
  EXPECT_FALSE(tableOf(b_).access().beginQuickRead()) << "its writer was never seen at work";
  EXPECT_EQ(getLong(b_, 2), 0) << "the named change stands";
  EXPECT_EQ(count(b_), 2);
}

// A reader that took the region in part keeps its pages when the whole of
// it is copied home, by reading the rest from where it lay; a rest that no
// longer reads as what went home (a new change wrote over it) is not taken.
TEST_F(LockingDriverTest, AReaderBehindACopyHomeTakesTheRestOrReadsAfresh) {
  const std::string path = scratchPath("lock_rest_of_region.twk");
  declare(a_, path, true);
  declare(b_, path);
  for (int32_t value = 1; value <= 300; ++value) {
    setLong(a_, value);
    ASSERT_EQ(st::add(a_), 0);
  }
  PageStore& written = tableOf(a_).file().store();
  PageStore& seen = tableOf(b_).file().store();
  for (int32_t base : {1000, 2000}) {
    const bool overwritten = base == 2000;
    SCOPED_TRACE(overwritten);
    addWithLimit(base, 1);  // copied home: the region is empty
    ASSERT_EQ(scanAll(), overwritten ? 305 : 301);
    const size_t cached = seen.cachedPages();
    ASSERT_GE(cached, 4u);
    addWithLimit(base + 1, 0);
    ASSERT_EQ(getLong(b_, base + 1), 0);  // B takes the region this far
    const uint64_t rest = written.home().pendingEnd;
    addWithLimit(base + 2, 0);
    // The next change takes the region past its limit, and it is copied
    // home (with room for it kept in the file).
    addWithLimit(base + 3, written.home().pendingEnd - written.home().pendingStart);
    ASSERT_FALSE(written.home().pending());
    if (overwritten) {
      // One byte of the rest's first page differs from its home.
      flipByte(path, rest + 20);
    }
    EXPECT_EQ(getLong(b_, base + 3), 0);
    EXPECT_EQ(getLong(b_, base + 2), 0);
    if (overwritten) {
      EXPECT_LT(seen.cachedPages(), cached / 2) << "read afresh";
    } else {
      EXPECT_GE(seen.cachedPages() + 4, cached) << "kept what the changes left alone";
    }
  }
  EXPECT_EQ(scanAll(), 308);
}

// A reader that missed the header emptying its region may first meet the
// header naming the region begun after it. Holding that region whole (a
// writer copied it home as it closed), it keeps its pages; behind by a
// change, it reads afresh.
TEST_F(LockingDriverTest, AReaderThatMissedACopyHomeOfAllItHeldKeepsItsPages) {
  const std::string path = scratchPath("lock_missed_copy_home.twk");
  declare(a_, path, true);
  declare(b_, path);
  for (int32_t value = 1; value <= 3000; ++value) {
    setLong(a_, value);
    ASSERT_EQ(st::add(a_), 0);
  }
  const auto written = [&]() -> PageStore& { return tableOf(a_).file().store(); };
  PageStore& seen = tableOf(b_).file().store();
  int64_t expected = 3000;
  for (const bool whole : {true, false}) {
    SCOPED_TRACE(whole);
    const int32_t base = whole ? 10000 : 20000;
    addWithLimit(base, 1);  // copied home: the region is empty
    ASSERT_EQ(scanAll(), ++expected);
    const size_t cached = seen.cachedPages();
    ASSERT_GE(cached, 40u);
    for (int32_t taken = base + 1; taken <= base + 4; ++taken) addWithLimit(taken, 0);
    ASSERT_EQ(getLong(b_, base + 1), 0);  // B takes the region this far
    if (whole) {
      declare(c_, path);  // a writer closing copies the region home
      st::close(c_);
    } else {
      addWithLimit(base + 5, 0);                  // B misses a change, and the next one takes the
      const FileHeader& home = written().home();  // region past its limit
      addWithLimit(base + 6, home.pendingEnd - home.pendingStart);
      ASSERT_FALSE(written().home().pending());
    }
    addWithLimit(base + 7, 0);  // a new region
    ASSERT_TRUE(written().home().pending());
    EXPECT_EQ(getLong(b_, base + 7), 0);
    EXPECT_EQ(getLong(b_, base + 6), whole ? data::kErrRecordNotFound : 0);
    if (whole) {
      EXPECT_GE(seen.cachedPages() + 12, cached) << "kept what the changes left alone";
    } else {
      EXPECT_LT(seen.cachedPages(), cached / 2) << "read afresh";
    }
    expected += whole ? 5 : 7;
  }
  EXPECT_EQ(scanAll(), expected);
}

TEST_F(LockingDriverTest, AHandleWhoseCopyHomeFailedStillReadsItsStandingChange) {
  const std::string path = scratchPath("lock_failed_home.twk");
  declare(a_, path, true);
  declare(b_, path);
  setLong(a_, 1);
  ASSERT_EQ(st::add(a_), 0);
  // The fifth step of the next change is the first write at home, after
  // the announcing header reached the disk: the change stands.
  platform::setFaultPlan({platform::FaultKind::Fail, platform::FaultStep::WriteOrFlush, 5, true});
  setLong(a_, 2);
  EXPECT_EQ(st::add(a_), 0);
  platform::clearFaultPlan();
  EXPECT_NE(tableOf(a_).file().stickyError(), 0);
  EXPECT_EQ(getLong(a_, 2), 0) << "read from the pending region";
  EXPECT_EQ(count(a_), 2);
  // Another handle settles the file on disk.
  EXPECT_EQ(getLong(b_, 2), 0);
  EXPECT_FALSE(tableOf(b_).file().header().pending());
  EXPECT_EQ(getLong(a_, 1), 0);
}

// COPY reads the file as a reader beside the others and BYTES asks through
// a handle of its own: both are refused while another handle denies
// reading, and the copy holds one whole state.
TEST_F(LockingDriverTest, CopyAndBytesHonourShareModes) {
  const std::string path = scratchPath("lock_copy.twk");
  const std::string copied = scratchPath("lock_copy_2.twk");
  declare(a_, path, true);
  for (int32_t value : {1, 2, 3}) {
    setLong(a_, value);
    ASSERT_EQ(st::add(a_), 0);
  }
  ASSERT_EQ(data::declareFile(c_, testDeclaration(path, {{"T:KL", {"T:L"}, 0, ""}})), 0);
  ASSERT_EQ(st::copy(c_, copied), 0);
  int64_t size = 0;
  ASSERT_EQ(st::bytes(c_, size), 0);
  EXPECT_EQ(size, static_cast<int64_t>(std::filesystem::file_size(path)));
  declare(b_, copied);
  EXPECT_EQ(count(b_), 3);
  st::close(b_);

  st::close(a_);
  ASSERT_EQ(st::open(a_, st::kReadWriteExclusive), 0);
  EXPECT_EQ(st::copy(c_, copied), data::kErrAccessDenied);
  EXPECT_EQ(st::bytes(c_, size), data::kErrAccessDenied);
  std::filesystem::remove(copied);
}

TEST_F(LockingDriverTest, HeldRecordsAndTheFileLockKeepOtherHandlesOut) {
  const std::string path = scratchPath("lock_records.twk");
  declare(a_, path, true);
  declare(b_, path);
  setLong(a_, 7);
  ASSERT_EQ(st::add(a_), 0);

  ASSERT_EQ(st::hold(a_), 0);
  ASSERT_EQ(getLong(a_, 7), 0);
  // Held by A: B's HOLD read answers 43, its PUT 5; a plain read works.
  ASSERT_EQ(st::hold(b_), 0);
  EXPECT_EQ(getLong(b_, 7), data::kErrRecordHeld);
  ASSERT_EQ(st::watch(b_), 0);
  ASSERT_EQ(getLong(b_, 7), 0);
  putNumber(b_.record, b_.fields[kFShort - 1].offset, int16_t{3});
  EXPECT_EQ(st::put(b_), data::kErrAccessDenied);
  // A's own PUT uses its hold, then gives it back; B watched the record
  // before A changed it, so B's PUT is now refused as a lost update.
  putNumber(a_.record, a_.fields[kFShort - 1].offset, int16_t{4});
  EXPECT_EQ(st::put(a_), 0);
  EXPECT_EQ(st::put(b_), data::kErrRecordChanged);
  ASSERT_EQ(st::hold(a_), 0);
  EXPECT_EQ(getLong(a_, 7), 0) << "A's hold was given back with its PUT";
  ASSERT_EQ(st::release(a_), 0);

  ASSERT_EQ(st::lock(a_), 0);
  EXPECT_EQ(st::lock(b_), data::kErrFileAlreadyLocked);
  ASSERT_EQ(st::unlock(a_), 0);
  EXPECT_EQ(st::lock(b_), 0);
}

TEST_F(LockingDriverTest, LogoutWaitsForAnotherWriterOnlyAsLongAsItWasTold) {
  const std::string path = scratchPath("lock_logout_wait.twk");
  declare(a_, path, true);
  declare(b_, path);
  data::FileControlBlock* mine[] = {&a_};
  ASSERT_EQ(st::logout(0, mine), 0);
  EXPECT_EQ(st::logout(0, mine), data::kErrLogoutAlreadyActive);
  // B is another writer: its own change must wait for A's transaction.
  EXPECT_EQ(tableOf(b_).joinTransaction(1), data::kErrAccessDenied);
  data::FileControlBlock* others[] = {&b_};
  std::thread([&] {
    EXPECT_EQ(st::logout(1, others), data::kErrUnableToLogTransaction);
    EXPECT_EQ(fileErrorText(), "Cannot obtain a lock on the file");
  }).join();
  // Reading goes on beside the transaction.
  EXPECT_EQ(count(b_), 0);
  ASSERT_EQ(st::rollback(a_), 0);
  EXPECT_EQ(st::rollback(a_), data::kErrLogoutNotActive);
  setLong(b_, 1);
  EXPECT_EQ(st::add(b_), 0);
}

TEST_F(LockingDriverTest, AThreadNeverWaitsForAWriterByteItHoldsThroughAnotherHandle) {
  const std::string path = scratchPath("lock_own_writer.twk");
  declare(a_, path, true);
  declare(b_, path);
  // Both handles of one file in one LOGOUT: the second cannot join, and
  // says so at once instead of waiting for ever.
  data::FileControlBlock* both[] = {&a_, &b_};
  EXPECT_EQ(st::logout(0, both), data::kErrUnableToLogTransaction);
  EXPECT_EQ(st::rollback(a_), data::kErrLogoutNotActive);
  // A change through the other handle beside the thread's own transaction.
  data::FileControlBlock* mine[] = {&a_};
  ASSERT_EQ(st::logout(0, mine), 0);
  setLong(b_, 1);
  EXPECT_EQ(st::add(b_), data::kErrAccessDenied);
  setLong(a_, 2);
  EXPECT_EQ(st::add(a_), 0);
  ASSERT_EQ(st::commit(a_), 0);
  EXPECT_EQ(st::add(b_), 0);
  EXPECT_EQ(count(a_), 2);
  // Another thread still waits for the byte, as for another process.
  ASSERT_EQ(st::logout(0, mine), 0);
  std::thread other([&] {
    setLong(b_, 3);
    EXPECT_EQ(st::add(b_), 0);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_EQ(st::commit(a_), 0);
  other.join();
  EXPECT_EQ(count(a_), 3);
}

TEST_F(LockingDriverTest, TransactionsNamingTheSameFilesInOppositeOrdersDoNotDeadlock) {
  const std::string first = scratchPath("lock_order_1.twk");
  const std::string second = scratchPath("lock_order_2.twk");
  data::FileControlBlock x1, x2;
  declare(a_, first, true);
  declare(b_, second, true);
  declare(x1, first);
  declare(x2, second);
  // Each LOGOUT waits at most 2 s: were the bytes taken in the order named,
  // the two threads would soon each hold one the other waits for.
  constexpr int32_t kRounds = 300;
  auto run = [](data::FileControlBlock& one, data::FileControlBlock& two, int32_t base) {
    for (int32_t round = 0; round < kRounds; ++round) {
      data::FileControlBlock* files[] = {&one, &two};
      ASSERT_EQ(st::logout(2, files), 0) << round;
      for (auto* fcb : files) {
        setLong(*fcb, base + round);
        ASSERT_EQ(st::add(*fcb), 0);
      }
      ASSERT_EQ(st::commit(one), 0);
    }
  };
  std::thread forwards([&] { run(a_, b_, 0); });
  std::thread backwards([&] { run(x2, x1, kRounds); });
  forwards.join();
  backwards.join();
  EXPECT_EQ(count(a_), 2 * kRounds);
  EXPECT_EQ(count(b_), 2 * kRounds);
  st::close(x1);
  st::close(x2);
}

class LockingTransactionDriverTest : public LockingDriverTest {
 protected:
  void SetUp() override {
    LockingDriverTest::SetUp();
    folder_ = scratchPath("lock_tx_folder");
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  std::string in(const std::string& name) const { return folder_ + "/" + name; }
  static std::optional<TransactionMarker> markerOf(data::FileControlBlock& fcb) {
    std::vector<uint8_t> data;
    auto& table = *dynamic_cast<OpenTable*>(fcb.driverObject.get());
    if (table.access().beginRead() != 0) return std::nullopt;
    const bool found = table.file().find(kTransactionMarkerKey, &data);
    table.access().endRead();
    if (!found) return std::nullopt;
    return decodeMarker(data);
  }
  std::string folder_;
};

TEST_F(LockingTransactionDriverTest, OneChangedFileUsesNoControlFile) {
  declare(a_, in("one.twk"), true);
  declare(b_, in("two.twk"), true);
  data::FileControlBlock* files[] = {&a_, &b_};
  ASSERT_EQ(st::logout(0, files), 0);
  setLong(a_, 1);
  ASSERT_EQ(st::add(a_), 0);
  ASSERT_EQ(st::commit(a_), 0);
  EXPECT_FALSE(std::filesystem::exists(in(kDefaultControlFileName)));
  EXPECT_EQ(count(a_), 1);
  EXPECT_FALSE(markerOf(a_));
  // Both files left the transaction: B takes changes of its own again.
  setLong(b_, 2);
  EXPECT_EQ(st::add(b_), 0);
}

TEST_F(LockingTransactionDriverTest, SeveralChangedFilesCommitThroughTheControlFile) {
  declare(a_, in("one.twk"), true);
  declare(b_, in("two.twk"), true);
  declare(c_, in("one.twk"));
  data::FileControlBlock* files[] = {&a_, &b_};
  ASSERT_EQ(st::logout(0, files), 0);
  for (int32_t i = 1; i <= 3; ++i) {
    setLong(a_, i);
    ASSERT_EQ(st::add(a_), 0);
    setLong(b_, -i);
    ASSERT_EQ(st::add(b_), 0);
  }
  // Inside the transaction its own handles see the change, others do not.
  EXPECT_EQ(count(a_), 3);
  EXPECT_EQ(count(c_), 0);
  ASSERT_EQ(st::commit(a_), 0);
  EXPECT_EQ(count(c_), 3);
  EXPECT_EQ(count(b_), 3);

  // The control file is left empty of numbers; each file names it in its
  // marker until its next change.
  TransactionControlFile control;
  ASSERT_EQ(control.open(in(kDefaultControlFileName)), 0);
  const auto marker = markerOf(a_);
  ASSERT_TRUE(marker);
  EXPECT_EQ(marker->controlFile, kDefaultControlFileName);
  bool held = true;
  ASSERT_EQ(control.holds(marker->number, held), 0);
  EXPECT_FALSE(held);
  setLong(a_, 9);
  ASSERT_EQ(st::add(a_), 0);
  EXPECT_FALSE(markerOf(a_)) << "a later change drops the stale marker";
  st::close(c_);
  st::close(a_);
  st::close(b_);
  EXPECT_TRUE(checkTables(in("one.twk")).ok());
  EXPECT_TRUE(checkTables(in("two.twk")).ok());
}

TEST_F(LockingTransactionDriverTest, RollbackAndCloseLeaveEveryFileAsItWas) {
  declare(a_, in("one.twk"), true);
  declare(b_, in("two.twk"), true);
  setLong(a_, 1);
  ASSERT_EQ(st::add(a_), 0);
  data::FileControlBlock* files[] = {&a_, &b_};
  ASSERT_EQ(st::logout(0, files), 0);
  setLong(a_, 2);
  ASSERT_EQ(st::add(a_), 0);
  setLong(b_, 2);
  ASSERT_EQ(st::add(b_), 0);
  ASSERT_EQ(st::rollback(a_), 0);
  EXPECT_EQ(count(a_), 1);
  EXPECT_EQ(count(b_), 0);

  // A file closed inside a transaction leaves it with its change dropped;
  // the rest of the transaction commits alone.
  ASSERT_EQ(st::logout(0, files), 0);
  setLong(a_, 3);
  ASSERT_EQ(st::add(a_), 0);
  setLong(b_, 3);
  ASSERT_EQ(st::add(b_), 0);
  ASSERT_EQ(st::close(b_), 0);
  ASSERT_EQ(st::commit(a_), 0);
  EXPECT_EQ(count(a_), 2);
  declare(c_, in("two.twk"));
  EXPECT_EQ(count(c_), 0);
}

TEST_F(LockingTransactionDriverTest, TheNamedControlFileServesEveryFileOfTheProcess) {
  declare(a_, in("one.twk"), true);
  declare(b_, in("two.twk"), true);
  std::string answer;
  ASSERT_EQ(st::send(a_, "TCF=" + in("named.tcf"), answer), 0);
  EXPECT_EQ(answer, "");
  ASSERT_EQ(st::send(b_, "tcf", answer), 0);
  EXPECT_EQ(answer, in("named.tcf"));
  data::FileControlBlock* files[] = {&a_, &b_};
  ASSERT_EQ(st::logout(0, files), 0);
  setLong(a_, 1);
  ASSERT_EQ(st::add(a_), 0);
  setLong(b_, 1);
  ASSERT_EQ(st::add(b_), 0);
  ASSERT_EQ(st::commit(b_), 0);
  EXPECT_TRUE(std::filesystem::exists(in("named.tcf")));
  EXPECT_FALSE(std::filesystem::exists(in(kDefaultControlFileName)));
  const auto marker = markerOf(b_);
  ASSERT_TRUE(marker);
  EXPECT_EQ(marker->controlFile, explicitControlFileName(in("named.tcf")));
}

TEST_F(LockingDriverTest, SwitchesAnswerTheSettingBeforeTheChange) {
  const std::string path = scratchPath("lock_switches.twk");
  declare(a_, path, true);
  EXPECT_EQ(sent(a_, "decimalcheck=off"), "ON");
  EXPECT_EQ(sent(a_, "DecimalCheck"), "OFF");
  EXPECT_EQ(sent(a_, "FULLBUILD=Yes"), "OFF");
  EXPECT_EQ(sent(a_, "FULLBUILD=on"), "OFF");
  EXPECT_EQ(sent(a_, "FULLBUILD"), "ON");

  // FLAGS lives in the table, so another handle and a later open see it.
  EXPECT_EQ(sent(a_, "FLAGS=77"), "0");
  declare(b_, path);
  EXPECT_EQ(sent(b_, "FLAGS"), "77");
  EXPECT_EQ(sent(b_, "PNMQ 1"), "UNNAMED");
  EXPECT_EQ(sent(b_, "PNM unnamed"), "UNNAMED");
  EXPECT_EQ(sent(b_, "PNMQ 2"), "");
  EXPECT_EQ(sent(b_, "QUICKSCAN=on"), "");
  EXPECT_EQ(sent(b_, "REGISTER"), kRegisterAnswer);

  // A table-bound switch sent to a closed file answers nothing.
  ASSERT_EQ(st::close(b_), 0);
  EXPECT_EQ(sent(b_, "FLAGS"), "");
}

TEST_F(LockingDriverTest, DecimalCheckOffSentBeforeOpenLetsWronglyStoredPlacesThrough) {
  const std::string path = scratchPath("lock_decimal_check.twk");
  declare(a_, path, true);
  st::close(a_);
  // The same table declared with other places for its DECIMAL field.
  data::FileDeclaration declaration = testDeclaration(path, {{"T:KL", {"T:L"}, 0, ""}});
  declaration.fields[kFDecimal - 1].places = 3;
  ASSERT_EQ(data::declareFile(b_, declaration), 0);
  EXPECT_EQ(st::open(b_, st::kReadWriteDenyNone), data::kErrInvalidRecordDeclaration);
  std::string answer;
  ASSERT_EQ(st::send(b_, "DecimalCheck=OFF", answer), 0);
  EXPECT_EQ(answer, "ON");
  EXPECT_EQ(st::open(b_, st::kReadWriteDenyNone), 0);

  // The driver string does the same from the declaration.
  ASSERT_EQ(data::declareFile(c_, declaration), 0);
  c_.driverString = "/DecimalCheck=OFF";
  EXPECT_EQ(st::open(c_, st::kReadWriteDenyNone), 0);
}

TEST(InternalFailureTest, ShowsItsBoxThenStopsWithTheNumberedMessage) {
  FatalHookGuard fatal;
  std::vector<std::string> boxes;
  const auto previous = platform::setMessageBoxHook(
      [&](const std::string& text, const std::string& caption, unsigned) {
        boxes.push_back(caption + "|" + text);
        return 1;
      });
  auto fail = [] {
    try {
      internalFailure(FailurePlace::PageHome);
    } catch (const FatalStop& stop) {
      return std::string(stop.what());
    }
    return std::string();
  };
  EXPECT_NE(fail().find("Possible data corruption in file (7)"), std::string::npos);
  EXPECT_EQ(lastDriverFault(), 7);
  // The program's own message replaces both texts, cut to its limit.
  const std::string own = "Datei beschaedigt " + std::string(300, '!');
  platform::registerResource("locking_driver_test", "4101", "MESSAGE", own.data(), own.size());
  const std::string stopped = fail();
  platform::registerResource("locking_driver_test", "4101", "MESSAGE", "", 0);
  showInternalFailureBox(false);
  fail();
  showInternalFailureBox(true);
  platform::setMessageBoxHook(previous);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0], "Tarnwick File Driver Error|7");
  EXPECT_EQ(boxes[1], "Tarnwick File Driver Error|" + own.substr(0, 219));
  EXPECT_EQ(stopped.find(own.substr(0, 219) + " (7)") != std::string::npos, true) << stopped;
}

}  // namespace
}  // namespace zor::tarnwick::testing
