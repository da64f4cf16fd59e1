// The terminal's message box and popup menu: layout, keys and clicks.

#include <gtest/gtest.h>

#include "platform/message_box.h"
#include "ui/key_codes.h"
#include "ui/menu_string.h"
#include "ui/message_box_buttons.h"
#include "ui/statements.h"
#include "ui/term/message_box_view.h"
#include "ui/term/popup_menu_view.h"

namespace zor::ui::term {
namespace {

KeyStroke key(uint32_t code, char character = 0) {
  return {code, character};
}

MessageBoxContent yesNoCancel() {
  return {"Save the changes?|The list has changed.",
          "Question",
          platform::MB_ICONQUESTION,
          {BUTTON::Yes, BUTTON::No, BUTTON::Cancel},
          BUTTON::No};
}

TEST(TermMessageBox, ButtonCodesAndPlatformAnswersMapBothWays) {
  for (unsigned button : {BUTTON::Ok, BUTTON::Yes, BUTTON::No, BUTTON::Abort, BUTTON::Retry,
                          BUTTON::Ignore, BUTTON::Cancel, kHelpButton}) {
    EXPECT_EQ(buttonOfAnswer(answerOfButton(button)), button);
    EXPECT_FALSE(buttonText(button).empty());
  }
  EXPECT_EQ(answerOfButton(BUTTON::Yes), platform::IDYES);
  EXPECT_EQ(answerOfButton(BUTTON::No), platform::IDNO);
  EXPECT_EQ(answerOfButton(BUTTON::Cancel), platform::IDCANCEL);
  EXPECT_EQ(buttonText(BUTTON::Ok), "O&k");
  EXPECT_EQ(buttonText(kHelpButton), "&Help");
  EXPECT_EQ(buttonsOfMask(BUTTON::Yes | BUTTON::No | BUTTON::Cancel | kHelpButton),
            (std::vector<unsigned>{BUTTON::Yes, BUTTON::No, BUTTON::Cancel, kHelpButton}));
  EXPECT_EQ(buttonsOfMask(0), std::vector<unsigned>{BUTTON::Ok});
  EXPECT_EQ(buttonsOfFlags(platform::MB_ABORTRETRYIGNORE),
            (std::vector<unsigned>{BUTTON::Abort, BUTTON::Retry, BUTTON::Ignore}));
  EXPECT_EQ(defaultButtonOfFlags(platform::MB_YESNO | platform::MB_DEFBUTTON2), BUTTON::No);
  EXPECT_EQ(defaultButtonOfFlags(platform::MB_OK | platform::MB_DEFBUTTON3), BUTTON::Ok);
}

TEST(TermMessageBox, DrawsCaptionIconLinesAndButtonsInTheMiddle) {
  MessageBoxView box(yesNoCancel(), 60, 15);
  EXPECT_EQ(box.lines(), (std::vector<std::string>{"Save the changes?", "The list has changed."}));
  Canvas canvas(60, 15);
  box.paint(canvas);
  Rect area = box.area();
  EXPECT_EQ(area.height, 7);
  EXPECT_EQ(area.x, (60 - area.width) / 2);
  std::string text = canvas.text();
  EXPECT_NE(text.find("+- Question -"), std::string::npos) << text;
  EXPECT_NE(text.find("(?) Save the changes?"), std::string::npos) << text;
  EXPECT_NE(text.find("    The list has changed."), std::string::npos) << text;
  // The default button has the focus.
  EXPECT_NE(text.find("[ Yes ]  [>No<]  [ Cancel ]"), std::string::npos) << text;
  EXPECT_EQ(box.focusedButton(), BUTTON::No);
}

TEST(TermMessageBox, KeysMoveTheFocusAndPressButtons) {
  MessageBoxView box(yesNoCancel(), 80, 24);
  EXPECT_EQ(box.key(key(KEY::Right)), 0u);
  EXPECT_EQ(box.focusedButton(), BUTTON::Cancel);
  box.key(key(KEY::Tab));  // wraps round
  EXPECT_EQ(box.focusedButton(), BUTTON::Yes);
  box.key(key(KEY::Shift | KEY::Tab));
  EXPECT_EQ(box.focusedButton(), BUTTON::Cancel);
  box.key(key(KEY::Left));
  EXPECT_EQ(box.key(key(KEY::Enter)), BUTTON::No);
  EXPECT_EQ(box.key(key(KEY::Space, ' ')), BUTTON::No);
  EXPECT_EQ(box.key(key('Y', 'y')), BUTTON::Yes);
  EXPECT_EQ(box.key(key(KEY::Alt | 'C')), BUTTON::Cancel);
  EXPECT_EQ(box.key(key(KEY::Ctrl | 'Y')), 0u);
  EXPECT_EQ(box.key(key('Q', 'q')), 0u);
  EXPECT_EQ(box.key(key(KEY::Escape)), BUTTON::Cancel);
}

TEST(TermMessageBox, EscapeNeedsACancelOrALoneOk) {
  MessageBoxView yesNo({"Sure?", "", 0, {BUTTON::Yes, BUTTON::No}, 0}, 80, 24);
  EXPECT_EQ(yesNo.key(key(KEY::Escape)), 0u);
  EXPECT_EQ(yesNo.focusedButton(), BUTTON::Yes);  // no default: the first
  MessageBoxView ok({"Done", "", 0, {}, 0}, 80, 24);
  EXPECT_EQ(ok.key(key(KEY::Escape)), BUTTON::Ok);
  EXPECT_EQ(ok.key(key('K', 'k')), BUTTON::Ok);  // "O&k"
}

TEST(TermMessageBox, ClicksPressTheButtonUnderThePointer) {
  MessageBoxView box(yesNoCancel(), 80, 24);
  Canvas canvas(80, 24);
  box.paint(canvas);
  int row = box.area().y + box.area().height - 2;
  std::string line = canvas.row(row);
  int cancel = static_cast<int>(line.find("Cancel"));
  EXPECT_EQ(box.click({cancel, row}), BUTTON::Cancel);
  EXPECT_EQ(box.click({cancel, row - 1}), 0u);
  EXPECT_EQ(box.click({0, 0}), 0u);
}

TEST(TermMessageBox, LongTextWrapsAndTheBoxFitsSmallScreens) {
  EXPECT_EQ(wrapText("one two three", 8), (std::vector<std::string>{"one two", "three"}));
  EXPECT_EQ(wrapText("abcdefghij", 4), (std::vector<std::string>{"abcd", "efgh", "ij"}));
  EXPECT_EQ(wrapText("a||b\nc", 10), (std::vector<std::string>{"a", "", "b", "c"}));
  MessageBoxView box({std::string(300, 'x'), "Long", 0, {BUTTON::Ok}, 0}, 30, 10);
  Rect area = box.area();
  EXPECT_LE(area.x + area.width, 30);
  EXPECT_LE(area.y + area.height, 10);
  Canvas canvas(30, 10);
  box.paint(canvas);  // clipped, not past the canvas
  box.layout(100, 40);
  EXPECT_LE(box.area().width, 100);
  EXPECT_GT(box.area().width, 30);
}

TEST(TermPopup, PositionsCountSeparatorsAndSubmenuHeaders) {
  auto items = parseMenu("&Insert|~&Delete|-|&More{&One|+&Two}|[(~ICON)]&Help");
  ASSERT_EQ(items.size(), 5u);
  EXPECT_EQ(items[0].text, "&Insert");
  EXPECT_EQ(items[0].position, 1);
  EXPECT_TRUE(items[1].disabled);
  EXPECT_TRUE(items[2].separator);
  EXPECT_EQ(items[3].position, 4);
  ASSERT_EQ(items[3].children.size(), 2u);
  EXPECT_EQ(items[3].children[0].position, 5);
  EXPECT_TRUE(items[3].children[1].checked);
  EXPECT_EQ(items[3].children[1].text, "&Two");
  EXPECT_EQ(items[4].position, 7);
  EXPECT_EQ(items[4].icon, "(~ICON)");
  EXPECT_EQ(items[4].text, "&Help");
}

TEST(TermPopup, SubmenusOpenAfterTheTextOrAtTheNextItem) {
  auto joined = parseMenu("A|B|{C|D}|E");
  auto attached = parseMenu("A|B{C|D}|E");
  for (const auto& items : {joined, attached}) {
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[1].text, "B");
    ASSERT_EQ(items[1].children.size(), 2u);
    EXPECT_EQ(items[1].children[1].position, 4);
    EXPECT_EQ(items[2].position, 5);
  }
  // Prefixes in any order, nested submenus, and forgiven braces.
  auto mixed = parseMenu("+~X|Y{Z{W}}}|V");
  EXPECT_TRUE(mixed[0].checked && mixed[0].disabled);
  EXPECT_EQ(mixed[1].children[0].children[0].text, "W");
  ASSERT_EQ(mixed.size(), 3u) << "braces closing together make no entries of their own";
  EXPECT_EQ(mixed[1].children.size(), 1u);
  EXPECT_EQ(mixed.back().text, "V");
  EXPECT_EQ(mixed.back().position, 5);
  EXPECT_EQ(parseMenu("A{B").front().children.front().text, "B");
  EXPECT_TRUE(parseMenu("").empty());
}

PopupMenuView menuView() {
  return PopupMenuView(parseMenu("~&Off|&Insert|-|&Change|&More{&One|&Two}"), {10, 5}, 80, 24);
}

TEST(TermPopup, KeysSkipWhatCannotBeChosenAndAnswerPositions) {
  PopupMenuView menu = menuView();
  EXPECT_EQ(menu.highlighted()->text, "&Insert");  // the disabled item is skipped
  EXPECT_FALSE(menu.key(key(KEY::Down)));
  EXPECT_EQ(menu.highlighted()->text, "&Change");  // and the separator
  menu.key(key(KEY::Down));
  menu.key(key(KEY::Down));
  EXPECT_EQ(menu.highlighted()->text, "&Insert");  // wraps round
  menu.key(key(KEY::End));
  EXPECT_EQ(menu.highlighted()->text, "&More");
  EXPECT_FALSE(menu.key(key(KEY::Enter)));  // opens the submenu
  EXPECT_EQ(menu.depth(), 2u);
  menu.key(key(KEY::Down));
  EXPECT_EQ(menu.key(key(KEY::Enter)), 7);
}

TEST(TermPopup, EscapeAndLeftCloseSubmenusThenEscapeCancels) {
  PopupMenuView menu = menuView();
  menu.key(key('M', 'm'));  // the hot key opens the submenu
  EXPECT_EQ(menu.depth(), 2u);
  menu.key(key(KEY::Left));
  EXPECT_EQ(menu.depth(), 1u);
  menu.key(key(KEY::Right));
  EXPECT_EQ(menu.depth(), 2u);
  EXPECT_FALSE(menu.key(key(KEY::Escape)));
  EXPECT_EQ(menu.key(key(KEY::Escape)), 0);
  PopupMenuView hot = menuView();
  EXPECT_EQ(hot.key(key(KEY::Alt | 'C')), 4);
  EXPECT_FALSE(hot.key(key('O', 'o')));  // disabled
}

TEST(TermPopup, ClicksChooseOpenOrCancel) {
  PopupMenuView menu = menuView();
  Rect box = menu.box(0);
  EXPECT_EQ(box.x, 10);
  EXPECT_EQ(menu.click({box.x + 2, box.y + 2}), 2);  // "Insert"
  EXPECT_FALSE(menu.click({box.x + 2, box.y + 1}));  // disabled
  EXPECT_FALSE(menu.click({box.x + 2, box.y + 3}));  // separator
  EXPECT_FALSE(menu.click({box.x + 2, box.y + 5}));  // opens "More"
  ASSERT_EQ(menu.depth(), 2u);
  Rect sub = menu.box(1);
  EXPECT_EQ(sub.x, box.x + box.width);
  EXPECT_EQ(menu.click({sub.x + 2, sub.y + 1}), 6);
  EXPECT_EQ(menu.click({0, 0}), 0);
}

TEST(TermPopup, BoxesStayOnTheScreenAndPaintTheirItems) {
  PopupMenuView menu(parseMenu("&Alpha|B{&One}|+&Checked"), {78, 22}, 80, 24);
  Rect box = menu.box(0);
  EXPECT_LE(box.x + box.width, 80);
  EXPECT_LE(box.y + box.height, 24);
  menu.key(key(KEY::Down));
  menu.key(key(KEY::Right));
  ASSERT_EQ(menu.depth(), 2u);
  EXPECT_LT(menu.box(1).x, box.x);  // no room on the right: to the left
  Canvas canvas(80, 24);
  menu.paint(canvas);
  std::string text = canvas.text();
  EXPECT_NE(text.find("|   Alpha     |"), std::string::npos) << text;
  EXPECT_NE(text.find("|   B       > |"), std::string::npos) << text;
  EXPECT_NE(text.find("| * Checked   |"), std::string::npos) << text;
}

}  // namespace
}  // namespace zor::ui::term
