#pragma once
// Window messages exchanged through the message layer: the record, the
// standard message numbers the runtime uses and its private messages.

#include <cstdint>
#include <memory>

namespace zor::ui {

// Window handles are never reused, so a handle of a destroyed window stays
// recognisably dead. 0 means none (a message to the thread itself).
using WindowHandle = uint32_t;

struct Message {
  WindowHandle window = 0;
  uint32_t message = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
  // Owned data travelling with the message (an event record); freed with the
  // message when nobody takes it, so undelivered messages cannot leak.
  std::shared_ptr<void> payload;
};

// Standard message numbers.
inline constexpr uint32_t WM_NULL = 0x0000;
inline constexpr uint32_t WM_DESTROY = 0x0002;
inline constexpr uint32_t WM_CLOSE = 0x0010;
inline constexpr uint32_t WM_QUERYENDSESSION = 0x0011;
inline constexpr uint32_t WM_QUIT = 0x0012;
inline constexpr uint32_t WM_ENDSESSION = 0x0016;
inline constexpr uint32_t WM_KEYDOWN = 0x0100;
inline constexpr uint32_t WM_CHAR = 0x0102;
inline constexpr uint32_t WM_COMMAND = 0x0111;
inline constexpr uint32_t WM_SYSCOMMAND = 0x0112;
inline constexpr uint32_t WM_TIMER = 0x0113;
inline constexpr uint32_t WM_DDE_INITIATE = 0x03E0;

// System-menu commands carried in wParam of WM_SYSCOMMAND.
inline constexpr uintptr_t SC_SIZE = 0xF000;
inline constexpr uintptr_t SC_MOVE = 0xF010;
inline constexpr uintptr_t SC_MINIMIZE = 0xF020;
inline constexpr uintptr_t SC_MAXIMIZE = 0xF030;
inline constexpr uintptr_t SC_CLOSE = 0xF060;
inline constexpr uintptr_t SC_RESTORE = 0xF120;

// The runtime's private messages.
inline constexpr uint32_t QUERY_SHUTDOWN = 0xB000;
inline constexpr uint32_t QUERY_SETUSE = 0xB001;
inline constexpr uint32_t QUERY_SELECTED = 0xB002;
inline constexpr uint32_t QUERY_COMMAND = 0xB003;
inline constexpr uint32_t QUERY_HOTCHANGE = 0xB004;
inline constexpr uint32_t QUERY_HELP = 0xB005;
inline constexpr uint32_t QUERY_QUIT = 0xB006;
inline constexpr uint32_t QUERY_REPLY = 0xB007;
inline constexpr uint32_t QUERY_LOSEFOCUS = 0xB008;
inline constexpr uint32_t QUERY_DOCKQUERY = 0xB00B;
inline constexpr uint32_t QUERY_COLOR = 0xB00C;
inline constexpr uint32_t QUERY_HSCROLL = 0xB00E;
inline constexpr uint32_t QUERY_NOTIFY = 0xB010;
inline constexpr uint32_t QUERY_LOCATE = 0xB012;
inline constexpr uint32_t QUERY_TOTOP = 0xB015;        // bring the window to the top
inline constexpr uint32_t QUERY_TIMERTICK = 0xB016;    // the window's timer tick
inline constexpr uint32_t QUERY_POSTEDEVENT = 0xB01B;  // an event from another thread
inline constexpr uint32_t QUERY_EDITDONE = 0xB01D;
inline constexpr uint32_t QUERY_CONTINUETHREAD = 0xB025;
inline constexpr uint32_t QUERY_SETBARS = 0xB026;
inline constexpr uint32_t QUERY_DIRTYBARS = 0xB027;
inline constexpr uint32_t QUERY_MERGE = 0xB028;
inline constexpr uint32_t QUERY_SAFEMAXIMIZE = 0xB029;
inline constexpr uint32_t QUERY_SAFERESTORE = 0xB02A;
inline constexpr uint32_t QUERY_MDIMAXIMIZE = 0xB02B;
inline constexpr uint32_t QUERY_MDIRESTORE = 0xB02C;
inline constexpr uint32_t QUERY_HOT = 0xB02D;
inline constexpr uint32_t QUERY_SIZEMOVE = 0xB02E;
inline constexpr uint32_t QUERY_FIRST = 0xB000;
inline constexpr uint32_t QUERY_LAST = 0xB02E;

// Timer identifiers: 1 runs a window's timer property, 2 belongs to the loop.
inline constexpr uintptr_t kWindowTimerId = 1;
inline constexpr uintptr_t kLoopTimerId = 2;

}  // namespace zor::ui
