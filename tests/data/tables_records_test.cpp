// The table statements on the native driver, case by case: orders of the
// key types, duplicates and OPT keys, PUT's answers, HOLD between two
// stations, positions, memos, saved states and table names.

#include <chrono>
#include <filesystem>
#include <thread>

#include "data/blob_statements.h"
#include "data/file_errors.h"
#include "data/file_statements.h"
#include "data/tarnwick/table.h"
#include "data/tarnwick/table_name.h"
#include "data/tarnwick/table_picker.h"
#include "data/tarnwick/table_verify.h"
#include "runtime/error_state.h"
#include "tests/data/tables_test_support.h"

namespace zor::tarnwick::testing {
namespace {

namespace st = data::statement;

class TablesRecordsTest : public TarnwickDriverTest {
 protected:
  // A fresh table with the given keys, open for reading and writing.
  void makeTable(const std::string& name, std::vector<data::KeyDeclaration> keys,
                 std::vector<data::MemoBlock> memos = {}) {
    path_ = scratchPath(name);
    std::filesystem::remove(path_);
    data::FileDeclaration declaration = testDeclaration(path_, std::move(keys));
    declaration.memos = std::move(memos);
    ASSERT_EQ(data::declareFile(fcb_, declaration), 0);
    ASSERT_EQ(st::create(fcb_), 0);
    ASSERT_EQ(st::open(fcb_, st::kReadWriteDenyNone), 0);
  }

  void openSecond() {
    data::FileDeclaration declaration = testDeclaration(path_, {});
    for (const data::KeyBlock& key : fcb_.keys) {
      data::KeyDeclaration copy{key.label, {}, key.attributes, ""};
      for (const data::KeyComponent& c : key.components)
        copy.components.push_back((c.order == data::ComponentOrder::Descending ? "-" : "") +
                                  std::string(fcb_.fields[c.field - 1u].name));
      declaration.keys.push_back(copy);
    }
    declaration.memos = fcb_.memos;
    ASSERT_EQ(data::declareFile(other_, declaration), 0);
    ASSERT_EQ(st::open(other_, st::kReadWriteDenyNone), 0);
  }

  int32_t longAt(const data::FileControlBlock& fcb) const {
    int32_t value = 0;
    std::memcpy(&value, fcb.record.data() + fcb.fields[kFLong - 1].offset, 4);
    return value;
  }

  // Adds a record and answers its number.
  uint32_t addLong(int32_t value, const std::string& text = "") {
    std::fill(fcb_.record.begin(), fcb_.record.end(), 0);
    putNumber(fcb_.record, fcb_.fields[kFLong - 1].offset, value);
    putText(fcb_.record, fcb_.fields[kFCString - 1], text);
    EXPECT_EQ(st::add(fcb_), 0);
    uint32_t number = 0;
    EXPECT_EQ(st::pointer(fcb_, number), 0);
    return number;
  }

  std::vector<int32_t> longsInOrder(data::KeyBlock& key, bool backward = false) {
    std::vector<int32_t> values;
    st::set(fcb_, key);
    while ((backward ? st::previous(fcb_) : st::next(fcb_)) == 0) values.push_back(longAt(fcb_));
    EXPECT_EQ(errorCode(), data::kErrRecordNotAvailable);
    return values;
  }

  void TearDown() override {
    st::close(other_);
    st::close(fcb_);
    if (!path_.empty()) {
      const TableCheck check = checkTables(path_);
      EXPECT_TRUE(check.ok()) << (check.ok() ? "" : check.problems.front());
    }
  }

  std::string path_;
  data::FileControlBlock fcb_;
  data::FileControlBlock other_;
};

TEST_F(TablesRecordsTest, NumbersOrderBySignAndDescendingKeysReverse) {
  makeTable("numbers.twk",
            {{"T:UP", {"T:L"}, data::kKeyDup, ""}, {"T:DOWN", {"-T:R"}, data::kKeyDup, ""}});
  for (int32_t value : {1, -1, 0, 70000, -70000}) {
    std::fill(fcb_.record.begin(), fcb_.record.end(), 0);
    putNumber(fcb_.record, fcb_.fields[kFLong - 1].offset, value);
    putNumber(fcb_.record, fcb_.fields[kFReal - 1].offset, value / 2.0);
    ASSERT_EQ(st::add(fcb_), 0);
  }
  EXPECT_EQ(longsInOrder(fcb_.keys[0]), (std::vector<int32_t>{-70000, -1, 0, 1, 70000}));
  EXPECT_EQ(longsInOrder(fcb_.keys[0], true), (std::vector<int32_t>{70000, 1, 0, -1, -70000}));
  EXPECT_EQ(longsInOrder(fcb_.keys[1]), (std::vector<int32_t>{70000, 1, 0, -1, -70000}));
}

TEST_F(TablesRecordsTest, DuplicatesOrderByRecordNumberAndUniqueKeysRefuseRepeats) {
  makeTable("dups.twk",
            {{"T:TEXT", {"T:CS"}, data::kKeyDup | data::kKeyNoCase, ""}, {"T:ID", {"T:L"}, 0, ""}});
  addLong(1, "xyz");
  addLong(2, "XYZ");
  addLong(3, "abc");
  EXPECT_EQ(longsInOrder(fcb_.keys[0]), (std::vector<int32_t>{3, 1, 2}));
  // A repeated unique value changes nothing.
  fcb_.record.assign(kTestRecordSize, 0);
  putNumber<int32_t>(fcb_.record, fcb_.fields[kFLong - 1].offset, 2);
  EXPECT_EQ(st::add(fcb_), data::kErrDuplicateKey);
  EXPECT_EQ(errorCode(), data::kErrDuplicateKey);
  int64_t count = 0;
  ASSERT_EQ(st::records(fcb_, count), 0);
  EXPECT_EQ(count, 3);
  // NOCASE: GET finds "xyz" when asked for "XyZ", the first by record number.
  putText(fcb_.record, fcb_.fields[kFCString - 1], "XyZ");
  ASSERT_EQ(st::get(fcb_, fcb_.keys[0]), 0);
  EXPECT_EQ(longAt(fcb_), 1);
}

TEST_F(TablesRecordsTest, OptKeysLeaveBlankRecordsOut) {
  makeTable("opt.twk", {{"T:SECTION", {"T:CS"}, data::kKeyDup | data::kKeyOpt, ""}});
  addLong(1, "");
  addLong(2, "General");
  int64_t inKey = 0;
  ASSERT_EQ(st::records(fcb_, fcb_.keys[0], inKey), 0);
  EXPECT_EQ(inKey, 1);
  EXPECT_EQ(longsInOrder(fcb_.keys[0]), (std::vector<int32_t>{2}));
  // Blanking the field by PUT takes the record out of the key.
  ASSERT_EQ(st::get(fcb_, fcb_.keys[0]), 0);
  putText(fcb_.record, fcb_.fields[kFCString - 1], "");
  ASSERT_EQ(st::put(fcb_), 0);
  ASSERT_EQ(st::records(fcb_, fcb_.keys[0], inKey), 0);
  EXPECT_EQ(inKey, 0);
}

TEST_F(TablesRecordsTest, PutAnswersForMissingUnchangedRepeatedAndWatchedRecords) {
  makeTable("put.twk", {{"T:ID", {"T:L"}, 0, ""}});
  EXPECT_EQ(st::put(fcb_), data::kErrRecordNotAvailable);  // nothing read yet
  const uint32_t first = addLong(1);
  addLong(2);
  ASSERT_EQ(st::get(fcb_, first), 0);
  EXPECT_EQ(st::put(fcb_), 0);  // unchanged: nothing written
  putNumber<int32_t>(fcb_.record, fcb_.fields[kFLong - 1].offset, 2);
  EXPECT_EQ(st::put(fcb_), data::kErrDuplicateKey);

  // Another station changes the record between this one's watched read and its PUT.
  openSecond();
  ASSERT_EQ(st::watch(fcb_), 0);
  ASSERT_EQ(st::get(fcb_, first), 0);
  ASSERT_EQ(st::get(other_, first), 0);
  putNumber<int32_t>(other_.record, other_.fields[kFLong - 1].offset, 5);
  ASSERT_EQ(st::put(other_), 0);
  putNumber<int32_t>(fcb_.record, fcb_.fields[kFLong - 1].offset, 7);
  EXPECT_EQ(st::put(fcb_), data::kErrRecordChanged);
  ASSERT_EQ(st::get(fcb_, first), 0);
  EXPECT_EQ(longAt(fcb_), 5);
  // Without WATCH the later writer wins; a deleted record answers 33.
  ASSERT_EQ(st::erase(other_), 0);
  EXPECT_EQ(st::put(fcb_), data::kErrRecordNotAvailable);
}

TEST_F(TablesRecordsTest, HeldRecordsAreRefusedToOtherStations) {
  makeTable("hold.twk", {{"T:ID", {"T:L"}, 0, ""}});
  const uint32_t first = addLong(1);
  openSecond();
  ASSERT_EQ(st::hold(fcb_), 0);
  ASSERT_EQ(st::get(fcb_, first), 0);
  ASSERT_EQ(st::hold(other_), 0);
  EXPECT_EQ(st::get(other_, first), data::kErrRecordHeld);
  ASSERT_EQ(st::get(other_, first), 0);  // reading without HOLD is allowed
  putNumber<int32_t>(other_.record, other_.fields[kFLong - 1].offset, 3);
  EXPECT_EQ(st::put(other_), data::kErrAccessDenied);
  ASSERT_EQ(st::release(fcb_), 0);
  EXPECT_EQ(st::put(other_), 0);
}

TEST_F(TablesRecordsTest, HoldAndLockWithSecondsWaitThatLongForTheOtherStation) {
  using std::chrono::steady_clock;
  makeTable("hold_seconds.twk", {{"T:ID", {"T:L"}, 0, ""}});
  const uint32_t first = addLong(1);
  openSecond();
  ASSERT_EQ(st::hold(fcb_), 0);
  ASSERT_EQ(st::get(fcb_, first), 0);
  // Held for longer than the other station waits: 43 once its second is up.
  auto start = steady_clock::now();
  ASSERT_EQ(st::hold(other_, 1), 0);
  EXPECT_EQ(st::get(other_, first), data::kErrRecordHeld);
  EXPECT_GE(steady_clock::now() - start, std::chrono::milliseconds(900));
  // Let go while it waits: the read gets the record and holds it.
  std::thread releaser([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    st::release(fcb_);
  });
  start = steady_clock::now();
  ASSERT_EQ(st::hold(other_, 30), 0);
  EXPECT_EQ(st::get(other_, first), 0);
  EXPECT_LT(steady_clock::now() - start, std::chrono::seconds(20));
  releaser.join();
  ASSERT_EQ(st::hold(fcb_), 0);
  EXPECT_EQ(st::get(fcb_, first), data::kErrRecordHeld);

  ASSERT_EQ(st::lock(other_), 0);
  start = steady_clock::now();
  EXPECT_EQ(st::lock(fcb_, 1), data::kErrFileAlreadyLocked);
  EXPECT_GE(steady_clock::now() - start, std::chrono::milliseconds(900));
  ASSERT_EQ(st::unlock(other_), 0);
  EXPECT_EQ(st::lock(fcb_, 1), 0);

  // A wait that the other station ends by letting go gets the lock then.
  ASSERT_EQ(st::unlock(fcb_), 0);
  ASSERT_EQ(st::lock(other_), 0);
  std::thread unlocker([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    st::unlock(other_);
  });
  start = steady_clock::now();
  EXPECT_EQ(st::lock(fcb_, 10), 0);
  EXPECT_LT(steady_clock::now() - start, std::chrono::seconds(5));
  unlocker.join();
  EXPECT_EQ(st::lock(other_), data::kErrFileAlreadyLocked);
}

TEST_F(TablesRecordsTest, PositionsResetAndRegetTheirRecord) {
  makeTable("positions.twk", {{"T:TEXT", {"T:CS"}, data::kKeyDup, ""}});
  addLong(1, "b");
  addLong(2, "a");
  addLong(3, "c");
  data::KeyBlock& key = fcb_.keys[0];
  ASSERT_EQ(st::set(fcb_, key), 0);
  ASSERT_EQ(st::next(fcb_), 0);
  ASSERT_EQ(st::next(fcb_), 0);
  std::string position;
  ASSERT_EQ(st::position(fcb_, key, position), 0);
  EXPECT_EQ(position.size(), 4u + kTextSize);
  std::string filePosition;
  ASSERT_EQ(st::position(fcb_, filePosition), 0);
  EXPECT_EQ(filePosition.size(), 4u);
  EXPECT_EQ(position.substr(0, 4), filePosition);
  ASSERT_EQ(st::next(fcb_), 0);
  ASSERT_EQ(st::reset(fcb_, key, position), 0);
  ASSERT_EQ(st::previous(fcb_), 0);
  EXPECT_EQ(longAt(fcb_), 1);
  ASSERT_EQ(st::next(fcb_), 0);
  EXPECT_EQ(longAt(fcb_), 3);
  ASSERT_EQ(st::reget(fcb_, position), 0);
  EXPECT_EQ(longAt(fcb_), 1);
  uint32_t pointer = 0;
  ASSERT_EQ(st::pointer(fcb_, pointer), 0);
  ASSERT_EQ(st::get(fcb_, pointer), 0);
  EXPECT_EQ(longAt(fcb_), 1);
  // Record order continues from a record number; SKIP passes records by.
  ASSERT_EQ(st::setToPointer(fcb_, pointer), 0);
  ASSERT_EQ(st::skip(fcb_, 1), 0);
  ASSERT_EQ(st::next(fcb_), 0);
  EXPECT_EQ(longAt(fcb_), 2);
  EXPECT_EQ(st::skip(fcb_, 5), data::kErrRecordNotAvailable);
}

TEST_F(TablesRecordsTest, MemosTravelWithTheirRecord) {
  data::MemoBlock notes;
  notes.label = "T:NOTES";
  notes.size = 1000;
  data::MemoBlock picture;
  picture.label = "T:PICTURE";
  picture.attributes = data::kMemoBlob | data::kMemoBinary;
  makeTable("memos.twk", {{"T:ID", {"T:L"}, 0, ""}}, {notes, picture});
  const std::string longText(700, 'n');
  std::string blob(25000, '\0');
  for (size_t i = 0; i < blob.size(); ++i) blob[i] = static_cast<char>(i * 7);
  ASSERT_EQ(st::blobWrite(fcb_, 1, longText), 0);
  ASSERT_EQ(st::blobWrite(fcb_, 2, blob), 0);
  EXPECT_EQ(st::blobWrite(fcb_, 1, std::string(1001, 'x')), data::kErrInvalidParameterCount);
  const uint32_t first = addLong(1);
  ASSERT_EQ(st::blobWrite(fcb_, 1, "short"), 0);
  ASSERT_EQ(st::blobWrite(fcb_, 2, ""), 0);
  const uint32_t second = addLong(2);
  ASSERT_EQ(st::get(fcb_, first), 0);
  std::string text;
  ASSERT_EQ(st::blobRead(fcb_, 1, text), 0);
  EXPECT_EQ(text, longText);
  ASSERT_EQ(st::blobRead(fcb_, 2, text), 0);
  EXPECT_EQ(text, blob);
  int64_t size = 0;
  ASSERT_EQ(st::blobSize(fcb_, 2, size), 0);
  EXPECT_EQ(size, 25000);
  // A PUT that changes only a memo writes it.
  ASSERT_EQ(st::blobWrite(fcb_, 1, "changed"), 0);
  ASSERT_EQ(st::put(fcb_), 0);
  ASSERT_EQ(st::get(fcb_, second), 0);
  ASSERT_EQ(st::blobRead(fcb_, 1, text), 0);
  EXPECT_EQ(text, "short");
  ASSERT_EQ(st::get(fcb_, first), 0);
  ASSERT_EQ(st::blobRead(fcb_, 1, text), 0);
  EXPECT_EQ(text, "changed");
  ASSERT_EQ(st::erase(fcb_), 0);
}

TEST_F(TablesRecordsTest, SavedStatesBringBackPositionAndBuffer) {
  makeTable("state.twk", {{"T:ID", {"T:L"}, 0, ""}});
  for (int32_t v = 1; v <= 4; ++v) addLong(v);
  ASSERT_EQ(st::set(fcb_, fcb_.keys[0]), 0);
  ASSERT_EQ(st::next(fcb_), 0);
  uint32_t handle = 0;
  ASSERT_EQ(st::getState(fcb_, handle), 0);
  ASSERT_EQ(st::next(fcb_), 0);
  ASSERT_EQ(st::next(fcb_), 0);
  EXPECT_EQ(longAt(fcb_), 3);
  ASSERT_EQ(st::restoreState(fcb_, handle), 0);
  EXPECT_EQ(longAt(fcb_), 1);
  ASSERT_EQ(st::next(fcb_), 0);
  EXPECT_EQ(longAt(fcb_), 2);
  ASSERT_EQ(st::freeState(fcb_, handle), 0);
  EXPECT_NE(st::restoreState(fcb_, handle), 0);
}

TEST_F(TablesRecordsTest, BuildRemakesKeysAndEmptyClearsTheTable) {
  makeTable("build.twk", {{"T:ID", {"T:L"}, 0, ""}, {"T:TEXT", {"T:CS"}, data::kKeyDup, ""}});
  addLong(2, "b");
  addLong(1, "a");
  ASSERT_EQ(st::build(fcb_), 0);
  ASSERT_EQ(st::build(fcb_, fcb_.keys[1]), 0);
  EXPECT_EQ(longsInOrder(fcb_.keys[0]), (std::vector<int32_t>{1, 2}));
  ASSERT_EQ(st::empty(fcb_), 0);
  int64_t count = -1;
  ASSERT_EQ(st::records(fcb_, count), 0);
  EXPECT_EQ(count, 0);
}

TEST_F(TablesRecordsTest, TablesOfOneFileAreChosenByName) {
  const std::string base = scratchPath("several");
  std::filesystem::remove(base + ".TWK");
  for (const char* table : {"first", "second"}) {
    data::FileControlBlock fcb;
    ASSERT_EQ(data::declareFile(fcb, testDeclaration(base + "\\!" + table, {})), 0);
    ASSERT_EQ(st::create(fcb), 0);
    ASSERT_EQ(st::open(fcb), 0);
    ASSERT_EQ(st::add(fcb), 0);
    ASSERT_EQ(st::close(fcb), 0);
  }
  TarnwickFile file;
  ASSERT_EQ(file.open(base + ".TWK", 0x40), 0);
  EXPECT_EQ(tableNames(file), (std::vector<std::string>{"first", "second"}));
  EXPECT_EQ(locateTable(base).tableName, "UNNAMED");
  EXPECT_EQ(locateTable(base).filePath, base + ".TWK");
  // The split characters after an existing folder's name do not split.
  const std::string folder = scratchPath("folder");
  std::filesystem::create_directories(folder);
  EXPECT_EQ(locateTable(folder + "\\!data.twk").filePath, folder + "\\!data.twk");
  EXPECT_EQ(locateTable(folder + "\\!data.twk").tableName, "UNNAMED");
  EXPECT_EQ(locateTable(folder + "\\!data.twk\\!T").tableName, "T");
  EXPECT_EQ(checkTables(file).tables, 2u);
  EXPECT_EQ(pickerTableNames(base + ".TWK"), (std::vector<std::string>{"first", "second"}));
}

TEST_F(TablesRecordsTest, TransactionsWriteAtCommitAndLeaveNothingAtRollback) {
  makeTable("transaction.twk", {{"T:ID", {"T:L"}, 0, ""}});
  openSecond();
  EXPECT_EQ(st::commit(fcb_), data::kErrLogoutNotActive);
  data::FileControlBlock* files[] = {&fcb_};
  ASSERT_EQ(st::logout(1, files), 0);
  EXPECT_EQ(st::logout(1, files), data::kErrLogoutAlreadyActive);
  addLong(1);
  addLong(2);
  fcb_.record.assign(kTestRecordSize, 0);
  putNumber<int32_t>(fcb_.record, fcb_.fields[kFLong - 1].offset, 2);
  EXPECT_EQ(st::add(fcb_), data::kErrDuplicateKey);  // refused; the others stay
  ASSERT_EQ(st::rollback(fcb_), 0);
  int64_t count = -1;
  ASSERT_EQ(st::records(fcb_, count), 0);
  EXPECT_EQ(count, 0);

  ASSERT_EQ(st::logout(1, files), 0);
  addLong(3);
  bool repeats = true;
  ASSERT_EQ(st::duplicate(fcb_, fcb_.keys[0], repeats), 0);
  EXPECT_FALSE(repeats);  // the record just added is the current one
  ASSERT_EQ(st::commit(fcb_), 0);
  ASSERT_EQ(st::records(other_, count), 0);
  EXPECT_EQ(count, 1);
}

TEST_F(TablesRecordsTest, OpenAnswersForMissingFilesAndTables) {
  data::FileControlBlock fcb;
  const std::string path = scratchPath("missing.twk");
  std::filesystem::remove(path);
  ASSERT_EQ(data::declareFile(fcb, testDeclaration(path, {})), 0);
  EXPECT_EQ(st::open(fcb), data::kErrFileNotFound);
  EXPECT_EQ(st::next(fcb), data::kErrFileNotOpen);
  ASSERT_EQ(st::create(fcb), 0);
  data::FileControlBlock other;
  ASSERT_EQ(data::declareFile(other, testDeclaration(path + "\\!OTHER", {})), 0);
  EXPECT_EQ(st::open(other), data::kErrFileNotFound);
  ASSERT_EQ(st::open(fcb), 0);
  EXPECT_EQ(st::open(fcb), data::kErrFileAlreadyOpen);
}

}  // namespace
}  // namespace zor::tarnwick::testing
