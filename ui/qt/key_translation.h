#pragma once
// Turns Qt's key events into the runtime's key codes (ui/key_codes.h): the
// virtual key code plus modifier bits, and the character the keystroke
// types, as the terminal does: a printable character gives the key that
// types it and the character itself; with Ctrl or Alt the key types
// nothing. Characters outside Latin-1 give nothing, as the runtime's texts
// are single bytes.

#include <QString>
#include <Qt>
#include <cstdint>
#include <optional>

namespace zor::ui::qt {

struct TypedKey {
  uint32_t code = 0;
  char character = 0;  // 0 for none
  bool operator==(const TypedKey&) const = default;
};

// `key` is a Qt::Key, `text` what the event says the key types. None for
// keys the runtime has no code for (modifier keys on their own, media keys).
std::optional<TypedKey> translateKey(int key, Qt::KeyboardModifiers modifiers, const QString& text);

}  // namespace zor::ui::qt
