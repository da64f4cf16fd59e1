#include "app/main_window.h"

#include <memory>
#include <string>

#include "ui/event_numbers.h"
#include "ui/statements.h"
#include "ui/window.h"
#include "ui/window_builder.h"
#include "ui/window_painter.h"

namespace qv {

namespace {

// Each of the three placeholder buttons shows the notice and waits for it.
bool answersWithNotice(int control) {
  return control == kLoadSetupIniButton || control == kUpdateSetupIniButton ||
         control == kAboutButton;
}

}  // namespace

void runMainWindow() {
  std::unique_ptr<zor::ui::Window> window = zor::ui::openWindow(kMainWindowOwner, kMainWindowLabel);
  while (zor::ui::accept()) {
    if (zor::ui::event() != zor::ui::EVENT::Accepted) continue;
    const int control = zor::ui::field();
    if (answersWithNotice(control)) {
      zor::ui::message(kNotice);
    } else if (control == kCloseButton) {
      zor::ui::post(zor::ui::EVENT::CloseWindow);
    }
  }
}

void printMainWindow(const std::function<void(const std::string&)>& print) {
  std::unique_ptr<zor::ui::Window> window = zor::ui::openWindow(kMainWindowOwner, kMainWindowLabel);
  print(zor::ui::paintWindow(*window).text());
}

}  // namespace qv
