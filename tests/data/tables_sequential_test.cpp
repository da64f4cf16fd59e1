// Sequential reading keeps its cursor between NEXT and PREVIOUS: these cases
// change the file between two steps, from another station (which this one
// only learns of through the file's header) and from this one, and check
// that every step still answers the item after (or before) the last one read.

#include <filesystem>

#include "data/file_errors.h"
#include "data/file_statements.h"
#include "runtime/error_state.h"
#include "tests/data/tables_test_support.h"

namespace zor::tarnwick::testing {
namespace {

namespace st = data::statement;

class TablesSequentialTest : public TarnwickDriverTest {
 protected:
  void SetUp() override {
    TarnwickDriverTest::SetUp();
    path_ = scratchPath("sequential.twk");
    std::filesystem::remove(path_);
    for (data::FileControlBlock* fcb : {&fcb_, &other_}) {
      ASSERT_EQ(data::declareFile(*fcb, testDeclaration(path_, {{"T:ByLong", {"T:L"}, 0, ""}})), 0);
    }
    ASSERT_EQ(st::create(fcb_), 0);
    ASSERT_EQ(st::open(fcb_, st::kReadWriteDenyNone), 0);
    ASSERT_EQ(st::open(other_, st::kReadWriteDenyNone), 0);
  }

  void TearDown() override {
    st::close(other_);
    st::close(fcb_);
    std::filesystem::remove(path_);
  }

  static int32_t longAt(const data::FileControlBlock& fcb) {
    int32_t value = 0;
    std::memcpy(&value, fcb.record.data() + fcb.fields[kFLong - 1].offset, 4);
    return value;
  }

  static void add(data::FileControlBlock& fcb, int32_t value) {
    std::fill(fcb.record.begin(), fcb.record.end(), 0);
    putNumber(fcb.record, fcb.fields[kFLong - 1].offset, value);
    ASSERT_EQ(st::add(fcb), 0);
  }

  static void getLong(data::FileControlBlock& fcb, int32_t value) {
    putNumber(fcb.record, fcb.fields[kFLong - 1].offset, value);
    ASSERT_EQ(st::get(fcb, fcb.keys[0]), 0);
  }

  // The value NEXT (or PREVIOUS) reads; 0 at the end of the order.
  int32_t step(bool forward = true) {
    const int result = forward ? st::next(fcb_) : st::previous(fcb_);
    if (result != 0) {
      EXPECT_EQ(result, data::kErrRecordNotAvailable);
      return 0;
    }
    return longAt(fcb_);
  }

  std::string path_;
  data::FileControlBlock fcb_;
  data::FileControlBlock other_;
};

TEST_F(TablesSequentialTest, AnotherStationsChangesBetweenStepsAreSeen) {
  for (int32_t value : {10, 20, 30, 40, 50}) add(fcb_, value);
  st::set(fcb_, fcb_.keys[0]);
  EXPECT_EQ(step(), 10);
  EXPECT_EQ(step(), 20);

  // A record slips in just after the current one.
  add(other_, 25);
  EXPECT_EQ(step(), 25);

  // The next record goes away, the one after it changes its key.
  getLong(other_, 30);
  ASSERT_EQ(st::erase(other_), 0);
  getLong(other_, 40);
  putNumber<int32_t>(other_.record, other_.fields[kFLong - 1].offset, 45);
  ASSERT_EQ(st::put(other_), 0);
  EXPECT_EQ(step(), 45);

  // The current record itself goes away: reading back finds the one before.
  ASSERT_EQ(st::erase(other_), 0);
  EXPECT_EQ(step(false), 25);

  // Enough records to split every page the cursor stood on.
  for (int32_t value = 1000; value < 1600; ++value) add(other_, value);
  add(other_, 26);
  EXPECT_EQ(step(), 26);
  EXPECT_EQ(step(), 50);
  for (int32_t value = 1000; value < 1600; ++value) ASSERT_EQ(step(), value);
  EXPECT_EQ(step(), 0);
}

TEST_F(TablesSequentialTest, RecordOrderFollowsChangesOfEitherStation) {
  for (int32_t value = 1; value <= 300; ++value) add(fcb_, value);
  st::set(fcb_);
  for (int32_t value = 1; value <= 100; ++value) ASSERT_EQ(step(), value);
  // The other station empties the table and fills it again: new numbers.
  ASSERT_EQ(st::empty(other_), 0);
  add(other_, 7);
  EXPECT_EQ(step(), 7);
  EXPECT_EQ(step(), 0);

  // This station's own changes between steps.
  add(fcb_, 8);
  add(fcb_, 9);
  st::set(fcb_);
  EXPECT_EQ(step(), 7);
  getLong(other_, 8);
  putNumber<int32_t>(other_.record, other_.fields[kFLong - 1].offset, 80);
  ASSERT_EQ(st::put(other_), 0);
  getLong(fcb_, 9);
  ASSERT_EQ(st::erase(fcb_), 0);
  st::set(fcb_);
  EXPECT_EQ(step(), 7);
  EXPECT_EQ(step(), 80);
  EXPECT_EQ(step(), 0);
  // The end of the order leaves the position on the last record read.
  EXPECT_EQ(step(false), 7);
}

TEST_F(TablesSequentialTest, StepsSurviveStatesLookupsAndRefusedReads) {
  for (int32_t value : {1, 2, 3, 4, 5}) add(fcb_, value);
  st::set(fcb_, fcb_.keys[0]);
  EXPECT_EQ(step(), 1);
  EXPECT_EQ(step(), 2);
  uint32_t saved = 0;
  ASSERT_EQ(st::getState(fcb_, saved), 0);
  EXPECT_EQ(step(), 3);
  EXPECT_EQ(step(), 4);
  ASSERT_EQ(st::restoreState(fcb_, saved), 0);
  EXPECT_EQ(step(), 3);

  // A lookup by key uses no sequential position.
  getLong(fcb_, 5);
  EXPECT_EQ(step(), 4);
  EXPECT_EQ(step(false), 3);

  // A refused read leaves the position where it was.
  ASSERT_EQ(st::hold(other_), 0);
  getLong(other_, 4);
  ASSERT_EQ(st::hold(fcb_), 0);
  EXPECT_EQ(st::next(fcb_), data::kErrRecordHeld);
  ASSERT_EQ(st::release(other_), 0);
  ASSERT_EQ(st::hold(fcb_), 0);
  EXPECT_EQ(step(), 4);
  ASSERT_EQ(st::release(fcb_), 0);
  EXPECT_EQ(step(), 5);
  EXPECT_EQ(step(), 0);
}

}  // namespace
}  // namespace zor::tarnwick::testing
