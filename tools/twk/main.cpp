// twk: the Tarnwick file utility. Runs one registered command and exits with
// its code; without a command (or with "help") it lists them all.

#include <iostream>
#include <string>
#include <vector>

#include "data/tarnwick/internal_failure.h"
#include "tools/twk/command.h"

namespace {

int printUsage(std::ostream& out) {
  out << "usage: twk COMMAND [ARGUMENTS]\n\ncommands:\n";
  for (const zor::twk::Command& command : zor::twk::registeredCommands()) {
    const std::string line =
        "twk " + command.name + (command.usage.empty() ? "" : " " + command.usage);
    out << "  " << line << std::string(line.size() < 24 ? 24 - line.size() : 1, ' ')
        << command.summary << '\n';
  }
  return zor::twk::kExitOk;
}

zor::twk::CommandRegistrar helpCommand{
    "help", "", "this list", [](const zor::twk::Arguments&) { return printUsage(std::cout); }};

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  if (arguments.empty() || arguments[0] == "--help" || arguments[0] == "-h") {
    printUsage(arguments.empty() ? std::cerr : std::cout);
    return arguments.empty() ? zor::twk::kExitUsage : zor::twk::kExitOk;
  }
  // A damaged file is reported as a line on stderr, not a message box.
  zor::tarnwick::showInternalFailureBox(false);
  const zor::twk::Command* command = zor::twk::findCommand(arguments[0]);
  if (command == nullptr) {
    std::cerr << "twk: unknown command \"" << arguments[0] << "\"\n";
    printUsage(std::cerr);
    return zor::twk::kExitUsage;
  }
  return command->run(std::vector<std::string>(arguments.begin() + 1, arguments.end()));
}
