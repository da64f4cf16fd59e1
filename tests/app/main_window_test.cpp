#include "app/main_window.h"

#include "app/dictionary.h"
#include "app/procedures.h"

#include <gtest/gtest.h>

#include "ui/headless/headless_session.h"

namespace {

using zor::ui::headless::HeadlessSession;

TEST(MainWindow, PlaceholderButtonsAnswerWithOneNoticeEach) {
  HeadlessSession session;
  session.start([] {
    qv::dictionarySetUp();
    qv::Main();
    qv::dictionaryTearDown();
  });
  ASSERT_FALSE(session.finished());
  EXPECT_NE(session.snapshot().find("Pellmoor Setup.Ini GUI"), std::string::npos);

  for (const char* button : {"?BUTTON8", "?BUTTON8:2", "?CLOSE:2"}) {
    session.click(button);
    session.run();
  }
  ASSERT_TRUE(session.problems().empty());
  const auto shown = session.messageBoxes().shown();
  ASSERT_EQ(shown.size(), 3u);
  for (const auto& box : shown) {
    EXPECT_EQ(box.text, "To be updated soon");
    EXPECT_EQ(box.caption, "");
  }
  EXPECT_FALSE(session.finished());

  session.click("?CLOSE");
  session.run();
  EXPECT_TRUE(session.finished());
  EXPECT_EQ(session.messageBoxes().shown().size(), 3u);
}

TEST(MainWindow, PrintedWithoutATerminalShowsItsListsAndButtons) {
  std::string printed;
  qv::printMainWindow([&](const std::string& text) { printed = text; });
  for (const char* text : {"Pellmoor Setup.Ini GUI", "Description", "Section Description",
                           "Load Setup.ini", "Update Setup.ini", "About", "Close"}) {
    EXPECT_NE(printed.find(text), std::string::npos) << text;
  }
}

}  // namespace
