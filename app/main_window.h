#pragma once
// The main window procedure: the section and setting browses, the help text
// of the highlighted setting, and the buttons below them. Sections are
// edited in place in their list; settings through update_Settings.

#include <functional>
#include <string>

namespace qv {

inline constexpr const char* kMainWindowOwner = "QV_GUI_SetupiniAdmin$QV_GUI_SetupiniAdmin001";
inline constexpr const char* kMainWindowLabel = "P1$WINDOW";
inline constexpr const char* kMainProcedure = "Main";

// Field equates of the main window's controls.
inline constexpr int kSheet = 1;
inline constexpr int kHelpText = 3;
inline constexpr int kSectionsList = 4;
inline constexpr int kSettingsList = 5;
inline constexpr int kInsertSection = 6;
inline constexpr int kChangeSection = 7;
inline constexpr int kDeleteSection = 8;
inline constexpr int kInsertSetting = 9;
inline constexpr int kChangeSetting = 10;
inline constexpr int kDeleteSetting = 11;
inline constexpr int kLoadSetupIniButton = 12;
inline constexpr int kUpdateSetupIniButton = 13;
inline constexpr int kAboutButton = 14;
inline constexpr int kCloseButton = 15;

// The notice the Load, Update and About buttons answer with.
inline constexpr const char* kNotice = "To be updated soon";

// The status icons of the settings list, and the characters a character
// screen shows for them.
inline constexpr const char* kActiveIcon = "~11.ico";
inline constexpr const char* kObsoleteIcon = "~13.ico";
inline constexpr char kActiveGlyph = '+';
inline constexpr char kObsoleteGlyph = '-';

// Runs the main window as the program does, then prints it as it shows
// after opening (for a run without a terminal, where nobody could answer
// it) and ends it.
void printMainWindow(const std::function<void(const std::string&)>& print);

}  // namespace qv
