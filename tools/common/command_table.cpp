#include "tools/common/command_table.h"

#include <algorithm>
#include <iostream>

namespace zor::tool {

void CommandTable::add(Command command) {
  auto same = [&](const Command& known) { return known.name == command.name; };
  auto found = std::find_if(commands_.begin(), commands_.end(), same);
  if (found != commands_.end()) {
    *found = std::move(command);
  } else {
    commands_.push_back(std::move(command));
  }
}

std::vector<Command> CommandTable::sorted() const {
  std::vector<Command> commands = commands_;
  std::sort(commands.begin(), commands.end(),
            [](const Command& a, const Command& b) { return a.name < b.name; });
  return commands;
}

const Command* CommandTable::find(std::string_view name) const {
  for (const Command& command : commands_) {
    if (command.name == name) return &command;
  }
  return nullptr;
}

int CommandTable::usageError(std::string_view command, const std::string& message) const {
  std::cerr << tool_ << ": " << message << '\n';
  if (const Command* found = find(command)) {
    std::cerr << "usage: " << tool_ << ' ' << found->name << ' ' << found->usage << '\n';
  }
  return kExitUsage;
}

int CommandTable::run(const Arguments& arguments,
                      const std::function<void(std::ostream&)>& printUsage) const {
  const Command* command = arguments.empty() ? nullptr : find(arguments[0]);
  if (command == nullptr) {
    if (!arguments.empty()) std::cerr << tool_ << ": unknown command \"" << arguments[0] << "\"\n";
    printUsage(std::cerr);
    return kExitUsage;
  }
  return command->run(Arguments(arguments.begin() + 1, arguments.end()));
}

}  // namespace zor::tool
