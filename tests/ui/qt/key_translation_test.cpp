// Qt's key events become the key codes the terminal gives for the same
// keystrokes.

#include "ui/qt/key_translation.h"

#include <gtest/gtest.h>

#include "ui/key_codes.h"

namespace zor::ui::qt {
namespace {

TEST(KeyTranslation, KeysBecomeTheTerminalsCodes) {
  struct Case {
    int key;
    Qt::KeyboardModifiers modifiers;
    const char* text;
    std::optional<TypedKey> expected;
  };
  const Qt::KeyboardModifiers none = Qt::NoModifier;
  const Case cases[] = {
      {Qt::Key_A, none, "a", TypedKey{'A', 'a'}},
      {Qt::Key_A, Qt::ShiftModifier, "A", TypedKey{'A' | KEY::Shift, 'A'}},
      {Qt::Key_5, none, "5", TypedKey{'5', '5'}},
      {Qt::Key_Comma, none, ",", TypedKey{0xBC, ','}},
      {Qt::Key_Exclam, Qt::ShiftModifier, "!", TypedKey{0, '!'}},
      {Qt::Key_Eacute, none, "\xC3\xA9", TypedKey{0, '\xE9'}},
      {Qt::Key_Space, none, " ", TypedKey{KEY::Space, ' '}},
      {Qt::Key_S, Qt::AltModifier, "s", TypedKey{'S' | KEY::Alt, 0}},
      {Qt::Key_H, Qt::ControlModifier, "\x08", TypedKey{584, 0}},
      {Qt::Key_Tab, none, "\t", TypedKey{KEY::Tab, 0}},
      {Qt::Key_Backtab, Qt::ShiftModifier, "", TypedKey{KEY::Tab | KEY::Shift, 0}},
      {Qt::Key_Return, none, "\r", TypedKey{KEY::Enter, 0}},
      {Qt::Key_Enter, Qt::KeypadModifier, "\r", TypedKey{KEY::Enter, 0}},
      {Qt::Key_Escape, none, "\x1b", TypedKey{KEY::Escape, 0}},
      {Qt::Key_Backspace, none, "\x08", TypedKey{KEY::Backspace, 0}},
      {Qt::Key_Delete, none, "\x7f", TypedKey{KEY::Delete, 0}},
      {Qt::Key_PageDown, Qt::ControlModifier, "", TypedKey{KEY::PageDown | KEY::Ctrl, 0}},
      {Qt::Key_Up, Qt::ShiftModifier, "", TypedKey{KEY::Up | KEY::Shift, 0}},
      {Qt::Key_F1, none, "", TypedKey{0x70, 0}},
      {Qt::Key_F12, Qt::AltModifier, "", TypedKey{0x7B | KEY::Alt, 0}},
      {Qt::Key_Shift, Qt::ShiftModifier, "", std::nullopt},
      {Qt::Key_Alt, Qt::AltModifier, "", std::nullopt},
      {Qt::Key_unknown, none, "\xE2\x82\xAC", std::nullopt},  // the euro sign: not Latin-1
  };
  for (const Case& c : cases) {
    EXPECT_EQ(translateKey(c.key, c.modifiers, QString::fromUtf8(c.text)), c.expected)
        << "key 0x" << std::hex << c.key << " text '" << c.text << "'";
  }
}

}  // namespace
}  // namespace zor::ui::qt
