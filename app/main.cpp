// QV_GUI_SetupiniAdmin: the settings administration program.
//
// Usage: QV_GUI_SetupiniAdmin [--ui=gui|term|headless] | --import FILE |
//        --export FILE | --help | --version
// The desktop front end is chosen when there is a display, else the
// terminal one when the program has a terminal; without either the program
// prints its main window as text and ends.

#include <unistd.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/console_error_reporter.h"
#include "app/dictionary.h"
#include "app/front_end_choice.h"
#include "app/main_window.h"
#include "app/procedures.h"
#include "app/program.h"
#include "app/program_globals.h"
#include "app/setup_ini_exchange.h"
#include "app/window_system.h"

namespace {

// Exchanges the database in the current folder with a Setup.ini, without
// a window: what went wrong is said on stderr instead of in a message box.
int exchangeSetupIni(const qv::CommandLine& line) {
  qv::startRuntime();
  qv::useConsoleForErrors();
  qv::dictionarySetUp();
  const bool importing = line.action == qv::CommandLine::Action::Import;
  const qv::ExchangeReport report =
      importing ? qv::importSetupIni(line.file) : qv::exportSetupIni(line.file);
  qv::dictionaryTearDown();
  if (!report.ok()) {
    std::fprintf(stderr, "QV_GUI_SetupiniAdmin: %s\n", report.summary(!importing).c_str());
    return 1;
  }
  std::printf("%s: %s\n", line.file.c_str(), report.summary(!importing).c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const qv::CommandLine line = qv::readCommandLine(arguments);
  if (line.action == qv::CommandLine::Action::Import ||
      line.action == qv::CommandLine::Action::Export) {
    return exchangeSetupIni(line);
  }
  if (line.action != qv::CommandLine::Action::Run) return qv::answerCommandLine(line);
  const qv::FrontEndOption option = qv::readFrontEndOption(arguments);
  if (!option.error.empty()) {
    std::fprintf(stderr, "QV_GUI_SetupiniAdmin: %s\n", option.error.c_str());
    return 2;
  }
  const std::optional<qv::FrontEndKind> kind =
      qv::chooseFrontEnd(option.asked, ::isatty(0) != 0, ::isatty(1) != 0, qv::displayPresent());
  if (!kind) {
    std::fprintf(stderr, "QV_GUI_SetupiniAdmin: %s\n",
                 qv::unavailableReason(*option.asked).c_str());
    return 2;
  }

  qv::ProgramParts parts;
  parts.initWindowSystem = [kind] {
    std::string problem;
    if (qv::startWindowSystem(*kind, problem)) return true;
    std::fprintf(stderr, "QV_GUI_SetupiniAdmin: %s\n", problem.c_str());
    return false;
  };
  parts.mainWindow = [kind] {
    if (*kind == qv::FrontEndKind::Headless) {
      // Nobody can answer a window without a terminal: show it once and end.
      // What would have been a message box is said on stderr.
      qv::useConsoleForErrors();
      qv::printMainWindow([](const std::string& text) { std::fputs(text.c_str(), stdout); });
      return;
    }
    qv::programGlobals().mainWindowFillsScreen = *kind == qv::FrontEndKind::Terminal;
    qv::Main();
  };
  const int exitCode = qv::runProcess(parts);
  qv::stopWindowSystem();
  return exitCode;
}
