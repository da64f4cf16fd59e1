// wincc: the window declaration compiler.
//   wincc compile IN.win OUT.cpp [--module NAME] [--function NAME]
//   wincc compile IN.win OUT.bin
//   wincc dump FILE.win|FILE.bin
//   wincc render FILE.win|FILE.bin [LABEL]
//   wincc preview [--ui=gui|term] FILE.win|FILE.bin [LABEL]

//   wincc help [COMMAND] | --help
//
// No input ends the program on an exception: anything the library throws
// becomes a message and exit 1.

#include <iostream>
#include <string>
#include <vector>

#include "tools/common/command_table.h"
#include "tools/common/guarded_main.h"
#include "tools/wincc/commands.h"

namespace zor::tool {

namespace {

const CommandTable& winccCommands() {
  static const CommandTable commands = [] {
    CommandTable table{"wincc"};
    table.add({"compile", "IN.win OUT.cpp|OUT.bin [--module NAME] [--function NAME]",
               "declarations compiled into a C++ source that registers them, or into one "
               "binary definition block (.bin)",
               compileCommand,
               "--module names the module the source registers, --function the function\n"
               "that registers it. A run that fails leaves no output behind.\n"});
    table.add({"dump",
               "FILE.win|FILE.bin",
               "declarations, or a compiled block, as declaration text",
               dumpCommand,
               {}});
    table.add({"render", "FILE.win|FILE.bin [LABEL]",
               "a window drawn as the headless front end shows it", renderCommand,
               "LABEL chooses the window; without it, the file's first window.\n"});
    table.add({"preview",
               "[--ui=gui|term] FILE.win|FILE.bin [LABEL]",
               "a window opened on the desktop or in the terminal",
               previewCommand,
               {}});
    table.setFooter("The declaration format is described in docs/window-declarations.md.\n");
    return table;
  }();
  return commands;
}

}  // namespace

void writeUsage(std::ostream& out) {
  winccCommands().printUsage(out);
}

int usageError(const std::string& message) {
  std::cerr << "wincc: " << message << "\n";
  writeUsage(std::cerr);
  return kExitUsage;
}

}  // namespace zor::tool

int main(int argc, char** argv) {
  return zor::tool::runReportingExceptions("wincc", [&] {
    return zor::tool::winccCommands().run(std::vector<std::string>(argv + 1, argv + argc));
  });
}
