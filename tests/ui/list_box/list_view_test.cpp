// The list model: rows of a queue drawn through the format, and the events
// that keys, clicks, the wheel and the scroll bar raise.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "runtime/queue.h"
#include "runtime/type_codes.h"
#include "tests/runtime/queue_test_records.h"
#include "ui/base/event_numbers.h"
#include "ui/list_box/list_properties.h"
#include "ui/list_box/list_view.h"

namespace zor::ui {
namespace {

// NAME CSTRING(16), NUMBER LONG, LEVEL LONG, TIP CSTRING(16), then four
// LONG colours.
constexpr size_t kLength = 56;

using zor::makeField;

RecordLayout rowLayout() {
  return {makeField("NAME", kCString, 0, 16), makeField("NUMBER", kLong, 16, 4),
          makeField("LEVEL", kLong, 20, 4),   makeField("TIP", kCString, 24, 16),
          makeField("FG", kLong, 40, 4),      makeField("BG", kLong, 44, 4),
          makeField("SFG", kLong, 48, 4),     makeField("SBG", kLong, 52, 4)};
}

struct RowValues {
  std::string name;
  int32_t number = 0;
  std::string tip;
  int32_t level = 1;
  int32_t colours[4] = {-1, -1, -1, -1};
};

void addRow(Queue& q, const RowValues& v) {
  std::vector<uint8_t> bytes(kLength, 0);
  std::memcpy(bytes.data(), v.name.data(), std::min<size_t>(v.name.size(), 15));
  std::memcpy(bytes.data() + 16, &v.number, 4);
  std::memcpy(bytes.data() + 20, &v.level, 4);
  std::memcpy(bytes.data() + 24, v.tip.data(), std::min<size_t>(v.tip.size(), 15));
  std::memcpy(bytes.data() + 40, v.colours, 16);
  ASSERT_EQ(q.add(bytes.data()), 0);
}

struct RecordingSink : ListEventSink {
  std::vector<uint32_t> events;
  std::vector<int> headers;
  void listEvent(uint32_t event) override { events.push_back(event); }
  void headerPressed(int column) override { headers.push_back(column); }
  std::vector<uint32_t> take() { return std::exchange(events, {}); }
};

class ListViewTest : public ::testing::Test {
 protected:
  ListViewTest() : queue_(rowLayout(), kLength) {}

  void fill(int rows) {
    for (int i = 1; i <= rows; ++i) addRow(queue_, {"row" + std::to_string(i), i * 100});
  }
  void open(const char* format, int width, int height) {
    ASSERT_EQ(view_.setFormat(format), 0u);
    view_.setQueue(&queue_);
    view_.setSize(width, height);
    view_.setEventSink(&sink_);
  }
  std::vector<std::string> lines() {
    ListCells cells;
    view_.render(cells);
    std::vector<std::string> out;
    for (int y = 0; y < cells.height(); ++y) out.push_back(cells.text(y));
    return out;
  }

  Queue queue_;
  ListView view_;
  RecordingSink sink_;
};

TEST_F(ListViewTest, RowsThroughPicturesWithJustification) {
  addRow(queue_, {"alpha", 1234});
  addRow(queue_, {"be", -5});
  // Name: 10 cells, left, indent 1, a line at its right edge. Amount: 12
  // cells right-justified with indent 1 under a centred header. Mid: centred,
  // cut by its picture. Dec: decimal points aligned, the header too.
  open("40L(4)|~Name~@s8@48R(4)~Amount~C@n-9.2@#2#48C~Mid~@s3@#1#48D~Dec~@n-9.2@#2#", 54, 3);
  std::vector<std::string> out = lines();
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[0], " Name    |   Amount       Mid              Dec        ");
  EXPECT_EQ(out[1], " alpha   |   1,234.00     alp         1,234.00        ");
  EXPECT_EQ(out[2], " be      |      -5.00      be            -5.00        ");
}

TEST_F(ListViewTest, KeysMoveTheHighlightAndRaiseEvents) {
  fill(10);
  open("40L~Name~@s8@", 10, 4);  // one header line, three rows
  ASSERT_EQ(view_.visibleRows(), 3);
  EXPECT_TRUE(view_.key(ListKey::Down));
  EXPECT_EQ(view_.selection(), 1u);
  EXPECT_EQ(sink_.take(), std::vector<uint32_t>{EVENT::NewSelection});
  // Blocked at the first row: the owner hears ScrollUp.
  view_.key(ListKey::Up);
  EXPECT_EQ(sink_.take(), std::vector<uint32_t>{EVENT::ScrollUp});
  view_.key(ListKey::PageDown);
  EXPECT_EQ(view_.selection(), 4u);
  EXPECT_EQ(view_.top(), 2u);  // scrolled to keep the highlight in view
  view_.key(ListKey::End);
  EXPECT_EQ(view_.selection(), 10u);
  EXPECT_EQ(view_.top(), 8u);
  view_.key(ListKey::Down);
  view_.key(ListKey::PageDown);
  view_.key(ListKey::End);
  view_.key(ListKey::Home);
  view_.key(ListKey::Home | ListKey::Ctrl);
  view_.key(ListKey::PageUp);
  EXPECT_EQ(sink_.take(),
            (std::vector<uint32_t>{EVENT::NewSelection, EVENT::NewSelection, EVENT::ScrollDown,
                                   EVENT::PageDown, EVENT::ScrollBottom, EVENT::NewSelection,
                                   EVENT::ScrollTop, EVENT::PageUp}));
  EXPECT_TRUE(view_.key(ListKey::Enter));
  EXPECT_EQ(sink_.take(), std::vector<uint32_t>{EVENT::Accepted});
  EXPECT_FALSE(view_.key(ListKey::Down | ListKey::Alt));
  EXPECT_TRUE(sink_.take().empty());
  std::vector<std::string> out = lines();
  EXPECT_EQ(view_.top(), 1u);
  EXPECT_EQ(out[1], "row1      ");
}

TEST_F(ListViewTest, ImmediateListLeavesMovingToItsOwner) {
  fill(10);
  open("40L@s8@", 10, 3);
  view_.setImmediate(true);
  view_.select(2);
  for (int code : {ListKey::Up, ListKey::Down, ListKey::PageUp, ListKey::PageDown, ListKey::Home,
                   ListKey::End}) {
    view_.key(code);
  }
  view_.wheel(2);
  view_.wheel(-1);
  view_.scrollBar(ScrollBarAction::PageDown);
  view_.scrollBar(ScrollBarAction::Thumb, 250);
  EXPECT_EQ(sink_.take(),
            (std::vector<uint32_t>{EVENT::ScrollUp, EVENT::ScrollDown, EVENT::PageUp,
                                   EVENT::PageDown, EVENT::ScrollTop, EVENT::ScrollBottom,
                                   EVENT::ScrollUp, EVENT::ScrollUp, EVENT::ScrollDown,
                                   EVENT::PageDown, EVENT::ScrollDrag}));
  EXPECT_EQ(view_.selection(), 2u);
  EXPECT_EQ(view_.top(), 1u);
  EXPECT_EQ(view_.thumbPosition(), 100);
}

TEST_F(ListViewTest, WheelAndScrollBarMoveTheViewNotTheHighlight) {
  fill(20);
  open("40L@s8@", 10, 5);
  view_.select(1);
  view_.wheel(-1);
  EXPECT_EQ(view_.top(), 1u + ListView::kWheelRows);
  view_.scrollBar(ScrollBarAction::Bottom);
  EXPECT_EQ(view_.top(), 16u);
  view_.scrollBar(ScrollBarAction::LineDown);
  EXPECT_EQ(view_.top(), 16u);
  view_.scrollBar(ScrollBarAction::Thumb, 50);
  EXPECT_EQ(view_.top(), 9u) << "half of 15 rows past the first, rounded";
  EXPECT_EQ(view_.selection(), 1u);
  EXPECT_EQ(sink_.take(), (std::vector<uint32_t>{EVENT::ScrollDown, EVENT::ScrollBottom,
                                                 EVENT::ScrollDown, EVENT::ScrollDrag}));
  EXPECT_EQ(lines()[0], "row9      ");
}

TEST_F(ListViewTest, ClicksSelectAcceptAndPressHeaders) {
  fill(5);
  open("20L~A~@s8@20L~B~@s8@", 12, 4);
  view_.click(7, 0);
  EXPECT_EQ(sink_.headers, std::vector<int>{2});
  view_.click(1, 2);
  EXPECT_EQ(view_.selection(), 2u);
  view_.click(1, 2, true);
  view_.click(1, 9);  // below the last row shown
  EXPECT_EQ(sink_.take(), (std::vector<uint32_t>{EVENT::NewSelection, EVENT::Accepted}));
  EXPECT_EQ(view_.tipAt(1, 1), "");
}

TEST_F(ListViewTest, LocatorTypingFindsTheRow) {
  addRow(queue_, {"Apple"});
  addRow(queue_, {"banana"});
  addRow(queue_, {"Bandit"});
  open("40L?@s8@", 10, 4);
  EXPECT_TRUE(view_.key('B'));
  EXPECT_TRUE(view_.key('A' | ListKey::Shift));
  EXPECT_TRUE(view_.key('N'));
  EXPECT_TRUE(view_.key('D'));
  EXPECT_EQ(view_.locatorText(), "bAnd");
  EXPECT_EQ(view_.selection(), 3u);
  EXPECT_EQ(sink_.take(),
            (std::vector<uint32_t>{EVENT::Locate, EVENT::NewSelection, EVENT::Locate, EVENT::Locate,
                                   EVENT::Locate, EVENT::NewSelection}));
  EXPECT_TRUE(view_.key(ListKey::Back));
  EXPECT_EQ(view_.locatorText(), "bAn");
  view_.key(ListKey::Up);
  EXPECT_EQ(view_.locatorText(), "");
  // Without a locator column typing is not the list's.
  ASSERT_EQ(view_.setFormat("40L@s8@"), 0u);
  EXPECT_FALSE(view_.key('X'));
}

TEST_F(ListViewTest, FixedColumnsStayWhileTheListScrollsSideways) {
  addRow(queue_, {"key", 7});
  open("16L|F@s3@40L@s10@#1#40R@n3@#2#", 10, 1);
  EXPECT_EQ(lines()[0], "key|key   ");
  view_.key(ListKey::Right);
  view_.key(ListKey::Right);
  EXPECT_EQ(view_.horizontalOffset(), 2);
  EXPECT_EQ(lines()[0], "key|y     ");
  view_.setHorizontalOffset(1000);
  EXPECT_EQ(view_.horizontalOffset(), 14);  // 24 cells of columns, 10 shown
  EXPECT_EQ(lines()[0], "key|     7");
  EXPECT_EQ(view_.columnAt(1), 1);
  EXPECT_EQ(view_.columnAt(9), 3);
}

TEST_F(ListViewTest, MultiLineRowsAndGroupHeaders) {
  addRow(queue_, {"first", 1});
  addRow(queue_, {"second", 2});
  open("[24L~Name~@s6@/24R@n3@](30)~Group~C", 6, 7);
  ASSERT_EQ(view_.headerLines(), 2);
  EXPECT_EQ(view_.visibleRows(), 2);
  std::vector<std::string> out = lines();
  EXPECT_EQ(out, (std::vector<std::string>{"Group ", "Name  ", "first ", "     1", "second",
                                           "     2", "      "}));
  ListCells cells;
  view_.render(cells);
  EXPECT_EQ(cells.rowOfLine(5), 2u);
  EXPECT_TRUE(cells.at(0, 0)->marks & CellMark::GroupHeader);
  EXPECT_TRUE(cells.at(0, 1)->marks & CellMark::Header);
}

TEST_F(ListViewTest, IconsColoursStylesTreesAndTips) {
  RowValues a{"top", 2, "", 1, {10, 11, 12, 13}};
  RowValues b{"leaf", 0, "its tip", 2, {-1, -1, -1, -1}};
  addRow(queue_, a);
  addRow(queue_, b);
  // Value NAME, icon NUMBER, tree LEVEL, tip TIP, then the four colours
  // through "*" on a column of its own.
  open("40LIPT~T~Q'default'40L*#4#", 20, 3);
  const ListColumn& tree = view_.format().columns[0];
  EXPECT_EQ(tree.iconField, 2);
  EXPECT_EQ(tree.treeField, 3);
  EXPECT_EQ(tree.tipField, 4);
  view_.select(1);
  ListCells cells;
  view_.render(cells);
  EXPECT_EQ(cells.text(1).substr(0, 10), "- * top   ");
  EXPECT_EQ(cells.text(2).substr(0, 10), "      leaf");  // one level deeper, no box, no icon
  EXPECT_EQ(cells.at(2, 1)->icon, 2);
  EXPECT_TRUE(cells.at(2, 1)->marks & CellMark::Icon);
  // Row colours from fields 4..7 of the second column; selected slots on the
  // highlighted row.
  EXPECT_EQ(cells.at(10, 1)->foreground, 12);
  EXPECT_EQ(cells.at(10, 1)->background, 13);
  EXPECT_TRUE(cells.at(10, 1)->marks & CellMark::Selected);
  EXPECT_EQ(cells.at(10, 2)->foreground, kNoColour);
  EXPECT_EQ(view_.tipAt(2, 1), "its tip");
  EXPECT_EQ(view_.tipAt(1, 1), "default");
  EXPECT_TRUE(view_.format().hasTips);

  // A style through Z(n) and the style properties.
  ASSERT_TRUE(setListProperty(view_, LISTPROP::Style + LISTPROP::TextColour, 3, "99"));
  ASSERT_TRUE(setListProperty(view_, LISTPROP::Column + LISTPROP::StyleNumber, 2, "3"));
  view_.render(cells);
  EXPECT_EQ(cells.at(10, 2)->foreground, 99);
  EXPECT_EQ(cells.at(10, 2)->style, 3);
}

TEST_F(ListViewTest, ColumnPropertiesChangeTheRecordsAndTheLayout) {
  fill(1);
  open("40L(2)|M~A~@s8@40R~B~@n6@#2#", 20, 2);
  using namespace LISTPROP;
  EXPECT_EQ(listProperty(view_, Column + Width, 1), "40");
  EXPECT_EQ(listProperty(view_, Column + Picture, 2), "@n6");
  EXPECT_EQ(listProperty(view_, Column + Left, 2), "10");
  EXPECT_EQ(listProperty(view_, Column + ColumnCount, 0), "2");
  EXPECT_EQ(listProperty(view_, Column + Width, 3), std::nullopt);
  EXPECT_EQ(listProperty(view_, Group + Width, 1), std::nullopt);

  EXPECT_TRUE(setListProperty(view_, Column + Width, 1, "20"));
  EXPECT_EQ(listProperty(view_, Column + Left, 2), "5");
  EXPECT_TRUE(setListProperty(view_, Column + Locator, 2, "1"));
  EXPECT_TRUE(setListProperty(view_, Column + Icon, 1, "2"));
  EXPECT_EQ(listProperty(view_, Column + IconField, 1), "2");
  EXPECT_TRUE(setListProperty(view_, Column + HeaderJustification, 2, "C"));
  EXPECT_TRUE(setListProperty(view_, Column + TreeOptions, 1, "1B"));
  EXPECT_FALSE(setListProperty(view_, Column + TreeOptions, 1, "x"));
  EXPECT_FALSE(setListProperty(view_, Column + Width, 1, "wide"));
  EXPECT_FALSE(setListProperty(view_, Column + Picture, 1, "@s1@2"));
  EXPECT_FALSE(setListProperty(view_, Column + Left, 1, "3"));
  EXPECT_FALSE(setListProperty(view_, Column + Header, 1, "a~b"));
  EXPECT_EQ(view_.formatText(), "20L(2)|MJ~A~@s8@40R~B~C(0)@n6@?#2#");

  // The user widens a resizable column; others refuse.
  EXPECT_TRUE(view_.resizeColumn(1, 8));
  EXPECT_EQ(listProperty(view_, Column + Width, 1), "32");
  EXPECT_FALSE(view_.resizeColumn(2, 8));
  EXPECT_EQ(sink_.take(), std::vector<uint32_t>{EVENT::ColumnResize});
}

TEST_F(ListViewTest, MalformedFormatKeepsTheOldOne) {
  fill(2);
  open("40L~Name~@s8@", 10, 3);
  EXPECT_EQ(view_.setFormat("40L~Name"), 4u);
  EXPECT_EQ(view_.formatText(), "40L~Name~@s8@");
  EXPECT_EQ(lines()[1], "row1      ");
}

TEST_F(ListViewTest, RowsLeavingTheQueueKeepPositionsInRange) {
  fill(10);
  open("40L@s8@", 10, 3);
  view_.select(10);
  EXPECT_EQ(view_.top(), 8u);
  queue_.clear();
  EXPECT_EQ(view_.selection(), 0u);
  EXPECT_EQ(view_.top(), 1u);
  EXPECT_EQ(lines()[0], "          ");
  view_.key(ListKey::Down);
  EXPECT_EQ(sink_.take(), std::vector<uint32_t>{EVENT::ScrollDown});
}

}  // namespace
}  // namespace zor::ui
