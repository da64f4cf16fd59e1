#pragma once
// While the program runs, its windows refuse the end of the session: the
// asked window comes to the top (when visible and enabled) and a message box
// tells the user to quit the application first.

#include <cstdint>
#include <string>

namespace zor::ui {

class Window;

inline constexpr char kSessionEndText[] =
    "Application still active.\n\nQuit the application before quitting Windows.";
inline constexpr char kRuntimeCaption[] = "Zorvane 6.0";

// The runtime's caption switch: when set, runtime boxes carry kRuntimeCaption
// instead of the program's own caption text.
void setRuntimeCaptionSwitch(bool on);
void setProgramCaption(const std::string& caption);
std::string runtimeBoxCaption();

// The answer to WM_QUERYENDSESSION: shows the box and returns 0 (refused).
intptr_t answerSessionEnd(Window& window);

}  // namespace zor::ui
