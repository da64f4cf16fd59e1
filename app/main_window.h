#pragma once
// The main window procedure: the section and setting browses, the help text
// of the highlighted setting, and the buttons below them.

#include <functional>
#include <string>

namespace qv {

inline constexpr const char* kMainWindowOwner = "QV_GUI_SetupiniAdmin$QV_GUI_SetupiniAdmin001";
inline constexpr const char* kMainWindowLabel = "P1$WINDOW";

// Field equates of the main window's buttons below the sheet.
inline constexpr int kLoadSetupIniButton = 12;
inline constexpr int kUpdateSetupIniButton = 13;
inline constexpr int kAboutButton = 14;
inline constexpr int kCloseButton = 15;

// The notice the Load, Update and About buttons answer with.
inline constexpr const char* kNotice = "To be updated soon";

// Runs the main window until the user closes it.
void runMainWindow();

// Prints the main window as it first appears (for a run without a terminal,
// where nobody could answer it) and returns.
void printMainWindow(const std::function<void(const std::string&)>& print);

}  // namespace qv
