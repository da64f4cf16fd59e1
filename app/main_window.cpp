#include "app/main_window.h"

#include "platform/message_box.h"

namespace qv {

void runMainWindow() {
  // The window system's front ends are not built yet: the program announces
  // itself and closes, so that start-up and shut-down run end to end.
  zor::platform::messageBox(
      "The main window is not available in this build yet.|Start-up and shut-down completed.",
      "Pellmoor Setup.Ini GUI", zor::platform::MB_OK | zor::platform::MB_ICONASTERISK);
}

}  // namespace qv
