#pragma once
// The error reporter of a run without windows (the Setup.ini import and
// export): every message goes to stderr as one line, prefixed with the
// program's name, and every question is answered with the button that
// changes nothing, as a silent reporter would.

#include <string>

#include "framework/error_reporter.h"

namespace qv {

class ConsoleErrorReporter : public zor::fw::ErrorReporter {
 public:
  ConsoleErrorReporter();

 protected:
  unsigned Msg(const std::string& text, const std::string& title, unsigned icon, unsigned buttons,
               unsigned defaultButton, int16_t style) override;
};

// Makes a console reporter the program's reporter, and has a fatal runtime
// error (a damaged database ends the program) said on stderr before the
// process ends, for a run without a user at its windows.
void useConsoleForErrors();

}  // namespace qv
