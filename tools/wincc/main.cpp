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

#include "tools/common/command_table.h"
#include "tools/common/guarded_main.h"
#include "tools/wincc/commands.h"

namespace {

using zor::tool::CommandTable;

const CommandTable& winccCommands() {
  static const CommandTable commands = [] {
    CommandTable table{"wincc"};
    table.add({"compile", "IN.win OUT.cpp|OUT.bin", "", zor::tool::compileCommand, {}});
    table.add({"dump", "FILE.win|FILE.bin", "", zor::tool::dumpCommand, {}});
    table.add({"render", "FILE.win|FILE.bin [LABEL]", "", zor::tool::renderCommand, {}});
    table.add({"preview",
               "[--ui=gui|term] FILE.win|FILE.bin [LABEL]",
               "",
               zor::tool::previewCommand,
               {}});
    table.add(
        {"help", "", "", [](const zor::tool::Arguments&) { return zor::tool::printUsage(); }, {}});
    return table;
  }();
  return commands;
}

int run(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return zor::tool::usageError("no command given");
  if (arguments[0] == "--help" || arguments[0] == "-h") return zor::tool::printUsage();
  return winccCommands().run(arguments, zor::tool::writeUsage);
}

}  // namespace

int main(int argc, char** argv) {
  return zor::tool::runReportingExceptions(
      "wincc", [&] { return run(std::vector<std::string>(argv + 1, argv + argc)); });
}
