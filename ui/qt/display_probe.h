#pragma once
// Whether the program can show desktop windows: an X display whose server
// answers (a Wayland desktop's included), or a Qt platform named through
// QT_QPA_PLATFORM ("offscreen" draws in memory).
// Probed without Qt, which ends the process when it cannot reach the
// display it was told of.

namespace zor::ui::qt {

bool displayAvailable();

}  // namespace zor::ui::qt
