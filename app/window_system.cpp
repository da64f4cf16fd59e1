#include "app/window_system.h"

#include <memory>

#include "app/main_window.h"
#include "ui/definition/definition_lookup.h"

namespace qv {

namespace {

std::unique_ptr<ActiveFrontEnd>& runningFrontEnd() {
  static std::unique_ptr<ActiveFrontEnd> frontEnd;
  return frontEnd;
}

}  // namespace

bool startWindowSystem(FrontEndKind kind, std::string& problem) {
  const auto found = zor::ui::findWindowDefinition(kMainWindowOwner, kMainWindowLabel);
  if (!found.ok() || !found.value) {
    problem = "the main window's definition " + std::string(kMainWindowOwner) + " " +
              kMainWindowLabel + " cannot be read" + (found.ok() ? "" : ": " + found.error);
    return false;
  }
  runningFrontEnd() = std::make_unique<ActiveFrontEnd>(kind);
  return true;
}

void stopWindowSystem() {
  runningFrontEnd().reset();
}

}  // namespace qv
