#include "ui/event_engine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/threads.h"
#include "tests/ui/ui_test_support.h"
#include "ui/base/event_numbers.h"
#include "ui/control_factory.h"
#include "ui/message_layer.h"
#include "ui/system_commands.h"
#include "ui/thread_state.h"
#include "ui/window.h"

namespace zor::ui {
namespace {

using test::fatalCodeOf;

// An open window with three buttons whose OpenWindow has been taken.
class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 3; ++i) window.add(makeControl(ControlKind::Button, "?B"));
    window.rect = Rect{10, 20, 200, 100};
    window.open();
    ASSERT_EQ(nextEvent(window), static_cast<int>(EVENT::OpenWindow));
  }

  // Posts a marker Accepted for control 3 so that a step after an empty
  // queue does not wait.
  void mark() { ASSERT_TRUE(post(window, EVENT::Accepted, 3)); }

  int expectMarker() {
    int event = nextEvent(window);
    EXPECT_EQ(event, static_cast<int>(EVENT::Accepted));
    return currentEvent(window) ? currentEvent(window)->field : 0;
  }

  void sysCommand(uintptr_t command, const Rect* target = nullptr) {
    systemCommand(window, command, target);
  }

  Window window{"Test"};
};

TEST_F(EngineTest, ThreeTimersBeforeTheProcedureRunsLeaveOne) {
  post(window, EVENT::Timer);
  post(window, EVENT::Timer);
  post(window, EVENT::Timer);
  mark();
  EXPECT_EQ(window.acceptState().queue.size(), 2u);
  EXPECT_EQ(nextEvent(window), static_cast<int>(EVENT::Timer));
  EXPECT_EQ(expectMarker(), 3);
}

TEST_F(EngineTest, EventsRecordKeystrokeAndPointerAtPostingTime) {
  setLastKeystroke({584, 2, 'h'});
  window.pointerX = 7;
  window.pointerY = 9;
  post(window, EVENT::AlertKey, 2);
  setLastKeystroke({});
  ASSERT_EQ(nextEvent(window), static_cast<int>(EVENT::AlertKey));
  const Event* event = currentEvent(window);
  EXPECT_EQ(event->field, 2);
  EXPECT_EQ(event->keyCode, 584u);
  EXPECT_EQ(event->keyChar, 'h');
  EXPECT_EQ(event->mouseX, 7);
  EXPECT_EQ(event->mouseY, 9);
  EXPECT_EQ(event->window, window.handle());
  auto copy = makeEvent(window, EVENT::Accepted, 2, event);
  EXPECT_EQ(copy->keyCode, 584u) << "an event made from another copies its key fields";
}

TEST_F(EngineTest, RefusedCloseKeepsTheLoopAndAcceptedCloseEndsIt) {
  post(window, EVENT::CloseWindow);
  mark();
  ASSERT_EQ(nextEvent(window), static_cast<int>(EVENT::CloseWindow));
  refuseEvent(window);
  expectMarker();
  post(window, EVENT::CloseWindow);
  mark();
  ASSERT_EQ(nextEvent(window), static_cast<int>(EVENT::CloseWindow));
  EXPECT_EQ(nextEvent(window), 0);
  EXPECT_EQ(window.acceptState().phase, LoopPhase::Closing);
  EXPECT_EQ(nextEvent(window), 0) << "the loop stays ended";
}

TEST_F(EngineTest, RefusedMaximizeChangesNothingAndPostsNoMaximized) {
  setDesktopArea(Rect{0, 0, 800, 600});
  sendMessage(window.handle(), WM_SYSCOMMAND, SC_MAXIMIZE);
  mark();
  ASSERT_EQ(nextEvent(window), static_cast<int>(EVENT::Maximize)) << "the pre-event comes first";
  refuseEvent(window);
  expectMarker();
  EXPECT_EQ(window.rect, (Rect{10, 20, 200, 100}));
  EXPECT_EQ(window.show, WindowShow::Normal);
  EXPECT_TRUE(window.acceptState().queue.empty());
}

TEST_F(EngineTest, PreEventsKeepTheOrderOfTheirCommands) {
  sysCommand(SC_MAXIMIZE);
  sysCommand(SC_RESTORE);
  ASSERT_EQ(nextEvent(window), static_cast<int>(EVENT::Maximize));
  ASSERT_EQ(nextEvent(window), static_cast<int>(EVENT::Restore));
  ASSERT_EQ(nextEvent(window), static_cast<int>(EVENT::Maximized));
  ASSERT_EQ(nextEvent(window), static_cast<int>(EVENT::Restored));
  EXPECT_EQ(window.show, WindowShow::Normal);
  EXPECT_EQ(window.rect, (Rect{10, 20, 200, 100}));
}

TEST_F(EngineTest, AcceptedWindowCommandsChangeTheWindowThenPostTheirPostEvent) {
  setDesktopArea(Rect{0, 0, 800, 600});
  sysCommand(SC_MAXIMIZE);
  ASSERT_EQ(nextEvent(window), static_cast<int>(EVENT::Maximize));
  ASSERT_EQ(nextEvent(window), static_cast<int>(EVENT::Maximized));
  EXPECT_EQ(window.rect, (Rect{0, 0, 800, 600}));
  sysCommand(SC_RESTORE);
  ASSERT_EQ(nextEvent(window), static_cast<int>(EVENT::Restore));
  ASSERT_EQ(nextEvent(window), static_cast<int>(EVENT::Restored));
  EXPECT_EQ(window.rect, (Rect{10, 20, 200, 100}));
  Rect moved{30, 40, 0, 0};
  sysCommand(SC_MOVE, &moved);
  ASSERT_EQ(nextEvent(window), static_cast<int>(EVENT::Move));
  ASSERT_EQ(nextEvent(window), static_cast<int>(EVENT::Moved));
  EXPECT_EQ(window.rect, (Rect{30, 40, 200, 100}));
  sysCommand(SC_MINIMIZE);
  ASSERT_EQ(nextEvent(window), static_cast<int>(EVENT::Iconize));
  ASSERT_EQ(nextEvent(window), static_cast<int>(EVENT::Iconized));
  Rect sized{0, 0, 50, 60};
  sysCommand(SC_SIZE, &sized);  // iconised: no pre-event
  ASSERT_EQ(nextEvent(window), static_cast<int>(EVENT::Sized));
  EXPECT_EQ(window.rect, sized);
}

TEST_F(EngineTest, TimerPropertyTicksAsTimerEventsUntilSetToZero) {
  window.setProperty(PROP::Timer, "1");
  EXPECT_EQ(nextEvent(window), static_cast<int>(EVENT::Timer));
  EXPECT_EQ(nextEvent(window), static_cast<int>(EVENT::Timer));
  window.setProperty(PROP::Timer, "0");
  Message m;
  EXPECT_FALSE(peekMessage(m, window.handle(), WM_TIMER, WM_TIMER, false));
  mark();
  expectMarker();
}

TEST_F(EngineTest, SelectedIsDroppedWhenTheControlLostTheFocus) {
  window.focus = 1;
  post(window, EVENT::Selected, 1);
  post(window, EVENT::Selected, 2);
  window.focus = 2;
  ASSERT_EQ(nextEvent(window), static_cast<int>(EVENT::Selected));
  EXPECT_EQ(currentEvent(window)->field, 2);
}

struct Incomplete : Control {
  Incomplete() : Control(ControlKind::Entry, "?E") {}
  bool completeEntry() override { return false; }
};

TEST_F(EngineTest, PendingAcceptBecomesAcceptedOnlyWhenTheEntryCompletes) {
  window.focus = 2;
  window.acceptState().pendingAccept = true;
  ASSERT_EQ(nextEvent(window), static_cast<int>(EVENT::Accepted));
  EXPECT_EQ(currentEvent(window)->field, 2);

  window.add(std::make_unique<Incomplete>());
  window.focus = 4;
  window.acceptState().pendingAccept = true;
  int idle = 0;
  window.idleWork = [&] {
    if (++idle == 1) post(window, EVENT::Accepted, 3);
  };
  EXPECT_EQ(expectMarker(), 3) << "no event for the incomplete entry";
  EXPECT_EQ(idle, 1);
}

// Idle work runs when the loop runs out of messages and on each tick of the
// loop timer, but the loop then waits: it never spins on idle work.
TEST_F(EngineTest, IdleWorkRunsOnLoopTimerTicksWithoutSpinning) {
  int calls = 0;
  window.idleWork = [&] {
    if (++calls == 6) mark();
  };
  window.setLoopTimer(2);
  auto start = std::chrono::steady_clock::now();
  expectMarker();
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(3));
  window.setLoopTimer(0);
}

TEST_F(EngineTest, SetUseRequestsRefreshTheControlsOnce) {
  std::string value = "first";
  window.control(1)->bind({[&] { return value; }, {}});
  postMessage(window.handle(), QUERY_SETUSE);
  postMessage(window.handle(), QUERY_SETUSE);
  window.idleWork = [&] {
    if (window.control(1)->contents == "first") mark();
  };
  expectMarker();
  EXPECT_EQ(window.control(1)->contents, "first");
}

TEST_F(EngineTest, BuildEventsEndTheLoopAfterDelivery) {
  post(window, EVENT::BuildKey);
  mark();
  ASSERT_EQ(nextEvent(window), static_cast<int>(EVENT::BuildKey));
  EXPECT_EQ(nextEvent(window), 0);
  expectMarker();
}

TEST_F(EngineTest, OpenFailedEndsTheLoopWithMinusOne) {
  post(window, EVENT::OpenFailed);
  EXPECT_EQ(nextEvent(window), -1);
  EXPECT_EQ(nextEvent(window), 0);
}

TEST_F(EngineTest, DeliverySwitchAndControlFlagFilterPosts) {
  window.control(2)->eventsEnabled = false;
  EXPECT_FALSE(post(window, EVENT::Accepted, 2));
  EXPECT_FALSE(post(window, EVENT::Accepted, 9)) << "no such control";
  setEventDelivery(false);
  EXPECT_FALSE(post(window, EVENT::Accepted, 1));
  EXPECT_TRUE(post(window, EVENT::CloseDown));
  EXPECT_TRUE(post(window, EVENT::CloseWindow));
  setEventDelivery(true);
  EXPECT_EQ(window.acceptState().queue.size(), 2u);
}

TEST_F(EngineTest, EventFromAnotherThreadArrivesInTheTargetWindowOnly) {
  std::atomic<bool> posted{false};
  std::atomic<size_t> posterQueue{99};
  std::thread poster([&] {
    Window own("Poster");
    own.open();
    posted = postEvent(window.handle(), EVENT::Accepted, 2);
    posterQueue = own.acceptState().queue.size();
  });
  poster.join();
  EXPECT_TRUE(posted);
  EXPECT_EQ(posterQueue, 1u) << "only the poster's own OpenWindow";
  ASSERT_EQ(nextEvent(window), static_cast<int>(EVENT::Accepted));
  EXPECT_EQ(currentEvent(window)->field, 2);
  EXPECT_EQ(currentEvent(window)->window, window.handle());
}

TEST_F(EngineTest, EventForAWindowWhoseThreadEndedCannotBePosted) {
  WindowHandle gone = 0;
  std::thread owner([&] {
    Window other("Other");
    other.open();
    gone = other.handle();
  });
  owner.join();
  EXPECT_FALSE(postEvent(gone, EVENT::Accepted, 1));
}

TEST_F(EngineTest, EventForAClosedWindowGoesToItsLiveThreadWhichDropsIt) {
  std::atomic<WindowHandle> closed{0};
  std::atomic<bool> posted{false};
  std::atomic<bool> reachedThread{false};
  std::thread owner([&] {
    Window other("Other");
    other.open();
    WindowHandle handle = other.handle();
    other.close();
    closed = handle;
    while (!posted) std::this_thread::yield();
    Message m;
    reachedThread = peekMessage(m, 0, QUERY_POSTEDEVENT, QUERY_POSTEDEVENT, true) &&
                    m.window == 0 && ownWindow(handle) == nullptr;
  });
  while (closed == 0) std::this_thread::yield();
  EXPECT_TRUE(postEvent(closed, EVENT::Accepted, 1));
  posted = true;
  owner.join();
  EXPECT_TRUE(reachedThread);
}

TEST_F(EngineTest, DeliveringOnAnotherThreadIsFatal545) {
  test::FatalError error(0, {});
  std::thread intruder([&] { error = test::fatalErrorOf([&] { nextEvent(window); }); });
  intruder.join();
  EXPECT_EQ(error.code, 545);
  EXPECT_NE(
      std::string(error.what()).find("Attempt to execute a modal event for not current thread"),
      std::string::npos);
}

TEST(EngineErrors, OpeningTwiceAndLoopingOnAClosedWindowAreFatal) {
  Window window("W");
  EXPECT_EQ(fatalCodeOf([&] { nextEvent(window); }), 536);
  window.open();
  EXPECT_EQ(fatalCodeOf([&] { window.open(); }), 535);
  window.close();
  EXPECT_EQ(fatalCodeOf([&] { window.close(); }), 536);
}

}  // namespace
}  // namespace zor::ui

namespace zor::ui {
namespace {

// A derived window turns its own messages into events and leaves the rest to
// the engine.
struct KeyWindow : Window {
  KeyWindow() : Window("Keys") {}
  intptr_t onMessage(const Message& message) override {
    if (message.message != WM_CHAR) return Window::onMessage(message);
    setLastKeystroke(
        {static_cast<uint32_t>(message.wParam), 0, static_cast<uint8_t>(message.wParam)});
    post(*this, EVENT::AlertKey);
    return 0;
  }
};

TEST(EngineExtension, DerivedWindowsSeeTheirMessagesFirst) {
  KeyWindow window;
  window.open();
  ASSERT_EQ(nextEvent(window), static_cast<int>(EVENT::OpenWindow));
  postMessage(window.handle(), WM_CHAR, 'x');
  postMessage(window.handle(), WM_CLOSE);
  ASSERT_EQ(nextEvent(window), static_cast<int>(EVENT::AlertKey));
  EXPECT_EQ(currentEvent(window)->keyCode, static_cast<uint32_t>('x'));
  EXPECT_EQ(nextEvent(window), static_cast<int>(EVENT::CloseWindow));
  EXPECT_EQ(nextEvent(window), 0);
}

}  // namespace
}  // namespace zor::ui
