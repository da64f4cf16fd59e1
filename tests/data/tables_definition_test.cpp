// A table's stored definition against the program's declaration: a
// declaration that differs in one field, memo, key, component or attribute
// is refused with error 47 naming the category and item at fault.

#include <filesystem>
#include <functional>

#include "data/file_errors.h"
#include "data/file_statements.h"
#include "data/tarnwick/definition_stream.h"
#include "data/tarnwick/table.h"
#include "runtime/error_state.h"
#include "tests/data/tables_test_support.h"

namespace zor::tarnwick::testing {
namespace {

namespace st = data::statement;

data::FileDeclaration fullDeclaration(const std::string& path) {
  data::FileDeclaration declaration =
      testDeclaration(path, {{"T:ID", {"T:L"}, data::kKeyPrimary, ""},
                             {"T:NAME", {"T:CS", "-T:DT"}, data::kKeyDup | data::kKeyOpt, ""}});
  data::MemoBlock notes;
  notes.label = "T:NOTES";
  notes.size = 500;
  declaration.memos = {notes};
  return declaration;
}

class TablesDefinitionTest : public TarnwickDriverTest {
 protected:
  void SetUp() override {
    TarnwickDriverTest::SetUp();
    path_ = scratchPath("definition.twk");
    std::filesystem::remove(path_);
    data::FileControlBlock fcb;
    ASSERT_EQ(data::declareFile(fcb, fullDeclaration(path_)), 0);
    ASSERT_EQ(st::create(fcb), 0);
  }

  // Opens the table with the full declaration changed by `change`; answers
  // the identifying text of the refusal ("" when OPEN succeeded).
  std::string refusal(const std::function<void(data::FileDeclaration&)>& change) {
    data::FileDeclaration declaration = fullDeclaration(path_);
    change(declaration);
    data::FileControlBlock fcb;
    EXPECT_EQ(data::declareFile(fcb, declaration), 0);
    const int result = st::open(fcb);
    if (result == 0) {
      st::close(fcb);
      return "";
    }
    EXPECT_EQ(result, data::kErrInvalidRecordDeclaration);
    EXPECT_EQ(errorCode(), data::kErrInvalidRecordDeclaration);
    return zor::fileErrorCode();
  }

  std::string path_;
};

TEST_F(TablesDefinitionTest, EachDifferenceNamesItsCategoryAndItem) {
  EXPECT_EQ(refusal([](auto&) {}), "");
  EXPECT_EQ(refusal([](auto& d) { d.fields[kFLong - 1].type = kULong; }),
            "FIELD : 4 : TYPE : D00001");
  EXPECT_EQ(refusal([](auto& d) { d.fields[kFDecimal - 1].places = 3; }),
            "FIELD : 8 : PLACES : D00001");
  EXPECT_EQ(refusal([](auto& d) {
              d.fields[kFPString - 1].size = 7;
              d.recordSize = kTestRecordSize + 1;
            }),
            "FIELD : 13 : SIZE : D00001");
  EXPECT_EQ(refusal([](auto& d) { d.fields[kFString - 1].dimensions = {2}; }),
            "FIELD : 11 : DIM : D00001");
  EXPECT_EQ(refusal([](auto& d) { d.fields.pop_back(); }), "FILE : 0 : FIELDS : D00001");
  EXPECT_EQ(refusal([](auto& d) { d.memos.clear(); }), "FILE : 0 : MEMOS : D00001");
  EXPECT_EQ(refusal([](auto& d) { d.keys.pop_back(); }), "FILE : 0 : KEYS : D00001");
  EXPECT_EQ(refusal([](auto& d) { d.recordSize = kTestRecordSize + 4; }),
            "FILE : 0 : SIZE : D00001");
  EXPECT_EQ(refusal([](auto& d) { d.memos[0].attributes = data::kMemoBinary; }),
            "MEMO/BLOB : 1 : BINARY : D00001");
  EXPECT_EQ(refusal([](auto& d) { d.keys[1].attributes |= data::kKeyNoCase; }),
            "KEY : 2 : ATTRIBUTE : D00001");
  EXPECT_EQ(refusal([](auto& d) { d.keys[1].attributes &= ~data::kKeyOpt; }),
            "KEY : 2 : ATTRIBUTE : D00001");
  EXPECT_EQ(refusal([](auto& d) { d.keys[0].components.push_back("T:B"); }),
            "KEY : 1 : FIELDS : D00001");
  EXPECT_EQ(refusal([](auto& d) { d.keys[1].components[0] = "T:STR"; }),
            "COMPONENT : 1 : FIELD : D00001");
  EXPECT_EQ(refusal([](auto& d) { d.keys[1].components[1] = "T:DT"; }),
            "COMPONENT : 2 : ASCENDING : D00001");
  // Labels are the program's own: another label for the same field is no difference.
  EXPECT_EQ(refusal([](auto& d) { d.keys[0].label = "T:OTHER"; }), "");
}

TEST_F(TablesDefinitionTest, NewerDefinitionVersionsAreRefused) {
  TableId id{};
  {
    TarnwickFile file;
    ASSERT_EQ(file.open(path_, 0x12), 0);
    ASSERT_TRUE(findTable(file, "UNNAMED", id));
    std::vector<uint8_t> stream;
    ASSERT_TRUE(readDefinitionStream(file, id, stream));
    EXPECT_EQ(stream[0], kDefinitionVersion);
    stream[0] = 3;
    ChangeScope scope(file);
    ASSERT_EQ(file.replace(tarnwick::bytesOf(definitionChunkKey(id, 0)),
                           Bytes(stream.data(), stream.size())),
              0);
    ASSERT_EQ(scope.commit(), 0);
  }
  EXPECT_EQ(refusal([](auto&) {}), "FILE : 0 : VERSION : D00102");
  EXPECT_EQ(zor::fileErrorText(), kNewerVersionMessage);
}

TEST_F(TablesDefinitionTest, BlobsWriteVersionTwoAndLongDefinitionsSpanChunks) {
  data::FileDeclaration declaration = fullDeclaration(path_ + "\\!BLOBS");
  data::MemoBlock blob;
  blob.label = "T:IMAGE";
  blob.attributes = data::kMemoBlob;
  declaration.memos.push_back(blob);
  for (data::KeyDeclaration& key : declaration.keys) key.externalName = std::string(300, 'k');
  data::FileControlBlock fcb;
  ASSERT_EQ(data::declareFile(fcb, declaration), 0);
  ASSERT_EQ(st::create(fcb), 0);
  ASSERT_EQ(st::open(fcb), 0);
  ASSERT_EQ(st::close(fcb), 0);
  TarnwickFile file;
  ASSERT_EQ(file.open(path_, 0x40), 0);
  TableId id{};
  ASSERT_TRUE(findTable(file, "BLOBS", id));
  std::vector<uint8_t> stream;
  ASSERT_TRUE(readDefinitionStream(file, id, stream));
  EXPECT_GT(stream.size(), kDefinitionChunkSize);
  EXPECT_EQ(stream[0], kDefinitionVersionWithBlobs);
  TableDefinition read;
  ASSERT_TRUE(readDefinition(stream, read));
  EXPECT_EQ(writeDefinition(read), stream);
  EXPECT_EQ(read.keys[1].components[1].order, uint16_t(data::ComponentOrder::Descending));
}

TEST_F(TablesDefinitionTest, DeclarationsBeyondTheDriverAreRefusedBeforeAnyWrite) {
  data::FileDeclaration tooLong = testDeclaration(path_ + "\\!LONG", {});
  tooLong.fields.push_back(makeField("T:BIG", kString, kTestRecordSize, 7527));
  tooLong.recordSize = kTestRecordSize + 7527;
  tooLong.keys = {{"T:BIGKEY", {"T:BIG"}, 0, ""}};
  data::FileControlBlock fcb;
  ASSERT_EQ(data::declareFile(fcb, tooLong), 0);
  EXPECT_EQ(st::create(fcb), data::kErrInvalidRecordDeclaration);
  EXPECT_EQ(zor::fileErrorCode(), "KEY : 1 : SIZE : D00100");
  EXPECT_EQ(zor::fileErrorText(), "Key components are more than a total of 7526 bytes long");

  data::FileDeclaration primaryDup = testDeclaration(path_ + "\\!PD", {});
  primaryDup.keys = {{"T:PD", {"T:L"}, data::kKeyPrimary | data::kKeyDup, ""}};
  data::FileControlBlock other;
  ASSERT_EQ(data::declareFile(other, primaryDup), 0);
  EXPECT_EQ(st::create(other), data::kErrInvalidRecordDeclaration);
  EXPECT_EQ(zor::fileErrorCode(), "KEY : 1 : T:PD : S00004");

  TarnwickFile file;
  ASSERT_EQ(file.open(path_, 0x40), 0);
  EXPECT_EQ(tableNames(file), std::vector<std::string>{"UNNAMED"});
}

}  // namespace
}  // namespace zor::tarnwick::testing
