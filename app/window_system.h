#pragma once
// Starting the window system for the program: the chosen front end takes
// over the screen (or stays in memory), and the main window's definition
// must be among the program's resources, so that a program that could show
// no window stops before anything else happens.

#include <functional>
#include <string>

#include "app/front_end_choice.h"

namespace qv {

// Starts the front end and checks the main window's definition. On failure
// `problem` says why and the front end is not left running.
bool startWindowSystem(FrontEndKind kind, std::string& problem);
// Gives the screen back (the terminal is restored).
void stopWindowSystem();

}  // namespace qv
