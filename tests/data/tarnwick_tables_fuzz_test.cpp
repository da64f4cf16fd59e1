// Damaged table files, read as a program and as the utilities read them: a
// real file of a keyed table, with a stored definition whose bytes are
// changed, or an inner page whose child number is pointed back at itself, an
// ancestor or anywhere. The driver's OPEN and reads, the definition read and
// the text of every field (as twk dump makes it), and both checks must each
// end in an error number, a refusal or the orderly fatal stop: never outside
// the record, never round and round. A few hundred files in CI; many more
// with ZOR_LONG_TESTS=1.

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>

#include "data/file_errors.h"
#include "data/file_statements.h"
#include "data/tarnwick/record_text.h"
#include "data/tarnwick/table.h"
#include "data/tarnwick/table_name.h"
#include "data/tarnwick/table_verify.h"
#include "runtime/error_state.h"
#include "tests/data/tables_test_support.h"

namespace zor::tarnwick::testing {
namespace {

namespace st = data::statement;

constexpr int kRecords = 400;

int rounds(int normal) {
  return std::getenv("ZOR_LONG_TESTS") != nullptr ? normal * 50 : normal;
}

struct Outcomes {
  int refused = 0;   // OPEN or the definition read said no
  int stopped = 0;   // an internal failure stopped a walk
  int survived = 0;  // everything ran to the end
};

class TarnwickTablesFuzz : public TarnwickDriverTest {
 protected:
  void SetUp() override {
    TarnwickDriverTest::SetUp();
    path_ = scratchPath("tables_fuzz.twk");
    original_ = scratchPath("tables_fuzz_original.twk");
    std::filesystem::remove(original_);
    ASSERT_EQ(data::declareFile(fcb_, declaration(original_)), 0);
    ASSERT_EQ(st::create(fcb_), 0);
    ASSERT_EQ(st::open(fcb_, st::kReadWriteExclusive), 0);
    for (int32_t i = 0; i < kRecords; ++i) {
      std::fill(fcb_.record.begin(), fcb_.record.end(), 0);
      putNumber(fcb_.record, fcb_.fields[kFLong - 1].offset, i * 7919 % 1000);
      putText(fcb_.record, fcb_.fields[kFString - 1], "r" + std::to_string(i));
      ASSERT_EQ(st::add(fcb_), 0);
    }
    ASSERT_EQ(st::close(fcb_), 0);
    real_ = readRaw(original_);
    FileHeader header;
    ASSERT_TRUE(header.decode(real_.data()));
    for (int zone = 1; zone < kZoneCount; ++zone) {
      for (uint32_t unit = header.zones[zone].start; unit < header.zones[zone].end;
           unit += static_cast<uint32_t>(zone)) {
        const size_t at = unitOffset(unit);
        if (at + 13 <= real_.size() && real_[at + 12] > 0) inner_.push_back(unit);
        units_.push_back(unit);
      }
    }
    root_ = header.rootUnit;
    ASSERT_FALSE(inner_.empty()) << "the table should need more than one level";
  }

  static data::FileDeclaration declaration(const std::string& path) {
    return testDeclaration(path, {{"T:KL", {"T:L"}, data::kKeyDup, ""},
                                  {"T:KS", {"T:STR", "-T:L"}, data::kKeyDup, ""}});
  }

  // Reads the file every way a program or a utility does.
  void exercise(Outcomes& outcomes) {
    try {
      const bool opened = readThroughDriver();
      const bool defined = readAsTheUtilitiesDo();
      checkTables(path_);
      if (!opened && !defined) {
        ++outcomes.refused;
      } else {
        ++outcomes.survived;
      }
    } catch (const FatalStop& stop) {
      EXPECT_NE(std::string(stop.what()).find("Possible data corruption in file ("),
                std::string::npos);
      ++outcomes.stopped;
    }
    if (probe_) st::close(*probe_);
  }

  bool readThroughDriver() {
    probe_ = std::make_unique<data::FileControlBlock>();
    data::FileControlBlock& probe = *probe_;
    EXPECT_EQ(data::declareFile(probe, declaration(path_)), 0);
    if (st::open(probe, st::kReadOnlyDenyNone) != 0) return false;
    for (data::KeyBlock* key : {&probe.keys[0], &probe.keys[1]}) {
      for (bool forward : {true, false}) {
        st::set(probe, *key);
        int steps = 0;
        while ((forward ? st::next(probe) : st::previous(probe)) == 0) {
          EXPECT_LT(++steps, 10 * kRecords) << "a walk in key order does not end";
          if (steps >= 10 * kRecords) break;
        }
      }
    }
    st::set(probe);
    int steps = 0;
    while (st::next(probe) == 0) {
      EXPECT_LT(++steps, 10 * kRecords) << "a walk in record order does not end";
      if (steps >= 10 * kRecords) break;
    }
    for (int32_t value : {0, 7, 500, 999}) {
      putNumber(probe.record, probe.fields[kFLong - 1].offset, value);
      st::get(probe, probe.keys[0]);
    }
    return true;
  }

  // twk dump's road: the stored definition, then each field of each record.
  bool readAsTheUtilitiesDo() {
    TarnwickFile file;
    if (file.open(path_, 0x40) != 0) return false;
    bool defined = false;
    for (const std::string& name : tableNames(file)) {
      TableId id{};
      std::vector<uint8_t> stream;
      TableDefinition definition;
      if (!findTable(file, name, id) || !readDefinitionStream(file, id, stream) ||
          !readDefinition(stream, definition))
        continue;
      defined = true;
      data::FileControlBlock schema;
      definition.declareInto(schema);
      Table table(file, id, schema);
      Cursor cursor = file.cursor();
      const ItemKey prefix = kindPrefix(id, kRecordKind);
      int steps = 0;
      for (bool more = cursor.seek(tarnwick::bytesOf(prefix)); more; more = cursor.next()) {
        if (!startsWith(cursor.key(), tarnwick::bytesOf(prefix))) break;
        EXPECT_LT(++steps, 10 * kRecords) << "a walk of the records does not end";
        if (steps >= 10 * kRecords) break;
        std::vector<uint8_t> image(cursor.data().begin(), cursor.data().end());
        if (image.size() != schema.record.size()) continue;
        for (const FieldDescriptor& field : schema.fields) fieldText(field, image.data());
      }
    }
    return defined;
  }

  // Copies the original file and changes its table's stored definition
  // stream through `edit`, in one change: the file stays sound, only what
  // it says about the table changes.
  void editDefinition(const std::function<void(std::vector<uint8_t>&)>& edit) {
    std::filesystem::copy_file(original_, path_, std::filesystem::copy_options::overwrite_existing);
    TarnwickFile file;
    ASSERT_EQ(file.open(path_, OpenMode{}), 0);
    TableId id{};
    std::vector<uint8_t> stream;
    ASSERT_TRUE(findTable(file, kUnnamedTable, id));
    ASSERT_TRUE(readDefinitionStream(file, id, stream));
    edit(stream);
    for (size_t chunk = 0; chunk * 512 < stream.size(); ++chunk) {
      const size_t end = std::min(stream.size(), chunk * 512 + 512);
      const std::vector<uint8_t> data(stream.begin() + static_cast<ptrdiff_t>(chunk * 512),
                                      stream.begin() + static_cast<ptrdiff_t>(end));
      ASSERT_EQ(
          file.put(tarnwick::bytesOf(definitionChunkKey(id, static_cast<uint16_t>(chunk))), data),
          0);
    }
    ASSERT_EQ(file.commit(), 0);
  }

  std::string path_, original_;
  std::vector<uint8_t> real_;
  std::vector<uint32_t> inner_, units_;
  uint32_t root_ = 0;
  data::FileControlBlock fcb_;
  std::unique_ptr<data::FileControlBlock> probe_;
};

TEST_F(TarnwickTablesFuzz, ChildNumbersLeadingBackOrAnywhereStopTheWalk) {
  std::mt19937 random(31);
  Outcomes outcomes;
  for (int round = 0; round < rounds(60); ++round) {
    std::vector<uint8_t> bytes = real_;
    const uint32_t page = inner_[random() % inner_.size()];
    const size_t at = unitOffset(page);
    const uint16_t count = static_cast<uint16_t>(bytes[at + 10] | bytes[at + 11] << 8);
    if (count == 0) continue;
    const uint32_t targets[] = {page, root_, inner_[random() % inner_.size()],
                                units_[random() % units_.size()], static_cast<uint32_t>(random())};
    const uint32_t child = targets[round % 5];
    const size_t slot = at + 13 + 4 * (random() % count);
    for (int b = 0; b < 4; ++b)
      bytes[slot + static_cast<size_t>(b)] = static_cast<uint8_t>(child >> (8 * b));
    writeRaw(path_, bytes);
    exercise(outcomes);
    if (HasFatalFailure()) return;
  }
  EXPECT_GT(outcomes.stopped, 0);
}

TEST_F(TarnwickTablesFuzz, DamagedDefinitionsAreRefusedWhereverTheyAreRead) {
  std::mt19937 random(32);
  Outcomes outcomes;
  for (int round = 0; round < rounds(150); ++round) {
    editDefinition([&](std::vector<uint8_t>& stream) {
      const int changes = 1 + static_cast<int>(random() % 3);
      for (int i = 0; i < changes; ++i) {
        const size_t at = random() % stream.size();
        stream[at] = round % 3 == 0 ? static_cast<uint8_t>(stream[at] + 1 + random() % 4)
                                    : static_cast<uint8_t>(random());
      }
    });
    if (HasFatalFailure()) return;
    exercise(outcomes);
    if (HasFatalFailure()) return;
  }
  EXPECT_GT(outcomes.refused, 0);
}

TEST_F(TarnwickTablesFuzz, AFieldPastTheRecordIsRefusedByOpenDumpAndVerify) {
  // The stored definition moves the last field past the end of the record.
  editDefinition([](std::vector<uint8_t>& stream) {
    TableDefinition definition;
    ASSERT_TRUE(readDefinition(stream, definition));
    definition.fields.back().offset = static_cast<uint16_t>(definition.recordLength + 2000);
    stream = writeDefinition(definition);
  });
  if (HasFatalFailure()) return;
  data::FileControlBlock fcb;
  ASSERT_EQ(data::declareFile(fcb, declaration(path_)), 0);
  EXPECT_EQ(st::open(fcb, st::kReadOnlyDenyNone), data::kErrInvalidDataFile);
  EXPECT_NE(fileErrorText().find("past the end of the record"), std::string::npos)
      << fileErrorText();
  EXPECT_EQ(fileErrorCode(), "FIELD : 13 : T:PS : D00001");
  EXPECT_FALSE(readAsTheUtilitiesDo());
  const TableCheck check = checkTables(path_);
  ASSERT_FALSE(check.ok());
  EXPECT_NE(check.problems.front().find("past the end of the record"), std::string::npos);
}

}  // namespace
}  // namespace zor::tarnwick::testing
