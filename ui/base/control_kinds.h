#pragma once
// One-byte control kind codes, shared by the control model, the window
// definitions and the front ends. ui/definition/definition_kinds.h holds
// what else is known about each kind (keyword, window class, record layout).

#include <cstdint>

namespace zor::ui {

namespace ControlKind {
inline constexpr uint8_t Entry = 0x08;
inline constexpr uint8_t Button = 0x09;
inline constexpr uint8_t Prompt = 0x0A;
inline constexpr uint8_t Option = 0x0B;
inline constexpr uint8_t Check = 0x0C;
inline constexpr uint8_t List = 0x0E;
inline constexpr uint8_t Group = 0x0F;
inline constexpr uint8_t String = 0x10;
inline constexpr uint8_t Text = 0x11;
inline constexpr uint8_t Combo = 0x12;
inline constexpr uint8_t DropList = 0x13;
inline constexpr uint8_t Spin = 0x14;
inline constexpr uint8_t Radio = 0x15;
inline constexpr uint8_t Region = 0x16;
inline constexpr uint8_t Image = 0x17;
inline constexpr uint8_t Box = 0x18;
inline constexpr uint8_t Window = 0x19;
inline constexpr uint8_t Line = 0x1A;
inline constexpr uint8_t Panel = 0x1B;
inline constexpr uint8_t Ellipse = 0x1C;
inline constexpr uint8_t Sheet = 0x25;
inline constexpr uint8_t Tab = 0x26;
}  // namespace ControlKind

}  // namespace zor::ui
