// Tables as text: definitions in the form twk schema prints and twk load
// reads, field values through their types, and CSV records.

#include <algorithm>

#include "data/tarnwick/definition_text.h"
#include "data/tarnwick/record_csv.h"
#include "data/tarnwick/record_text.h"
#include "tests/data/tables_test_support.h"

namespace zor::tarnwick::testing {
namespace {

TEST(TablesText, DefinitionTextReadsBackToTheSameStream) {
  data::FileControlBlock fcb;
  data::FileDeclaration declaration =
      testDeclaration("x", {{"T:K1", {"T:L", "-T:CS"}, data::kKeyDup | data::kKeyNoCase, ""}});
  data::MemoBlock blob;
  blob.label = "T:IMAGE";
  blob.attributes = data::kMemoBlob | data::kMemoBinary;
  declaration.memos = {blob};
  ASSERT_EQ(data::declareFile(fcb, declaration), 0);
  const TableDefinition written = TableDefinition::of(fcb);
  const std::string text = definitionText(written);
  EXPECT_NE(text.find("key 1 T:K1 attributes=DUP,NOCASE components=+T:L,-T:CS"), std::string::npos);
  EXPECT_NE(text.find("blob 1 T:IMAGE size=0 attributes=BINARY"), std::string::npos);
  TableDefinition read;
  std::string error;
  ASSERT_TRUE(parseDefinitionText(text, read, error)) << error;
  EXPECT_FALSE(compareDefinition(writeDefinition(written), read).has_value());
}

TEST(TablesText, BadDefinitionLinesAreNamed) {
  TableDefinition read;
  std::string error;
  EXPECT_FALSE(
      parseDefinitionText("record 10\nfield 1 A:X LONG offset=0 size=4 places=0 dim=0\n"
                          "field 3 A:Y LONG offset=4 size=4 places=0 dim=0\n",
                          read, error));
  EXPECT_EQ(error, "line 3: field 2 expected");
  EXPECT_FALSE(parseDefinitionText("record 4\nfield 1 A:X LONG offset=2 size=4 places=0 dim=0\n",
                                   read, error));
  EXPECT_EQ(error, "line 2: field beyond the record");
  EXPECT_FALSE(parseDefinitionText("# nothing\n", read, error));
  EXPECT_FALSE(
      parseDefinitionText("record 4\nfield 1 A:X LONG offset=0 size=4 places=0 dim=0\n"
                          "key 1 A:K attributes=DUP components=+A:Z\n",
                          read, error));
  EXPECT_EQ(error, "line 3: no field A:Z");
}

TEST(TablesText, EveryTypeRoundTripsThroughItsText) {
  const RecordLayout layout = testLayout();
  const std::vector<std::string> texts = {"200",  "-300",  "65535",   "-70000",     "4000000000",
                                          "-2.5", "1e+20", "-123.45", "2024-02-29", "23:59:58",
                                          "a b",  "xyz",   "Ab"};
  std::vector<uint8_t> record(kTestRecordSize, 0);
  for (size_t i = 0; i < layout.size(); ++i) {
    std::string reason;
    ASSERT_TRUE(storeFieldText(layout[i], texts[i], record.data(), reason)) << texts[i] << reason;
  }
  for (size_t i = 0; i < layout.size(); ++i)
    EXPECT_EQ(fieldText(layout[i], record.data()), texts[i]) << layout[i].name;
  std::string reason;
  EXPECT_FALSE(storeFieldText(layout[kFByte - 1], "256", record.data(), reason));
  EXPECT_FALSE(storeFieldText(layout[kFLong - 1], "12x", record.data(), reason));
  EXPECT_FALSE(storeFieldText(layout[kFDate - 1], "2023-02-30", record.data(), reason));
  EXPECT_FALSE(storeFieldText(layout[kFDecimal - 1], "123456", record.data(), reason));
  EXPECT_FALSE(storeFieldText(layout[kFCString - 1], "sixsix", record.data(), reason));
  EXPECT_EQ(reason, "text longer than the field's 5 characters");
  EXPECT_TRUE(storeFieldText(layout[kFTime - 1], "07:05:00", record.data(), reason)) << reason;
  EXPECT_EQ(fieldText(layout[kFTime - 1], record.data()), " 7:05:00");
  EXPECT_TRUE(storeFieldText(layout[kFDate - 1], "", record.data(), reason));
  EXPECT_EQ(fieldText(layout[kFDate - 1], record.data()), "");
}

TEST(TablesText, CsvQuotesWhatItMustAndKeepsLineNumbers) {
  const std::vector<std::string> cells = {"plain", "a,b", "say \"hi\"", " pad", "two\nlines", ""};
  const std::string line = csvLine(cells);
  EXPECT_EQ(line, "plain,\"a,b\",\"say \"\"hi\"\"\",\" pad\",\"two\nlines\",");
  std::vector<CsvRow> rows;
  std::string error;
  ASSERT_TRUE(parseCsv("h1,h2\r\n" + line + "\nlast,x\n", rows, error)) << error;
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[1].cells, cells);
  EXPECT_EQ(rows[2].line, 4);
  EXPECT_FALSE(parseCsv("a,\"open\n", rows, error));
  EXPECT_EQ(error, "line 1: a quote is not closed");
  EXPECT_FALSE(parseCsv("ok\n\"x\"y\n", rows, error));
  EXPECT_EQ(error, "line 2: text after a closing quote");
  EXPECT_EQ(jsonString("a\"b\\\n"), "\"a\\\"b\\\\\\u000A\"");
}

// The reader takes its input in blocks: rows of every length, whose quotes,
// doubled quotes, CRLF ends and line breaks fall on every side of a block's
// end, read back as written, with the lines they start on.
TEST(TablesText, CsvReadsLongInputAcrossItsBlocks) {
  const std::vector<std::string> pieces = {"x", "a,b", "\"", "say \"\"hi\"", "two\nlines", " ", ""};
  std::vector<std::vector<std::string>> written;
  std::string text;
  std::vector<int> lines;
  int line = 1;
  for (size_t row = 0; text.size() < 300 * 1024; ++row) {
    std::vector<std::string> cells;
    for (size_t cell = 0; cell < 1 + row % 4; ++cell) {
      std::string value(1 + row * 7 % 97 + cell, 'v');
      value += pieces[(row + cell) % pieces.size()];
      cells.push_back(value);
    }
    lines.push_back(line);
    const std::string csv = csvLine(cells);
    line += 1 + static_cast<int>(std::count(csv.begin(), csv.end(), '\n'));
    text += csv + (row % 3 == 0 ? "\r\n" : "\n");
    written.push_back(std::move(cells));
  }
  std::vector<CsvRow> rows;
  std::string error;
  ASSERT_TRUE(parseCsv(text, rows, error)) << error;
  ASSERT_EQ(rows.size(), written.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    ASSERT_EQ(rows[i].cells, written[i]) << "row " << i;
    ASSERT_EQ(rows[i].line, lines[i]) << "row " << i;
  }
}

}  // namespace
}  // namespace zor::tarnwick::testing
