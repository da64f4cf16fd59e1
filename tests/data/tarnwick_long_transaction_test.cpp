// A transaction of thousands of large records: the leaves it changes are
// frozen between its statements and thawed when it comes back to them, and
// whatever it reads, changes and removes on the way comes out right at
// COMMIT, or not at all at ROLLBACK.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>

#include "data/file_declaration.h"
#include "data/file_errors.h"
#include "data/file_statements.h"
#include "data/tarnwick/table_verify.h"
#include "data/tarnwick/tarnwick_driver.h"
#include "runtime/field_descriptor.h"
#include "runtime/type_codes.h"
#include "tests/data/tarnwick_test_support.h"

namespace zor::tarnwick::testing {
namespace {

namespace st = data::statement;

constexpr uint32_t kTextOffset = 4;
constexpr uint32_t kTextSize = 6000;

class LongTransactionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    registerTarnwickDriver();
    path_ = scratchPath("long_transaction.twk");
    std::filesystem::remove(path_);
    declare(writer_);
    ASSERT_EQ(st::create(writer_), 0);
    ASSERT_EQ(st::open(writer_, st::kReadWriteDenyNone), 0);
    declare(reader_);
    ASSERT_EQ(st::open(reader_, st::kReadWriteDenyNone), 0);
  }
  void TearDown() override {
    st::close(writer_);
    st::close(reader_);
  }

  void declare(data::FileControlBlock& fcb) {
    data::FileDeclaration d;
    d.label = "Big";
    d.prefix = "BIG";
    d.driver = "TARNWICK";
    d.name = path_;
    d.recordSize = kTextOffset + kTextSize;
    d.fields = {makeField("BIG:ID", kLong, 0, 4),
                makeField("BIG:TEXT", kCString, kTextOffset, kTextSize)};
    d.keys = {{"BIG:KID", {"BIG:ID"}, 0, ""}};
    ASSERT_EQ(data::declareFile(fcb, d), 0);
  }
  static void fill(data::FileControlBlock& fcb, int32_t id, const std::string& text) {
    std::fill(fcb.record.begin(), fcb.record.end(), 0);
    std::memcpy(fcb.record.data(), &id, 4);
    std::memcpy(fcb.record.data() + kTextOffset, text.data(), text.size());
  }
  static std::string textOf(const data::FileControlBlock& fcb) {
    return std::string(reinterpret_cast<const char*>(fcb.record.data() + kTextOffset));
  }
  static int get(data::FileControlBlock& fcb, int32_t id) {
    fill(fcb, id, "");
    return st::get(fcb, fcb.keys.front());
  }
  static std::string textFor(std::mt19937& random, int32_t id) {
    return "record " + std::to_string(id) + " " +
           std::string(100 + random() % 3000, static_cast<char>('a' + random() % 26));
  }
  // The reader's view: every record of the model, and no other.
  void expectReaderSees(const std::map<int32_t, std::string>& model) {
    int64_t records = -1;
    ASSERT_EQ(st::records(reader_, records), 0);
    EXPECT_EQ(records, static_cast<int64_t>(model.size()));
    for (const auto& [id, text] : model) {
      ASSERT_EQ(get(reader_, id), 0) << id;
      ASSERT_EQ(textOf(reader_), text) << id;
    }
    EXPECT_TRUE(checkTables(path_).ok());
  }

  std::string path_;
  data::FileControlBlock writer_, reader_;
};

TEST_F(LongTransactionTest, ThousandsOfRecordsCommitWholeWithReadsAndChangesOnTheWay) {
  std::mt19937 random(11);
  std::map<int32_t, std::string> model;
  fill(writer_, 0, "before the transaction");
  ASSERT_EQ(st::add(writer_), 0);
  model[0] = "before the transaction";

  data::FileControlBlock* files[] = {&writer_};
  ASSERT_EQ(st::logout(0, files), 0);
  for (int32_t id = 1; id <= 3000; ++id) {
    const std::string text = textFor(random, id);
    fill(writer_, id, text);
    ASSERT_EQ(st::add(writer_), 0) << id;
    model[id] = text;
    if (id % 7 == 0) {  // back to a leaf frozen long ago
      auto kept = model.lower_bound(1 + static_cast<int32_t>(random() % static_cast<uint32_t>(id)));
      if (kept == model.end()) kept = model.begin();
      const int32_t earlier = kept->first;
      ASSERT_EQ(get(writer_, earlier), 0) << earlier;
      ASSERT_EQ(textOf(writer_), model[earlier]);
      if (id % 3 == 0) {
        model[earlier] = textFor(random, earlier);
        fill(writer_, earlier, model[earlier]);
        ASSERT_EQ(st::put(writer_), 0) << earlier;
      } else if (id % 5 == 0) {
        ASSERT_EQ(st::erase(writer_), 0) << earlier;
        model.erase(earlier);
      }
    }
  }
  // Nothing of it shows before COMMIT.
  int64_t records = -1;
  ASSERT_EQ(st::records(reader_, records), 0);
  EXPECT_EQ(records, 1);
  ASSERT_EQ(st::commit(writer_), 0);
  expectReaderSees(model);
}

TEST_F(LongTransactionTest, RollbackOfThousandsOfRecordsLeavesNoTrace) {
  std::mt19937 random(12);
  std::map<int32_t, std::string> model;
  for (int32_t id = 1; id <= 50; ++id) {
    model[id] = textFor(random, id);
    fill(writer_, id, model[id]);
    ASSERT_EQ(st::add(writer_), 0);
  }
  data::FileControlBlock* files[] = {&writer_};
  ASSERT_EQ(st::logout(0, files), 0);
  for (int32_t id = 51; id <= 2500; ++id) {
    fill(writer_, id, textFor(random, id));
    ASSERT_EQ(st::add(writer_), 0) << id;
    if (id % 50 == 0) {
      ASSERT_EQ(get(writer_, id - 25), 0);
      ASSERT_EQ(st::erase(writer_), 0);
    }
  }
  ASSERT_EQ(st::rollback(writer_), 0);
  expectReaderSees(model);
  // The writer's own view is the file's again, and it goes on changing it.
  ASSERT_EQ(get(writer_, 1000), data::kErrRecordNotFound);
  fill(writer_, 1000, "after");
  ASSERT_EQ(st::add(writer_), 0);
  model[1000] = "after";
  expectReaderSees(model);
}

}  // namespace
}  // namespace zor::tarnwick::testing
