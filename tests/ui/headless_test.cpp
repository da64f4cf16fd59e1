#include "ui/headless/headless_session.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/ui/controls_test_forms.h"
#include "tests/ui/list_box/list_test_rows.h"
#include "tests/ui/ui_test_support.h"
#include "ui/base/event_numbers.h"
#include "ui/key_codes.h"
#include "ui/row_control.h"
#include "ui/statements.h"
#include "ui/window.h"
#include "ui/window_builder.h"

namespace zor::ui::headless {
namespace {

// The customer form's procedure: Save asks before closing; everything the
// procedure saw is written to `seen`.
struct CustomerProcedure {
  std::vector<uint32_t> seen;
  std::string name;
  unsigned answer = 0;

  void operator()() {
    auto window = openWindow(test::customerForm());
    window->find("?NAME")->bind(
        {[this] { return name; }, [this](const std::string& v) { name = v; }});
    display();
    while (accept()) {
      seen.push_back(event());
      if (event() == EVENT::Accepted && field() == 12) {
        answer =
            message("Save the customer?", "Customer", ICON::Question, BUTTON::Yes | BUTTON::No);
        if (answer == BUTTON::Yes) post(EVENT::CloseWindow);
      }
    }
    window->close();
  }
};

TEST(HeadlessSession, RunsTheLoopUntilItWaitsForInput) {
  CustomerProcedure procedure;
  procedure.name = "Ada";
  HeadlessSession session;
  session.start([&] { procedure(); });
  ASSERT_FALSE(session.finished());
  ASSERT_NE(session.window(), nullptr);
  EXPECT_EQ(procedure.seen, std::vector<uint32_t>{EVENT::OpenWindow});
  EXPECT_NE(session.snapshot().find("| Name:  [Ada       ]"), std::string::npos)
      << session.snapshot();

  session.type("Grace");
  session.answer(platform::IDNO);
  session.press(KEY::Enter);
  session.run();
  EXPECT_FALSE(session.finished()) << "the user said no";
  EXPECT_EQ(procedure.name, "Grace");
  EXPECT_EQ(procedure.seen,
            (std::vector<uint32_t>{EVENT::OpenWindow, EVENT::Accepted, EVENT::Accepted}));
  EXPECT_NE(session.snapshot().find("[Grace     ]"), std::string::npos);

  session.click("?NOSUCH");
  session.answer(platform::IDYES);
  session.click("?SAVE");
  session.run();
  EXPECT_TRUE(session.finished());
  EXPECT_EQ(session.window(), nullptr);
  EXPECT_EQ(session.problems(), std::vector<std::string>{"no control ?NOSUCH is shown to click"});
  auto boxes = session.messageBoxes().shown();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "Save the customer?");
  EXPECT_EQ(boxes[0].answer, platform::IDNO);
  EXPECT_EQ(boxes[1].answer, platform::IDYES);
  EXPECT_EQ(procedure.answer, BUTTON::Yes);
  EXPECT_EQ(procedure.seen.back(), EVENT::CloseWindow);
}

TEST(HeadlessSession, TheWheelAndDragsReachAList) {
  test::TwoColumns rows;
  std::vector<std::pair<uint32_t, size_t>> seen;  // event, the list's top row then
  HeadlessSession session;
  session.start([&] {
    auto window = openWindow(test::scrollingListForm());
    auto& list = dynamic_cast<ListControl&>(*window->find("?LIST"));
    list.setQueue(&rows.queue);
    list.view().setTop(10);
    while (accept()) seen.emplace_back(event(), list.view().top());
    window->close();
  });
  session.wheelAt(5, 4, 1);
  session.wheelAt(5, 4, -1);
  session.dragAt(25, 5, 25, 3);  // the thumb to the top of the track
  session.run();
  EXPECT_EQ(seen, (std::vector<std::pair<uint32_t, size_t>>{{EVENT::OpenWindow, 10},
                                                            {EVENT::ScrollUp, 7},
                                                            {EVENT::ScrollDown, 10},
                                                            {EVENT::ScrollDrag, 1}}));
  EXPECT_TRUE(session.problems().empty());
}

TEST(HeadlessSession, PopupMenusAreAnsweredFromTheScript) {
  EXPECT_EQ(popup("&Insert|&Change"), 0) << "a thread without a front end has no menus";
  std::vector<int> chosen;
  HeadlessSession session;
  session.choose(5);
  session.start([&] {
    auto window = openWindow(test::customerForm());
    chosen.push_back(popup("&Insert|&Change|-|&More{&One|&Two}"));
    chosen.push_back(popup("&Insert|&Change"));
    window->close();
  });
  EXPECT_TRUE(session.finished());
  EXPECT_EQ(chosen, (std::vector<int>{5, 0})) << "a menu with no choice waiting is cancelled";
  EXPECT_EQ(session.popupMenus().shown(),
            (std::vector<std::string>{"&Insert|&Change|-|&More{&One|&Two}", "&Insert|&Change"}));
  EXPECT_EQ(session.popupMenus().pending(), 0u);
}

TEST(HeadlessSession, ClicksByCellAndUnansweredBoxesTakeTheDefault) {
  CustomerProcedure procedure;
  HeadlessSession session;
  session.start([&] { procedure(); });
  // "[>Save<]" stands on row 10 from column 27 of the window's canvas.
  session.clickAt(28, 10);
  session.run();
  EXPECT_EQ(session.messageBoxes().shown().size(), 1u);
  EXPECT_EQ(procedure.answer, BUTTON::Yes) << "the default button of a Yes/No box";
  EXPECT_TRUE(session.finished());
  session.run();  // nothing left to run
}

TEST(HeadlessSession, EndingTheSessionEndsAWaitingProcedure) {
  bool returned = false;
  {
    HeadlessSession session;
    session.start([&] {
      CustomerProcedure procedure;
      procedure();
      returned = true;
    });
    EXPECT_FALSE(session.finished());
  }
  EXPECT_TRUE(returned) << "the loop received WM_QUIT and the procedure went on to its end";
}

TEST(HeadlessSession, WhatTheProcedureThrowsIsThrownToTheTest) {
  test::FatalErrorTrap trap;
  HeadlessSession session;
  EXPECT_THROW(session.start([] { openWindow("NOSUCH$MODULE", "NOSUCH$WINDOW"); }),
               test::FatalError);
  EXPECT_TRUE(session.finished());
}

TEST(HeadlessSession, AFormOpenedFromTheLoopGetsTheNextInput) {
  HeadlessSession session;
  std::vector<std::string> closedWith;
  session.start([&] {
    auto main = openWindow(test::sheetForm());
    while (accept()) {
      if (event() != EVENT::Accepted || field() != 7) continue;
      CustomerProcedure form;
      form();
      closedWith.push_back(form.name);
    }
  });
  session.click("?CLOSE");
  session.run();
  ASSERT_NE(session.window(), nullptr);
  EXPECT_EQ(session.window()->title, "Customer");
  EXPECT_NE(session.screen(100, 30).text().find("Customer"), std::string::npos);
  session.type("Lin");
  session.press(KEY::Tab);
  session.answer(platform::IDYES);
  session.press(KEY::Alt | 'S');
  session.run();
  EXPECT_EQ(closedWith, std::vector<std::string>{"Lin"});
  EXPECT_EQ(session.window()->title, "Sheet") << "back in the main window's loop";
}

}  // namespace
}  // namespace zor::ui::headless
