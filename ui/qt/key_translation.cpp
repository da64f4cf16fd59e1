#include "ui/qt/key_translation.h"

#include "ui/key_codes.h"

namespace zor::ui::qt {
namespace {

constexpr uint32_t kF1 = 0x70;
constexpr uint32_t kInsert = 0x2D;

// Keys that type nothing, with their virtual key codes.
std::optional<uint32_t> namedKey(int key) {
  switch (key) {
    case Qt::Key_Backspace:
      return KEY::Backspace;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return KEY::Tab;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return KEY::Enter;
    case Qt::Key_Escape:
      return KEY::Escape;
    case Qt::Key_PageUp:
      return KEY::PageUp;
    case Qt::Key_PageDown:
      return KEY::PageDown;
    case Qt::Key_End:
      return KEY::End;
    case Qt::Key_Home:
      return KEY::Home;
    case Qt::Key_Left:
      return KEY::Left;
    case Qt::Key_Up:
      return KEY::Up;
    case Qt::Key_Right:
      return KEY::Right;
    case Qt::Key_Down:
      return KEY::Down;
    case Qt::Key_Insert:
      return kInsert;
    case Qt::Key_Delete:
      return KEY::Delete;
    default:
      break;
  }
  if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return kF1 + static_cast<uint32_t>(key - Qt::Key_F1);
  return std::nullopt;
}

uint32_t modifierBits(Qt::KeyboardModifiers modifiers) {
  uint32_t bits = 0;
  if (modifiers & Qt::ShiftModifier) bits |= KEY::Shift;
  if (modifiers & Qt::ControlModifier) bits |= KEY::Ctrl;
  if (modifiers & Qt::AltModifier) bits |= KEY::Alt;
  return bits;
}

// The Latin-1 character the text types, 0 when it types none.
char typedCharacter(const QString& text) {
  if (text.size() != 1) return 0;
  char16_t unit = text.at(0).unicode();
  if (unit < 0x20 || unit == 0x7F || (unit >= 0x80 && unit < 0xA0) || unit > 0xFF) return 0;
  return static_cast<char>(static_cast<unsigned char>(unit));
}

}  // namespace

std::optional<TypedKey> translateKey(int key, Qt::KeyboardModifiers modifiers,
                                     const QString& text) {
  uint32_t bits = modifierBits(modifiers);
  // Shift+Tab arrives as its own key, with Shift.
  if (key == Qt::Key_Backtab) bits |= KEY::Shift;
  if (std::optional<uint32_t> named = namedKey(key)) return TypedKey{*named | bits, 0};
  bool command = (bits & (KEY::Ctrl | KEY::Alt)) != 0;
  if (!command) {
    char character = typedCharacter(text);
    if (character != 0) return TypedKey{KEY::keyCodeOf(character), character};
    if (key == Qt::Key_Space) return TypedKey{KEY::Space | bits, ' '};
    return std::nullopt;
  }
  // With Ctrl or Alt a key types nothing: letters and digits are their own
  // keys, punctuation the key of its character.
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return TypedKey{static_cast<uint32_t>(key) | bits, 0};
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return TypedKey{static_cast<uint32_t>(key) | bits, 0};
  if (key == Qt::Key_Space) return TypedKey{KEY::Space | bits, 0};
  if (key > 0x20 && key < 0x7F) {
    uint32_t code = KEY::keyCodeOf(static_cast<char>(key));
    if (code != 0) return TypedKey{KEY::base(code) | bits, 0};
  }
  return std::nullopt;
}

}  // namespace zor::ui::qt
