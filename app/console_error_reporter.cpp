#include "app/console_error_reporter.h"

#include <cstdio>

namespace qv {

ConsoleErrorReporter::ConsoleErrorReporter() {
  Init();
  SetSilent(true);
}

unsigned ConsoleErrorReporter::Msg(const std::string& text, const std::string& title, unsigned icon,
                                   unsigned buttons, unsigned defaultButton, int16_t style) {
  std::string line = text;
  for (char& c : line) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  std::fprintf(stderr, "QV_GUI_SetupiniAdmin: %s: %s\n", title.c_str(), line.c_str());
  std::fflush(stderr);
  return ErrorReporter::Msg(text, title, icon, buttons, defaultButton, style);
}

}  // namespace qv
