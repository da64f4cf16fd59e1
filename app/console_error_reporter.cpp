#include "app/console_error_reporter.h"

#include <cstdio>

#include "app/program_globals.h"
#include "runtime/fatal_error.h"

namespace qv {

namespace {

// Says a message on stderr as one line.
void sayOnStderr(const std::string& text) {
  std::string line = text;
  for (char& c : line) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  std::fprintf(stderr, "QV_GUI_SetupiniAdmin: %s\n", line.c_str());
  std::fflush(stderr);
}

}  // namespace

ConsoleErrorReporter::ConsoleErrorReporter() {
  Init();
  SetSilent(true);
}

unsigned ConsoleErrorReporter::Msg(const std::string& text, const std::string& title, unsigned icon,
                                   unsigned buttons, unsigned defaultButton, int16_t style) {
  sayOnStderr(title + ": " + text);
  return ErrorReporter::Msg(text, title, icon, buttons, defaultButton, style);
}

void useConsoleForErrors() {
  static ConsoleErrorReporter reporter;  // a fatal error may end the process under it
  programGlobals().errorReporter = &reporter;
  zor::setFatalErrorHook([](int, const std::string& message) { sayOnStderr(message); });
}

}  // namespace qv
