#include "ui/window_procedure.h"

#include "ui/base/event_numbers.h"
#include "ui/event_engine.h"
#include "ui/message_layer.h"
#include "ui/session_end.h"
#include "ui/system_commands.h"
#include "ui/window.h"

namespace zor::ui {

intptr_t windowProcedure(Window& window, const Message& message) {
  switch (message.message) {
    case QUERY_POSTEDEVENT:
      receivePostedEvent(message);
      return 1;
    case WM_TIMER:
      if (message.wParam == kWindowTimerId) post(window, EVENT::Timer);
      if (message.wParam == kLoopTimerId && window.idleWork) window.idleWork();
      return 0;
    case QUERY_TIMERTICK:
      post(window, EVENT::Timer);
      return 0;
    case QUERY_SETUSE:
      window.acceptState().refreshPending = true;
      return 0;
    case QUERY_TOTOP:
      bringWindowToTop(window.handle());
      return 0;
    case WM_CLOSE:
      post(window, EVENT::CloseWindow);
      return 0;
    case WM_SYSCOMMAND:
      return systemCommand(window, message.wParam, static_cast<const Rect*>(message.payload.get()));
    case WM_QUERYENDSESSION:
      return answerSessionEnd(window);
    default:
      return 0;
  }
}

}  // namespace zor::ui
