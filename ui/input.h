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
//   WM_HSCROLL, WM_VSCROLL
//                   a scroll bar of a control was used (a front end that
//                   draws the bars itself): wParam = the SB action in the
//                   low word and, for SB::ThumbTrack, the thumb's position
//                   in the high word (a list's vertical bar: the share of
//                   the way, 0..100; its horizontal bar: the sideways offset
//                   in cells); lParam = the control's field equate number

#include <cstdint>

#include "ui/messages.h"

namespace zor::ui {

inline constexpr uint32_t WM_MOUSEMOVE = 0x0200;
inline constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
inline constexpr uint32_t WM_LBUTTONUP = 0x0202;
inline constexpr uint32_t WM_LBUTTONDBLCLK = 0x0203;
inline constexpr uint32_t WM_MOUSEWHEEL = 0x020A;
inline constexpr uint32_t WM_HSCROLL = 0x0114;
inline constexpr uint32_t WM_VSCROLL = 0x0115;
inline constexpr uintptr_t MK_LBUTTON = 0x0001;

// Scroll-bar actions of WM_HSCROLL and WM_VSCROLL (up and left share codes).
namespace SB {
inline constexpr int LineUp = 0;
inline constexpr int LineDown = 1;
inline constexpr int PageUp = 2;
inline constexpr int PageDown = 3;
inline constexpr int ThumbTrack = 5;
inline constexpr int Top = 6;
inline constexpr int Bottom = 7;
}  // namespace SB

constexpr uintptr_t packScroll(int action, int position) {
  return (static_cast<uintptr_t>(static_cast<uint16_t>(position)) << 16) |
         static_cast<uint16_t>(action);
}

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

constexpr bool isScrollMessage(uint32_t message) {
  return message == WM_HSCROLL || message == WM_VSCROLL;
}

}  // namespace zor::ui
