// wincc: the window declaration compiler.
//   wincc compile IN.win OUT.cpp [--module NAME] [--function NAME]
//   wincc compile IN.win OUT.bin
//   wincc dump FILE.win|FILE.bin
//   wincc render FILE.win|FILE.bin [LABEL]
//   wincc preview [--ui=gui|term] FILE.win|FILE.bin [LABEL]

//   wincc help | --help
//
// No input ends the program on an exception: anything the library throws
// becomes a message and exit 1.

#include <string>
#include <vector>

#include "tools/common/guarded_main.h"
#include "tools/wincc/commands.h"

namespace {

int run(std::vector<std::string> arguments) {
  if (arguments.empty()) return zor::tool::usageError("no command given");
  std::string command = arguments.front();
  arguments.erase(arguments.begin());
  if (command == "compile") return zor::tool::compileCommand(arguments);
  if (command == "dump") return zor::tool::dumpCommand(arguments);
  if (command == "render") return zor::tool::renderCommand(arguments);
  if (command == "preview") return zor::tool::previewCommand(arguments);
  if (command == "help" || command == "--help" || command == "-h") return zor::tool::printUsage();
  return zor::tool::usageError("unknown command '" + command + "'");
}

}  // namespace

int main(int argc, char** argv) {
  return zor::tool::runReportingExceptions(
      "wincc", [&] { return run(std::vector<std::string>(argv + 1, argv + argc)); });
}
