#pragma once
// Which front end shows the program's windows: the desktop when there is a
// display, else the terminal when stdin and stdout are both a terminal, the
// headless one otherwise; "--ui=gui", "--ui=term" or "--ui=headless" on the
// command line decides instead.
//
//   auto option = readFrontEndOption(arguments);
//   if (!option.error.empty()) { report(option.error); return 2; }
//   auto kind = chooseFrontEnd(option.asked, isatty(0), isatty(1), displayPresent());
//   if (!kind) { report(whyNot(*option.asked)); return 2; }
//   ActiveFrontEnd frontEnd(*kind);   // on the thread that runs the windows

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zor::ui::term {
class TerminalFrontEnd;
}
namespace zor::ui::qt {
class QtFrontEnd;
}

namespace qv {

enum class FrontEndKind { Desktop, Terminal, Headless };

struct FrontEndOption {
  std::optional<FrontEndKind> asked;  // none: choose by the terminal
  std::string error;                  // an unknown "--ui=" value
};

// Reads "--ui=gui", "--ui=term" or "--ui=headless" among the arguments;
// the last one counts.
FrontEndOption readFrontEndOption(const std::vector<std::string>& arguments);

// The front end to use; none when the one asked for cannot be had (the
// desktop without a display, the terminal without a terminal).
std::optional<FrontEndKind> chooseFrontEnd(std::optional<FrontEndKind> asked, bool stdinIsTerminal,
                                           bool stdoutIsTerminal, bool display = false);

// Whether this build has the desktop front end (Qt 6 was there to build
// it), and whether there is a display for it now.
bool desktopBuilt();
bool displayPresent();
// Why the front end asked for cannot be had.
std::string unavailableReason(FrontEndKind asked);

// The chosen front end while it lives. The desktop one shows the windows
// and message boxes as desktop windows; the terminal one takes over the
// terminal (and the message boxes) for the calling thread; the headless one
// installs nothing: message boxes answer their default button with a line
// on stderr, and tests drive windows through ui/headless. A terminal that
// cannot be driven (an unknown TERM) leaves the headless one, and a desktop
// that cannot be reached the terminal or the headless one, with a line on
// stderr.
class ActiveFrontEnd {
 public:
  explicit ActiveFrontEnd(FrontEndKind kind);
  ~ActiveFrontEnd();
  ActiveFrontEnd(const ActiveFrontEnd&) = delete;
  ActiveFrontEnd& operator=(const ActiveFrontEnd&) = delete;

  FrontEndKind kind() const { return kind_; }

 private:
  FrontEndKind kind_;
  std::unique_ptr<zor::ui::qt::QtFrontEnd> desktop_;
  std::unique_ptr<zor::ui::term::TerminalFrontEnd> terminal_;
};

}  // namespace qv
