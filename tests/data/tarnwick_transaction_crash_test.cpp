// Transactions over two and three files interrupted at every write and
// flush in turn. A forked child stops dead at step k of LOGOUT, changes and
// COMMIT (k = 1, 2, ... until it completes); the files are then reopened,
// which settles them: every file shows all of the transaction or none of
// it, and once one file shows it, all do. Writes that fail or store half
// their bytes make COMMIT answer an error with nothing half committed, and
// the files stay usable. A power cut at any flush, which loses or tears what
// was written since the flush before, leaves all or nothing as well. A
// commit that changed one file of several uses no control file; ROLLBACK
// leaves every file as it was before LOGOUT.

#include <filesystem>
#include <memory>

#include "platform/fault_injection.h"
#include "platform/power_cut.h"
#include "tests/data/tarnwick_process_support.h"

namespace zor::tarnwick::testing {
namespace {

using platform::FaultKind;
using Ledgers = std::vector<std::unique_ptr<Ledger>>;

const std::vector<Entry> kStartEntries = {entryOf(1, 0, 10), entryOf(2, 0, 20), entryOf(3, 0, 30),
                                          entryOf(4, 0, 40)};

class TarnwickTransactionCrashTest : public TarnwickDriverTest {
 protected:
  void TearDown() override {
    platform::clearFaultPlan();
    if (!root_.empty() && !HasFailure()) std::filesystem::remove_all(root_);
  }

  // Files at the given places under a fresh folder; `changed` says which
  // ones the transaction changes. Keeps a copy of each to start again from,
  // the contents before and after the transaction, and how many I/O steps
  // the transaction takes.
  void prepare(const std::vector<std::string>& places, std::vector<bool> changed) {
    root_ = freshFolder("transaction_crash");
    changed_ = std::move(changed);
    paths_.clear();
    for (const std::string& place : places) {
      paths_.push_back(root_ + "/" + place);
      std::filesystem::create_directories(std::filesystem::path(paths_.back()).parent_path());
      Ledger ledger(paths_.back());
      ASSERT_EQ(ledger.create(), 0);
      ASSERT_EQ(ledger.open(), 0);
      for (const Entry& e : kStartEntries) ASSERT_EQ(ledger.add(e), 0);
      ledger.close();
      std::filesystem::copy_file(paths_.back(), paths_.back() + ".start");
    }
    before_ = contents();
    Ledgers ledgers = openAll();
    const uint64_t start = platform::faultStepCount();
    ASSERT_EQ(transact(ledgers), 0);
    steps_ = platform::faultStepCount() - start;
    ledgers.clear();
    after_ = contents();
    for (size_t f = 0; f < paths_.size(); ++f) {
      ASSERT_EQ(after_[f] != before_[f], changed_[f]) << paths_[f];
      expectSoundFile(paths_[f]);
    }
    restart();
  }

  // Back to the files as prepared, with no control file.
  void restart() {
    for (const std::string& path : paths_)
      std::filesystem::copy_file(path + ".start", path,
                                 std::filesystem::copy_options::overwrite_existing);
    for (const auto& item : std::filesystem::recursive_directory_iterator(root_))
      if (item.path().extension() == ".tcf") std::filesystem::remove(item.path());
  }

  Ledgers openAll() {
    Ledgers ledgers;
    for (const std::string& path : paths_) {
      ledgers.push_back(std::make_unique<Ledger>(path));
      EXPECT_EQ(ledgers.back()->open(), 0) << path;
    }
    return ledgers;
  }

  // In each changed file: record 1 changes, record 5 comes, record 3 goes.
  // Answers COMMIT's answer, or the first refused statement's (after a
  // ROLLBACK).
  int transact(Ledgers& ledgers) {
    std::vector<data::FileControlBlock*> files;
    for (auto& ledger : ledgers) files.push_back(&ledger->fcb());
    if (const int error = st::logout(1, files); error != 0) return error;
    for (size_t f = 0; f < ledgers.size(); ++f) {
      if (!changed_[f]) continue;
      Ledger& ledger = *ledgers[f];
      const auto tag = static_cast<int32_t>(f);
      int error = ledger.get(1, true);
      if (error == 0) error = ledger.put(entryOf(1, 1, 100 + tag));
      if (error == 0) error = ledger.add(entryOf(5, 0, 50 + tag));
      if (error == 0) error = ledger.get(3);
      if (error == 0) error = st::erase(ledger.fcb());
      if (error != 0) {
        st::rollback(*files.front());
        return error;
      }
    }
    return st::commit(*files.front());
  }

  // What each file holds, read through `ledgers` or, without them, through
  // a new open of each file (which settles an interrupted change). Each
  // read must succeed unless `errors` takes its answers.
  std::vector<std::vector<Entry>> contents(Ledgers* ledgers = nullptr,
                                           std::vector<int>* errors = nullptr) {
    std::vector<std::vector<Entry>> all;
    for (size_t f = 0; f < paths_.size(); ++f) {
      int error = 0;
      if (ledgers != nullptr) {
        all.push_back((*ledgers)[f]->all(&error));
      } else {
        Ledger ledger(paths_[f]);
        EXPECT_EQ(ledger.open(), 0) << paths_[f];
        all.push_back(ledger.all(&error));
      }
      if (errors != nullptr)
        errors->push_back(error);
      else
        EXPECT_EQ(error, 0) << paths_[f];
    }
    return all;
  }

  // Checks that the files show the whole transaction or none of it, and
  // answers whether they show it.
  bool standsWhole(const std::vector<std::vector<Entry>>& now) {
    size_t showing = 0, changedFiles = 0;
    for (size_t f = 0; f < paths_.size(); ++f) {
      changedFiles += changed_[f] ? 1 : 0;
      if (changed_[f] && now[f] == after_[f]) {
        ++showing;
      } else if (now[f] != before_[f]) {
        ADD_FAILURE() << paths_[f] << " holds neither the state before nor after the transaction";
      }
    }
    EXPECT_TRUE(showing == 0 || showing == changedFiles)
        << showing << " of " << changedFiles << " changed files show the transaction";
    return showing == changedFiles;
  }

  // Stops a child at every step of the transaction in turn.
  void stopAtEveryStep() {
    bool stood = false;
    uint64_t at = 1;
    for (;; ++at) {
      SCOPED_TRACE(::testing::Message() << "stop at step " << at << " of " << steps_);
      ASSERT_LE(at, steps_ + 1) << "the child never completed";
      restart();
      const auto outcome = runTogether(1, [&](int, std::string& output) {
        Ledgers ledgers = openAll();
        platform::setFaultPlan({FaultKind::Stop, platform::FaultStep::WriteOrFlush, at, false});
        const int error = transact(ledgers);
        platform::clearFaultPlan();
        output = "the transaction answered " + std::to_string(error);
        return error == 0 ? 0 : 1;
      });
      const int status = outcome.front().status;
      ASSERT_TRUE(status == 0 || status == platform::kFaultStopExitCode) << outcome.front().output;
      const bool stands = standsWhole(contents());
      EXPECT_TRUE(stands || !stood) << "a transaction that stood at an earlier stop is lost";
      stood = stood || stands;
      for (const std::string& path : paths_) expectSoundFile(path);
      furtherTransaction();
      if (HasFailure() || status == 0) break;
    }
    EXPECT_TRUE(stood) << "the transaction never stood";
    EXPECT_GT(at, 2u) << "the sweep never stopped a child";
  }

  // Cuts the power at every flush of the transaction in turn: writes since
  // the flush before are lost, or torn sector by sector. Once a cut that
  // loses them leaves the transaction standing, every later cut must.
  void cutPowerAtEveryFlush() {
    bool stood = false;
    for (uint64_t at = 1;; ++at) {
      bool completed = false;
      for (platform::PowerLoss loss : {platform::PowerLoss::Drop, platform::PowerLoss::Tear}) {
        SCOPED_TRACE(::testing::Message() << (loss == platform::PowerLoss::Drop ? "drop" : "tear")
                                          << " at flush " << at);
        restart();
        const auto outcome = runTogether(1, [&](int, std::string& output) {
          platform::PowerCutEnvironment cutting({at, loss, static_cast<uint32_t>(at * 13)});
          platform::setFileEnvironment(&cutting);
          int error = 0;
          {
            Ledgers ledgers = openAll();
            error = transact(ledgers);
          }
          // A run that got through loses what it left unflushed at the end.
          cutting.loseUnflushed();
          platform::setFileEnvironment(nullptr);
          output = "the transaction answered " + std::to_string(error);
          return error == 0 ? 0 : 1;
        });
        const int status = outcome.front().status;
        ASSERT_TRUE(status == 0 || status == platform::kFaultStopExitCode)
            << outcome.front().output;
        const bool stands = standsWhole(contents());
        if (loss == platform::PowerLoss::Drop) {
          EXPECT_TRUE(stands || !stood) << "a transaction that stood at an earlier cut is lost";
          stood = stood || stands;
        } else {
          EXPECT_TRUE(stands || !stood) << "a torn write took back a transaction that stood";
        }
        for (const std::string& path : paths_) expectSoundFile(path);
        furtherTransaction();
        if (HasFailure()) return;
        completed = completed || status == 0;
      }
      if (completed) break;
      ASSERT_LT(at, 1000u) << "the transaction never completed";
    }
    EXPECT_TRUE(stood) << "the transaction never stood";
  }

  // After an interruption the files (and their control files) take a
  // further transaction that changes the same files.
  void furtherTransaction() {
    Ledgers ledgers = openAll();
    std::vector<data::FileControlBlock*> files;
    for (auto& ledger : ledgers) files.push_back(&ledger->fcb());
    ASSERT_EQ(st::logout(1, files), 0);
    for (size_t f = 0; f < ledgers.size(); ++f) {
      if (!changed_[f]) continue;
      ASSERT_EQ(ledgers[f]->add(entryOf(9, 0, 9)), 0);
    }
    EXPECT_EQ(st::commit(*files.front()), 0) << "a further transaction";
    for (size_t f = 0; f < ledgers.size(); ++f)
      EXPECT_EQ(ledgers[f]->get(9), changed_[f] ? 0 : data::kErrRecordNotFound);
    ledgers.clear();
    for (const std::string& path : paths_) expectSoundFile(path);
  }

  // Makes each step of the transaction fail, then store half its bytes, in
  // turn. COMMIT answers 0 exactly when the transaction stands. A station
  // whose write failed may answer that error until it closes the file (its
  // later writes are skipped), but what it reads is what a new open finds.
  void failAtEveryStep() {
    for (FaultKind kind : {FaultKind::Fail, FaultKind::Short}) {
      for (uint64_t at = 1; at <= steps_; ++at) {
        SCOPED_TRACE(::testing::Message() << (kind == FaultKind::Fail ? "fail" : "short write")
                                          << " at step " << at << " of " << steps_);
        restart();
        Ledgers ledgers = openAll();
        platform::setFaultPlan({kind, platform::FaultStep::WriteOrFlush, at, false});
        const int error = transact(ledgers);
        platform::clearFaultPlan();
        std::vector<int> readErrors;
        const auto seen = contents(&ledgers, &readErrors);
        ledgers.clear();
        const auto reopened = contents();
        const bool stands = standsWhole(reopened);
        EXPECT_TRUE(error != 0 || stands) << "COMMIT answered 0, yet the transaction is not there";
        EXPECT_TRUE(error == 0 || !stands)
            << "COMMIT answered " << error << ", yet the transaction stands";
        for (size_t f = 0; f < paths_.size(); ++f) {
          EXPECT_TRUE(readErrors[f] != 0 || seen[f] == reopened[f])
              << paths_[f] << ": the station that made the transaction reads other contents";
        }
        furtherTransaction();
        if (HasFailure()) return;
      }
    }
  }

  std::string root_;
  std::vector<std::string> paths_;
  std::vector<bool> changed_;
  std::vector<std::vector<Entry>> before_, after_;
  uint64_t steps_ = 0;
};

TEST_F(TarnwickTransactionCrashTest, StopAnywhereInATwoFileCommitLeavesAllOrNothing) {
  ASSERT_NO_FATAL_FAILURE(prepare({"a/one.twk", "a/two.twk"}, {true, true}));
  stopAtEveryStep();
}

TEST_F(TarnwickTransactionCrashTest, StopAnywhereInAThreeFileCommitLeavesAllOrNothing) {
  // Two folders: a control file in each.
  ASSERT_NO_FATAL_FAILURE(prepare({"a/one.twk", "b/two.twk", "a/three.twk"}, {true, true, true}));
  stopAtEveryStep();
}

TEST_F(TarnwickTransactionCrashTest, PowerCutAnywhereInAThreeFileCommitLeavesAllOrNothing) {
  ASSERT_NO_FATAL_FAILURE(prepare({"a/one.twk", "b/two.twk", "a/three.twk"}, {true, true, true}));
  cutPowerAtEveryFlush();
}

TEST_F(TarnwickTransactionCrashTest, OneChangedFileAmongUnchangedOnesUsesNoControlFile) {
  ASSERT_NO_FATAL_FAILURE(prepare({"a/one.twk", "a/two.twk", "a/three.twk"}, {false, true, false}));
  EXPECT_FALSE(std::filesystem::exists(root_ + "/a/tarnwick.tcf"));
  stopAtEveryStep();
  EXPECT_FALSE(std::filesystem::exists(root_ + "/a/tarnwick.tcf"));
}

TEST_F(TarnwickTransactionCrashTest, FailedOrShortWriteAnywhereInACommitLeavesAllOrNothing) {
  ASSERT_NO_FATAL_FAILURE(prepare({"a/one.twk", "b/two.twk", "a/three.twk"}, {true, false, true}));
  failAtEveryStep();
}

TEST_F(TarnwickTransactionCrashTest,
       FailedOrShortWriteAnywhereInASingleFileCommitLeavesAllOrNothing) {
  ASSERT_NO_FATAL_FAILURE(prepare({"a/one.twk", "a/two.twk"}, {true, false}));
  failAtEveryStep();
}

TEST_F(TarnwickTransactionCrashTest, RollbackLeavesEveryFileAsBeforeLogout) {
  ASSERT_NO_FATAL_FAILURE(prepare({"a/one.twk", "b/two.twk", "a/three.twk"}, {true, true, false}));
  Ledgers ledgers = openAll();
  std::vector<data::FileControlBlock*> files;
  for (auto& ledger : ledgers) files.push_back(&ledger->fcb());
  ASSERT_EQ(st::logout(1, files), 0);
  ASSERT_EQ(ledgers[0]->get(1, true), 0);
  ASSERT_EQ(ledgers[0]->put(entryOf(1, 1, 77)), 0);
  ASSERT_EQ(ledgers[1]->add(entryOf(8, 0, 88)), 0);
  ASSERT_EQ(ledgers[1]->get(2), 0);
  ASSERT_EQ(st::erase(ledgers[1]->fcb()), 0);
  ASSERT_EQ(ledgers[1]->get(8), 0);  // the transaction sees its own change
  ASSERT_EQ(st::rollback(*files.front()), 0);
  EXPECT_EQ(contents(&ledgers), before_);
  // Another process, and a new open, see the files as they were.
  const auto outcome = runTogether(1, [&](int, std::string& output) {
    const bool same = contents() == before_;
    output = same ? "" : "another process sees a rolled back change";
    return same ? 0 : 1;
  });
  expectAllSucceeded(outcome);
  ledgers.clear();
  EXPECT_EQ(contents(), before_);
  ledgers = openAll();
  EXPECT_EQ(transact(ledgers), 0);
  EXPECT_EQ(contents(&ledgers), after_);
  ledgers.clear();
  for (const std::string& path : paths_) expectSoundFile(path);
}

}  // namespace
}  // namespace zor::tarnwick::testing
