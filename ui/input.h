#pragma once
// Input as the front ends hand it to a window: one message per keystroke and
// per mouse action, addressed to the window's handle.
//
//   WM_KEYDOWN      wParam = key code with modifier bits (ui/key_codes.h),
//                   lParam = the character the keystroke types, 0 for none
//   WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK
//                   lParam = the cell, relative to the window's client area
//   WM_MOUSEMOVE    wParam = MK_LBUTTON while the button is held (a drag),
//                   lParam = the cell
//   WM_MOUSEWHEEL   wParam = notches (positive away from the user, as a
//                   signed value), lParam = the cell

#include <cstdint>

#include "ui/messages.h"

namespace zor::ui {

inline constexpr uint32_t WM_MOUSEMOVE = 0x0200;
inline constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
inline constexpr uint32_t WM_LBUTTONUP = 0x0202;
inline constexpr uint32_t WM_LBUTTONDBLCLK = 0x0203;
inline constexpr uint32_t WM_MOUSEWHEEL = 0x020A;
inline constexpr uintptr_t MK_LBUTTON = 0x0001;

struct Cell {
  int x = 0, y = 0;
  bool operator==(const Cell&) const = default;
};

// Cells travel in lParam as two signed 16-bit halves.
constexpr intptr_t packCell(Cell cell) {
  return static_cast<intptr_t>((static_cast<uint32_t>(static_cast<uint16_t>(cell.y)) << 16) |
                               static_cast<uint16_t>(cell.x));
}
constexpr Cell unpackCell(intptr_t lParam) {
  auto bits = static_cast<uint32_t>(lParam);
  return {static_cast<int16_t>(bits & 0xFFFF), static_cast<int16_t>(bits >> 16)};
}

constexpr bool isMouseMessage(uint32_t message) {
  return message >= WM_MOUSEMOVE && message <= WM_MOUSEWHEEL;
}

}  // namespace zor::ui
