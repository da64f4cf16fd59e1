// QV_GUI_SetupiniAdmin: the settings administration program.
//
// Usage: QV_GUI_SetupiniAdmin [--ui=gui|term|headless]
// The desktop front end is chosen when there is a display, else the
// terminal one when the program has a terminal; without either the program
// prints its main window as text and ends.

#include <unistd.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/front_end_choice.h"
#include "app/main_window.h"
#include "app/program.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const qv::FrontEndOption option = qv::readFrontEndOption(arguments);
  if (!option.error.empty()) {
    std::fprintf(stderr, "QV_GUI_SetupiniAdmin: %s\n", option.error.c_str());
    return 2;
  }
  const std::optional<qv::FrontEndKind> kind =
      qv::chooseFrontEnd(option.asked, ::isatty(0) != 0, ::isatty(1) != 0, qv::displayPresent());
  if (!kind) {
    std::fprintf(stderr, "QV_GUI_SetupiniAdmin: %s\n",
                 qv::unavailableReason(*option.asked).c_str());
    return 2;
  }

  qv::ProgramParts parts;
  parts.initWindowSystem = [] { return true; };
  parts.mainWindow = [kind] {
    if (*kind == qv::FrontEndKind::Headless) {
      // Nobody can answer a window without a terminal: show it once and end.
      qv::printMainWindow([](const std::string& text) { std::fputs(text.c_str(), stdout); });
      return;
    }
    qv::ActiveFrontEnd frontEnd(*kind);
    qv::runMainWindow();
  };
  return qv::runProcess(parts);
}
