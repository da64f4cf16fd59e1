#pragma once
// The control type codes the framework's tables are written in (the
// resizer's defaults, its excluded types), and the window system's control
// kinds mapped onto them. Most kinds carry their type code as their kind
// code; the further kinds of ui/base/control_kinds.h got codes of their own there
// and are mapped here.

#include <cstdint>

namespace zor::ui {
class Control;
}

namespace zor::fw {

namespace ControlType {
inline constexpr int32_t String = 2;
inline constexpr int32_t Image = 3;
inline constexpr int32_t Region = 4;
inline constexpr int32_t Line = 5;
inline constexpr int32_t Box = 6;
inline constexpr int32_t Ellipse = 7;
inline constexpr int32_t Entry = 8;
inline constexpr int32_t Button = 9;
inline constexpr int32_t Prompt = 10;
inline constexpr int32_t Option = 11;
inline constexpr int32_t Check = 12;
inline constexpr int32_t Group = 13;
inline constexpr int32_t List = 14;
inline constexpr int32_t Combo = 15;
inline constexpr int32_t Spin = 16;
inline constexpr int32_t Text = 17;
inline constexpr int32_t Radio = 21;
inline constexpr int32_t Window = 25;
inline constexpr int32_t Sheet = 37;
inline constexpr int32_t Tab = 38;
inline constexpr int32_t Panel = 39;
}  // namespace ControlType

// The type code of a control kind (ui::ControlKind); an unknown kind keeps
// its own code. A drop-down list is a list (14) whose drop-down makes it
// behave like an entry: see dropsDown.
int32_t controlTypeOf(uint8_t kind);
// Whether the control is a list that drops down, so that it takes the
// place of one line like an entry.
bool dropsDown(const ui::Control& control);

}  // namespace zor::fw
