#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "runtime/date_time.h"
#include "runtime/queue.h"
#include "runtime/type_codes.h"
#include "tests/runtime/queue_test_records.h"
#include "tests/ui/controls_test_forms.h"
#include "tests/ui/list_box/list_test_rows.h"
#include "tests/ui/ui_test_support.h"
#include "ui/base/event_numbers.h"
#include "ui/button_control.h"
#include "ui/edit_control.h"
#include "ui/headless/scripted_input.h"
#include "ui/input.h"
#include "ui/key_codes.h"
#include "ui/option_control.h"
#include "ui/row_control.h"
#include "ui/sheet_control.h"
#include "ui/term/mouse_translation.h"
#include "ui/window_builder.h"
#include "ui/window_painter.h"

namespace zor::ui {
namespace {

using headless::ClickInput;
using headless::deliverInput;
using headless::KeyInput;

// A window opened from a definition, with the events it queues read back
// as (event, field) pairs.
struct Form {
  explicit Form(const WindowDefinition& definition) : window(openWindow(definition)) { drain(); }

  std::vector<std::pair<uint32_t, int>> drain() {
    std::vector<std::pair<uint32_t, int>> events;
    while (auto event = window->acceptState().queue.take()) {
      events.emplace_back(uncarried(event->number), event->field);
    }
    return events;
  }
  void key(uint32_t code, char character = 0) { deliverInput(*window, KeyInput{code, character}); }
  void type(const std::string& text) {
    for (const auto& key : headless::keysFor(text)) deliverInput(*window, key);
  }
  void click(const std::string& use) { EXPECT_EQ(deliverInput(*window, ClickInput{use}), ""); }
  Control& at(const std::string& use) { return *window->find(use); }
  template <class Kind>
  Kind& as(const std::string& use) {
    return dynamic_cast<Kind&>(at(use));
  }

  std::unique_ptr<Window> window;
};

using Events = std::vector<std::pair<uint32_t, int>>;

TEST(Controls, TabOrderSkipsPromptsHiddenDisabledAndRadiosNotChosen) {
  Form form(test::customerForm());
  EXPECT_EQ(form.window->focus, 2);
  std::vector<int> order;
  for (int i = 0; i < 8; ++i) {
    form.key(KEY::Tab);
    order.push_back(form.window->focus);
  }
  // ?AMOUNT, ?BORN, the option group's first radio, ?VIP, ?SAVE, ?CANCEL, wrap.
  EXPECT_EQ(order, (std::vector<int>{4, 6, 8, 10, 12, 13, 2, 4}));
  EXPECT_EQ(form.drain().front(), std::make_pair(EVENT::Selected, 4));
  form.key(KEY::Tab | KEY::Shift);
  EXPECT_EQ(form.window->focus, 2);
  form.key(KEY::Tab | KEY::Shift);
  EXPECT_EQ(form.window->focus, 13) << "Shift+Tab wraps backwards";
  form.at("?NEVER").enabled = true;
  form.at("?SECRET").hidden = false;
  form.at("?CANCEL").skip = true;
  form.key(KEY::Tab);
  EXPECT_EQ(form.window->focus, 14);
  form.key(KEY::Tab | KEY::Shift);
  form.key(KEY::Tab | KEY::Shift);
  EXPECT_EQ(form.window->focus, 11);
}

TEST(Controls, HotKeysPressButtonsAndPromptsSendTheFocusOn) {
  Form form(test::customerForm());
  form.key(KEY::Alt | 'B');
  EXPECT_EQ(form.window->focus, 6) << "the prompt hands the focus to its entry";
  form.key(KEY::Alt | 'S');
  EXPECT_EQ(form.drain(),
            (Events{{EVENT::Selected, 6}, {EVENT::Selected, 12}, {EVENT::Accepted, 12}}));
  form.key(KEY::Alt | 'O');
  EXPECT_EQ(form.as<OptionControl>("?STATUS").contents, "O");
  EXPECT_EQ(form.drain(), (Events{{EVENT::Accepted, 7}, {EVENT::Selected, 9}}));
  form.key(KEY::Alt | 'V');
  form.key(KEY::Alt | 'V');
  EXPECT_EQ(form.at("?VIP").contents, "0") << "ticked, then cleared";
  form.key(KEY::Alt | 'Q');
  EXPECT_EQ(form.drain(),
            (Events{{EVENT::Selected, 10}, {EVENT::Accepted, 10}, {EVENT::Accepted, 10}}));
}

TEST(Controls, EnterAcceptsTheEntryThenPressesTheDefaultButton) {
  Form form(test::customerForm());
  std::string stored;
  form.at("?NAME").bind(
      {[] { return std::string("Ada"); }, [&](const std::string& v) { stored = v; }});
  form.at("?NAME").display();
  form.key(KEY::Enter);
  EXPECT_EQ(form.drain(), (Events{{EVENT::Accepted, 12}})) << "an unchanged entry raises nothing";
  form.type("Grace");
  form.key(KEY::Enter);
  EXPECT_EQ(stored, "Grace");
  EXPECT_EQ(form.drain(), (Events{{EVENT::Accepted, 2}, {EVENT::Accepted, 12}}));
  form.key(KEY::Tab);
  form.key(KEY::Escape);
  EXPECT_EQ(form.drain(), (Events{{EVENT::Selected, 4}, {EVENT::CloseWindow, 0}}));
  form.at("?SAVE").hidden = true;
  form.key(KEY::Enter);
  EXPECT_TRUE(form.drain().empty()) << "a hidden default button is not pressed";
  form.click("?CANCEL");
  form.key(KEY::Space);
  form.key(KEY::Enter);
  EXPECT_EQ(form.drain(), (Events{{EVENT::Selected, 13},
                                  {EVENT::Accepted, 13},
                                  {EVENT::Accepted, 13},
                                  {EVENT::Accepted, 13}}));
}

TEST(Controls, EntriesShowTheirValueThroughThePictureAndReadItBack) {
  Form form(test::customerForm());
  auto& amount = form.as<EditControl>("?AMOUNT");
  std::string value = "1234.5";
  amount.bind({[&] { return value; }, [&](const std::string& v) { value = v; }});
  amount.display();
  EXPECT_EQ(amount.shownText(false), " 1,234.50");
  form.key(KEY::Tab);
  EXPECT_EQ(amount.editText(), "1,234.50") << "entering the field selects its trimmed text";
  form.type("98765.4");
  form.key(KEY::Tab);
  EXPECT_EQ(value, "98765.4");
  EXPECT_EQ(amount.shownText(false), "98,765.40");
  EXPECT_EQ(form.drain(),
            (Events{{EVENT::Selected, 4}, {EVENT::Accepted, 4}, {EVENT::Selected, 6}}));

  // Text the picture cannot read is rejected and kept for correcting.
  form.key(KEY::Tab | KEY::Shift);
  form.type("12x");
  form.key(KEY::Tab);
  EXPECT_EQ(form.window->focus, 4);
  EXPECT_EQ(amount.editText(), "12x");
  EXPECT_EQ(value, "98765.4");
  form.key(KEY::Backspace);
  form.key(KEY::Tab);
  EXPECT_EQ(value, "12");
  EXPECT_EQ(
      form.drain(),
      (Events{
          {EVENT::Selected, 4}, {EVENT::Rejected, 4}, {EVENT::Accepted, 4}, {EVENT::Selected, 6}}));

  // Dates are typed as the picture shows them and stored as standard dates.
  auto& born = form.as<EditControl>("?BORN");
  std::string date;
  born.bind({[&] { return date; }, [&](const std::string& v) { date = v; }});
  form.type("25/12/1999");
  form.key(KEY::Tab);
  EXPECT_EQ(date, std::to_string(dateFromMonthDayYear(12, 25, 1999)));
  EXPECT_EQ(born.shownText(false), "25/12/1999");
  form.key(KEY::Tab | KEY::Shift);
  form.type("45/13/1999");
  form.key(KEY::Tab);
  EXPECT_EQ(form.window->focus, 6) << "no such date";
}

TEST(Controls, TypingStopsAtThePictureWidthAndEditingKeysWork) {
  Form form(test::customerForm());
  auto& name = form.as<EditControl>("?NAME");
  form.type("Bartholomew Jones");
  EXPECT_EQ(name.editText(), "Bartholome") << "@s10 takes ten characters";
  form.key(KEY::Home);
  form.key(KEY::Delete);
  form.key(KEY::End);
  form.key(KEY::Backspace);
  form.key(KEY::Left);
  form.type("!");
  EXPECT_EQ(name.editText(), "artholo!m");
  name.setProperty(PROP::Text, "far too long for it");
  EXPECT_EQ(name.editText(), "artholo!m") << "text longer than the field is refused whole";
  name.readOnly = true;
  form.type("zz");
  EXPECT_EQ(name.editText(), "artholo!m");
}

TEST(Controls, OptionGroupsChooseByClickArrowAndVariable) {
  Form form(test::customerForm());
  auto& status = form.as<OptionControl>("?STATUS");
  std::string variable = "O";
  status.bind({[&] { return variable; }, [&](const std::string& v) { variable = v; }});
  status.display();
  EXPECT_TRUE(form.as<ButtonControl>("?OBSOLETE").checked());
  EXPECT_EQ(status.property(PROP::Selected), "2");
  for (int i = 0; i < 3; ++i) form.key(KEY::Tab);
  EXPECT_EQ(form.window->focus, 9) << "the group's stop is its chosen radio";
  form.key(KEY::Up);
  EXPECT_EQ(variable, "A");
  EXPECT_EQ(form.window->focus, 8);
  form.click("?ACTIVE");
  form.click("?OBSOLETE");
  EXPECT_EQ(variable, "O");
  Events events = form.drain();
  EXPECT_EQ(std::count(events.begin(), events.end(), std::make_pair(EVENT::Accepted, 7)), 2)
      << "choosing the chosen radio again changes nothing";
  form.as<ButtonControl>("?OBSOLETE").enabled = false;
  form.click("?ACTIVE");
  form.key(KEY::Down);
  EXPECT_EQ(variable, "A") << "a disabled radio is passed over";
}

TEST(Controls, SheetsChangeTabsAndHideTheOtherTabsControls) {
  Form form(test::sheetForm());
  auto& sheet = form.as<SheetControl>("?SHEET");
  EXPECT_EQ(sheet.selectedIndex(), 1);
  form.key(KEY::Tab);
  form.key(KEY::Tab);
  EXPECT_EQ(form.window->focus, 7) << "?SECOND lies on the hidden tab";
  form.click("?TAB2");
  EXPECT_EQ(sheet.selectedIndex(), 2);
  EXPECT_EQ(form.drain(), (Events{{EVENT::Selected, 4},
                                  {EVENT::Selected, 7},
                                  {EVENT::TabChanging, 1},
                                  {EVENT::NewSelection, 1}}));
  form.key(KEY::Tab);
  EXPECT_EQ(form.window->focus, 6);
  form.key(KEY::Ctrl | KEY::Tab);
  EXPECT_EQ(sheet.selectedIndex(), 1);
  EXPECT_EQ(form.window->focus, 3) << "the focus follows into the new tab";
  form.key(KEY::Alt | 'M');
  EXPECT_EQ(sheet.selectedIndex(), 2);
  EXPECT_EQ(sheet.property(PROP::Selected), "2");
}

TEST(Controls, ClicksFollowTheRulesOfTheKeys) {
  Form form(test::customerForm());
  form.click("?BORN:PROMPT");
  EXPECT_EQ(form.window->focus, 6) << "a prompt hands the focus on";
  form.click("?NEVER");
  EXPECT_EQ(form.window->focus, 6) << "a disabled button takes no click";
  EXPECT_EQ(form.drain(), (Events{{EVENT::Selected, 6}}));

  // A press on one button and a release on another is no click.
  Cell save{27, 9}, cancel{40, 9};  // client cells
  form.window->onMessage({form.window->handle(), WM_LBUTTONDOWN, 0, packCell(save)});
  form.window->onMessage({form.window->handle(), WM_LBUTTONUP, 0, packCell(cancel)});
  EXPECT_EQ(form.drain(), (Events{{EVENT::Selected, 12}}));

  // An entry the picture cannot read keeps the focus against a click.
  form.click("?AMOUNT");
  form.type("abc");
  form.click("?CANCEL");
  EXPECT_EQ(form.window->focus, 4);
  EXPECT_EQ(form.drain(), (Events{{EVENT::Selected, 4}, {EVENT::Rejected, 4}}));
  form.key(KEY::Escape);
  EXPECT_EQ(form.drain(), (Events{{EVENT::CloseWindow, 0}}));
}

TEST(Controls, TextBoxesTakeSeveralLines) {
  WindowDefinition definition = test::customerForm();
  definition.controls.insert(definition.controls.begin(),
                             test::made(ControlKind::Text, "?NOTES", "", {100, 40, 60, 24}));
  numberControls(definition);
  Form form(definition);
  auto& notes = form.as<EditControl>("?NOTES");
  std::string stored;
  notes.bind({[] { return std::string(); }, [&](const std::string& v) { stored = v; }});
  EXPECT_EQ(form.window->focus, 1);
  form.type("first");
  form.key(KEY::Enter);
  form.type("second");
  form.key(KEY::Up);
  form.type("!");
  EXPECT_EQ(notes.editText(), "first!\nsecond") << "Up keeps the column as far as the line allows";
  form.key(KEY::Home);
  form.type(">");
  EXPECT_EQ(notes.editText(), ">first!\nsecond");
  EXPECT_TRUE(form.drain().empty()) << "Enter stays inside a text box";
  form.key(KEY::Tab);
  EXPECT_EQ(stored, ">first!\nsecond");
  EXPECT_EQ(form.drain(), (Events{{EVENT::Accepted, 1}, {EVENT::Selected, 3}}));
}

// A queue of twenty names, "row 1" to "row 20".
struct Names {
  Names() : queue({makeField("NAME", kCString, 0, 16)}, 16) {
    for (int i = 1; i <= 20; ++i) {
      char record[16] = {};
      std::snprintf(record, sizeof record, "row %d", i);
      queue.add(reinterpret_cast<const uint8_t*>(record));
    }
  }
  Queue queue;
};

TEST(Controls, ListsMoveTheirSelectionAndRaiseTheirEvents) {
  Form form(test::sheetForm());
  Names names;
  auto& list = form.as<ListControl>("?LIST");
  list.setProperty(PROP::Format, "60L~Name~@s15@");
  list.setQueue(&names.queue);
  list.setProperty(PROP::Choice, "1");
  form.key(KEY::Tab);
  form.key(KEY::Down);
  form.key(KEY::End);
  EXPECT_EQ(list.choice(), 20u);
  form.key(KEY::Home);
  EXPECT_EQ(list.property(PROP::Choice), "1");
  EXPECT_EQ(form.drain(), (Events{{EVENT::Selected, 4}, {EVENT::NewSelection, 4}}))
      << "pending NewSelection events of one list merge";
  form.key(KEY::Up);
  EXPECT_EQ(form.drain(), (Events{{EVENT::ScrollUp, 4}})) << "blocked at the first row";
  // The list's cells are rows 4-7 of the client area: frame, header, one
  // row, frame; on the window's canvas one more for the window frame.
  deliverInput(*form.window, ClickInput{"", {3, 7}, true});
  EXPECT_EQ(form.drain(), (Events{{EVENT::Accepted, 4}}));
  list.setProperty(PROP::Format, "60L~Name");
  EXPECT_EQ(list.property(PROP::Format), "60L~Name~@s15@")
      << "a format that does not read is refused";

  WindowDefinition broken = test::sheetForm();
  broken.controls[0].children[0].children[1].format = "60L~Name";
  EXPECT_EQ(test::fatalCodeOf([&] { buildWindow(broken); }), 529);
}

// The scrolling list form with twenty rows. On the window's canvas the
// list's header line is row 2, its rows 3-7; the bar is column 25 (arrows
// on rows 2 and 7); the first column's right edge is column 12.
struct Browse : Form {
  Browse() : Form(test::scrollingListForm()), list(as<ListControl>("?LIST")) {
    list.setQueue(&rows.queue);
  }
  void send(const headless::Input& input) { EXPECT_EQ(deliverInput(*window, input), ""); }
  void clickAt(int x, int y) { send(ClickInput{"", {x, y}}); }
  size_t top() const { return list.view().top(); }

  test::TwoColumns rows;
  ListControl& list;
};

TEST(ListControl, HeaderClicksRaiseHeaderPressedWithTheColumn) {
  Browse browse;
  browse.drain();
  browse.clickAt(14, 2);
  EXPECT_EQ(browse.drain(), (Events{{EVENT::HeaderPressed, 1}}));
  EXPECT_EQ(browse.list.property(PROP::HeaderColumn), "2");
  EXPECT_EQ(browse.list.choice(), 0u) << "a header click selects no row";
  browse.list.setProperty(PROP::HeaderColumn, "7");
  EXPECT_EQ(browse.list.headerColumn(), 2) << "only clicks set the column";
  // A press on the resizable column's edge that does not move is a click.
  browse.clickAt(12, 2);
  EXPECT_EQ(browse.drain(), (Events{{EVENT::HeaderPressed, 1}}));
  EXPECT_EQ(browse.list.headerColumn(), 1);
}

TEST(ListControl, TheScrollBarShowsOnlyWhenRowsDoNotFitAndItsClicksScroll) {
  Browse browse;
  std::optional<ListScrollBar> bar = browse.list.scrollBar();
  ASSERT_TRUE(bar.has_value());
  EXPECT_EQ(bar->length, 6);
  EXPECT_EQ(bar->thumb, 1);
  EXPECT_EQ(browse.list.view().width(), 22) << "the bar takes a column from the rows";
  Canvas canvas = paintWindow(*browse.window);
  EXPECT_EQ(canvas.row(2).substr(25, 1), "^");
  EXPECT_EQ(canvas.row(3).substr(25, 1), "#");
  EXPECT_EQ(canvas.row(7).substr(25, 1), "v");
  browse.drain();

  browse.clickAt(25, 7);
  EXPECT_EQ(browse.top(), 2u);
  browse.clickAt(25, 6);  // the track below the thumb
  EXPECT_EQ(browse.top(), 7u);
  browse.clickAt(25, 3);  // now above the thumb
  EXPECT_EQ(browse.top(), 2u);
  browse.send(ClickInput{"", {25, 2}, true});
  EXPECT_EQ(browse.top(), 1u) << "a double click on the bar is two clicks, no Accepted";
  EXPECT_EQ(browse.drain(), (Events{{EVENT::ScrollDown, 1},
                                    {EVENT::PageDown, 1},
                                    {EVENT::PageUp, 1},
                                    {EVENT::ScrollUp, 1},
                                    {EVENT::ScrollUp, 1}}));
  EXPECT_EQ(browse.list.choice(), 0u) << "the bar moves the rows, not the highlight";

  test::TwoColumns few(5);
  browse.list.setQueue(&few.queue);
  EXPECT_FALSE(browse.list.scrollBar().has_value()) << "five rows fit";
  EXPECT_EQ(browse.list.view().width(), 23);
}

TEST(ListControl, TheWheelScrollsUpForPositiveNotches) {
  Browse browse;
  browse.list.view().setTop(10);
  browse.drain();
  browse.send(headless::WheelInput{{5, 4}, 1});
  EXPECT_EQ(browse.top(), 10u - ListView::kWheelRows);
  browse.send(headless::WheelInput{{5, 4}, -2});
  EXPECT_EQ(browse.top(), 10u + ListView::kWheelRows);
  EXPECT_EQ(browse.drain(), (Events{{EVENT::ScrollUp, 1}, {EVENT::ScrollDown, 1}}));

  // The terminal's wheel reports, translated the way its front end does:
  // screen cells less the window's origin (here 0, 0 and the frame).
  term::MouseTracker mouse;
  auto deliver = [&](term::MouseReport report) {
    for (const term::MouseMessage& m : mouse.report(report, {5, 4}, 0)) {
      Message message;
      message.window = browse.window->handle();
      message.message = m.message;
      message.wParam = m.wParam;
      message.lParam = packCell({m.cell.x - 1, m.cell.y - 1});
      browse.window->onMessage(message);
    }
  };
  deliver(term::MouseReport::WheelUp);
  EXPECT_EQ(browse.top(), 10u) << "a wheel up in the terminal scrolls up";
  deliver(term::MouseReport::WheelDown);
  EXPECT_EQ(browse.top(), 10u + ListView::kWheelRows);
}

TEST(ListControl, DragsMoveTheThumbAndResizeMColumns) {
  Browse browse;
  browse.drain();
  browse.send(headless::DragInput{{25, 3}, {25, 6}});
  EXPECT_EQ(browse.top(), 16u) << "the thumb dragged to the track's end shows the last rows";
  EXPECT_EQ(browse.list.view().thumbPosition(), 100);
  browse.send(headless::DragInput{{25, 6}, {25, 4}});
  EXPECT_EQ(browse.list.view().thumbPosition(), 33);
  EXPECT_EQ(browse.top(), 6u);
  EXPECT_EQ(browse.drain(), (Events{{EVENT::ScrollDrag, 1}, {EVENT::ScrollDrag, 1}}));

  const ListColumn& name = *browse.list.view().format().column(1);
  browse.send(headless::DragInput{{14, 2}, {5, 2}});
  EXPECT_EQ(browse.list.view().format().column(2)->width, 15)
      << "the second column is not resizable: the press is a header click";
  browse.send(headless::DragInput{{12, 2}, {16, 2}});
  EXPECT_EQ(name.width, 14);
  EXPECT_EQ(browse.list.view().format().column(2)->left, 14) << "the next column moves along";
  browse.send(headless::DragInput{{16, 2}, {40, 2}});
  EXPECT_EQ(name.width, 38) << "the drag may leave the list";
  EXPECT_EQ(
      browse.drain(),
      (Events{{EVENT::HeaderPressed, 1}, {EVENT::ColumnResize, 1}, {EVENT::ColumnResize, 1}}));
}

// A front end that draws its own scroll bars reports their use as
// WM_VSCROLL and WM_HSCROLL; the list acts as on its drawn bar.
TEST(ListControl, ScrollMessagesOfAFrontEndsOwnBarsScrollTheList) {
  Browse browse;
  browse.drain();
  auto scroll = [&](uint32_t message, int action, int position = 0) {
    Message m;
    m.window = browse.window->handle();
    m.message = message;
    m.wParam = packScroll(action, position);
    m.lParam = browse.list.field();
    browse.window->onMessage(m);
  };
  scroll(WM_VSCROLL, SB::LineDown);
  EXPECT_EQ(browse.top(), 2u);
  scroll(WM_VSCROLL, SB::PageDown);
  EXPECT_EQ(browse.top(), 7u);
  scroll(WM_VSCROLL, SB::ThumbTrack, 100);
  EXPECT_EQ(browse.top(), 16u) << "the thumb at the end shows the last rows";
  scroll(WM_VSCROLL, SB::Top);
  EXPECT_EQ(browse.top(), 1u);
  EXPECT_EQ(browse.drain(), (Events{{EVENT::ScrollDown, 1},
                                    {EVENT::PageDown, 1},
                                    {EVENT::ScrollDrag, 1},
                                    {EVENT::ScrollTop, 1}}));
  scroll(WM_HSCROLL, SB::LineDown);
  scroll(WM_HSCROLL, SB::LineDown);
  EXPECT_EQ(browse.list.view().horizontalOffset(), 2);
  scroll(WM_HSCROLL, SB::Bottom);
  int widest = browse.list.view().format().totalWidth - browse.list.view().width();
  EXPECT_EQ(browse.list.view().horizontalOffset(), widest);
  scroll(WM_HSCROLL, SB::ThumbTrack, 3);
  EXPECT_EQ(browse.list.view().horizontalOffset(), 3);
  EXPECT_TRUE(browse.drain().empty()) << "moving sideways raises nothing";
  browse.list.hidden = true;
  scroll(WM_VSCROLL, SB::LineDown);
  EXPECT_EQ(browse.top(), 1u) << "a hidden list takes no scrolling";
}

TEST(Controls, EntriesTakeLatin1Characters) {
  Form form(test::customerForm());
  form.click("?NAME");
  form.type("Zo\xEB \xC5s");
  EXPECT_EQ(form.as<EditControl>("?NAME").editText(), "Zo\xEB \xC5s");
}

}  // namespace
}  // namespace zor::ui
