// PACK gives a file's free space back through the driver and as a function:
// the records, keys and the numbering stay, the file shrinks, a file another
// handle holds is refused, and a stop at any write or flush of it leaves the
// file whole (the old one or the packed one, with the same records).

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "data/file_errors.h"
#include "data/file_statements.h"
#include "data/tarnwick/file_header.h"
#include "data/tarnwick/pack.h"
#include "data/tarnwick/table_verify.h"
#include "platform/fault_injection.h"
#include "tests/data/tables_test_support.h"

namespace zor::tarnwick::testing {
namespace {

namespace st = data::statement;

class TarnwickPack : public TarnwickDriverTest {
 protected:
  void SetUp() override {
    TarnwickDriverTest::SetUp();
    path_ = scratchPath("pack.twk");
    std::filesystem::remove(path_);
    std::filesystem::remove(packingPath(path_));
    declare(fcb_);
    ASSERT_EQ(st::create(fcb_), 0);
    ASSERT_EQ(st::open(fcb_, st::kReadWriteExclusive), 0);
    // Many records, most of them deleted again: the file keeps their room.
    for (int32_t i = 0; i < 1500; ++i) {
      std::fill(fcb_.record.begin(), fcb_.record.end(), 0);
      putNumber(fcb_.record, fcb_.fields[kFLong - 1].offset, i);
      putText(fcb_.record, fcb_.fields[kFString - 1], "r" + std::to_string(i % 100));
      ASSERT_EQ(st::add(fcb_), 0);
    }
    ASSERT_EQ(st::set(fcb_), 0);
    int32_t seen = 0;
    while (st::next(fcb_) == 0) {
      if (seen++ % 10 != 0) {
        ASSERT_EQ(st::erase(fcb_), 0);
      }
    }
    ASSERT_EQ(st::close(fcb_), 0);
    before_ = contents();
  }
  void TearDown() override {
    platform::clearFaultPlan();
    st::close(fcb_);
    st::close(other_);
  }

  void declare(data::FileControlBlock& fcb) {
    ASSERT_EQ(
        data::declareFile(fcb, testDeclaration(path_, {{"T:KL", {"T:L"}, 0, ""},
                                                       {"T:KS", {"T:STR"}, data::kKeyDup, ""}})),
        0);
  }

  // The records in key order, their numbers and what RECORDS says.
  std::vector<std::pair<uint32_t, int32_t>> contents() {
    data::FileControlBlock fcb;
    declare(fcb);
    std::vector<std::pair<uint32_t, int32_t>> records;
    EXPECT_EQ(st::open(fcb, st::kReadOnlyDenyNone), 0);
    st::set(fcb, fcb.keys[0]);
    while (st::next(fcb) == 0) {
      uint32_t number = 0;
      st::pointer(fcb, number);
      int32_t value = 0;
      std::memcpy(&value, fcb.record.data() + fcb.fields[kFLong - 1].offset, 4);
      records.emplace_back(number, value);
    }
    int64_t count = 0;
    EXPECT_EQ(st::records(fcb, count), 0);
    EXPECT_EQ(count, static_cast<int64_t>(records.size()));
    st::close(fcb);
    return records;
  }

  void expectSoundWithTheSameRecords() {
    EXPECT_EQ(contents(), before_);
    const TableCheck check = checkTables(path_);
    EXPECT_TRUE(check.ok()) << (check.ok() ? "" : check.problems.front());
  }

  std::string path_;
  data::FileControlBlock fcb_, other_;
  std::vector<std::pair<uint32_t, int32_t>> before_;
};

TEST_F(TarnwickPack, GivesRoomBackAndKeepsRecordsKeysAndNumbering) {
  const auto sizeBefore = std::filesystem::file_size(path_);
  EXPECT_EQ(st::pack(fcb_), 0);  // a closed table packs its file
  EXPECT_LT(std::filesystem::file_size(path_), sizeBefore);
  EXPECT_FALSE(std::filesystem::exists(packingPath(path_)));
  expectSoundWithTheSameRecords();
  // Numbers given out before are not given out again.
  ASSERT_EQ(st::open(fcb_, st::kReadWriteDenyNone), 0);
  ASSERT_EQ(st::add(fcb_), 0);
  uint32_t number = 0;
  ASSERT_EQ(st::pointer(fcb_, number), 0);
  EXPECT_GT(number, 1500u);
}

TEST_F(TarnwickPack, SettlesThePendingRegionFirstAndCarriesTheCountersOn) {
  // A writer that stopped without closing leaves its committed change in the
  // pending region, not yet copied home.
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    data::FileControlBlock writer;
    declare(writer);
    putNumber(writer.record, writer.fields[kFLong - 1].offset, int32_t{5000});
    putText(writer.record, writer.fields[kFString - 1], "late");
    const bool added = st::open(writer, st::kReadWriteDenyNone) == 0 && st::add(writer) == 0;
    ::_exit(added ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const auto headerOf = [&] {
    FileHeader header;
    EXPECT_TRUE(header.decode(readRaw(path_).data()));
    return header;
  };
  before_ = contents();
  const FileHeader left = headerOf();
  ASSERT_TRUE(left.pending());
  ASSERT_EQ(before_.back().second, 5000);

  PackResult result;
  ASSERT_EQ(packFile(path_, &result), 0);
  EXPECT_TRUE(result.replaced);
  EXPECT_EQ(result.bytesAfter, std::filesystem::file_size(path_));
  const FileHeader packed = headerOf();
  EXPECT_FALSE(packed.pending());
  // The packed file has no room kept for a region: it ends with its pages.
  EXPECT_EQ(std::filesystem::file_size(path_), packed.logicalEnd());
  EXPECT_GT(packed.changeCounter, left.changeCounter);
  expectSoundWithTheSameRecords();
  // The record added in the region counts for the numbering too.
  uint32_t newest = 0;
  for (const auto& [number, value] : before_) newest = std::max(newest, number);
  ASSERT_EQ(st::open(fcb_, st::kReadWriteDenyNone), 0);
  ASSERT_EQ(st::add(fcb_), 0);
  uint32_t number = 0;
  ASSERT_EQ(st::pointer(fcb_, number), 0);
  EXPECT_GT(number, newest);
}

TEST_F(TarnwickPack, NeedsTheFileAloneAndReopensATableOpenedAlone) {
  declare(other_);
  ASSERT_EQ(st::open(other_, st::kReadOnlyDenyNone), 0);
  EXPECT_EQ(st::pack(fcb_), data::kErrExclusiveAccessRequired);
  ASSERT_EQ(st::open(fcb_, st::kReadWriteDenyNone), 0);
  EXPECT_EQ(st::pack(fcb_), data::kErrExclusiveAccessRequired);  // opened shared
  ASSERT_EQ(st::close(fcb_), 0);
  ASSERT_EQ(st::close(other_), 0);

  ASSERT_EQ(st::open(fcb_, st::kReadWriteExclusive), 0);
  EXPECT_EQ(st::pack(fcb_), 0);
  // The table is open again, on the packed file.
  int64_t count = 0;
  EXPECT_EQ(st::records(fcb_, count), 0);
  EXPECT_EQ(count, static_cast<int64_t>(before_.size()));
  EXPECT_EQ(st::set(fcb_, fcb_.keys[1]), 0);
  EXPECT_EQ(st::next(fcb_), 0);
  ASSERT_EQ(st::close(fcb_), 0);
  expectSoundWithTheSameRecords();
}

TEST_F(TarnwickPack, AStopAtAnyWriteOrFlushLeavesTheFileWhole) {
  // Count the steps of a whole PACK on a copy, then stop one at each.
  const std::string base = path_ + ".base";
  std::filesystem::copy_file(path_, base, std::filesystem::copy_options::overwrite_existing);
  platform::setFaultPlan({});
  ASSERT_EQ(packFile(path_), 0);
  const uint64_t steps = platform::faultStepCount();
  ASSERT_GT(steps, 3u);
  for (uint64_t step = 1; step <= steps; ++step) {
    std::filesystem::copy_file(base, path_, std::filesystem::copy_options::overwrite_existing);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      platform::setFaultPlan({platform::FaultKind::Stop, platform::FaultStep::WriteOrFlush, step});
      (void)packFile(path_);  // stopped on the way
      ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), platform::kFaultStopExitCode) << "step " << step;
    expectSoundWithTheSameRecords();
    if (HasFailure()) {
      ADD_FAILURE() << "after a stop at step " << step << " of " << steps;
      return;
    }
  }
  // A stray half-written file beside it is replaced by the next PACK.
  EXPECT_EQ(packFile(path_), 0);
  EXPECT_FALSE(std::filesystem::exists(packingPath(path_)));
  expectSoundWithTheSameRecords();
  std::filesystem::remove(base);
}

}  // namespace
}  // namespace zor::tarnwick::testing
