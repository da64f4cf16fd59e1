#include <cstdlib>
#include <iostream>

#include "platform/ascii_case.h"
#include "runtime/fatal_error.h"
#include "tools/wincc/commands.h"

namespace zor::tool {

const ui::WindowDefinition* chooseWindow(const std::vector<ui::DefinitionModule>& modules,
                                         const std::vector<std::string>& arguments) {
  const std::string label = arguments.size() >= 2 ? arguments[1] : std::string();
  setFatalErrorHook([](int code, const std::string& message) {
    std::cerr << "wincc: runtime error " << code << ": " << message << "\n";
    std::exit(1);
  });
  for (const ui::DefinitionModule& module : modules) {
    for (const ui::WindowDefinition& window : module.windows) {
      if (label.empty() || platform::equalsIgnoringCase(window.label, label)) return &window;
    }
  }
  std::cerr << "wincc: " << arguments[0] << ": "
            << (label.empty() ? "declares no window" : "has no window " + label) << "\n";
  return nullptr;
}

}  // namespace zor::tool
