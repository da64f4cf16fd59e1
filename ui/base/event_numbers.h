#pragma once
// Event numbers as procedures see them (EVENT() and POST), and the carried
// form (0xA000 + number) in which the queue, the event record and the
// private messages hold them.

#include <cstdint>

namespace zor::ui {

inline constexpr uint32_t kEventBase = 0xA000;
constexpr uint32_t carried(uint32_t event) {
  return kEventBase + event;
}
constexpr uint32_t uncarried(uint32_t number) {
  return number >= kEventBase ? number - kEventBase : 0;
}

namespace EVENT {
// Field events, about one control.
inline constexpr uint32_t Accepted = 0x01;
inline constexpr uint32_t NewSelection = 0x02;
inline constexpr uint32_t ScrollUp = 0x03;
inline constexpr uint32_t ScrollDown = 0x04;
inline constexpr uint32_t PageUp = 0x05;
inline constexpr uint32_t PageDown = 0x06;
inline constexpr uint32_t ScrollTop = 0x07;
inline constexpr uint32_t ScrollBottom = 0x08;
inline constexpr uint32_t Locate = 0x09;
inline constexpr uint32_t MouseUp = 0x0A;
inline constexpr uint32_t MouseIn = 0x0B;
inline constexpr uint32_t MouseOut = 0x0C;
inline constexpr uint32_t MouseMove = 0x0D;
inline constexpr uint32_t VBXevent = 0x0E;
inline constexpr uint32_t AlertKey = 0x0F;
inline constexpr uint32_t PreAlert = 0x10;
inline constexpr uint32_t Dragging = 0x11;
inline constexpr uint32_t Drag = 0x12;
inline constexpr uint32_t Drop = 0x13;
inline constexpr uint32_t ScrollDrag = 0x14;
inline constexpr uint32_t TabChanging = 0x15;
inline constexpr uint32_t Expanding = 0x16;
inline constexpr uint32_t Contracting = 0x17;
inline constexpr uint32_t Expanded = 0x18;
inline constexpr uint32_t Contracted = 0x19;
inline constexpr uint32_t Rejected = 0x1A;
inline constexpr uint32_t DroppingDown = 0x1B;
inline constexpr uint32_t DroppedDown = 0x1C;
inline constexpr uint32_t ScrollTrack = 0x1D;
inline constexpr uint32_t ColumnResize = 0x1E;
// A click on a list's column header; PROP::HeaderColumn reads the column.
inline constexpr uint32_t HeaderPressed = 0x1F;
inline constexpr uint32_t Selected = 0x101;
inline constexpr uint32_t Selecting = 0x102;
// Window events.
inline constexpr uint32_t CloseWindow = 0x201;
inline constexpr uint32_t CloseDown = 0x202;
inline constexpr uint32_t OpenWindow = 0x203;
inline constexpr uint32_t OpenFailed = 0x204;
inline constexpr uint32_t LoseFocus = 0x205;
inline constexpr uint32_t GainFocus = 0x206;
inline constexpr uint32_t Suspend = 0x208;
inline constexpr uint32_t Resume = 0x209;
inline constexpr uint32_t Notify = 0x20A;
inline constexpr uint32_t Timer = 0x20B;
inline constexpr uint32_t DDErequest = 0x20C;
inline constexpr uint32_t DDEadvise = 0x20D;
inline constexpr uint32_t DDEdata = 0x20E;
inline constexpr uint32_t DDEexecute = 0x20F;
inline constexpr uint32_t DDEpoke = 0x210;
inline constexpr uint32_t DDEclosed = 0x211;
inline constexpr uint32_t Move = 0x220;
inline constexpr uint32_t Size = 0x221;
inline constexpr uint32_t Restore = 0x222;
inline constexpr uint32_t Maximize = 0x223;
inline constexpr uint32_t Iconize = 0x224;
inline constexpr uint32_t Completed = 0x225;
inline constexpr uint32_t Moved = 0x230;
inline constexpr uint32_t Sized = 0x231;
inline constexpr uint32_t Restored = 0x232;
inline constexpr uint32_t Maximized = 0x233;
inline constexpr uint32_t Iconized = 0x234;
inline constexpr uint32_t Docked = 0x235;
inline constexpr uint32_t UnDocked = 0x236;
inline constexpr uint32_t BuildFile = 0x240;
inline constexpr uint32_t BuildKey = 0x241;
inline constexpr uint32_t BuildDone = 0x242;
}  // namespace EVENT

// Field events lie below the window events.
constexpr bool isFieldEvent(uint32_t event) {
  return event >= 0x01 && event < 0x201;
}

}  // namespace zor::ui
