// Reading, checking and writing back list format strings.

#include <gtest/gtest.h>

#include <string>

#include "ui/list_box/list_format_parser.h"
#include "ui/list_box/list_format_writer.h"

namespace zor::ui {
namespace {

constexpr const char* kSectionsFormat = "196L(2)|M~Description~@s49@";
constexpr const char* kSettingsFormat =
    "12L(2)|MJ~Status~@p p@120L(2)|M~Section Description~@s99@92L(2)|M~Default Value~@s49@"
    "196L(2)|M~Values~@s49@1020L(2)|M~Help Description~@s255@";
constexpr const char* kBrowseFormat =
    "12L(2)|MJ~Status~@p p@120L(2)|M~Section Description~@s99@92L(2)|M~Default Value~@s49@"
    "196L(2)|M~Values~@s49@1020L(2)|M~Help Description~@s255@";

ListFormat parsed(const std::string& text, ListFont font = {}) {
  ListParseResult result = parseListFormat(text, font);
  EXPECT_TRUE(result.ok()) << text << " stopped at " << result.stop;
  return std::move(result.format);
}

TEST(ListFormat, MainWindowFormatsReadAndWriteBackUnchanged) {
  for (const char* text : {kSectionsFormat, kSettingsFormat, kBrowseFormat,
                           "117L(1)|F~Name~L(2)@s40@", "217L(2)|M~Message~S(255)@s255@"}) {
    EXPECT_EQ(validateListFormat(text), 0u) << text;
    EXPECT_EQ(writeListFormat(parsed(text)), text);
  }
}

TEST(ListFormat, StatusColumnOfTheSettingsList) {
  ListFormat f = parsed(kSettingsFormat, ListFont{4, 8});
  ASSERT_EQ(f.columns.size(), 5u);
  const ListColumn& status = f.columns[0];
  EXPECT_EQ(status.widthUnits, 12);
  EXPECT_EQ(status.width, 12);  // four pixels per average character: one per dialog unit
  EXPECT_EQ(status.justify(), Justify::Left);
  EXPECT_EQ(status.indentUnits, 2);
  EXPECT_EQ(status.headerIndentUnits, 2);
  EXPECT_TRUE(status.has(ColumnFlag::RightBorder));
  EXPECT_TRUE(status.has(ColumnFlag::Resizable));
  EXPECT_TRUE(status.has(ColumnFlag::Icon));
  EXPECT_TRUE(status.hasOption(ColumnOption::TransparentIcon));
  EXPECT_EQ(status.header.view(), "Status");
  EXPECT_EQ(status.headerLines, 1);
  EXPECT_EQ(status.picture.view(), "@p p");
  EXPECT_EQ(status.field, 1);
  EXPECT_EQ(status.iconField, 2);
  const int expectedFields[] = {1, 3, 4, 5, 6};
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(f.columns[i].field, expectedFields[i]) << i;
  // Cells side by side from 0.
  EXPECT_EQ(f.columns[1].left, 12);
  EXPECT_EQ(f.columns[1].right, 132);
  EXPECT_EQ(f.totalWidth, 12 + 120 + 92 + 196 + 1020);
}

TEST(ListFormat, DialogUnitsFollowTheFont) {
  ListFormat f = parsed("40L(8)S(20)H(16)~A~", ListFont{7, 13});
  const ListColumn& c = f.columns[0];
  EXPECT_EQ(c.width, 70);        // 40 * 7 / 4
  EXPECT_EQ(c.indent, 14);       // 8 * 7 / 4
  EXPECT_EQ(c.scrollValue, 35);  // horizontal
  EXPECT_EQ(c.height, 26);       // vertical: 16 * 13 / 8
  EXPECT_EQ(writeListFormat(f), "40L(8)~A~S(20)H(16)");
}

TEST(ListFormat, HeaderJustificationAndIndentOfTheirOwn) {
  ListFormat f = parsed("117L(1)|F~Name~L(2)@s40@30R~A\nB\nC~C");
  EXPECT_EQ(f.columns[0].indentUnits, 1);
  EXPECT_EQ(f.columns[0].headerIndentUnits, 2);
  EXPECT_TRUE(f.columns[0].has(ColumnFlag::Fixed));
  EXPECT_EQ(f.columns[1].justify(), Justify::Right);
  EXPECT_EQ(f.columns[1].headerJustify(), Justify::Center);
  EXPECT_EQ(f.columns[1].headerLines, 3);
  EXPECT_EQ(f.headerLines, 3);
  EXPECT_EQ(writeListFormat(f), "117L(1)|F~Name~L(2)@s40@30R~A\nB\nC~C(0)");
}

TEST(ListFormat, ScrollValueAndZeroWidth) {
  ListFormat f = parsed("217L(2)|M~Message~S(255)@s255@0L10R");
  EXPECT_TRUE(f.columns[0].has(ColumnFlag::Scroll));
  EXPECT_EQ(f.columns[0].scrollUnits, 255);
  const ListColumn& empty = f.columns[1];
  EXPECT_EQ(empty.left, f.columns[0].right);
  EXPECT_EQ(empty.right, empty.left - 1);
  EXPECT_EQ(f.columns[2].left, empty.left);  // takes no space
}

TEST(ListFormat, QueueFieldsFollowModifiers) {
  ListFormat f = parsed("10L*#5#20L");
  EXPECT_EQ(f.columns[0].field, 5);
  EXPECT_EQ(f.columns[0].colourField, 6);
  EXPECT_EQ(f.columns[1].field, 10);

  // Value, colours, icon, tree level, style, tip, in that order whatever
  // order the letters come in.
  f = parsed("10LPYTI*10L");
  const ListColumn& c = f.columns[0];
  EXPECT_EQ(c.field, 1);
  EXPECT_EQ(c.colourField, 2);
  EXPECT_EQ(c.iconField, 6);
  EXPECT_EQ(c.treeField, 7);
  EXPECT_EQ(c.styleField, 8);
  EXPECT_EQ(c.tipField, 9);
  EXPECT_EQ(f.columns[1].field, 10);
  EXPECT_TRUE(f.hasTips);

  // A given number earlier than the running one moves it back.
  f = parsed("10L10L10L#1#10L");
  EXPECT_EQ(f.columns[2].field, 1);
  EXPECT_EQ(f.columns[3].field, 2);
}

TEST(ListFormat, ModifiersInEitherCaseWriteBackInOrder) {
  ListFormat f = parsed("30C(3)?e(0FFh,,-1,12)z(4)q'it''s'p_y*iT(LB)/@n9.2@#7#");
  const ListColumn& c = f.columns[0];
  EXPECT_EQ(c.colours[0], 255);
  EXPECT_EQ(c.colours[1], kNoColour);
  EXPECT_EQ(c.colours[2], -1);
  EXPECT_EQ(c.colours[3], 12);
  EXPECT_EQ(c.style, 4);
  EXPECT_EQ(c.tip, "it's");
  EXPECT_EQ(f.locatorColumn, 1);
  EXPECT_EQ(c.options & ColumnOption::TreeMask,
            ColumnOption::TreeNoLines | ColumnOption::TreeNoBoxes);
  EXPECT_EQ(c.decimalChar, '.');
  EXPECT_EQ(writeListFormat(f), "30C(3)_*IYPT(LB)@n9.2@Z(4)Q'it''s'E(0FFH,,,0CH)/?#7#");
  // What is written reads back to the same text.
  EXPECT_EQ(writeListFormat(parsed(writeListFormat(f))), writeListFormat(f));
}

TEST(ListFormat, OnlyTheFirstPictureCountsAndOnlyOneLocator) {
  ListFormat f = parsed("10L@s5@@n3@?10L?");
  EXPECT_EQ(f.columns[0].picture.view(), "@s5");
  EXPECT_FALSE(f.columns[0].has(ColumnFlag::Locator));
  EXPECT_EQ(f.locatorColumn, 2);
}

TEST(ListFormat, GroupsSpanTheirColumns) {
  ListFormat f = parsed("[40L~A~/40L~B~](80)|~Both~C(2)20R");
  ASSERT_EQ(f.groups.size(), 1u);
  const ListGroup& g = f.groups[0];
  EXPECT_EQ(g.firstColumn, 1);
  EXPECT_EQ(g.lastColumn, 2);
  EXPECT_EQ(g.widthUnits, 80);
  EXPECT_TRUE(g.has(ColumnFlag::RightBorder));
  EXPECT_EQ(g.header.view(), "Both");
  EXPECT_EQ(f.columns[1].line, 1);
  EXPECT_EQ(f.columns[1].left, 0);  // "/" restarts at the group's left
  EXPECT_EQ(f.columns[2].line, 1);
  EXPECT_EQ(f.rowLines, 2);
  EXPECT_EQ(f.groupHeaderLines, 1);
  EXPECT_EQ(writeListFormat(f), "[40L~A~/40L~B~](80)|~Both~C(2)20R");
}

TEST(ListFormat, ValidatorIsStricterThanTheList) {
  EXPECT_EQ(validateListFormat("10l"), 3u);
  ListParseResult lenient = parseListFormat("10l");
  EXPECT_TRUE(lenient.ok());
  EXPECT_EQ(lenient.format.columns[0].justify(), Justify::Left);
  EXPECT_EQ(writeListFormat(lenient.format), "10L");

  EXPECT_EQ(validateListFormat("10L@s20"), 4u);
  lenient = parseListFormat("10L@s20");
  EXPECT_TRUE(lenient.ok());
  EXPECT_EQ(lenient.format.columns[0].picture.view(), "@s20");
}

struct Refusal {
  const char* text;
  size_t stop;
};

TEST(ListFormat, RefusalsStopWhereReadingStopped) {
  const Refusal refusals[] = {
      {"L", 1},
      {"10", 3},
      {"10L(2", 6},
      {"10L(x)", 5},
      {"10LE(1)E(2)", 8},
      {"10LZ(1)Z(2)", 8},
      {"10LQ'a'Q'b'", 8},
      {"10LQ'abc", 4},
      {"10LQx", 5},
      {"10L~head", 4},
      {"10L#3", 6},
      {"10L#0#", 5},
      {"10L##", 5},
      {"10LT(X)", 6},
      {"10L%", 4},
      {"10LE(1,2,3,4,5)", 13},
      {"10LE(-)", 7},
      {"10LE(1A)", 7},
      {"10LE(1", 7},
      {"[10L", 1},
      {"[]", 2},
      {"[[10L]]", 2},
      {"10LS", 5},
      {"99999999999L", 1},
      {"10LE(1FFFFFFFFH)", 6},
      {"10L#2147483647#", 5},  // a queue has at most 65535 fields
      {"10L#65536#", 5},
  };
  for (const Refusal& r : refusals) {
    EXPECT_EQ(validateListFormat(r.text), r.stop) << r.text;
    EXPECT_EQ(parseListFormat(r.text).stop, r.stop) << r.text;
  }
  EXPECT_EQ(validateListFormat(""), 0u);
}

TEST(ListFormat, ColumnsReadBeforeAStopKeepTheirGroup) {
  for (const char* text : {"[10L20R", "[10L20R%", "[10L](x", "[10L20R]Q'open"}) {
    ListParseResult result = parseListFormat(text);
    EXPECT_FALSE(result.ok()) << text;
    ASSERT_EQ(result.format.groups.size(), 1u) << text;
    EXPECT_EQ(result.format.groups[0].lastColumn, static_cast<int>(result.format.columns.size()));
    EXPECT_EQ(result.format.groupOfColumn(1), &result.format.groups[0]);
  }
  EXPECT_TRUE(parseListFormat("[x").format.groups.empty());
}

}  // namespace
}  // namespace zor::ui
