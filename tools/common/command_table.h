#pragma once
// The command table every tool (zor, twk, wincc) dispatches through: a
// command has a name, its arguments' usage, a one-line summary and, for
// "TOOL help COMMAND", a longer help text. A command gets its arguments
// (without the command name) and returns the process exit code.

#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zor::tool {

using Arguments = std::vector<std::string>;
using CommandFunction = std::function<int(const Arguments& arguments)>;

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

struct Command {
  std::string name;
  std::string usage;    // the arguments, e.g. "PICTURE VALUE"
  std::string summary;  // one line on what it does
  CommandFunction run;
  std::string help;  // what "TOOL help NAME" prints after the usage and summary
};

class CommandTable {
 public:
  explicit CommandTable(std::string tool) : tool_(std::move(tool)) {}

  // A later command of the same name replaces the earlier one.
  void add(Command command);
  // The lines printed after the list of commands (a note on the arguments,
  // where the formats are documented).
  void setFooter(std::string footer) { footer_ = std::move(footer); }
  // Every command, sorted by name.
  std::vector<Command> sorted() const;
  // nullptr when no command has that name.
  const Command* find(std::string_view name) const;

  // "usage: TOOL COMMAND [ARGUMENTS]", each command with its arguments and
  // summary, then the footer.
  void printUsage(std::ostream& out) const;
  // "TOOL help [COMMAND]": the list on stdout, or one command's usage,
  // summary and help; an unknown command gives kExitUsage.
  int help(const Arguments& arguments) const;
  // Prints "TOOL: MESSAGE" and the command's usage line on stderr; returns
  // kExitUsage.
  int usageError(std::string_view command, const std::string& message) const;
  // The whole command line: nothing lists the commands on stderr (kExitUsage),
  // "--help"/"-h"/"help" lists them or explains one, anything else runs the
  // command arguments[0] names with the rest. An unknown command is said on
  // stderr with the list and gives kExitUsage.
  int run(const Arguments& arguments) const;

 private:
  std::string tool_;
  std::string footer_;
  std::vector<Command> commands_;
};

}  // namespace zor::tool
