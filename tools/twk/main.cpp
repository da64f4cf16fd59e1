// twk: the Tarnwick file utility. Runs one registered command and exits with
// its code; "help" lists them all and "help COMMAND" explains one. No input
// ends it on an exception: anything thrown becomes a message and exit 1.

#include <string>
#include <vector>

#include "data/tarnwick/internal_failure.h"
#include "tools/common/guarded_main.h"
#include "tools/twk/command.h"

namespace {

int run(const std::vector<std::string>& arguments) {
  // A damaged file is reported as a line on stderr, not a message box.
  zor::tarnwick::showInternalFailureBox(false);
  zor::tool::CommandTable& commands = zor::twk::twkCommands();
  commands.setFooter(
      "FILE\\!TABLE (or FILE!TABLE) names one table of a file; without it the\n"
      "file's only table, or UNNAMED. \"twk help COMMAND\" explains a command.\n");
  return commands.run(arguments);
}

}  // namespace

int main(int argc, char** argv) {
  return zor::tool::runReportingExceptions(
      "twk", [&] { return run(std::vector<std::string>(argv + 1, argv + argc)); });
}
