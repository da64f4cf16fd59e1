#include <cstdlib>
#include <iostream>

#include "platform/ascii_case.h"
#include "runtime/fatal_error.h"
#include "tools/wincc/commands.h"
#include "ui/window.h"
#include "ui/window_builder.h"
#include "ui/window_painter.h"

namespace zor::tool {
namespace {

// The window labelled `label`, or the first one when no label is given.
const ui::WindowDefinition* chooseWindow(const std::vector<ui::DefinitionModule>& modules,
                                         const std::string& label) {
  for (const ui::DefinitionModule& module : modules) {
    for (const ui::WindowDefinition& window : module.windows) {
      if (label.empty() || platform::equalsIgnoringCase(window.label, label)) return &window;
    }
  }
  return nullptr;
}

}  // namespace

// The designer's preview: the window built from its definition and drawn on
// the character-cell canvas as the headless front end shows it.
int renderCommand(const std::vector<std::string>& arguments) {
  if (arguments.empty() || arguments.size() > 2) {
    return usageError("render takes a file and, optionally, a window label");
  }
  auto modules = loadDefinitions(arguments[0]);
  if (!modules) return 1;
  std::string label = arguments.size() == 2 ? arguments[1] : std::string();
  const ui::WindowDefinition* definition = chooseWindow(*modules, label);
  if (definition == nullptr) {
    std::cerr << arguments[0] << ": "
              << (label.empty() ? "declares no window" : "has no window " + label) << "\n";
    return 1;
  }
  // A definition the window system cannot build (a list format that does
  // not read, say) is bad input, not a crash.
  setFatalErrorHook([](int code, const std::string& message) {
    std::cerr << "wincc: runtime error " << code << ": " << message << "\n";
    std::exit(1);
  });
  std::unique_ptr<ui::Window> window = ui::buildWindow(*definition);
  std::cout << ui::paintWindow(*window).text();
  return 0;
}

}  // namespace zor::tool
