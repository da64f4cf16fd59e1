#include <iostream>
#include <stdexcept>

#include "tools/wincc/commands.h"
#include "ui/term/terminal_front_end.h"
#include "ui/term/window_preview.h"

namespace zor::tool {

// Opens a declared window in the terminal with made-up rows in its lists, so
// that a person can try every control; Esc or closing the window ends it.
int previewCommand(const std::vector<std::string>& arguments) {
  if (arguments.empty() || arguments.size() > 2) {
    return usageError("preview takes a file and, optionally, a window label");
  }
  auto modules = loadDefinitions(arguments[0]);
  if (!modules) return 1;
  const ui::WindowDefinition* definition = chooseWindow(*modules, arguments);
  if (definition == nullptr) return 1;
  if (!ui::term::TerminalFrontEnd::available()) {
    std::cerr << "wincc: preview needs a terminal\n";
    return 1;
  }
  try {
    ui::term::TerminalFrontEnd frontEnd;
    return ui::term::previewWindow(*definition, 30);
  } catch (const std::runtime_error& error) {
    std::cerr << "wincc: " << error.what() << "\n";
    return 1;
  }
}

}  // namespace zor::tool
