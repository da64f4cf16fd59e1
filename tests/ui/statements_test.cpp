#include "ui/statements.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/message_box.h"
#include "platform/threads.h"
#include "tests/ui/ui_test_support.h"
#include "ui/base/event_numbers.h"
#include "ui/control_factory.h"
#include "ui/thread_state.h"
#include "ui/window.h"

namespace zor::ui {
namespace {

using test::fatalCodeOf;

TEST(Statements, AcceptLoopWithCycleAndQueries) {
  Window window("Form");
  window.add(makeControl(ControlKind::Entry, "?NAME"));
  window.add(makeControl(ControlKind::Button, "?OK"));
  window.open();
  EXPECT_EQ(event(), 0u) << "no event before the first ACCEPT";
  std::vector<uint32_t> seen;
  int closes = 0;
  while (accept()) {
    seen.push_back(event());
    switch (event()) {
      case EVENT::OpenWindow:
        select(1);
        break;
      case EVENT::Selected:
        EXPECT_EQ(field(), 1);
        EXPECT_EQ(focus(), 1);
        setLastKeystroke({13, 0, '\r'});
        post(EVENT::Accepted, 2);
        break;
      case EVENT::Accepted:
        EXPECT_EQ(field(), 2);
        EXPECT_EQ(keyCode(), 13u);
        post(EVENT::CloseWindow);
        break;
      case EVENT::CloseWindow:
        if (++closes == 1) {
          post(EVENT::CloseWindow);
          cycle();
        }
        break;
    }
  }
  EXPECT_EQ(seen, (std::vector<uint32_t>{EVENT::OpenWindow, EVENT::Selected, EVENT::Accepted,
                                         EVENT::CloseWindow, EVENT::CloseWindow}));
  window.close();
  EXPECT_EQ(fatalCodeOf([] { accept(); }), 537);
  EXPECT_EQ(fatalCodeOf([] { display(); }), 536);
}

TEST(Statements, DisplayUpdateAndControlStates) {
  Window window("Form");
  std::string name = "Ada";
  std::string stored;
  for (int i = 0; i < 3; ++i) {
    window.add(makeControl(ControlKind::Entry, "?E"))
        .bind({[&] { return name; }, [&](const std::string& v) { stored = v; }});
  }
  window.open();
  display(2);
  EXPECT_EQ(window.control(1)->contents, "");
  EXPECT_EQ(window.control(2)->contents, "Ada");
  display();
  EXPECT_EQ(window.control(3)->contents, "Ada");
  window.control(3)->contents = "Grace";
  update(3);
  EXPECT_EQ(stored, "Grace");
  disable(1, 2);
  hide(3);
  EXPECT_FALSE(window.control(1)->enabled);
  EXPECT_FALSE(window.control(2)->enabled);
  EXPECT_TRUE(window.control(3)->enabled);
  EXPECT_TRUE(window.control(3)->hidden);
  enable(1, 3);
  unhide(3);
  EXPECT_TRUE(window.control(2)->enabled);
  EXPECT_FALSE(window.control(3)->hidden);
  disable(7);  // no such control: nothing happens
}

TEST(Statements, PostToAnotherThreadReachesItsActiveWindow) {
  std::atomic<int> thread{0};
  std::atomic<int> received{0};
  std::thread worker([&] {
    Window window("Worker");
    window.add(makeControl(ControlKind::Button, "?B"));
    window.open();
    thread = platform::threadNumber();
    while (accept()) {
      if (event() == EVENT::Accepted) {
        received = field();
        post(EVENT::CloseWindow);
      }
    }
  });
  while (thread == 0 || activeWindowOf(thread) == 0) std::this_thread::yield();
  EXPECT_TRUE(post(EVENT::Accepted, 1, thread));
  worker.join();
  EXPECT_EQ(received, 1);
  EXPECT_FALSE(post(EVENT::Accepted, 1, thread)) << "the thread has ended";
}

TEST(Statements, MessageMapsTextButtonsIconAndAnswer) {
  std::string shownText, shownCaption;
  unsigned shownFlags = 0;
  auto previous = platform::setMessageBoxHook(
      [&](const std::string& text, const std::string& caption, unsigned flags) {
        shownText = text;
        shownCaption = caption;
        shownFlags = flags;
        return static_cast<int>(platform::IDNO);
      });
  EXPECT_EQ(message("Save?|Really", "Form", ICON::Question, BUTTON::Yes | BUTTON::No, BUTTON::No),
            BUTTON::No);
  EXPECT_EQ(shownText, "Save?\nReally");
  EXPECT_EQ(shownCaption, "Form");
  EXPECT_EQ(shownFlags, platform::MB_YESNO | platform::MB_ICONQUESTION | platform::MB_DEFBUTTON2);
  message("To be updated soon");
  EXPECT_EQ(shownFlags, platform::MB_OK);
  EXPECT_EQ(shownCaption, "");
  message("x", "", ICON::None, BUTTON::Yes | BUTTON::No | BUTTON::Cancel, BUTTON::Cancel);
  EXPECT_EQ(shownFlags, platform::MB_YESNOCANCEL | platform::MB_DEFBUTTON3);
  platform::setMessageBoxHook(previous);
}

}  // namespace
}  // namespace zor::ui
