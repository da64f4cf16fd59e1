#include "ui/session_end.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/message_box.h"
#include "ui/message_layer.h"
#include "ui/window.h"

namespace zor::ui {
namespace {

struct Box {
  std::string text, caption;
};

class SessionEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = platform::setMessageBoxHook(
        [this](const std::string& text, const std::string& caption, unsigned) {
          boxes.push_back({text, caption});
          return static_cast<int>(platform::IDOK);
        });
  }
  void TearDown() override {
    platform::setMessageBoxHook(previous_);
    setRuntimeCaptionSwitch(false);
    setProgramCaption({});
  }

  std::vector<Box> boxes;

 private:
  platform::MessageBoxHook previous_;
};

TEST_F(SessionEndTest, EndingTheSessionWhileTheProgramRunsIsRefused) {
  setProgramCaption("Pellmoor Setup.Ini GUI");
  Window main("Main");
  main.open();
  EXPECT_FALSE(requestEndSession());
  ASSERT_EQ(boxes.size(), 1u) << "the first window that refuses ends the question";
  EXPECT_EQ(boxes[0].text,
            "Application still active.\n\nQuit the application before quitting Windows.");
  EXPECT_EQ(boxes[0].caption, "Pellmoor Setup.Ini GUI");
  setRuntimeCaptionSwitch(true);
  EXPECT_FALSE(requestEndSession());
  EXPECT_EQ(boxes.back().caption, "Zorvane 6.0");
}

TEST_F(SessionEndTest, TheAskedWindowComesToTheTopOnlyWhenVisibleAndEnabled) {
  Window lower("Lower"), upper("Upper");
  lower.open();
  upper.open();
  ASSERT_EQ(topLevelWindows().front(), upper.handle());
  lower.visible = false;
  EXPECT_EQ(sendMessage(lower.handle(), WM_QUERYENDSESSION), 0);
  EXPECT_EQ(topLevelWindows().front(), upper.handle());
  lower.visible = true;
  EXPECT_EQ(sendMessage(lower.handle(), WM_QUERYENDSESSION), 0);
  EXPECT_EQ(topLevelWindows().front(), lower.handle());
  EXPECT_EQ(boxes.size(), 2u);
}

TEST_F(SessionEndTest, WithoutRuntimeWindowsTheSessionMayEnd) {
  EXPECT_TRUE(requestEndSession());
  EXPECT_TRUE(boxes.empty());
}

}  // namespace
}  // namespace zor::ui
