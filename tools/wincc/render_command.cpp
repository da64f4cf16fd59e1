#include <iostream>

#include "tools/wincc/commands.h"

namespace zor::tool {

// The designer's preview: draws a declared window on the headless front
// end's canvas and prints it. It waits for that front end; until then the
// command says so instead of pretending.
int renderCommand(const std::vector<std::string>& arguments) {
  if (arguments.empty() || arguments.size() > 2)
    return usageError("render takes a file and a label");
  std::cerr << "wincc: render is not available yet: it needs the headless front end\n";
  return 1;
}

}  // namespace zor::tool
