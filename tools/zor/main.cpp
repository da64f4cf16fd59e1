// zor: the runtime console. Runs one registered command and exits with its
// code; without a command (or with "help") it lists them all.

#include <iostream>
#include <string>
#include <vector>

#include "tools/zor/command.h"

namespace {

int printUsage(std::ostream& out) {
  out << "usage: zor COMMAND [ARGUMENTS]\n\ncommands:\n";
  for (const zor::tool::Command& command : zor::tool::registeredCommands()) {
    out << "  zor " << command.name;
    if (!command.usage.empty()) out << ' ' << command.usage;
    out << '\n';
  }
  return zor::tool::kExitOk;
}

int runHelp(const zor::tool::Arguments& /*arguments*/) {
  return printUsage(std::cout);
}

zor::tool::CommandRegistrar helpCommand{"help", "", runHelp};

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  if (arguments.empty() || arguments[0] == "--help" || arguments[0] == "-h") {
    return printUsage(std::cout);
  }
  const zor::tool::Command* command = zor::tool::findCommand(arguments[0]);
  if (command == nullptr) {
    std::cerr << "zor: unknown command \"" << arguments[0] << "\"\n";
    printUsage(std::cerr);
    return zor::tool::kExitUsage;
  }
  return command->run(std::vector<std::string>(arguments.begin() + 1, arguments.end()));
}
