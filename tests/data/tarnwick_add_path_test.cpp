// ADDs in one transaction against a model: the counts RECORDS() answers in
// the middle of the change, after a refused ADD (a repeated value of either
// key without duplicates) and after ROLLBACK, what a second handle reads
// after COMMIT, and the file's own check of its counters.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <string>

#include "data/file_errors.h"
#include "data/file_statements.h"
#include "data/tarnwick/table_verify.h"
#include "tests/data/tables_test_support.h"

namespace zor::tarnwick::testing {
namespace {

namespace st = data::statement;

struct Row {
  int32_t code;
  std::string group;  // empty: no entry in the optional key
};

// The shared test table with two keys without duplicates (a LONG and a
// ULONG field) and an optional, case-blind one with duplicates (a CSTRING).
class AddPathTest : public TarnwickDriverTest {
 protected:
  void SetUp() override {
    TarnwickDriverTest::SetUp();
    path_ = scratchPath("add_path.twk");
    std::filesystem::remove(path_);
    const data::FileDeclaration declaration =
        testDeclaration(path_, {{"T:KID", {"T:L"}, 0, ""},
                                {"T:KCODE", {"T:UL"}, 0, ""},
                                {"T:KGROUP", {"T:CS"}, data::kKeyDup | data::kKeyOpt, ""}});
    for (data::FileControlBlock* fcb : {&writer_, &reader_}) {
      ASSERT_EQ(data::declareFile(*fcb, declaration), 0);
      if (fcb == &writer_) {
        ASSERT_EQ(st::create(*fcb), 0);
      }
      ASSERT_EQ(st::open(*fcb, st::kReadWriteDenyNone), 0);
    }
  }
  void TearDown() override {
    for (data::FileControlBlock* fcb : {&writer_, &reader_}) st::close(*fcb);
  }

  static void setId(data::FileControlBlock& fcb, int32_t id) {
    putNumber(fcb.record, fcb.fields[kFLong - 1].offset, id);
  }
  static void setCode(data::FileControlBlock& fcb, int32_t code) {
    putNumber(fcb.record, fcb.fields[kFULong - 1].offset, code);
  }
  static int add(data::FileControlBlock& fcb, int32_t id, const Row& row) {
    std::fill(fcb.record.begin(), fcb.record.end(), 0);
    setId(fcb, id);
    setCode(fcb, row.code);
    putText(fcb.record, fcb.fields[kFCString - 1], row.group);
    return st::add(fcb);
  }
  // RECORDS() of the file and of each key, as `fcb` sees them.
  static void expectCounts(data::FileControlBlock& fcb, const std::map<int32_t, Row>& model) {
    int64_t grouped = 0;
    for (const auto& entry : model) grouped += entry.second.group.empty() ? 0 : 1;
    const int64_t expected[] = {static_cast<int64_t>(model.size()),
                                static_cast<int64_t>(model.size()),
                                static_cast<int64_t>(model.size()), grouped};
    int64_t count = -1;
    ASSERT_EQ(st::records(fcb, count), 0);
    EXPECT_EQ(count, expected[0]);
    for (size_t key = 0; key < fcb.keys.size(); ++key) {
      ASSERT_EQ(st::records(fcb, fcb.keys[key], count), 0);
      EXPECT_EQ(count, expected[key + 1]) << "key " << key;
    }
  }
  // Every record of the model reads back by its code, and a code the model
  // does not hold finds nothing.
  static void expectRows(data::FileControlBlock& fcb, const std::map<int32_t, Row>& model) {
    for (const auto& [id, row] : model) {
      setCode(fcb, row.code);
      ASSERT_EQ(st::get(fcb, fcb.keys[1]), 0) << id;
      int32_t stored = 0;
      std::memcpy(&stored, fcb.record.data() + fcb.fields[kFLong - 1].offset, 4);
      EXPECT_EQ(stored, id);
    }
  }

  std::string path_;
  data::FileControlBlock writer_, reader_;
};

TEST_F(AddPathTest, AddsInOneTransactionKeepCountsAndRefusalsExact) {
  std::map<int32_t, Row> model;
  data::FileControlBlock* files[] = {&writer_};
  ASSERT_EQ(st::logout(0, files), 0);
  for (int32_t id = 1; id <= 3000; ++id) {
    // Codes scattered, groups of several sizes, a tenth without a group.
    const Row row{(id * 7919) % 100'003, id % 10 == 0 ? "" : "G" + std::to_string(id % 37)};
    ASSERT_EQ(add(writer_, id, row), 0) << id;
    model[id] = row;
    if (id % 97 == 0) {
      // A repeated code (its id new) and a repeated id (its code new) are
      // refused and leave no entry behind under the other key.
      EXPECT_EQ(add(writer_, 900'000 + id, {row.code, "No"}), data::kErrDuplicateKey);
      EXPECT_EQ(add(writer_, id, {200'000 + id, "No"}), data::kErrDuplicateKey);
      const int32_t refusedId = 900'000 + id, refusedCode = 200'000 + id;
      setId(writer_, refusedId);
      EXPECT_EQ(st::get(writer_, writer_.keys[0]), data::kErrRecordNotFound);
      setCode(writer_, refusedCode);
      EXPECT_EQ(st::get(writer_, writer_.keys[1]), data::kErrRecordNotFound);
      expectCounts(writer_, model);
    }
  }
  expectRows(writer_, model);
  // The reader sees none of it until COMMIT.
  int64_t count = -1;
  ASSERT_EQ(st::records(reader_, count), 0);
  EXPECT_EQ(count, 0);
  ASSERT_EQ(st::commit(writer_), 0);
  expectCounts(reader_, model);
  expectRows(reader_, model);
  EXPECT_TRUE(checkTables(path_).ok());

  // A transaction rolled back leaves the counts as they were.
  ASSERT_EQ(st::logout(0, files), 0);
  for (int32_t id = 5000; id < 5300; ++id) ASSERT_EQ(add(writer_, id, {300'000 + id, "Late"}), 0);
  std::map<int32_t, Row> grown = model;
  for (int32_t id = 5000; id < 5300; ++id) grown[id] = {300'000 + id, "Late"};
  expectCounts(writer_, grown);
  ASSERT_EQ(st::rollback(writer_), 0);
  expectCounts(writer_, model);
  expectCounts(reader_, model);
  EXPECT_TRUE(checkTables(path_).ok());
}

}  // namespace
}  // namespace zor::tarnwick::testing
