// Interrupts every write and flush of a series of random changes in turn:
// the process stops there (a forked child, as a crash would), or the write
// fails, or only half of it is written. Reopening must then find each change
// wholly there or wholly absent, in a sound file that takes further changes.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>

#include "platform/fault_injection.h"
#include "tests/data/tarnwick_change_script.h"
#include "tests/data/tarnwick_test_support.h"

namespace zor::tarnwick {
namespace {

using platform::FaultKind;
using testing::ItemModel;

bool longTests() {
  const char* value = std::getenv("ZOR_LONG_TESTS");
  return value != nullptr && std::string(value) == "1";
}

class TarnwickCrash : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = testing::scratchPath("crash");
    std::filesystem::create_directories(folder_);
    base_ = folder_ + "/base.twk";
    trial_ = folder_ + "/trial.twk";
  }
  void TearDown() override {
    platform::clearFaultPlan();
    PageStore::setRegionLimit(0);
    std::filesystem::remove_all(folder_);
  }

  void copyBase() {
    std::filesystem::copy_file(base_, trial_, std::filesystem::copy_options::overwrite_existing);
  }

  // Runs change `change` on a copy of the base, interrupted at `step`.
  void interrupt(const testing::ScriptChange& change, FaultKind kind, uint64_t step) {
    copyBase();
    if (kind == FaultKind::Stop) {
      const pid_t child = ::fork();
      ASSERT_GE(child, 0);
      if (child == 0) {
        TarnwickFile file;
        ItemModel scratch = before_;
        if (file.open(trial_, OpenMode{}) != 0) ::_exit(1);
        platform::setFaultPlan({FaultKind::Stop, platform::FaultStep::WriteOrFlush, step});
        if (testing::applyChange(file, change, scratch) != 0) ::_exit(1);
        (void)file.commit();  // stopped on the way
        ::_exit(0);
      }
      int status = 0;
      ASSERT_EQ(::waitpid(child, &status, 0), child);
      ASSERT_TRUE(WIFEXITED(status));
      ASSERT_EQ(WEXITSTATUS(status), platform::kFaultStopExitCode) << "step " << step;
      return;
    }
    TarnwickFile file;
    ItemModel scratch = before_;
    ASSERT_EQ(file.open(trial_, OpenMode{}), 0);
    platform::setFaultPlan({kind, platform::FaultStep::WriteOrFlush, step});
    // A long change writes on the way already; a failure there fails it.
    int error = testing::applyChange(file, change, scratch);
    if (error != 0) {
      file.rollback();
    } else {
      error = file.commit();
    }
    platform::clearFaultPlan();
    EXPECT_NE(error, 0) << "step " << step;
    // After the failure the file shows what the next open will find.
    const ItemModel seen = testing::readAll(file);
    EXPECT_TRUE(seen == before_ || seen == after_) << "step " << step;
  }

  // A clean run of `change` on a copy of the base (taking `after_` with it):
  // how many writes and flushes the change takes.
  uint64_t cleanRun(const testing::ScriptChange& change) {
    copyBase();
    TarnwickFile file;
    EXPECT_EQ(file.open(trial_, OpenMode{}), 0);
    platform::clearFaultPlan();
    EXPECT_EQ(testing::applyChange(file, change, after_), 0);
    EXPECT_EQ(file.commit(), 0);
    return HasFailure() ? 0 : platform::faultStepCount();
  }

  // Answers whether the interrupted change stands in the file.
  bool checkTrial(FaultKind kind, uint64_t step, bool continueAfter) {
    TarnwickFile file;
    EXPECT_EQ(file.open(trial_, OpenMode{}), 0);
    EXPECT_FALSE(file.header().pending());
    const ItemModel found = testing::readAll(file);
    const bool kept = found == after_;
    EXPECT_TRUE(kept || found == before_)
        << "kind " << static_cast<int>(kind) << " step " << step << ": found " << found.size()
        << " items, before " << before_.size() << ", after " << after_.size();
    testing::expectSound(file);
    if (continueAfter) {
      ItemModel model = found;
      EXPECT_EQ(testing::applyChange(file, script_.front(), model), 0);
      EXPECT_EQ(file.commit(), 0);
      EXPECT_EQ(testing::readAll(file), model);
      testing::expectSound(file);
    }
    return kept;
  }

  std::string folder_, base_, trial_;
  std::vector<testing::ScriptChange> script_;
  ItemModel before_, after_;
  testing::FatalHookGuard hook_;
};

TEST_F(TarnwickCrash, EveryInterruptedChangeIsWhollyThereOrWhollyAbsent) {
  const bool isLong = longTests();
  const int changes = isLong ? 60 : 12;
  // Changes large enough to copy the pending region home after them.
  PageStore::setRegionLimit(4096);
  script_ = testing::makeScript(isLong ? 1234 : 77, changes - 1, isLong ? 60 : 30, 600);
  // Last, one change long enough to send leaves home before its commit.
  script_.push_back(testing::makeLongChange(270, 12000));
  {
    TarnwickFile file;
    ASSERT_EQ(file.create(base_), 0);
    // A populated tree, so that changes split, merge and move inner pages.
    ASSERT_EQ(testing::fillFile(file, 400, 30, 200, before_), 0);
  }
  uint64_t trials = 0;
  for (int index = 0; index < changes; ++index) {
    const testing::ScriptChange& change = script_[static_cast<size_t>(index)];
    after_ = before_;
    uint64_t steps = 0;
    ASSERT_NO_FATAL_FAILURE(steps = cleanRun(change));
    // The step from which an interruption leaves the change in place: the
    // header naming the pending region has reached the file (a short write
    // of it already carries the region; a stop or failure must come after
    // it). Pages written straight home come before it, in any number.
    std::map<FaultKind, uint64_t> keptFrom;
    for (uint64_t step = 1; step <= steps; ++step) {
      for (FaultKind kind : {FaultKind::Stop, FaultKind::Fail, FaultKind::Short}) {
        SCOPED_TRACE(::testing::Message() << "change " << index << ", kind "
                                          << static_cast<int>(kind) << ", step " << step);
        interrupt(change, kind, step);
        const bool kept = checkTrial(kind, step, (step + static_cast<uint64_t>(kind)) % 7 == 0);
        if (kept && keptFrom.count(kind) == 0) keptFrom[kind] = step;
        EXPECT_EQ(kept, keptFrom.count(kind) != 0) << "a later interruption lost the change";
        ++trials;
        if (HasFailure()) return;
      }
    }
    if (after_ != before_) {
      ASSERT_EQ(keptFrom.size(), 3u) << "change " << index;
      EXPECT_GE(keptFrom[FaultKind::Stop], 4u);
      EXPECT_EQ(keptFrom[FaultKind::Fail], keptFrom[FaultKind::Stop]);
      EXPECT_EQ(keptFrom[FaultKind::Short] + 1, keptFrom[FaultKind::Stop]);
    }
    // The base moves on by the change.
    TarnwickFile file;
    ASSERT_EQ(file.open(base_, OpenMode{}), 0);
    ItemModel model = before_;
    ASSERT_EQ(testing::applyChange(file, change, model), 0);
    ASSERT_EQ(file.commit(), 0);
    before_ = model;
  }
  EXPECT_GT(trials, isLong ? 2000u : 150u);
  RecordProperty("trials", static_cast<int>(trials));
}

TEST_F(TarnwickCrash, ALongChangeSendingInnerPagesHomeIsWhollyThereOrWhollyAbsent) {
  // Into an empty file every page lies past its end: the change's leaves,
  // and then its inner pages once it is done with them, go home between its
  // statements, in pieces, before the commit names anything.
  script_ = {testing::makeLongChange(21000, 200)};
  {
    TarnwickFile file;
    ASSERT_EQ(file.create(base_), 0);
  }
  before_.clear();
  after_ = before_;
  uint64_t steps = 0;
  ASSERT_NO_FATAL_FAILURE(steps = cleanRun(script_.front()));
  ASSERT_GT(steps, 6u);
  std::map<FaultKind, bool> kept;
  for (uint64_t step = 1; step <= steps; ++step) {
    for (FaultKind kind : {FaultKind::Stop, FaultKind::Fail, FaultKind::Short}) {
      SCOPED_TRACE(::testing::Message() << "kind " << static_cast<int>(kind) << ", step " << step);
      interrupt(script_.front(), kind, step);
      const bool stands = checkTrial(kind, step, step == steps && kind == FaultKind::Stop);
      EXPECT_TRUE(stands || !kept[kind]) << "a later interruption lost the change";
      kept[kind] = kept[kind] || stands;
      if (HasFailure()) return;
    }
  }
  EXPECT_TRUE(kept[FaultKind::Stop] && kept[FaultKind::Fail] && kept[FaultKind::Short]);
}

}  // namespace
}  // namespace zor::tarnwick
