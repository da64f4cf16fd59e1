#pragma once
// Key codes: the virtual key code plus modifier bits (0x100 Shift, 0x200
// Ctrl, 0x400 Alt), so Ctrl+H is 0x200 + 'H' = 584. Letters and digits are
// their upper-case ASCII codes.

#include <cstdint>

namespace zor::ui::KEY {

inline constexpr uint32_t Shift = 0x100;
inline constexpr uint32_t Ctrl = 0x200;
inline constexpr uint32_t Alt = 0x400;
inline constexpr uint32_t ModifierMask = Shift | Ctrl | Alt;

inline constexpr uint32_t Backspace = 0x08;
inline constexpr uint32_t Tab = 0x09;
inline constexpr uint32_t Enter = 0x0D;
inline constexpr uint32_t Escape = 0x1B;
inline constexpr uint32_t Space = 0x20;
inline constexpr uint32_t PageUp = 0x21;
inline constexpr uint32_t PageDown = 0x22;
inline constexpr uint32_t End = 0x23;
inline constexpr uint32_t Home = 0x24;
inline constexpr uint32_t Left = 0x25;
inline constexpr uint32_t Up = 0x26;
inline constexpr uint32_t Right = 0x27;
inline constexpr uint32_t Down = 0x28;
inline constexpr uint32_t Insert = 0x2D;
inline constexpr uint32_t Delete = 0x2E;
// Function keys: F1 is 0x70 ... F12 is 0x7B.
inline constexpr uint32_t F1 = 0x70;
inline constexpr uint32_t F10 = F1 + 9;

// The key that types a character on a standard layout: letters and digits
// are their own keys (capitals with Shift), punctuation its keyboard key; 0
// for a character no key types on its own.
constexpr uint32_t keyCodeOf(char character) {
  if (character >= 'a' && character <= 'z') return static_cast<uint32_t>(character - 'a' + 'A');
  if (character >= 'A' && character <= 'Z') return static_cast<uint32_t>(character) | Shift;
  if (character >= '0' && character <= '9') return static_cast<uint32_t>(character);
  switch (character) {
    case ' ':
      return Space;
    case '\t':
      return Tab;
    case '\n':
    case '\r':
      return Enter;
    case ';':
      return 0xBA;
    case '=':
      return 0xBB;
    case ',':
      return 0xBC;
    case '-':
      return 0xBD;
    case '.':
      return 0xBE;
    case '/':
      return 0xBF;
    default:
      return 0;
  }
}

constexpr uint32_t base(uint32_t code) {
  return code & ~ModifierMask;
}
constexpr uint32_t modifiers(uint32_t code) {
  return code & ModifierMask;
}

}  // namespace zor::ui::KEY
