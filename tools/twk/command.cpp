#include "tools/twk/command.h"

#include <algorithm>
#include <iostream>

namespace zor::twk {

namespace {

std::vector<Command>& table() {
  static std::vector<Command> commands;
  return commands;
}

}  // namespace

CommandRegistrar::CommandRegistrar(std::string name, std::string usage, std::string summary,
                                   CommandFunction run, std::string help) {
  table().push_back(
      {std::move(name), std::move(usage), std::move(summary), std::move(run), std::move(help)});
}

std::vector<Command> registeredCommands() {
  std::vector<Command> commands = table();
  std::sort(commands.begin(), commands.end(),
            [](const Command& a, const Command& b) { return a.name < b.name; });
  return commands;
}

const Command* findCommand(std::string_view name) {
  for (const Command& command : table()) {
    if (command.name == name) return &command;
  }
  return nullptr;
}

int usageError(const std::string& command, const std::string& message) {
  std::cerr << "twk: " << message << '\n';
  if (const Command* found = findCommand(command)) {
    std::cerr << "usage: twk " << found->name << ' ' << found->usage << '\n';
  }
  return kExitUsage;
}

}  // namespace zor::twk
