#pragma once
// twk's command table. Each command lives in its own file and registers
// itself with a static registrar:
//
//   static zor::twk::CommandRegistrar infoCommand{"info", "FILE", "header, zones, tree", runInfo};
//
// A command gets its arguments (without the command name) and returns the
// process exit code.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zor::twk {

using Arguments = std::vector<std::string>;
using CommandFunction = std::function<int(const Arguments& arguments)>;

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

struct Command {
  std::string name;
  std::string usage;    // the arguments, e.g. "FILE"
  std::string summary;  // one line on what it does
  CommandFunction run;
  std::string help;  // what `twk help NAME` prints after the usage and summary
};

class CommandRegistrar {
 public:
  CommandRegistrar(std::string name, std::string usage, std::string summary, CommandFunction run,
                   std::string help = {});
};

// Every registered command, sorted by name.
std::vector<Command> registeredCommands();
const Command* findCommand(std::string_view name);

// Prints "twk: MESSAGE" and the command's usage line on stderr; returns
// kExitUsage.
int usageError(const std::string& command, const std::string& message);

}  // namespace zor::twk
