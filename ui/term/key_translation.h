#pragma once
// Turns what ncurses reads into the runtime's key codes (ui/key_codes.h):
// the virtual key code plus modifier bits, and the character the keystroke
// types. Pure logic, apart from the ncurses key numbers it reads.
//
// Backspace and Ctrl+H are told apart by the byte the terminal sends: DEL
// (127) is Backspace, BS (8) is Ctrl+H (584). The terminal leaves the
// backspace key untranslated for this (see Terminal). An ESC immediately
// followed by another key is Alt plus that key.

#include <cstdint>
#include <optional>
#include <string_view>

#include "ui/key_codes.h"

namespace zor::ui::term {

struct KeyStroke {
  uint32_t code = 0;
  char character = 0;  // the character typed, 0 for none
  bool operator==(const KeyStroke&) const = default;
};

inline constexpr uint32_t kF1 = KEY::F1;
inline constexpr uint32_t kInsert = KEY::Insert;

// A character read (wget_wch answered OK): `wide` is its code point. Alt
// adds the Alt bit and types nothing. Characters outside Latin-1 give none,
// as the runtime's texts are single bytes.
std::optional<KeyStroke> translateCharacter(uint32_t wide, bool alt);

// A function key read (wget_wch answered KEY_CODE_YES): an ncurses KEY_
// number. `name` is keyname() of it, which names the keys with modifiers
// that terminals report through extended capabilities ("kUP5" is Ctrl+Up).
std::optional<KeyStroke> translateFunctionKey(int key, std::string_view name, bool alt);

// The modifier bits of an xterm modifier digit in an extended key name:
// 2 Shift, 3 Alt, 4 Shift+Alt, 5 Ctrl, 6 Ctrl+Shift, 7 Ctrl+Alt, 8 all.
uint32_t xtermModifiers(int digit);

}  // namespace zor::ui::term
