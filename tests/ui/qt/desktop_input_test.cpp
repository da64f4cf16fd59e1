// What a person does at the desktop reaches the event engine as the
// headless tests' scripted input does: typing (checked through the
// picture), clicks, hot keys, the default button, tabs, list rows, headers
// and scroll bars, a message box's answer, a popup menu's choice, closing,
// and sizing and moving the window.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include "tests/ui/list_box/list_test_rows.h"
#include "tests/ui/qt/desktop_test_support.h"
#include "ui/base/event_numbers.h"
#include "ui/edit_control.h"
#include "ui/row_control.h"
#include "ui/window_builder.h"

namespace zor::ui::qt {
namespace {

using test::SeenEvent;

constexpr const char* kForm = R"(
definition desktop_test$desktop_test001

window DEMO "Desktop test" at 40 40 size 300 200 resize {
  sheet ?SHEET at 4 0 size 292 160 {
    tab ?TAB1 "&First" {
      prompt ?NAME:PROMPT "&Name:" at 12 16 size 40 8
      entry ?NAME at 56 16 size 60 8 picture @s5
      prompt ?COUNT:PROMPT "C&ount:" at 12 32 size 40 8
      entry ?COUNT at 56 32 size 40 8 picture @n3
      list ?ROWS at 140 16 size 140 120 format "60L(2)|M~Name~@s20@60R(2)|M~Value~@s20@" vscroll
    }
    tab ?TAB2 "Secon&d" {
      check ?FLAG "Fla&g" at 12 16 size 60 8
    }
  }
  button ?ASK "As&k" at 100 170 size 44 16
  button ?OK "&Save" at 200 170 size 44 16 default
  button ?CANCEL "&Cancel" at 250 170 size 44 16
}
)";

// Field equates of the form.
enum Field {
  Sheet = 1,
  Tab1,
  NamePrompt,
  Name,
  CountPrompt,
  Count,
  Rows,
  Tab2,
  Flag,
  Ask,
  Ok,
  Cancel
};

// The form on the desktop: runs its loop through the script, recording
// every event; `onEvent` may act on each.
struct DesktopForm {
  DesktopForm() : front(QtFrontEnd::Options{1.0, "ui_qt_tests"}), script(front) {}

  std::vector<SeenEvent> run(const std::function<void(Window&)>& onEvent = {}) {
    std::unique_ptr<Window> window = buildWindow(test::declaredWindow(kForm));
    auto* list = dynamic_cast<ListControl*>(window->control(Rows));
    list->setQueue(&rows.queue);
    window->open();
    std::vector<SeenEvent> seen;
    while (accept()) {
      seen.push_back({event(), field()});
      if (onEvent) onEvent(*window);
    }
    if (window->isOpen()) window->close();
    return seen;
  }

  QApplication& application = test::desktopApplication();
  QtFrontEnd front;
  test::DesktopScript script;
  ui::test::TwoColumns rows{40};
};

// The events of one kind for one control among those seen.
int countOf(const std::vector<SeenEvent>& seen, uint32_t event, int field) {
  return static_cast<int>(std::count(seen.begin(), seen.end(), SeenEvent{event, field}));
}

template <class T>
T& widgetOf(WindowFrame& frame, int field) {
  auto* widget = dynamic_cast<T*>(frame.controlWidget(field));
  if (!widget) throw std::runtime_error("no widget of the expected kind");
  return *widget;
}

TEST(DesktopInput, TypingIsCheckedThroughThePictureAndTabCompletesTheEntry) {
  DesktopForm form;
  std::string name, count;
  form.script.then([](Window&, WindowFrame& frame) { QTest::keyClicks(&frame, "abcdefgh"); })
      .then([](Window&, WindowFrame& frame) {
        EXPECT_EQ(widgetOf<QLineEdit>(frame, Name).text(), "abcde") << "the picture holds five";
        EXPECT_TRUE(frame.controlWidget(Name)->hasFocus());
        QTest::keyClick(&frame, Qt::Key_Tab);
      })
      .then([](Window&, WindowFrame& frame) { QTest::keyClicks(&frame, "1x"); })
      .then([](Window&, WindowFrame& frame) { QTest::keyClick(&frame, Qt::Key_Tab); })
      .then([&](Window& window, WindowFrame& frame) {
        EXPECT_EQ(window.focus, Count) << "a number the picture cannot read keeps the focus";
        QTest::keyClick(&frame, Qt::Key_Backspace);
        QTest::keyClick(&frame, Qt::Key_Tab);
      })
      .then([&](Window& window, WindowFrame&) {
        name = window.control(Name)->contents;
        count = window.control(Count)->contents;
      });
  std::vector<SeenEvent> seen = form.run();
  EXPECT_EQ(name, "abcde");
  EXPECT_EQ(count, "1");
  EXPECT_EQ(countOf(seen, EVENT::Accepted, Name), 1);
  EXPECT_EQ(countOf(seen, EVENT::Rejected, Count), 1);
  EXPECT_EQ(countOf(seen, EVENT::Accepted, Count), 1);
  EXPECT_EQ(seen.back(), (SeenEvent{EVENT::CloseWindow, 0})) << "the frame's close button";
}

TEST(DesktopInput, ClicksHotKeysAndTheDefaultButtonPressButtons) {
  DesktopForm form;
  form.script
      .then([](Window&, WindowFrame& frame) {
        QTest::mouseClick(frame.controlWidget(Cancel), Qt::LeftButton);
      })
      .then(
          [](Window&, WindowFrame& frame) { QTest::keyClick(&frame, Qt::Key_S, Qt::AltModifier); })
      .then([](Window&, WindowFrame& frame) {
        // Alt+O: the prompt sends the focus to its entry.
        QTest::keyClick(&frame, Qt::Key_O, Qt::AltModifier);
      })
      .then([](Window& window, WindowFrame& frame) {
        EXPECT_EQ(window.focus, Count);
        EXPECT_TRUE(frame.controlWidget(Count)->hasFocus()) << "Qt's focus follows the window's";
        QTest::keyClick(&frame, Qt::Key_Return);
      });
  std::vector<SeenEvent> seen = form.run();
  EXPECT_EQ(countOf(seen, EVENT::Accepted, Cancel), 1);
  EXPECT_EQ(countOf(seen, EVENT::Accepted, Ok), 2) << "Alt+S, and Enter in the entry";
}

TEST(DesktopInput, TabsListRowsHeadersAndScrollBarsReachTheControls) {
  DesktopForm form;
  int top = 0, headerColumn = 0, visible = 0;
  size_t choice = 0;
  form.script
      .then([](Window&, WindowFrame& frame) {
        auto& tabs = widgetOf<QTabWidget>(frame, Sheet);
        QTest::mouseClick(tabs.tabBar(), Qt::LeftButton, {}, tabs.tabBar()->tabRect(1).center());
      })
      .then([](Window&, WindowFrame& frame) {
        EXPECT_EQ(widgetOf<QTabWidget>(frame, Sheet).currentIndex(), 1);
        EXPECT_TRUE(frame.controlWidget(Flag)->isVisible());
        EXPECT_FALSE(frame.controlWidget(Rows)->isVisible());
        QTest::keyClick(&frame, Qt::Key_G, Qt::AltModifier);
      })
      .then([](Window&, WindowFrame& frame) {
        auto& tabs = widgetOf<QTabWidget>(frame, Sheet);
        QTest::mouseClick(tabs.tabBar(), Qt::LeftButton, {}, tabs.tabBar()->tabRect(0).center());
      })
      .then([&](Window& window, WindowFrame& frame) {
        auto& box = widgetOf<QAbstractScrollArea>(frame, Rows);
        // The third row: rows fill the box, as many as the list shows.
        visible = dynamic_cast<ListControl&>(*window.control(Rows)).view().visibleRows();
        int rowHeight = box.viewport()->height() / visible;
        QTest::mouseClick(box.viewport(), Qt::LeftButton, {},
                          QPoint(20, rowHeight * 2 + rowHeight / 2));
      })
      .then([&](Window& window, WindowFrame& frame) {
        choice = dynamic_cast<ListControl&>(*window.control(Rows)).choice();
        auto& box = widgetOf<QAbstractScrollArea>(frame, Rows);
        QWidget* header = box.findChild<QWidget*>(QStringLiteral("listHeader"));
        ASSERT_NE(header, nullptr);
        // The middle of the second column's header.
        int second = frame.metrics().toPixelsX(60) + frame.metrics().toPixelsX(30);
        QTest::mouseClick(header, Qt::LeftButton, {}, QPoint(second, header->height() / 2));
      })
      .then([&](Window& window, WindowFrame& frame) {
        headerColumn =
            static_cast<int>(numberValue(window.control(Rows)->property(PROP::HeaderColumn)));
        widgetOf<QAbstractScrollArea>(frame, Rows)
            .verticalScrollBar()
            ->triggerAction(QAbstractSlider::SliderPageStepAdd);
      })
      .then([&](Window& window, WindowFrame&) {
        top = static_cast<int>(dynamic_cast<ListControl&>(*window.control(Rows)).view().top());
      });
  std::vector<SeenEvent> seen = form.run();
  EXPECT_EQ(countOf(seen, EVENT::TabChanging, Sheet), 2);
  EXPECT_EQ(countOf(seen, EVENT::Accepted, Flag), 1) << "Alt+G on the second tab";
  EXPECT_EQ(choice, 3u);
  EXPECT_EQ(countOf(seen, EVENT::NewSelection, Rows), 1);
  EXPECT_EQ(headerColumn, 2);
  EXPECT_EQ(countOf(seen, EVENT::HeaderPressed, Rows), 1);
  EXPECT_EQ(countOf(seen, EVENT::PageDown, Rows), 1);
  EXPECT_EQ(top, 1 + visible) << "a page on";
}

TEST(DesktopInput, DraggingAColumnEdgeResizesItAndTheWheelScrolls) {
  DesktopForm form;
  int width = 0;
  size_t top = 0;
  form.script
      .then([](Window&, WindowFrame& frame) {
        auto& box = widgetOf<QAbstractScrollArea>(frame, Rows);
        QWidget* header = box.findChild<QWidget*>(QStringLiteral("listHeader"));
        int edge = frame.metrics().toPixelsX(60);
        int y = header->height() / 2;
        QTest::mousePress(header, Qt::LeftButton, {}, QPoint(edge, y));
        QTest::mouseMove(header, QPoint(edge + 5 * frame.metrics().charWidth, y));
        QTest::mouseRelease(header, Qt::LeftButton, {},
                            QPoint(edge + 5 * frame.metrics().charWidth, y));
      })
      .then([&](Window& window, WindowFrame& frame) {
        width =
            dynamic_cast<ListControl&>(*window.control(Rows)).view().format().column(1)->widthUnits;
        auto& box = widgetOf<QAbstractScrollArea>(frame, Rows);
        QPoint at(10, 10);
        QWheelEvent wheel(at, box.viewport()->mapToGlobal(at), QPoint(), QPoint(0, -240),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(box.viewport(), &wheel);
      })
      .then([&](Window& window, WindowFrame&) {
        top = dynamic_cast<ListControl&>(*window.control(Rows)).view().top();
      });
  std::vector<SeenEvent> seen = form.run();
  EXPECT_EQ(width, 80) << "five characters wider";
  EXPECT_GE(countOf(seen, EVENT::ColumnResize, Rows), 1);
  EXPECT_EQ(top, 1u + 2 * ListView::kWheelRows) << "two notches down";
  EXPECT_EQ(countOf(seen, EVENT::ScrollDown, Rows), 1) << "one event for the two notches";
}

TEST(DesktopInput, MessageBoxesAndPopupMenusAnswerTheProcedure) {
  DesktopForm form;
  std::vector<unsigned> answers;
  std::vector<int> choices;
  form.script
      .then(
          [](Window&, WindowFrame& frame) { QTest::keyClick(&frame, Qt::Key_K, Qt::AltModifier); })
      .then(
          [](Window&, WindowFrame& frame) { QTest::keyClick(&frame, Qt::Key_K, Qt::AltModifier); });
  form.script
      .onModal([](QWidget& modal) {
        auto* box = qobject_cast<QMessageBox*>(&modal);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), "Keep the changes?\nThey are not saved yet.");
        EXPECT_EQ(box->windowTitle(), "Question");
        for (QAbstractButton* button : box->buttons()) {
          if (button->text() == "&No") QTest::mouseClick(button, Qt::LeftButton);
        }
      })
      .onModal([](QWidget& modal) {
        auto* menu = qobject_cast<QMenu*>(&modal);
        ASSERT_NE(menu, nullptr);
        QTest::keyClick(menu, Qt::Key_Down);
        QTest::keyClick(menu, Qt::Key_Down);
        QTest::keyClick(menu, Qt::Key_Return);
      })
      .onModal([](QWidget& modal) { QTest::keyClick(&modal, Qt::Key_Escape); })
      .onModal([](QWidget& modal) { QTest::keyClick(&modal, Qt::Key_H); });
  form.run([&](Window&) {
    if (event() != EVENT::Accepted || field() != Ask) return;
    answers.push_back(message("Keep the changes?|They are not saved yet.", "Question",
                              ICON::Question, BUTTON::Yes | BUTTON::No | BUTTON::Cancel));
    choices.push_back(popup("&One|-|&Two|~&Never|T&hree"));
  });
  EXPECT_EQ(answers, (std::vector<unsigned>{BUTTON::No, BUTTON::Cancel}))
      << "No clicked, then Esc on a box with Cancel";
  EXPECT_EQ(choices, (std::vector<int>{3, 5}))
      << "Down twice passes the separator; H chooses Three";
}

TEST(DesktopInput, SizingAndMovingTheWindowGiveTheProcedureTheirEvents) {
  DesktopForm form;
  Rect sized, moved;
  form.script
      .then([](Window&, WindowFrame& frame) {
        frame.resize(frame.metrics().toPixelsX(400), frame.metrics().toPixelsY(240));
      })
      .then([&](Window& window, WindowFrame& frame) {
        sized = window.rect;
        frame.move(frame.metrics().toPixelsX(80), frame.metrics().toPixelsY(64));
      })
      .then([&](Window& window, WindowFrame&) { moved = window.rect; });
  std::vector<SeenEvent> seen = form.run();
  EXPECT_EQ(sized.width, 400);
  EXPECT_EQ(sized.height, 240);
  EXPECT_EQ(countOf(seen, EVENT::Size, 0), 1);
  EXPECT_EQ(countOf(seen, EVENT::Sized, 0), 1);
  EXPECT_EQ(moved.x, 80);
  EXPECT_EQ(moved.y, 64);
  EXPECT_EQ(moved.width, 400) << "moving keeps the size";
  EXPECT_EQ(countOf(seen, EVENT::Move, 0), 1);
  EXPECT_EQ(countOf(seen, EVENT::Moved, 0), 1);
}

}  // namespace
}  // namespace zor::ui::qt
