#include "ui/term/key_translation.h"

#define NCURSES_NOMACROS
#include <curses.h>

#include <cctype>
#include <string>

#include "ui/key_codes.h"

namespace zor::ui::term {
namespace {

constexpr char kDelete = 0x7F;
constexpr char kBackspaceByte = 0x08;

// The key of a Ctrl+letter byte (1..26), past those that are keys of their
// own: Tab (9), Enter (10, 13) and BS (8, Ctrl+H, which this handles too).
std::optional<uint32_t> controlLetter(uint32_t byte) {
  if (byte == 0) return KEY::Ctrl | KEY::Space;  // Ctrl+Space sends NUL
  if (byte >= 1 && byte <= 26) return KEY::Ctrl | ('A' + byte - 1);
  return std::nullopt;
}

// Keys with modifiers reported through extended capabilities, by the
// capability's stem.
struct NamedKey {
  std::string_view stem;
  uint32_t code;
};
constexpr NamedKey kNamedKeys[] = {
    {"kUP", KEY::Up},     {"kDN", KEY::Down}, {"kLFT", KEY::Left},     {"kRIT", KEY::Right},
    {"kHOM", KEY::Home},  {"kEND", KEY::End}, {"kNXT", KEY::PageDown}, {"kPRV", KEY::PageUp},
    {"kDC", KEY::Delete}, {"kIC", kInsert},
};

std::optional<uint32_t> namedKey(std::string_view name) {
  if (name.size() < 3) return std::nullopt;
  char digit = name.back();
  if (digit < '2' || digit > '8') return std::nullopt;
  std::string_view stem = name.substr(0, name.size() - 1);
  for (const NamedKey& key : kNamedKeys) {
    if (key.stem == stem) return key.code | xtermModifiers(digit - '0');
  }
  return std::nullopt;
}

// F1..F12 plain, F13..F24 with Shift, F25..F36 with Ctrl, F37..F48 with
// Ctrl+Shift, F49..F60 with Alt: the numbering xterm-like terminals use.
std::optional<uint32_t> functionKey(int number) {
  if (number < 1 || number > 60) return std::nullopt;
  static constexpr uint32_t kBanks[] = {0, KEY::Shift, KEY::Ctrl, KEY::Ctrl | KEY::Shift, KEY::Alt};
  int bank = (number - 1) / 12;
  return (kF1 + static_cast<uint32_t>((number - 1) % 12)) | kBanks[bank];
}

std::optional<uint32_t> cursesKey(int key) {
  switch (key) {
    case KEY_UP:
      return KEY::Up;
    case KEY_DOWN:
      return KEY::Down;
    case KEY_LEFT:
      return KEY::Left;
    case KEY_RIGHT:
      return KEY::Right;
    case KEY_HOME:
      return KEY::Home;
    case KEY_END:
    case KEY_LL:
      return KEY::End;
    case KEY_PPAGE:
      return KEY::PageUp;
    case KEY_NPAGE:
      return KEY::PageDown;
    case KEY_IC:
      return kInsert;
    case KEY_DC:
      return KEY::Delete;
    case KEY_BACKSPACE:
      return KEY::Backspace;
    case KEY_ENTER:
      return KEY::Enter;
    case KEY_BTAB:
      return KEY::Shift | KEY::Tab;
    case KEY_SR:
      return KEY::Shift | KEY::Up;
    case KEY_SF:
      return KEY::Shift | KEY::Down;
    case KEY_SLEFT:
      return KEY::Shift | KEY::Left;
    case KEY_SRIGHT:
      return KEY::Shift | KEY::Right;
    case KEY_SHOME:
      return KEY::Shift | KEY::Home;
    case KEY_SEND:
      return KEY::Shift | KEY::End;
    case KEY_SPREVIOUS:
      return KEY::Shift | KEY::PageUp;
    case KEY_SNEXT:
      return KEY::Shift | KEY::PageDown;
    case KEY_SDC:
      return KEY::Shift | KEY::Delete;
    case KEY_SIC:
      return KEY::Shift | kInsert;
    default:
      break;
  }
  if (key >= KEY_F(1) && key <= KEY_F(60)) return functionKey(key - KEY_F(0));
  return std::nullopt;
}

}  // namespace

uint32_t xtermModifiers(int digit) {
  if (digit < 2 || digit > 8) return 0;
  unsigned bits = static_cast<unsigned>(digit - 1);
  uint32_t modifiers = 0;
  if (bits & 1) modifiers |= KEY::Shift;
  if (bits & 2) modifiers |= KEY::Alt;
  if (bits & 4) modifiers |= KEY::Ctrl;
  return modifiers;
}

std::optional<KeyStroke> translateCharacter(uint32_t wide, bool alt) {
  uint32_t altBit = alt ? KEY::Alt : 0;
  switch (wide) {
    case '\t':
      return KeyStroke{KEY::Tab | altBit, 0};
    case '\r':
    case '\n':
      return KeyStroke{KEY::Enter | altBit, 0};
    case 0x1B:
      return KeyStroke{KEY::Escape | altBit, 0};
    case static_cast<uint32_t>(kDelete):
      return KeyStroke{KEY::Backspace | altBit, 0};
    case static_cast<uint32_t>(kBackspaceByte):
      return KeyStroke{KEY::Ctrl | 'H' | altBit, 0};
    default:
      break;
  }
  if (wide < 0x20) {
    auto code = controlLetter(wide);
    if (!code) return std::nullopt;
    return KeyStroke{*code | altBit, 0};
  }
  if (wide > 0xFF || (wide >= 0x80 && wide < 0xA0)) return std::nullopt;
  auto character = static_cast<char>(static_cast<unsigned char>(wide));
  uint32_t code = KEY::keyCodeOf(character);
  if (alt) {
    // Alt+letter is the letter's key whatever its case; the hot keys look
    // for the plain letter.
    if (std::isalpha(static_cast<unsigned char>(character))) code = KEY::base(code);
    if (code == 0) return std::nullopt;
    return KeyStroke{code | KEY::Alt, 0};
  }
  return KeyStroke{code, character};
}

std::optional<KeyStroke> translateFunctionKey(int key, std::string_view name, bool alt) {
  std::optional<uint32_t> code = cursesKey(key);
  if (!code) code = namedKey(name);
  if (!code) return std::nullopt;
  return KeyStroke{*code | (alt ? KEY::Alt : 0u), 0};
}

}  // namespace zor::ui::term
