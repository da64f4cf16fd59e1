// QV_GUI_SetupiniAdmin: the settings administration program.

#include <cstdio>

#include "app/main_window.h"
#include "app/program.h"

int main() {
  qv::ProgramParts parts;
  parts.initWindowSystem = [] { return true; };
  parts.mainWindow = [] { qv::runMainWindow(); };
  return qv::runProcess(parts);
}
