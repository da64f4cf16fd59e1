#pragma once
// The zor console's commands. Each command lives in its own file and
// registers itself with a static registrar:
//
//   static zor::tool::CommandRegistrar formatCommand{"format", "PICTURE VALUE",
//                                                    "a value through a picture", runFormat};

#include <cstdint>
#include <string>
#include <utility>

#include "tools/common/command_table.h"

namespace zor::tool {

// The console's table, built on first use, so registrars in any file may run
// before this one's statics are initialised.
CommandTable& zorCommands();

class CommandRegistrar {
 public:
  CommandRegistrar(std::string name, std::string usage, std::string summary, CommandFunction run,
                   std::string help = {}) {
    zorCommands().add(
        {std::move(name), std::move(usage), std::move(summary), std::move(run), std::move(help)});
  }
};

// Prints "zor: MESSAGE" and the command's usage line on stderr; returns
// kExitUsage.
inline int usageError(const std::string& command, const std::string& message) {
  return zorCommands().usageError(command, message);
}

// Whole-text integer parsing (optional sign, decimal digits only).
bool parseInteger(const std::string& text, int64_t& value);
// Same, and the value must lie in [low, high].
bool parseInteger(const std::string& text, int64_t low, int64_t high, int64_t& value);

}  // namespace zor::tool
