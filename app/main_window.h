#pragma once
// The main window procedure: the section and setting browses.

namespace qv {

// Runs the main window until the user closes it.
void runMainWindow();

}  // namespace qv
