#include "tools/zor/command.h"

#include <algorithm>
#include <charconv>
#include <iostream>
#include <map>

namespace zor::tool {

namespace {

// Built on first use, so registrars in any file may run before this one's
// statics are initialised.
std::map<std::string, Command, std::less<>>& table() {
  static std::map<std::string, Command, std::less<>> commands;
  return commands;
}

}  // namespace

CommandRegistrar::CommandRegistrar(std::string name, std::string usage, CommandFunction run) {
  std::string key = name;
  table()[key] = Command{std::move(name), std::move(usage), std::move(run)};
}

std::vector<Command> registeredCommands() {
  std::vector<Command> commands;
  for (const auto& entry : table()) commands.push_back(entry.second);
  return commands;
}

const Command* findCommand(std::string_view name) {
  auto found = table().find(name);
  return found == table().end() ? nullptr : &found->second;
}

int usageError(const std::string& command, const std::string& message) {
  std::cerr << "zor: " << message << '\n';
  if (const Command* found = findCommand(command)) {
    std::cerr << "usage: zor " << found->name << ' ' << found->usage << '\n';
  }
  return kExitUsage;
}

bool parseInteger(const std::string& text, int64_t& value) {
  const char* begin = text.data();
  const char* end = begin + text.size();
  if (begin != end && *begin == '+') ++begin;
  if (begin == end) return false;
  auto [stop, error] = std::from_chars(begin, end, value);
  return error == std::errc{} && stop == end;
}

bool parseInteger(const std::string& text, int64_t low, int64_t high, int64_t& value) {
  return parseInteger(text, value) && value >= low && value <= high;
}

}  // namespace zor::tool
