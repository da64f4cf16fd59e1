#include "ui/session_end.h"

#include <mutex>

#include "platform/message_box.h"
#include "ui/message_layer.h"
#include "ui/window.h"

namespace zor::ui {
namespace {

std::mutex settingsMutex;
bool captionSwitch = false;
std::string programCaption;

}  // namespace

void setRuntimeCaptionSwitch(bool on) {
  std::lock_guard lock(settingsMutex);
  captionSwitch = on;
}

void setProgramCaption(const std::string& caption) {
  std::lock_guard lock(settingsMutex);
  programCaption = caption;
}

std::string runtimeBoxCaption() {
  std::lock_guard lock(settingsMutex);
  return captionSwitch ? kRuntimeCaption : programCaption;
}

intptr_t answerSessionEnd(Window& window) {
  if (window.visible && window.enabled) bringWindowToTop(window.handle());
  platform::messageBox(kSessionEndText, runtimeBoxCaption(), platform::MB_OK);
  return 0;
}

}  // namespace zor::ui
