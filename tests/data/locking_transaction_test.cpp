// Transaction markers, control files and the commit of a transaction over
// several files, interrupted at every write and flush in turn; the files
// are then settled as an open would, and must all keep their change or all
// lose it.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "data/tarnwick/error_numbers.h"
#include "data/tarnwick/transaction.h"
#include "data/tarnwick/transaction_control_file.h"
#include "data/tarnwick/transaction_marker.h"
#include "data/tarnwick/transaction_settle.h"
#include "platform/fault_injection.h"
#include "platform/file.h"
#include "platform/whole_file.h"
#include "tests/data/tarnwick_test_support.h"

namespace zor::tarnwick {
namespace {

using platform::FaultKind;
using testing::scratchPath;

TEST(LockingMarker, RoundTripsAndRefusesMalformedData) {
  const TransactionMarker marker{0x01020304, "tarnwick.tcf"};
  std::vector<uint8_t> data;
  ASSERT_TRUE(encodeMarker(marker, data));
  EXPECT_EQ(data.size(), 4u + 12u + 1u);
  EXPECT_EQ(data[0], 0x04);  // little-endian number
  EXPECT_EQ(data.back(), 0);
  EXPECT_EQ(decodeMarker(data), marker);

  auto broken = data;
  broken.pop_back();  // no final zero byte
  EXPECT_FALSE(decodeMarker(broken));
  broken = data;
  broken[6] = 0;  // a zero byte inside the name
  EXPECT_FALSE(decodeMarker(broken));
  EXPECT_FALSE(decodeMarker(std::vector<uint8_t>{1, 2, 3, 4, 0}));  // empty name
  EXPECT_FALSE(decodeMarker(std::vector<uint8_t>{1, 2}));
  EXPECT_FALSE(encodeMarker({1, ""}, data));
  EXPECT_FALSE(encodeMarker({1, std::string("a\0b", 3)}, data));
  EXPECT_FALSE(encodeMarker({1, std::string(kMaxControlFileName + 1, 'x')}, data));
}

TEST(LockingControlFile, NamesResolveAgainstTheDataFolder) {
  EXPECT_EQ(folderOf("/data/app/Setup.edt"), "/data/app");
  EXPECT_EQ(folderOf("Setup.edt"), ".");
  EXPECT_EQ(resolveControlFileName("tarnwick.tcf", "/data/app"), "/data/app/tarnwick.tcf");
  EXPECT_EQ(resolveControlFileName("c:\\TARNWICK.tcf", "/data/app"), kFixedControlFilePath);
  EXPECT_EQ(resolveControlFileName("/shared/all.tcf", "/data/app"), "/shared/all.tcf");
  EXPECT_TRUE(std::filesystem::path(explicitControlFileName("x/../all.tcf")).is_absolute());
  EXPECT_EQ(explicitControlFileName("C:\\tarNwicK.TCF"), kFixedControlFilePath);
}

uint32_t enter(TransactionControlFile& control, uint32_t proposed) {
  uint32_t entered = 0;
  EXPECT_EQ(control.enter(proposed, entered), 0);
  return entered;
}

TEST(LockingControlFile, NumbersRoundTripAndAreNeverHandedOutTwice) {
  const std::string path = scratchPath("numbers.tcf");
  std::filesystem::remove(path);
  {
    TransactionControlFile control;
    ASSERT_EQ(control.open(path), 0);  // created empty
    std::optional<uint32_t> highest;
    ASSERT_EQ(control.highWater(highest), 0);
    EXPECT_FALSE(highest);
    EXPECT_EQ(enter(control, 0x00000100), 0x100u);
    EXPECT_EQ(enter(control, 0x01000000), 0x01000000u);  // numeric order, not byte order
    EXPECT_EQ(enter(control, 0x00000200), 0x01000001u);
    ASSERT_EQ(control.remove(0x01000001), 0);
    ASSERT_EQ(control.remove(0x00000999), 0);  // not there: nothing to do
  }
  TransactionControlFile control;
  ASSERT_EQ(control.open(path), 0);
  std::optional<uint32_t> highest;
  ASSERT_EQ(control.highWater(highest), 0);
  EXPECT_EQ(highest, 0x01000001u);  // removed, yet remembered
  EXPECT_EQ(enter(control, 5), 0x01000002u);
  bool held = false;
  ASSERT_EQ(control.holds(0x100, held), 0);
  EXPECT_TRUE(held);
  ASSERT_EQ(control.holds(0x01000001, held), 0);
  EXPECT_FALSE(held);

  // Another handle sees the changes of the first (the header is re-read).
  TransactionControlFile other;
  ASSERT_EQ(other.open(path), 0);
  EXPECT_EQ(enter(control, 0x7000000), 0x7000000u);
  ASSERT_EQ(other.holds(0x7000000, held), 0);
  EXPECT_TRUE(held);
  ASSERT_EQ(control.remove(0x7000000), 0);
  EXPECT_EQ(enter(control, UINT32_MAX), UINT32_MAX);
  uint32_t entered = 0;
  EXPECT_EQ(other.enter(1, entered), kUnableToLogTransaction);
}

TEST(LockingControlFile, TwoProcessesEnteringAtOnceGetDistinctNumbers) {
  const std::string path = scratchPath("contended.tcf");
  std::filesystem::remove(path);
  constexpr uint32_t kEach = 150;
  const pid_t child = ::fork();
  if (child == 0) {
    TransactionControlFile control;
    int failures = control.open(path) != 0;
    uint32_t entered = 0;
    for (uint32_t n = 0; n < kEach; ++n) failures += control.enter(1000, entered) != 0;
    ::_exit(failures);
  }
  TransactionControlFile control;
  ASSERT_EQ(control.open(path), 0);
  for (uint32_t n = 0; n < kEach; ++n) enter(control, 1000);
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0);
  for (uint32_t number = 1000; number < 1000 + 2 * kEach; ++number) {
    bool held = false;
    ASSERT_EQ(control.holds(number, held), 0);
    EXPECT_TRUE(held) << number;
  }
  std::optional<uint32_t> highest;
  ASSERT_EQ(control.highWater(highest), 0);
  EXPECT_EQ(highest, 1000 + 2 * kEach - 1);
}

TEST(LockingControlFile, NotATarnwickFileIsRefused) {
  const std::string path = scratchPath("junk.tcf");
  ASSERT_EQ(platform::replaceWholeFile(path, std::string(600, 'j')), 0);
  TransactionControlFile control;
  EXPECT_EQ(control.open(path), kInvalidDataFile);
}

// A data file whose home and pending region are two small files: "NAME"
// holds "old" or "new"; "NAME.pending" the marker of a durable change.
class FakeDataFile : public TransactionFile {
 public:
  FakeDataFile(std::string folder, std::string name)
      : path_(std::move(folder) + "/" + std::move(name)) {
    platform::replaceWholeFile(path_, "old");
    std::filesystem::remove(path_ + ".pending");
  }
  std::string path() const override { return path_; }
  bool hasChanges() const override { return changed_; }
  void change() { changed_ = true; }
  int completeSingleChange() override { return platform::replaceWholeFile(path_, "new"); }
  int makeDurableWithMarker(const TransactionMarker& marker) override {
    std::vector<uint8_t> data;
    encodeMarker(marker, data);
    return platform::replaceWholeFile(path_ + ".pending", std::string(data.begin(), data.end()));
  }
  int completeChange() override {
    if (const int error = platform::replaceWholeFile(path_, "new"); error != 0) return error;
    std::filesystem::remove(path_ + ".pending");
    return 0;
  }
  void dropChange() override {
    std::filesystem::remove(path_ + ".pending");
    changed_ = false;
  }

  // What an open finds after settling an interrupted change.
  static std::string settle(const std::string& path, ControlFileOpener& opener) {
    std::string pending;
    if (platform::readWholeFile(path + ".pending", pending) == 0) {
      const std::vector<uint8_t> marker(pending.begin(), pending.end());
      if (settledChangeStands(marker, path, opener)) platform::replaceWholeFile(path, "new");
      std::filesystem::remove(path + ".pending");
    }
    std::string home;
    platform::readWholeFile(path, home);
    return home;
  }

 private:
  std::string path_;
  bool changed_ = false;
};

class LockingCommit : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = scratchPath("commit");
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_ + "/a");
    std::filesystem::create_directories(root_ + "/b");
  }
  void TearDown() override {
    platform::clearFaultPlan();
    Transaction::ofThisThread().setExplicitControlFile("");
  }

  // Three files in two folders, two of them changed.
  struct Files {
    FakeDataFile one, two, three;
    Files(const std::string& root)
        : one(root + "/a", "one"), two(root + "/b", "two"), three(root + "/a", "three") {
      one.change();
      two.change();
    }
    std::vector<std::string> settled(ControlFileOpener& opener) {
      return {FakeDataFile::settle(one.path(), opener), FakeDataFile::settle(two.path(), opener),
              FakeDataFile::settle(three.path(), opener)};
    }
  };

  int commitAll(Files& files) {
    Transaction& transaction = Transaction::ofThisThread();
    transaction.logout(files.one);
    transaction.logout(files.two);
    transaction.logout(files.three);
    transaction.logout(files.one);
    return transaction.commit(opener_);
  }

  std::string root_;
  TransactionControlFileOpener opener_;
};

TEST_F(LockingCommit, OneChangedFileUsesNoControlFile) {
  FakeDataFile one(root_ + "/a", "one"), two(root_ + "/a", "two");
  one.change();
  Transaction& transaction = Transaction::ofThisThread();
  transaction.logout(one);
  transaction.logout(two);
  EXPECT_TRUE(transaction.active());
  EXPECT_EQ(transaction.commit(opener_), 0);
  EXPECT_FALSE(transaction.active());
  EXPECT_TRUE(transaction.files().empty());
  EXPECT_FALSE(std::filesystem::exists(root_ + "/a/tarnwick.tcf"));
  EXPECT_EQ(FakeDataFile::settle(one.path(), opener_), "new");
  EXPECT_EQ(FakeDataFile::settle(two.path(), opener_), "old");
}

TEST_F(LockingCommit, AFileBelongsToOneThreadsTransaction) {
  FakeDataFile one(root_ + "/a", "one");
  Transaction& mine = Transaction::ofThisThread();
  ASSERT_EQ(mine.logout(one), 0);
  int answer = -1;
  std::thread([&] { answer = Transaction::ofThisThread().logout(one); }).join();
  EXPECT_EQ(answer, static_cast<int>(LogoutFault::LoggedOutOnAnotherThread));
  EXPECT_STREQ(data::builtInLogoutFaultText(answer), "File logged out on another thread");
  EXPECT_STREQ(data::builtInLogoutFaultText(8), "");
  EXPECT_EQ(mine.logout(one), 0);  // again on its own thread: fine
  mine.rollback();
  std::thread([&] {
    Transaction& other = Transaction::ofThisThread();
    answer = other.logout(one);
    other.forget(one);
    EXPECT_TRUE(other.files().empty());
  }).join();
  EXPECT_EQ(answer, 0);
  EXPECT_EQ(mine.logout(one), 0);
  mine.rollback();
}

TEST_F(LockingCommit, RollbackLeavesEveryFileAsItWas) {
  Files files(root_);
  Transaction& transaction = Transaction::ofThisThread();
  transaction.logout(files.one);
  transaction.logout(files.two);
  transaction.rollback();
  EXPECT_FALSE(transaction.active());
  EXPECT_EQ(files.settled(opener_), (std::vector<std::string>{"old", "old", "old"}));
}

TEST_F(LockingCommit, ControlFilePerFolderUnlessOneIsNamed) {
  {
    Files files(root_);
    ASSERT_EQ(commitAll(files), 0);
    EXPECT_EQ(Transaction::ofThisThread().controlFiles(),
              (std::vector<std::string>{root_ + "/a/tarnwick.tcf", root_ + "/b/tarnwick.tcf"}));
    EXPECT_TRUE(std::filesystem::exists(root_ + "/a/tarnwick.tcf"));
    EXPECT_TRUE(std::filesystem::exists(root_ + "/b/tarnwick.tcf"));
    EXPECT_EQ(files.settled(opener_), (std::vector<std::string>{"new", "new", "old"}));
  }
  Files files(root_);
  Transaction::ofThisThread().setExplicitControlFile(root_ + "/shared.tcf");
  ASSERT_EQ(commitAll(files), 0);
  EXPECT_EQ(Transaction::ofThisThread().controlFiles(),
            (std::vector<std::string>{root_ + "/shared.tcf"}));
}

TEST_F(LockingCommit, NumbersPassOnesLeftBehind) {
  TransactionControlFile left;
  ASSERT_EQ(left.open(root_ + "/b/tarnwick.tcf"), 0);
  EXPECT_EQ(enter(left, 4000000000u), 4000000000u);  // a transaction that never committed
  Transaction::setNextNumber(5);
  Files files(root_);
  ASSERT_EQ(commitAll(files), 0);
  EXPECT_EQ(files.settled(opener_), (std::vector<std::string>{"new", "new", "old"}));
  std::optional<uint32_t> highest;
  ASSERT_EQ(left.highWater(highest), 0);
  EXPECT_EQ(highest, 4000000001u);  // its own number came and went above it
  bool held = true;
  ASSERT_EQ(left.holds(4000000001u, held), 0);
  EXPECT_FALSE(held);

  // With the very last number taken, no transaction can be logged.
  EXPECT_EQ(enter(left, UINT32_MAX), UINT32_MAX);
  Files more(root_);
  EXPECT_EQ(commitAll(more), kUnableToLogTransaction);
  EXPECT_EQ(more.settled(opener_), (std::vector<std::string>{"old", "old", "old"}));
}

TEST_F(LockingCommit, SettlingNeedsTheOwnNumberOnly) {
  // A marker whose number is gone from its control file committed, even
  // when a higher number of another transaction is still there.
  const std::string data = root_ + "/a/file";
  TransactionControlFile control;
  ASSERT_EQ(control.open(root_ + "/a/tarnwick.tcf"), 0);
  ASSERT_EQ(enter(control, 900), 900u);
  std::vector<uint8_t> marker;
  ASSERT_TRUE(encodeMarker({800, "tarnwick.tcf"}, marker));
  EXPECT_TRUE(settledChangeStands(marker, data, opener_));
  ASSERT_TRUE(encodeMarker({900, "tarnwick.tcf"}, marker));
  EXPECT_FALSE(settledChangeStands(marker, data, opener_));
  EXPECT_TRUE(settledChangeStands(std::nullopt, data, opener_));
  EXPECT_FALSE(settledChangeStands(std::vector<uint8_t>{1, 2, 3}, data, opener_));
  ASSERT_TRUE(encodeMarker({1, "no/such/folder/x.tcf"}, marker));
  EXPECT_FALSE(settledChangeStands(marker, data, opener_));
}

// Interrupts the commit at each of its writes and flushes in turn: in a
// forked child that stops there, and in this process where the step fails.
TEST_F(LockingCommit, InterruptedAnywhereAllFilesAgree) {
  uint64_t steps = 0;
  // Counted once the control files exist: making one writes its header
  // first.
  for (int run = 0; run < 2; ++run) {
    Files files(root_);
    platform::clearFaultPlan();
    const uint64_t before = platform::faultStepCount();
    ASSERT_EQ(commitAll(files), 0);
    steps = platform::faultStepCount() - before;
  }
  ASSERT_GT(steps, 10u);
  for (FaultKind kind : {FaultKind::Stop, FaultKind::Fail}) {
    for (uint64_t at = 1; at <= steps; ++at) {
      SCOPED_TRACE(::testing::Message() << (kind == FaultKind::Stop ? "stop" : "fail") << " at "
                                        << at << " of " << steps);
      Files files(root_);
      int result = 0;
      if (kind == FaultKind::Stop) {
        const pid_t child = ::fork();
        if (child == 0) {
          platform::setFaultPlan({kind, platform::FaultStep::WriteOrFlush, at, false});
          ::_exit(commitAll(files) == 0 ? 0 : 1);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        ASSERT_EQ(WEXITSTATUS(status), platform::kFaultStopExitCode);
      } else {
        platform::setFaultPlan({kind, platform::FaultStep::WriteOrFlush, at, false});
        result = commitAll(files);
        platform::clearFaultPlan();
      }
      const auto homes = files.settled(opener_);
      EXPECT_EQ(homes[2], "old");
      EXPECT_EQ(homes[0], homes[1]) << "a transaction applied to one file only";
      if (kind == FaultKind::Fail && result != 0 && homes[0] == "new")
        ADD_FAILURE() << "a failed commit reported, yet its changes stand";
    }
  }
}

// A real Tarnwick file stopped at every step of writing a change that
// carries a marker: reopened, the change stands exactly when the control
// file no longer holds the marker's number. A held number is only checked
// at the first stop after the change became durable: in a transaction the
// pages go home only once the number is gone.
TEST_F(LockingCommit, TarnwickFileSettlesByItsMarker) {
  const std::string path = root_ + "/a/data.twk";
  const auto key = testing::bytesOf("k");
  auto prepare = [&] {
    TarnwickFile file;
    ASSERT_EQ(file.create(path), 0);
    ASSERT_EQ(file.put(key, testing::bytesOf("v1")), 0);
    ASSERT_EQ(file.commit(), 0);
  };
  auto change = [&](TarnwickFile& file) {
    EXPECT_EQ(file.open(path, 0x42), 0);
    EXPECT_EQ(file.put(key, testing::bytesOf("v2")), 0);
    EXPECT_EQ(putTransactionMarker(file, {77, "tarnwick.tcf"}), 0);
    return file.commit();
  };
  uint64_t steps = 0;
  {
    prepare();
    TarnwickFile file;
    const uint64_t before = platform::faultStepCount();
    ASSERT_EQ(change(file), 0);
    steps = platform::faultStepCount() - before;
  }
  int decided = 0;
  for (bool held : {true, false}) {
    for (uint64_t at = 1; at <= steps; ++at) {
      SCOPED_TRACE(::testing::Message() << "held " << held << ", stop at " << at);
      prepare();
      const pid_t child = ::fork();
      if (child == 0) {
        TarnwickFile file;
        platform::setFaultPlan({FaultKind::Stop, platform::FaultStep::WriteOrFlush, at, false});
        ::_exit(change(file));
      }
      int status = 0;
      ::waitpid(child, &status, 0);
      ASSERT_TRUE(WIFEXITED(status));
      std::filesystem::remove(root_ + "/a/tarnwick.tcf");
      if (held) {
        TransactionControlFile control;
        ASSERT_EQ(control.open(root_ + "/a/tarnwick.tcf"), 0);
        ASSERT_EQ(enter(control, 77), 77u);
      }
      bool called = false;
      auto decider = settleByControlFile(path);
      TarnwickFile file;
      ASSERT_EQ(file.open(path, OpenMode::fromWord(0x42),
                          [&](TarnwickFile& f) { return called = true, decider(f); }),
                0);
      std::vector<uint8_t> value;
      ASSERT_TRUE(file.find(key, &value));
      if (called) {
        ++decided;
        EXPECT_EQ(value, testing::bytesOf(held ? "v1" : "v2"));
        EXPECT_EQ(file.find(kTransactionMarkerKey), !held);
        if (held) break;
      }
    }
  }
  EXPECT_GT(decided, 2);
}

}  // namespace
}  // namespace zor::tarnwick
