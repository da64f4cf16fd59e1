#pragma once
// The zor console's command table. Each command lives in its own file and
// registers itself with a static registrar:
//
//   static zor::tool::CommandRegistrar formatCommand{"format", "PICTURE VALUE", runFormat};
//
// A command gets its arguments (without the command name) and returns the
// process exit code.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zor::tool {

using Arguments = std::vector<std::string>;
using CommandFunction = std::function<int(const Arguments& arguments)>;

inline constexpr int kExitOk = 0;
inline constexpr int kExitUsage = 2;

struct Command {
  std::string name;
  std::string usage;  // the arguments, e.g. "PICTURE VALUE"
  CommandFunction run;
};

class CommandRegistrar {
 public:
  CommandRegistrar(std::string name, std::string usage, CommandFunction run);
};

// Every registered command, sorted by name.
std::vector<Command> registeredCommands();
// nullptr when no command has that name.
const Command* findCommand(std::string_view name);

// Prints "zor: MESSAGE" and the command's usage line on stderr; returns
// kExitUsage.
int usageError(const std::string& command, const std::string& message);

// Whole-text integer parsing (optional sign, decimal digits only).
bool parseInteger(const std::string& text, int64_t& value);
// Same, and the value must lie in [low, high].
bool parseInteger(const std::string& text, int64_t low, int64_t high, int64_t& value);

}  // namespace zor::tool
