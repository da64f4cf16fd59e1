#include <algorithm>
#include <iostream>
#include <stdexcept>

#include "tools/wincc/commands.h"
#include "ui/term/terminal_front_end.h"
#include "ui/window_preview.h"
#if ZOR_HAVE_DESKTOP
#include "ui/qt/qt_front_end.h"
#endif

namespace zor::tool {
namespace {

constexpr int kPreviewRows = 30;

int previewOnDesktop(const ui::WindowDefinition& definition) {
#if ZOR_HAVE_DESKTOP
  if (!ui::qt::QtFrontEnd::available()) {
    std::cerr << "wincc: preview --ui=gui needs a display\n";
    return 1;
  }
  ui::qt::QtFrontEnd frontEnd(ui::qt::QtFrontEnd::Options{1.0, "wincc"});
  return ui::previewWindow(definition, kPreviewRows);
#else
  (void)definition;
  std::cerr << "wincc: this build has no desktop front end (Qt 6 was not found)\n";
  return 1;
#endif
}

}  // namespace

// Opens a declared window in the terminal, or with --ui=gui as a desktop
// window, with made-up rows in its lists, so that a person can try every
// control; Esc or closing the window ends it.
int previewCommand(const std::vector<std::string>& given) {
  std::vector<std::string> arguments = given;
  bool desktop = false;
  auto option = std::find_if(arguments.begin(), arguments.end(),
                             [](const std::string& a) { return a.rfind("--ui=", 0) == 0; });
  if (option != arguments.end()) {
    if (*option != "--ui=gui" && *option != "--ui=term") {
      return usageError("preview takes --ui=gui or --ui=term");
    }
    desktop = *option == "--ui=gui";
    arguments.erase(option);
  }
  if (arguments.empty() || arguments.size() > 2) {
    return usageError("preview takes a file and, optionally, a window label");
  }
  auto modules = loadDefinitions(arguments[0]);
  if (!modules) return 1;
  const ui::WindowDefinition* definition = chooseWindow(*modules, arguments);
  if (definition == nullptr) return 1;
  if (desktop) return previewOnDesktop(*definition);
  if (!ui::term::TerminalFrontEnd::available()) {
    std::cerr << "wincc: preview needs a terminal\n";
    return 1;
  }
  try {
    ui::term::TerminalFrontEnd frontEnd;
    return ui::previewWindow(*definition, kPreviewRows);
  } catch (const std::runtime_error& error) {
    std::cerr << "wincc: " << error.what() << "\n";
    return 1;
  }
}

}  // namespace zor::tool
