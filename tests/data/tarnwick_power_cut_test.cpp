// Cuts the power at every flush of a run of changes in turn: what was
// written since the last flush is lost, or torn sector by sector at random,
// as a real device may leave it. Reopening must find every change whose
// commit answered, the one under way whole or not at all, and a sound file.
// The pending region is kept small, so that the run copies it home several
// times on the way and the cuts fall into that as well. Each file a cut
// leaves is then cut again at every flush of settling it at the next open.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "data/tarnwick/page_store.h"
#include "platform/fault_injection.h"
#include "platform/power_cut.h"
#include "tests/data/tarnwick_change_script.h"
#include "tests/data/tarnwick_process_support.h"
#include "tests/data/tarnwick_test_support.h"

namespace zor::tarnwick {
namespace {

using platform::PowerCutEnvironment;
using platform::PowerLoss;
using testing::ItemModel;

class TarnwickPowerCut : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = testing::freshFolder("power_cut");
    base_ = folder_ + "/base.twk";
    trial_ = folder_ + "/trial.twk";
    cut_ = folder_ + "/cut.twk";
    PageStore::setRegionLimit(24 << 10);
  }
  void TearDown() override {
    PageStore::setRegionLimit(0);
    platform::setFileEnvironment(nullptr);
    if (!HasFailure()) std::filesystem::remove_all(folder_);
  }

  // Runs the script on a copy of the base through `environment`, telling
  // `committed` how many changes were committed; answers the error that
  // stopped it (the power cut ends the process before).
  int runScript(platform::FileEnvironment& environment, int& committed) {
    std::filesystem::copy_file(base_, trial_, std::filesystem::copy_options::overwrite_existing);
    platform::setFileEnvironment(&environment);
    TarnwickFile file;
    int error = file.open(trial_, OpenMode{});
    ItemModel scratch = models_.front();
    for (size_t i = 0; error == 0 && i < script_.size(); ++i) {
      error = testing::applyChange(file, script_[i], scratch);
      if (error == 0) error = file.commit();
      if (error == 0) committed = static_cast<int>(i) + 1;
    }
    file.close();
    platform::setFileEnvironment(nullptr);
    return error;
  }

  // Cuts the power again at every flush of opening (and closing) the file
  // a cut left in `cut_`: settling it must come to `settled`, whatever
  // second cut interrupts it. Answers the number of cuts made.
  int cutWhileSettling(PowerLoss loss, const ItemModel& settled) {
    testing::SharedMemory<uint64_t> flushes;
    int cuts = 0;
    for (uint64_t at = 1;; ++at) {
      SCOPED_TRACE(::testing::Message() << "and again at flush " << at << " of settling");
      std::filesystem::copy_file(cut_, trial_, std::filesystem::copy_options::overwrite_existing);
      *flushes = UINT64_MAX;  // stays so when the cut comes on the way
      const pid_t child = ::fork();
      if (child < 0) {
        ADD_FAILURE() << "fork failed";
        return cuts;
      }
      if (child == 0) {
        PowerCutEnvironment cutting({at, loss, static_cast<uint32_t>(at * 17 + 3)});
        platform::setFileEnvironment(&cutting);
        {
          TarnwickFile file;
          if (file.open(trial_, OpenMode{}) == 0) testing::readAll(file);
        }
        *flushes = cutting.flushes();
        cutting.cut();
      }
      int status = 0;
      if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
          WEXITSTATUS(status) != platform::kFaultStopExitCode) {
        ADD_FAILURE() << "the settling child did not end by the cut";
        return cuts;
      }
      ++cuts;
      TarnwickFile file;
      EXPECT_EQ(file.open(trial_, OpenMode{}), 0);
      EXPECT_TRUE(testing::readAll(file) == settled) << "a second cut changed what stands";
      testing::expectSound(file);
      // The settling got through without reaching this flush: all are done.
      if (HasFailure() || *flushes < at) return cuts;
    }
  }

  // The models before each change of the script and after the last.
  void modelScript(ItemModel model) {
    models_ = {model};
    for (const testing::ScriptChange& change : script_) {
      for (const testing::ScriptOperation& operation : change) {
        if (operation.erase) {
          model.erase(operation.key);
        } else {
          model[operation.key] = operation.data;
        }
      }
      models_.push_back(model);
    }
  }

  // A clean run of the script: answers the flushes it made.
  uint64_t countFlushes() {
    PowerCutEnvironment counting;
    int committed = 0;
    EXPECT_EQ(runScript(counting, committed), 0);
    EXPECT_EQ(committed, static_cast<int>(script_.size()));
    return counting.flushes();
  }

  // Cuts the power at every flush of the script in turn (and once past the
  // last), dropping or tearing what was written since the one before, and
  // again at every flush of settling what each cut left. Answers the
  // trials made.
  int cutAtEveryFlush(uint64_t flushes) {
    testing::SharedMemory<int> done;
    int trials = 0;
    for (uint64_t at = 1; at <= flushes + 1; ++at) {
      for (PowerLoss loss : {PowerLoss::Drop, PowerLoss::Tear}) {
        SCOPED_TRACE(::testing::Message() << (loss == PowerLoss::Drop ? "drop" : "tear")
                                          << " at flush " << at << " of " << flushes);
        *done = -1;
        const pid_t child = ::fork();
        if (child < 0) {
          ADD_FAILURE() << "fork failed";
          return trials;
        }
        if (child == 0) {
          PowerCutEnvironment cutting({at, loss, static_cast<uint32_t>(at * 31 + 7)});
          *done = 0;
          try {
            runScript(cutting, *done);
          } catch (...) {
            ::_exit(99);
          }
          cutting.cut();
        }
        int status = 0;
        if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
            WEXITSTATUS(status) != platform::kFaultStopExitCode || *done < 0) {
          ADD_FAILURE() << "the run did not end by the cut";
          return trials;
        }
        const auto safe = static_cast<size_t>(*done);
        std::filesystem::copy_file(trial_, cut_, std::filesystem::copy_options::overwrite_existing);
        TarnwickFile file;
        EXPECT_EQ(file.open(trial_, OpenMode{}), 0);
        EXPECT_FALSE(file.header().pending());
        const ItemModel found = testing::readAll(file);
        EXPECT_TRUE(found == models_[safe] ||
                    (safe + 1 < models_.size() && found == models_[safe + 1]))
            << "found " << found.size() << " items after " << safe << " committed changes";
        testing::expectSound(file);
        file.close();
        ++trials;
        if (HasFailure()) return trials;
        trials += cutWhileSettling(loss, found);
        if (HasFailure()) return trials;
      }
    }
    return trials;
  }

  std::string folder_, base_, trial_, cut_;
  std::vector<testing::ScriptChange> script_;
  std::vector<ItemModel> models_;  // before each change, and after the last
  testing::FatalHookGuard hook_;
};

TEST_F(TarnwickPowerCut, EveryCommittedChangeSurvivesAndTheOneUnderWayIsWholeOrAbsent) {
  const bool isLong = std::getenv("ZOR_LONG_TESTS") != nullptr;
  script_ = testing::makeScript(isLong ? 91 : 19, isLong ? 40 : 12, 25, 500);
  // Last, one change long enough to send leaves home before its commit.
  script_.push_back(testing::makeLongChange(270, 12000));
  ItemModel model;
  {
    TarnwickFile file;
    ASSERT_EQ(file.create(base_), 0);
    ASSERT_EQ(testing::fillFile(file, 300, 20, 150, model), 0);
    ASSERT_EQ(file.checkpoint(), 0);
  }
  modelScript(model);
  const uint64_t flushes = countFlushes();
  ASSERT_FALSE(HasFailure());
  ASSERT_GT(flushes, 2 * script_.size()) << "the region was never copied home";
  RecordProperty("trials", cutAtEveryFlush(flushes));
}

TEST_F(TarnwickPowerCut, ALongChangeSendingInnerPagesHomeIsWhollyThereOrWhollyAbsent) {
  // Into an empty file every page lies past its end: the change's leaves,
  // and its inner pages once it is done with them, go home unflushed
  // between its statements, before the commit names anything.
  script_ = {testing::makeLongChange(21000, 200)};
  {
    TarnwickFile file;
    ASSERT_EQ(file.create(base_), 0);
  }
  modelScript({});
  const uint64_t flushes = countFlushes();
  ASSERT_FALSE(HasFailure());
  RecordProperty("trials", cutAtEveryFlush(flushes));
}

}  // namespace
}  // namespace zor::tarnwick
