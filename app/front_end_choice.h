#pragma once
// Which front end shows the program's windows: the terminal when stdin and
// stdout are both a terminal, the headless one otherwise; "--ui=term" or
// "--ui=headless" on the command line decides instead.
//
//   auto option = readFrontEndOption(arguments);
//   if (!option.error.empty()) { report(option.error); return 2; }
//   auto kind = chooseFrontEnd(option.asked, isatty(0), isatty(1));
//   if (!kind) { report("--ui=term needs a terminal"); return 2; }
//   ActiveFrontEnd frontEnd(*kind);   // on the thread that runs the windows

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zor::ui::term {
class TerminalFrontEnd;
}

namespace qv {

enum class FrontEndKind { Terminal, Headless };

struct FrontEndOption {
  std::optional<FrontEndKind> asked;  // none: choose by the terminal
  std::string error;                  // an unknown "--ui=" value
};

// Reads "--ui=term" or "--ui=headless" among the arguments; the last one
// counts.
FrontEndOption readFrontEndOption(const std::vector<std::string>& arguments);

// The front end to use; none when the terminal is asked for and there is
// no terminal to take over.
std::optional<FrontEndKind> chooseFrontEnd(std::optional<FrontEndKind> asked, bool stdinIsTerminal,
                                           bool stdoutIsTerminal);

// The chosen front end while it lives. The terminal one takes over the
// terminal (and the message boxes) for the calling thread; the headless one
// installs nothing: message boxes answer their default button with a line
// on stderr, and tests drive windows through ui/headless. A terminal that
// cannot be driven (an unknown TERM) leaves the headless one, with a line on
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
  std::unique_ptr<zor::ui::term::TerminalFrontEnd> terminal_;
};

}  // namespace qv
