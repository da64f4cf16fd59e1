#include "ui/canvas.h"

#include <gtest/gtest.h>

#include <limits>

#include "tests/ui/controls_test_forms.h"
#include "ui/edit_control.h"
#include "ui/front_end.h"
#include "ui/geometry.h"
#include "ui/headless/scripted_input.h"
#include "ui/hot_key_text.h"
#include "ui/key_codes.h"
#include "ui/properties.h"
#include "ui/wait_cursor.h"
#include "ui/window_builder.h"
#include "ui/window_painter.h"

namespace zor::ui {
namespace {

TEST(Canvas, DrawsClippedTextFramesAndRows) {
  Canvas canvas(8, 4);
  canvas.frame({0, 0, 8, 3});
  canvas.write(1, 1, "overflowing", CellStyle::Focused);
  EXPECT_EQ(canvas.text(), "+------+\n|overflo\n+------+\n") << "a write stops at the canvas";
  canvas.setClip({1, 1, 6, 1});
  canvas.fill({0, 0, 8, 4}, '.');
  canvas.put(-1, 9, 'x');
  EXPECT_EQ(canvas.row(1), "|......o");
  EXPECT_EQ(canvas.at(3, 1).style, CellStyle::Normal);
  EXPECT_EQ(canvas.at(7, 1).style, CellStyle::Focused) << "outside the clip";
  EXPECT_EQ(canvas.at(99, 99).character, ' ');
  canvas.resetClip();
  canvas.put(0, 3, '\n');
  EXPECT_EQ(canvas.at(0, 3).character, ' ') << "control characters never reach the grid";
}

TEST(Canvas, HotKeyTexts) {
  EXPECT_EQ(hotKeyOf("&&Save &now"), 'N') << "\"&&\" is a literal ampersand";
  EXPECT_EQ(hotKeyOf("Plain"), 0);
  EXPECT_EQ(hotKeyOf("trailing&"), 0);
  EXPECT_EQ(withoutHotKeyMarks("&&Save &now"), "&Save now");
  Canvas canvas(12, 1);
  EXPECT_EQ(writeWithHotKey(canvas, 0, 0, "&Load &more", CellStyle::Normal, 6), 6);
  EXPECT_EQ(canvas.text(), "Load m\n");
  EXPECT_EQ(canvas.at(0, 0).style, CellStyle::HotKey);
  EXPECT_EQ(canvas.at(5, 0).style, CellStyle::Normal) << "only the first mark counts";
  writeWithHotKey(canvas, 0, 0, "&Off", CellStyle::Disabled, 12);
  EXPECT_EQ(canvas.at(0, 0).style, CellStyle::Disabled);
}

TEST(Canvas, DialogUnitsMapToCells) {
  EXPECT_EQ(unitsToCells({4, 8, 48, 8}), (Rect{1, 1, 12, 1}));
  EXPECT_EQ(unitsToCells({2, 4, 1, 1}), (Rect{1, 1, 1, 1}))
      << "halves round up; a size keeps a cell";
  EXPECT_EQ(unitsToCells({0, 0, 0, 0}), (Rect{0, 0, 0, 0}));
  EXPECT_EQ(unitsToCells({-6, -12, 8, 16}), (Rect{-2, -2, 2, 2}));
  // The ends of int's range round without overflowing, and so does a test
  // against a rectangle that reaches them.
  constexpr int kMost = std::numeric_limits<int>::max();
  constexpr int kLeast = std::numeric_limits<int>::min();
  EXPECT_EQ(unitsToCells({kMost, kLeast, kMost, kMost}),
            (Rect{kMost / 4 + 1, -(kMost / 8 + 1), kMost / 4 + 1, kMost / 8 + 1}));
  EXPECT_TRUE((Rect{kMost - 1, 0, kMost, 1}).contains(kMost, 0));
  EXPECT_FALSE((Rect{kLeast, 0, 1, 1}).contains(kLeast + 1, 0));
}

bool within(const Rect& inner, const Rect& outer) {
  return inner.x >= outer.x && inner.y >= outer.y &&
         inner.x + inner.width <= outer.x + outer.width &&
         inner.y + inner.height <= outer.y + outer.height;
}

TEST(Canvas, RectanglesFitInsideAnAreaInUnitsAndInCells) {
  EXPECT_EQ(fitInside({8, 8, 40, 16}, {0, 0, 100, 60}), (Rect{8, 8, 40, 16})) << "inside already";
  EXPECT_EQ(fitInside({80, 50, 40, 16}, {0, 0, 100, 60}), (Rect{60, 44, 40, 16})) << "moved back";
  EXPECT_EQ(fitInside({-5, 4, 300, -3}, {0, 0, 100, 60}), (Rect{0, 4, 100, 1}))
      << "cut, never empty";
  EXPECT_EQ(fitInside({94, 0, 3, 8}, {0, 0, 97, 8}), (Rect{93, 0, 3, 8}))
      << "unit 94 rounds to cell 24, past the last of the 97 units' cells";
  EXPECT_EQ(fitInside({5, 5, 5, 5}, {10, 10, 0, 0}), (Rect{10, 10, 1, 1}));
  for (const Rect& area : {Rect{0, 0, 98, 61}, Rect{6, 13, 41, 27}, Rect{2, 3, 1, 1}}) {
    for (int x = -10; x <= 110; x += 7) {
      for (int width = -3; width <= 120; width += 11) {
        const Rect fitted = fitInside({x, x / 2, width, width / 3}, area);
        const std::string at = std::to_string(x) + "," + std::to_string(width);
        EXPECT_TRUE(within(fitted, area)) << at;
        EXPECT_TRUE(within(unitsToCells(fitted), unitsToCells(area))) << at;
        EXPECT_GE(fitted.width, 1) << at;
        EXPECT_GE(fitted.height, 1) << at;
      }
    }
  }
}

// Counts what the window system tells the front end of the cursor.
struct CursorWatch : FrontEnd {
  int changes = 0;
  void cursorChanged() override { ++changes; }
};

TEST(Canvas, TheWaitCursorMarksTheFrameAndIsShownAtOnce) {
  auto window = openWindow(test::customerForm());
  CursorWatch watch;
  FrontEnd* previous = setFrontEnd(&watch);
  EXPECT_EQ(paintWindow(*window).row(0), "+- Customer ---------------------------------------+");
  {
    WaitCursor busy;
    EXPECT_EQ(paintWindow(*window).row(0), "+- Customer -------------------------------- Busy -+");
    EXPECT_EQ(watch.changes, 1);
  }
  EXPECT_EQ(systemProperty(PROP::Cursor), "");
  EXPECT_EQ(paintWindow(*window).row(0).find("Busy"), std::string::npos);
  // A window's own wait cursor; the title gives way to the mark, and a
  // frame too narrow for it shows the title alone.
  window->setProperty(PROP::Cursor, std::string(CURSOR::Wait));
  EXPECT_EQ(watch.changes, 3);
  window->rect.width = 48;
  EXPECT_EQ(paintWindow(*window).row(0), "+- Cu- Busy -+");
  window->rect.width = 24;
  EXPECT_EQ(paintWindow(*window).row(0), "+- Cus-+");
  setFrontEnd(previous);
  window->close();
}

TEST(Canvas, SnapshotOfAForm) {
  auto window = openWindow(test::customerForm());
  auto& amount = dynamic_cast<EditControl&>(*window->find("?AMOUNT"));
  std::string value = "1234.5";
  amount.bind({[&] { return value; }, {}});
  amount.display();
  window->find("?VIP")->contents = "1";
  window->find("?STATUS")->contents = "O";
  // Dialog units map to cells inside the frame: ?NAME at 32, 8 stands at
  // column 1 + 8, row 1 + 1.
  EXPECT_EQ(paintWindow(*window).text(),
            "+- Customer ---------------------------------------+\n"
            "|                         +- Status -------------+ |\n"
            "| Name:  [          ]     |( ) Active (*) Obsolet| |\n"
            "|                         |                      | |\n"
            "| Amount:[ 1,234.50]      +----------------------+ |\n"
            "|                                                  |\n"
            "| Born:  [  /  /  ]        [X] VIP                 |\n"
            "|                                                  |\n"
            "|                                                  |\n"
            "|                                                  |\n"
            "| [ Never ]                [>Save<]   [ Cancel ]   |\n"
            "|                                                  |\n"
            "+--------------------------------------------------+\n");
  headless::deliverInput(*window, headless::KeyInput{'A', 'A'});
  Canvas canvas = paintWindow(*window);
  EXPECT_EQ(canvas.row(2).substr(0, 21), "| Name:  [A         ]");
  EXPECT_TRUE(canvas.hasCursor());
  EXPECT_EQ(canvas.cursor(), (Cell{11, 2}));
  EXPECT_EQ(canvas.at(2, 2).style, CellStyle::HotKey) << "the N of &Name";
  EXPECT_EQ(canvas.at(4, 10).style, CellStyle::Disabled);
}

TEST(Canvas, SheetsShowTheChosenTabAndItsControlsOnly) {
  auto window = openWindow(test::sheetForm());
  std::string first = paintWindow(*window).text();
  EXPECT_NE(first.find("[General] More"), std::string::npos) << first;
  EXPECT_EQ(window->find("?SECOND")->rect.y, 16);
  headless::deliverInput(*window, headless::KeyInput{KEY::Alt | 'M', 0});
  std::string second = paintWindow(*window).text();
  EXPECT_NE(second.find(" General [More]"), std::string::npos) << second;
  EXPECT_EQ(second.find("+-"), first.find("+-"));
  EXPECT_NE(first, second);
}

}  // namespace
}  // namespace zor::ui
