#pragma once
// The error reporter's own windows (Zorvane$OBERROR): $MSGWINDOW, the box
// that offers the collected errors through its "View History" button, and
// $HISTORYWINDOW, the "Errors History" list. Each runs as a small procedure
// with its own accept loop on the calling thread. They need a front end on
// that thread (a loop without one would wait for ever) and the definitions
// linked into the program; without either they show nothing and answer
// nullopt / false, so that the caller can fall back to the plain box.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "framework/error_reporter.h"

namespace zor::fw {

inline constexpr const char* kErrorWindowsOwner = "Zorvane$OBERROR";

struct ErrorBoxRequest {
  std::string text;  // "|" breaks the line
  std::string title;
  unsigned icon = 0;  // ui ICON
  unsigned buttons = Button::Ok;
  unsigned defaultButton = Button::Ok;
  bool offerHistory = false;
};

// The button pressed; closing the box answers the button that changes
// nothing (declineButton). `viewHistory` runs for "View History".
std::optional<unsigned> runErrorBox(const ErrorBoxRequest& request,
                                    const std::function<void()>& viewHistory);

// Lists the errors, oldest first, until the window is closed; false when no
// window could be shown.
bool runErrorHistory(const std::vector<ErrorHistoryEntry>& history);

// Of a set of buttons, the one that leaves things as they are: Cancel, else
// No, else Ok.
unsigned declineButton(unsigned buttons);

}  // namespace zor::fw
