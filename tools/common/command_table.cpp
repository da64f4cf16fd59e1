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

void CommandTable::printUsage(std::ostream& out) const {
  out << "usage: " << tool_ << " COMMAND [ARGUMENTS]\n\ncommands:\n";
  std::vector<Command> commands = commands_;
  commands.push_back({"help", "[COMMAND]", "this list, or what COMMAND does", {}, {}});
  std::sort(commands.begin(), commands.end(),
            [](const Command& a, const Command& b) { return a.name < b.name; });
  for (const Command& command : commands) {
    const std::string line =
        tool_ + ' ' + command.name + (command.usage.empty() ? "" : " " + command.usage);
    out << "  " << line;
    if (!command.summary.empty()) {
      out << std::string(line.size() < 30 ? 30 - line.size() : 2, ' ') << command.summary;
    }
    out << '\n';
  }
  if (!footer_.empty()) out << '\n' << footer_;
}

int CommandTable::help(const Arguments& arguments) const {
  if (arguments.empty()) {
    printUsage(std::cout);
    return kExitOk;
  }
  const Command* command = find(arguments[0]);
  if (command == nullptr || arguments.size() > 1) {
    std::cerr << tool_ << ": no command \"" << arguments[0] << "\"\n";
    printUsage(std::cerr);
    return kExitUsage;
  }
  std::cout << "usage: " << tool_ << ' ' << command->name
            << (command->usage.empty() ? "" : " " + command->usage) << '\n';
  if (!command->summary.empty()) std::cout << '\n' << command->summary << ".\n";
  if (!command->help.empty()) std::cout << '\n' << command->help;
  return kExitOk;
}

int CommandTable::usageError(std::string_view command, const std::string& message) const {
  std::cerr << tool_ << ": " << message << '\n';
  if (const Command* found = find(command)) {
    std::cerr << "usage: " << tool_ << ' ' << found->name << ' ' << found->usage << '\n';
  }
  return kExitUsage;
}

int CommandTable::run(const Arguments& arguments) const {
  if (arguments.empty()) {
    printUsage(std::cerr);
    return kExitUsage;
  }
  if (arguments[0] == "--help" || arguments[0] == "-h" || arguments[0] == "help") {
    return help(Arguments(arguments.begin() + 1, arguments.end()));
  }
  const Command* command = find(arguments[0]);
  if (command == nullptr) {
    std::cerr << tool_ << ": unknown command \"" << arguments[0] << "\"\n";
    printUsage(std::cerr);
    return kExitUsage;
  }
  return command->run(Arguments(arguments.begin() + 1, arguments.end()));
}

}  // namespace zor::tool
