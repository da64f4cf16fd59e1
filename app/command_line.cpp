#include "app/command_line.h"

#include <cstdio>
#include <utility>

#ifndef ZOR_VERSION
#define ZOR_VERSION "0.1"
#endif

namespace qv {

namespace {

CommandLine refused(std::string problem) {
  CommandLine line;
  line.action = CommandLine::Action::Refuse;
  line.problem = std::move(problem);
  return line;
}

}  // namespace

CommandLine readCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h" || argument == "help") {
      line.action = CommandLine::Action::Help;
      return line;
    }
    if (argument == "--version") {
      line.action = CommandLine::Action::Version;
      return line;
    }
    if (argument.rfind("--ui=", 0) == 0) continue;  // the front end's own option
    const std::string name = argument.substr(0, argument.find('='));
    if (name == "--import" || name == "--export") {
      std::string file;
      if (name.size() < argument.size()) {
        file = argument.substr(name.size() + 1);
      } else if (i + 1 < arguments.size()) {
        file = arguments[++i];
      }
      if (file.empty()) return refused(name + " needs a file");
      if (line.action != CommandLine::Action::Run) {
        return refused("one of --import and --export at a time");
      }
      line.action = name == "--import" ? CommandLine::Action::Import : CommandLine::Action::Export;
      line.file = file;
      continue;
    }
    return refused((argument.rfind('-', 0) == 0 ? "unknown option " : "unexpected argument ") +
                   argument);
  }
  return line;
}

std::string usageText() {
  return "usage: QV_GUI_SetupiniAdmin [--ui=gui|term|headless]\n"
         "       QV_GUI_SetupiniAdmin --import FILE | --export FILE\n"
         "       QV_GUI_SetupiniAdmin --help | --version\n"
         "\n"
         "Keeps the documentation of the settings of Pellmoor's Setup.ini: the\n"
         "sections and their settings, in section.edt and Setup.edt in the current\n"
         "directory (created when missing), with window positions in\n"
         "QV_GUI_SetupiniAdmin.INI.\n"
         "\n"
         "  --ui=gui       the desktop front end (needs a display)\n"
         "  --ui=term      the terminal front end (needs a terminal)\n"
         "  --ui=headless  print the main window as text and end\n"
         "                 (the default without a terminal)\n"
         "  --import FILE  read a Setup.ini into the database: its sections, and\n"
         "                 its keys as settings with the comment lines above\n"
         "                 them as help text; what is documented already keeps\n"
         "                 its help text and status, nothing is deleted\n"
         "  --export FILE  write a Setup.ini of the active settings, each with\n"
         "                 its help text as comment lines\n"
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
    case CommandLine::Action::Import:
    case CommandLine::Action::Export:
      break;
  }
  return 0;
}

}  // namespace qv
