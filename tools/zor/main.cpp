// zor: the runtime console. Runs one registered command and exits with its
// code; without a command (or with "help") it lists them all.

#include <iostream>
#include <string>
#include <vector>

#include "tools/common/guarded_main.h"
#include "tools/zor/command.h"

namespace {

void printUsage(std::ostream& out) {
  out << "usage: zor COMMAND [ARGUMENTS]\n\ncommands:\n";
  for (const zor::tool::Command& command : zor::tool::zorCommands().sorted()) {
    out << "  zor " << command.name;
    if (!command.usage.empty()) out << ' ' << command.usage;
    out << '\n';
  }
}

int runHelp(const zor::tool::Arguments& /*arguments*/) {
  printUsage(std::cout);
  return zor::tool::kExitOk;
}

zor::tool::CommandRegistrar helpCommand{"help", "", runHelp};

int run(const std::vector<std::string>& arguments) {
  if (arguments.empty() || arguments[0] == "--help" || arguments[0] == "-h") {
    return runHelp(arguments);
  }
  return zor::tool::zorCommands().run(arguments, printUsage);
}

}  // namespace

// No input ends the console on an exception: anything thrown becomes a
// message and exit 1.
int main(int argc, char** argv) {
  return zor::tool::runReportingExceptions(
      "zor", [&] { return run(std::vector<std::string>(argv + 1, argv + argc)); });
}
