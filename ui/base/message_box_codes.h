#pragma once
// The codes of MESSAGE's buttons, icons and styles. A box answers with the
// code of the button pressed.

namespace zor::ui {

namespace BUTTON {
inline constexpr unsigned Ok = 1;
inline constexpr unsigned Yes = 2;
inline constexpr unsigned No = 4;
inline constexpr unsigned Abort = 8;
inline constexpr unsigned Retry = 16;
inline constexpr unsigned Ignore = 32;
inline constexpr unsigned Cancel = 64;
}  // namespace BUTTON
namespace ICON {
inline constexpr unsigned None = 0;
inline constexpr unsigned Hand = 0x7F01;
inline constexpr unsigned Question = 0x7F02;
inline constexpr unsigned Exclamation = 0x7F03;
inline constexpr unsigned Asterisk = 0x7F04;
}  // namespace ICON

// Styles of MESSAGE: SysModal keeps the box in front of every program's
// windows, not only this one's.
namespace MSGMODE {
inline constexpr unsigned SysModal = 1;
}  // namespace MSGMODE

}  // namespace zor::ui
