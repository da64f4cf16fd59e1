#include "app/command_line.h"

#include <cstdio>

#ifndef ZOR_VERSION
#define ZOR_VERSION "0.1"
#endif

namespace qv {

CommandLine readCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  for (const std::string& argument : arguments) {
    if (argument == "--help" || argument == "-h" || argument == "help") {
      line.action = CommandLine::Action::Help;
      return line;
    }
    if (argument == "--version") {
      line.action = CommandLine::Action::Version;
      return line;
    }
    if (argument.rfind("--ui=", 0) == 0) continue;  // the front end's own option
    line.action = CommandLine::Action::Refuse;
    line.problem =
        (argument.rfind('-', 0) == 0 ? "unknown option " : "unexpected argument ") + argument;
    return line;
  }
  return line;
}

std::string usageText() {
  return "usage: QV_GUI_SetupiniAdmin [--ui=term|headless]\n"
         "       QV_GUI_SetupiniAdmin --help | --version\n"
         "\n"
         "Keeps the documentation of the settings of Pellmoor's Setup.ini: the\n"
         "sections and their settings, in section.edt and Setup.edt in the current\n"
         "directory (created when missing), with window positions in\n"
         "QV_GUI_SetupiniAdmin.INI.\n"
         "\n"
         "  --ui=term      the terminal front end (needs a terminal)\n"
         "  --ui=headless  print the main window as text and end\n"
         "                 (the default without a terminal)\n"
         "  --help         this text\n"
         "  --version      the program's version\n";
}

std::string versionText() {
  return "QV_GUI_SetupiniAdmin " ZOR_VERSION " (Zorvane runtime)\n";
}

int answerCommandLine(const CommandLine& line) {
  switch (line.action) {
    case CommandLine::Action::Help:
      std::fputs(usageText().c_str(), stdout);
      return 0;
    case CommandLine::Action::Version:
      std::fputs(versionText().c_str(), stdout);
      return 0;
    case CommandLine::Action::Refuse:
      std::fprintf(stderr, "QV_GUI_SetupiniAdmin: %s\n%s", line.problem.c_str(),
                   usageText().c_str());
      return 2;
    case CommandLine::Action::Run:
      break;
  }
  return 0;
}

}  // namespace qv
