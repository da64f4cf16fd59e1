// Key and mouse translation of the terminal front end.

#define NCURSES_NOMACROS
#include <curses.h>
#include <gtest/gtest.h>

#include "ui/key_codes.h"
#include "ui/term/key_translation.h"
#include "ui/term/mouse_translation.h"

namespace zor::ui::term {
namespace {

uint32_t codeOf(uint32_t wide, bool alt = false) {
  auto stroke = translateCharacter(wide, alt);
  return stroke ? stroke->code : 0xFFFFFFFF;
}

uint32_t codeOfKey(int key, std::string_view name = {}, bool alt = false) {
  auto stroke = translateFunctionKey(key, name, alt);
  return stroke ? stroke->code : 0xFFFFFFFF;
}

TEST(TermKeys, ControlBytesAreTheRuntimesKeys) {
  EXPECT_EQ(codeOf('\t'), 9u);
  EXPECT_EQ(codeOf('\r'), 0x0Du);
  EXPECT_EQ(codeOf('\n'), 0x0Du);
  EXPECT_EQ(codeOf(0x1B), 0x1Bu);
  // DEL is the Backspace key, BS is Ctrl+H.
  EXPECT_EQ(codeOf(0x7F), KEY::Backspace);
  EXPECT_EQ(codeOf(0x08), 584u);
  EXPECT_EQ(codeOf(0x01), KEY::Ctrl | 'A');
  EXPECT_EQ(codeOf(0x1A), KEY::Ctrl | 'Z');
  EXPECT_EQ(codeOf(0x00), KEY::Ctrl | KEY::Space);
  EXPECT_FALSE(translateCharacter(0x1C, false));  // Ctrl+\ has no key code
  EXPECT_EQ(translateCharacter('\t', false)->character, 0);
}

TEST(TermKeys, PrintableCharactersTypeThemselves) {
  EXPECT_EQ(translateCharacter('a', false), (KeyStroke{'A', 'a'}));
  EXPECT_EQ(translateCharacter('A', false), (KeyStroke{KEY::Shift | 'A', 'A'}));
  EXPECT_EQ(translateCharacter('7', false), (KeyStroke{'7', '7'}));
  EXPECT_EQ(translateCharacter(' ', false), (KeyStroke{KEY::Space, ' '}));
  // Characters without a key of their own still type.
  EXPECT_EQ(translateCharacter('!', false), (KeyStroke{0, '!'}));
  // Latin-1 is the runtime's single-byte text; beyond it nothing types.
  EXPECT_EQ(translateCharacter(0xE9, false)->character, static_cast<char>(0xE9));
  EXPECT_FALSE(translateCharacter(0x20AC, false));
  EXPECT_FALSE(translateCharacter(0x85, false));
}

TEST(TermKeys, AltMakesHotKeysWithoutTyping) {
  EXPECT_EQ(translateCharacter('s', true), (KeyStroke{KEY::Alt | 'S', 0}));
  EXPECT_EQ(translateCharacter('S', true), (KeyStroke{KEY::Alt | 'S', 0}));
  EXPECT_EQ(codeOf('1', true), KEY::Alt | '1');
  EXPECT_EQ(codeOf(0x1B, true), KEY::Alt | KEY::Escape);
  EXPECT_FALSE(translateCharacter('!', true));
}

TEST(TermKeys, CursesKeysMapOntoVirtualKeys) {
  EXPECT_EQ(codeOfKey(KEY_UP), 0x26u);
  EXPECT_EQ(codeOfKey(KEY_DOWN), 0x28u);
  EXPECT_EQ(codeOfKey(KEY_LEFT), KEY::Left);
  EXPECT_EQ(codeOfKey(KEY_RIGHT), KEY::Right);
  EXPECT_EQ(codeOfKey(KEY_HOME), KEY::Home);
  EXPECT_EQ(codeOfKey(KEY_END), KEY::End);
  EXPECT_EQ(codeOfKey(KEY_PPAGE), KEY::PageUp);
  EXPECT_EQ(codeOfKey(KEY_NPAGE), KEY::PageDown);
  EXPECT_EQ(codeOfKey(KEY_IC), kInsert);
  EXPECT_EQ(codeOfKey(KEY_DC), KEY::Delete);
  EXPECT_EQ(codeOfKey(KEY_BTAB), 0x109u);
  EXPECT_EQ(codeOfKey(KEY_ENTER), KEY::Enter);
  EXPECT_EQ(codeOfKey(KEY_SR), KEY::Shift | KEY::Up);
  EXPECT_EQ(codeOfKey(KEY_SDC), KEY::Shift | KEY::Delete);
  EXPECT_EQ(codeOfKey(KEY_UP, "", true), KEY::Alt | KEY::Up);
  EXPECT_EQ(codeOfKey(KEY_RESIZE), 0xFFFFFFFFu);
}

TEST(TermKeys, FunctionKeysAndTheirModifierBanks) {
  EXPECT_EQ(codeOfKey(KEY_F(1)), 0x70u);
  EXPECT_EQ(codeOfKey(KEY_F(12)), 0x7Bu);
  EXPECT_EQ(codeOfKey(KEY_F(13)), KEY::Shift | 0x70u);
  EXPECT_EQ(codeOfKey(KEY_F(26)), KEY::Ctrl | 0x71u);
  EXPECT_EQ(codeOfKey(KEY_F(48)), KEY::Ctrl | KEY::Shift | 0x7Bu);
  EXPECT_EQ(codeOfKey(KEY_F(49)), KEY::Alt | 0x70u);
}

TEST(TermKeys, ExtendedKeyNamesCarryXtermModifiers) {
  constexpr int kSomeExtendedKey = KEY_MAX + 1;
  EXPECT_EQ(codeOfKey(kSomeExtendedKey, "kUP5"), KEY::Ctrl | KEY::Up);
  EXPECT_EQ(codeOfKey(kSomeExtendedKey, "kDC3"), KEY::Alt | KEY::Delete);
  EXPECT_EQ(codeOfKey(kSomeExtendedKey, "kRIT6"), KEY::Ctrl | KEY::Shift | KEY::Right);
  EXPECT_EQ(codeOfKey(kSomeExtendedKey, "kHOM8"), KEY::Ctrl | KEY::Shift | KEY::Alt | KEY::Home);
  EXPECT_EQ(codeOfKey(kSomeExtendedKey, "kNXT2"), KEY::Shift | KEY::PageDown);
  EXPECT_EQ(codeOfKey(kSomeExtendedKey, "kUP9"), 0xFFFFFFFFu);
  EXPECT_EQ(codeOfKey(kSomeExtendedKey, "kFOO5"), 0xFFFFFFFFu);
  EXPECT_EQ(codeOfKey(kSomeExtendedKey, ""), 0xFFFFFFFFu);
  EXPECT_EQ(xtermModifiers(1), 0u);
}

TEST(TermMouse, PressAndReleaseBecomeButtonMessages) {
  MouseTracker mouse;
  EXPECT_EQ(mouse.report(MouseReport::Press, {3, 4}, 1000),
            (std::vector<MouseMessage>{{WM_LBUTTONDOWN, MK_LBUTTON, {3, 4}}}));
  EXPECT_TRUE(mouse.buttonHeld());
  EXPECT_EQ(mouse.report(MouseReport::Release, {3, 4}, 1050),
            (std::vector<MouseMessage>{{WM_LBUTTONUP, 0, {3, 4}}}));
  // A release alone is a whole click (its press was merged into it).
  EXPECT_EQ(
      mouse.report(MouseReport::Release, {5, 4}, 2000),
      (std::vector<MouseMessage>{{WM_LBUTTONDOWN, MK_LBUTTON, {5, 4}}, {WM_LBUTTONUP, 0, {5, 4}}}));
  EXPECT_FALSE(mouse.buttonHeld());
  EXPECT_EQ(mouse.report(MouseReport::Release, {5, 4}, 2100)[0].message, WM_LBUTTONDBLCLK);
  // So is a press and release merged into one report.
  EXPECT_EQ(
      mouse.report(MouseReport::Click, {7, 4}, 3000),
      (std::vector<MouseMessage>{{WM_LBUTTONDOWN, MK_LBUTTON, {7, 4}}, {WM_LBUTTONUP, 0, {7, 4}}}));
  EXPECT_FALSE(mouse.buttonHeld());
}

TEST(TermMouse, SecondQuickPressOnTheSameCellIsADoubleClick) {
  MouseTracker mouse;
  mouse.report(MouseReport::Press, {3, 4}, 1000);
  mouse.report(MouseReport::Release, {3, 4}, 1010);
  EXPECT_EQ(mouse.report(MouseReport::Press, {3, 4}, 1200)[0].message, WM_LBUTTONDBLCLK);
  mouse.report(MouseReport::Release, {3, 4}, 1210);
  // A third press starts over.
  EXPECT_EQ(mouse.report(MouseReport::Press, {3, 4}, 1300)[0].message, WM_LBUTTONDOWN);
  mouse.report(MouseReport::Release, {3, 4}, 1310);
  // Too late, or elsewhere: two single clicks.
  EXPECT_EQ(mouse.report(MouseReport::Press, {3, 4}, 1300 + kDoubleClickMs)[0].message,
            WM_LBUTTONDOWN);
  mouse.report(MouseReport::Release, {3, 4}, 2000);
  EXPECT_EQ(mouse.report(MouseReport::Press, {4, 4}, 2010)[0].message, WM_LBUTTONDOWN);
}

TEST(TermMouse, MovementWhileHeldIsADragAndTheWheelCountsNotches) {
  MouseTracker mouse;
  EXPECT_EQ(mouse.report(MouseReport::Motion, {1, 1}, 0)[0].wParam, 0u);
  mouse.report(MouseReport::Press, {1, 1}, 10);
  EXPECT_TRUE(mouse.report(MouseReport::Motion, {1, 1}, 20).empty());  // same cell
  EXPECT_EQ(mouse.report(MouseReport::Motion, {1, 2}, 30),
            (std::vector<MouseMessage>{{WM_MOUSEMOVE, MK_LBUTTON, {1, 2}}}));
  auto up = mouse.report(MouseReport::WheelUp, {1, 2}, 40);
  auto down = mouse.report(MouseReport::WheelDown, {1, 2}, 50);
  EXPECT_EQ(static_cast<intptr_t>(up[0].wParam), 1);
  EXPECT_EQ(static_cast<intptr_t>(down[0].wParam), -1);
  EXPECT_EQ(down[0].message, WM_MOUSEWHEEL);
}

}  // namespace
}  // namespace zor::ui::term
