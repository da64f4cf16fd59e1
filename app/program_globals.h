#pragma once
// The application's process-wide globals, created by the program body in a
// fixed order and released in reverse.

#include <cstdint>
#include <memory>
#include <string>

#include "app/text_matcher.h"
#include "framework/error_reporter.h"
#include "framework/ini_manager.h"

namespace qv {

inline constexpr const char* kIniFileName = "QV_GUI_SetupiniAdmin.INI";
inline constexpr const char* kDefaultWindowIcon = "~Security.ico";

struct ProgramGlobals {
  // The process-wide reporter (ErrorReporter::Global()), never released.
  zor::fw::ErrorReporter* errorReporter = nullptr;
  std::unique_ptr<TextMatcher> textMatcher;
  std::unique_ptr<zor::fw::INIManager> iniManager;
  // Drag-full-windows: the value read at start and the buffer of the set call.
  int32_t dragFullWindowsRead = 0;
  int32_t dragFullWindowsSet = 0;
  // The program-wide default window icon.
  std::string defaultWindowIcon;
  // The main window fills the screen (in a terminal, where a window of its
  // own size would leave the rest of the screen unused or cut it off).
  bool mainWindowFillsScreen = false;
};

ProgramGlobals& programGlobals();

}  // namespace qv
