#include <iostream>

#include "tools/wincc/commands.h"
#include "ui/definition/definition_format.h"

namespace zor::tool {

int dumpCommand(const std::vector<std::string>& arguments) {
  if (arguments.size() != 1) return usageError("dump takes one file");
  auto modules = loadDefinitions(arguments.front());
  if (!modules) return 1;
  std::cout << ui::formatDeclarations(*modules);
  return 0;
}

}  // namespace zor::tool
