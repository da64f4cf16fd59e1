#pragma once
// The program's command line: "--help" (or "help"), "--version", the
// front-end choice "--ui=...", and "--import FILE" / "--export FILE", which
// exchange the database with a Setup.ini instead of opening the window;
// anything else is refused with the usage, so that a mistyped option is
// never silently ignored.
//
//   const CommandLine line = readCommandLine(arguments);
//   if (line.action != CommandLine::Action::Run) return answerCommandLine(line);

#include <string>
#include <vector>

namespace qv {

struct CommandLine {
  enum class Action { Run, Help, Version, Import, Export, Refuse };
  Action action = Action::Run;
  std::string file;     // what Import reads or Export writes
  std::string problem;  // why it was refused
};

CommandLine readCommandLine(const std::vector<std::string>& arguments);

// Prints the usage (stdout for help, stderr with the problem for a refusal)
// or the version; answers the exit code: 0, or 2 for a refusal.
int answerCommandLine(const CommandLine& line);

std::string usageText();
std::string versionText();

}  // namespace qv
