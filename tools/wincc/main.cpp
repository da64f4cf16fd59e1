// wincc: the window declaration compiler.
//   wincc compile IN.win OUT.cpp [--module NAME] [--function NAME]
//   wincc compile IN.win OUT.bin
//   wincc dump FILE.win|FILE.bin
//   wincc render FILE.win|FILE.bin [LABEL]
//   wincc preview [--ui=gui|term] FILE.win|FILE.bin [LABEL]

#include <string>
#include <vector>

#include "tools/wincc/commands.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  if (arguments.empty()) return zor::tool::usageError("no command given");
  std::string command = arguments.front();
  arguments.erase(arguments.begin());
  if (command == "compile") return zor::tool::compileCommand(arguments);
  if (command == "dump") return zor::tool::dumpCommand(arguments);
  if (command == "render") return zor::tool::renderCommand(arguments);
  if (command == "preview") return zor::tool::previewCommand(arguments);
  return zor::tool::usageError("unknown command '" + command + "'");
}
