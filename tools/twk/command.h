#pragma once
// twk's commands. Each command lives in its own file and registers itself
// with a static registrar:
//
//   static zor::twk::CommandRegistrar infoCommand{"info", "FILE", "header, zones, tree", runInfo};

#include <string>
#include <utility>

#include "tools/common/command_table.h"

namespace zor::twk {

using tool::Arguments;
using tool::Command;
using tool::CommandFunction;
using tool::kExitFailure;
using tool::kExitOk;
using tool::kExitUsage;

// twk's table, built on first use, so registrars in any file may run before
// this one's statics are initialised.
tool::CommandTable& twkCommands();

class CommandRegistrar {
 public:
  CommandRegistrar(std::string name, std::string usage, std::string summary, CommandFunction run,
                   std::string help = {}) {
    twkCommands().add(
        {std::move(name), std::move(usage), std::move(summary), std::move(run), std::move(help)});
  }
};

// Prints "twk: MESSAGE" and the command's usage line on stderr; returns
// kExitUsage.
inline int usageError(const std::string& command, const std::string& message) {
  return twkCommands().usageError(command, message);
}

}  // namespace zor::twk
