#include "runtime/record_builder.h"

#include <gtest/gtest.h>

#include "runtime/type_codes.h"

namespace zor {
namespace {

FieldDeclaration field(const char* label, uint8_t type, uint32_t size = 0, uint32_t places = 0) {
  FieldDeclaration declaration;
  declaration.label = label;
  declaration.type = type;
  declaration.size = size;
  declaration.places = places;
  return declaration;
}

FieldDeclaration group(const char* label, uint32_t count) {
  FieldDeclaration declaration = field(label, kGroup);
  declaration.groupCount = count;
  return declaration;
}

FieldDeclaration over(FieldDeclaration declaration, const char* target) {
  declaration.over = target;
  return declaration;
}

std::string buildError(const std::vector<FieldDeclaration>& fields) {
  BuiltRecord record;
  RecordBuildError error;
  bool built = RecordBuilder::build(fields, record, error);
  EXPECT_EQ(built, error.text.empty());
  return error.text;
}

TEST(RecordBuilder, LaysOutFieldsGroupsAndOvers) {
  FieldDeclaration dims = field("PRE:Codes", kShort);
  dims.dimensions = {3, 2};
  std::vector<FieldDeclaration> fields = {
      field("PRE:Id", kLong),
      group("PRE:Name", 2),
      field("PRE:First", kCString, 20),
      field("PRE:Last", kString, 30),
      over(field("PRE:Whole", kString, 50), "PRE:Name"),
      field("PRE:Amount", kDecimal, 9, 2),
      dims,
      field("PRE:Notes", kMemo, 1000),
      field("PRE:Flag", kByte),
  };
  BuiltRecord record;
  RecordBuildError error;
  ASSERT_TRUE(RecordBuilder::build(fields, record, error)) << error.text;
  const RecordLayout& layout = record.layout();
  ASSERT_EQ(layout.size(), fields.size());
  std::vector<uint32_t> offsets, sizes;
  for (const FieldDescriptor& f : layout) {
    offsets.push_back(f.offset);
    sizes.push_back(f.size);
  }
  EXPECT_EQ(offsets, (std::vector<uint32_t>{0, 4, 4, 24, 4, 54, 59, 71, 71}));
  EXPECT_EQ(sizes, (std::vector<uint32_t>{4, 50, 20, 30, 50, 5, 2, 1000, 1}));
  EXPECT_EQ(record.size(), 72u);
  EXPECT_STREQ(layout[4].name, "PRE:Whole");
  EXPECT_EQ(describeField(layout, 4), "PRE:Whole STRING(50), OVER(PRE:Name)");
  EXPECT_EQ(describeField(layout, 2), "PRE:First CSTRING(20)");  // first member is no OVER
  EXPECT_EQ(describeField(layout, 6), "PRE:Codes SHORT, DIM(3,2)");
  EXPECT_EQ(describeField(layout, 5, "amount"), "PRE:Amount DECIMAL(9,2), NAME('amount')");
  EXPECT_EQ(describeField(layout, 7), "PRE:Notes MEMO");
}

TEST(RecordBuilder, LabelRules) {
  EXPECT_TRUE(isValidLabel("SEC:DESCRIPTION"));
  EXPECT_TRUE(isValidLabel("_x1"));
  for (const char* bad : {"", "1abc", "a b", "A:B:C", ":X", "X:", "a-b"}) {
    EXPECT_FALSE(isValidLabel(bad)) << bad;
  }
  EXPECT_EQ(buildError({field("a b", kLong)}), "Not a Valid Zorvane Label");
  EXPECT_EQ(buildError({field("X:A", kLong), field("x:a", kByte)}), "Duplicate Label");
  EXPECT_EQ(buildError({field("A", 0)}), "No Type Specified");
  EXPECT_EQ(buildError({field("A", kQueue)}), "No Type Specified");
}

TEST(RecordBuilder, SizeRules) {
  EXPECT_EQ(buildError({field("A", kString)}), "Type requires a size and no size specified");
  EXPECT_EQ(buildError({field("A", kDecimal)}), "Type requires a size and no size specified");
  EXPECT_EQ(buildError({field("A", kDecimal, 5, 6)}), "More Decimal Places than specified size");
  EXPECT_EQ(buildError({field("A", kDecimal, 32)}), "Size is too big");
  EXPECT_EQ(buildError({field("A", kPString, 257)}), "Size is too big");
  EXPECT_EQ(buildError({field("A", kMemo)}), "No Size Specified for a MEMO");
  EXPECT_EQ(buildError({field("A", kString, 4190209)}),
            "The Field is greater than 4,190,208 bytes in size");
  EXPECT_EQ(buildError({field("A", kString, 4190208)}), "");
  FieldDeclaration huge = field("A", kString, 1000);
  huge.dimensions = {100000, 100000};  // the product must not overflow into a small number
  EXPECT_EQ(buildError({huge}), "The Field is greater than 4,190,208 bytes in size");
  EXPECT_EQ(buildError({field("A", kString, 4190208), field("B", kString, 4097)}),
            "The record structure is greater than 4,194,304 bytes in size");
  EXPECT_EQ(buildError({group("G", 2), field("A", kString, 4190208), field("B", kString, 4097)}),
            "The Group is greater than 4,194,304 bytes in size");
}

TEST(RecordBuilder, GroupAndOverRules) {
  EXPECT_EQ(buildError({group("G", 0), field("A", kLong)}),
            "Field Count not specified for a GROUP field");
  EXPECT_EQ(buildError({group("G", 3), field("A", kLong)}),
            "The Group has more fields than has been defined");
  EXPECT_EQ(buildError({group("G", 2), group("H", 2), field("A", kLong), field("B", kLong)}),
            "The Group has more fields than has been defined");  // H reaches past G
  EXPECT_EQ(buildError({over(field("A", kLong), "B"), field("B", kLong)}),
            "Field must be over a field defined before the field");
  EXPECT_EQ(buildError({field("A", kShort), over(field("B", kLong), "A")}),
            "Field is larger than the field that it is over");
  EXPECT_EQ(buildError({field("A", kShort), group("G", 2), over(field("B", kByte), "A"),
                        field("C", kByte)}),
            "Field cannot be over a field inside another GROUP");
  EXPECT_EQ(buildError({field("A", kShort), over(group("G", 2), "A"), field("B", kByte),
                        field("C", kShort)}),
            "Field is larger than the field that it is over");
  FieldDeclaration pictured = field("A", kString, 10);
  pictured.picture = "@s10";
  EXPECT_EQ(buildError({pictured}), "");
  pictured.picture = "s10";
  EXPECT_EQ(buildError({pictured}), "Invalid Picture");
  pictured.picture = "@q10";
  EXPECT_EQ(buildError({pictured}), "Invalid Picture");
  FieldDeclaration numberWithPicture = field("A", kLong);
  numberWithPicture.picture = "@n9";
  EXPECT_EQ(buildError({numberWithPicture}), "Invalid Picture");
}

TEST(TypeDescriptor, EntriesOfEveryKind) {
  FieldDeclaration dims = field("D", kByte);
  dims.dimensions = {2};
  std::vector<FieldDeclaration> fields = {field("L", kLong), field("S", kString, 9000),
                                          field("P", kPDecimal, 5, 2), dims};
  BuiltRecord record;
  RecordBuildError error;
  ASSERT_TRUE(RecordBuilder::build(fields, record, error));
  std::vector<uint8_t> bytes = compileTypeDescriptor(record.layout(), record.size());
  std::vector<uint8_t> expected = {22, 0, 0x31, 0x23, 0,    0, 4, 0,   0,
                                   0,  0, 0,    0,    0,                    // 9009 bytes
                                   6,  2, 'L',  0,                          // LONG
                                   18, 2, 0x40, 0x28, 0x23, 0, 0, 'S', 0,   // 9000: long form
                                   11, 2, 3,    2,    'P',  0,              // 3 bytes, 2 places
                                   1,  3, 1,    2,    0,    0, 0, 'D', 0};  // DIM(2)
  expected[10] = static_cast<uint8_t>(expected.size());
  EXPECT_EQ(bytes, expected);
}

}  // namespace
}  // namespace zor
