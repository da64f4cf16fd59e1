#include <iostream>

#include "tools/wincc/commands.h"
#include "ui/window.h"
#include "ui/window_builder.h"
#include "ui/window_painter.h"

namespace zor::tool {

// The designer's preview: the window built from its definition and drawn on
// the character-cell canvas as the headless front end shows it.
int renderCommand(const std::vector<std::string>& arguments) {
  if (arguments.empty() || arguments.size() > 2) {
    return usageError("render takes a file and, optionally, a window label");
  }
  auto modules = loadDefinitions(arguments[0]);
  if (!modules) return 1;
  const ui::WindowDefinition* definition = chooseWindow(*modules, arguments);
  if (definition == nullptr) return 1;
  std::unique_ptr<ui::Window> window = ui::buildWindow(*definition);
  std::cout << ui::paintWindow(*window).text();
  return 0;
}

}  // namespace zor::tool
