#pragma once
// The procedure of every runtime window in the message layer, for the
// messages that are not input: timer ticks and events posted from other
// threads become events, QUERY_SETUSE asks for a refresh, WM_CLOSE queues
// CloseWindow, WM_SYSCOMMAND runs the system command and
// WM_QUERYENDSESSION is refused.

#include <cstdint>

#include "ui/messages.h"

namespace zor::ui {

class Window;

intptr_t windowProcedure(Window& window, const Message& message);

}  // namespace zor::ui
