// twk: the Tarnwick file utility. Runs one registered command and exits with
// its code; without a command (or with "help") it lists them all, and
// "help COMMAND" explains one. No input ends it on an exception: anything
// thrown becomes a message and exit 1.

#include <iostream>
#include <string>
#include <vector>

#include "data/tarnwick/internal_failure.h"
#include "tools/common/guarded_main.h"
#include "tools/twk/command.h"

namespace {

using zor::twk::Command;

void printUsage(std::ostream& out) {
  out << "usage: twk COMMAND [ARGUMENTS]\n\ncommands:\n";
  for (const Command& command : zor::twk::twkCommands().sorted()) {
    const std::string line =
        "twk " + command.name + (command.usage.empty() ? "" : " " + command.usage);
    out << "  " << line << std::string(line.size() < 24 ? 24 - line.size() : 1, ' ')
        << command.summary << '\n';
  }
  out << "\nFILE\\!TABLE (or FILE!TABLE) names one table of a file; without it the\n"
         "file's only table, or UNNAMED. \"twk help COMMAND\" explains a command.\n";
}

int runHelp(const zor::twk::Arguments& arguments) {
  if (arguments.empty()) {
    printUsage(std::cout);
    return zor::twk::kExitOk;
  }
  const Command* command = zor::twk::twkCommands().find(arguments[0]);
  if (command == nullptr || arguments.size() > 1) {
    std::cerr << "twk: no command \"" << arguments[0] << "\"\n";
    printUsage(std::cerr);
    return zor::twk::kExitUsage;
  }
  std::cout << "usage: twk " << command->name
            << (command->usage.empty() ? "" : " " + command->usage) << "\n\n"
            << command->summary << ".\n";
  if (!command->help.empty()) std::cout << '\n' << command->help;
  return zor::twk::kExitOk;
}

zor::twk::CommandRegistrar helpCommand{"help", "[COMMAND]", "this list, or what COMMAND does",
                                       runHelp};

int run(const std::vector<std::string>& arguments) {
  if (arguments.empty() || arguments[0] == "--help" || arguments[0] == "-h") {
    printUsage(arguments.empty() ? std::cerr : std::cout);
    return arguments.empty() ? zor::twk::kExitUsage : zor::twk::kExitOk;
  }
  // A damaged file is reported as a line on stderr, not a message box.
  zor::tarnwick::showInternalFailureBox(false);
  return zor::twk::twkCommands().run(arguments, printUsage);
}

}  // namespace

int main(int argc, char** argv) {
  return zor::tool::runReportingExceptions(
      "twk", [&] { return run(std::vector<std::string>(argv + 1, argv + argc)); });
}
