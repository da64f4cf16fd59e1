#pragma once
// Keeps the terminal usable whatever ends the program. While a guard lives:
//   - SIGINT, SIGTERM and SIGSEGV restore the terminal (the saved terminal
//     modes through tcsetattr and the reset sequences through write(2):
//     both are async-signal-safe, endwin is not) and then take their
//     default course;
//   - SIGHUP (the terminal hung up) only records the hang-up and wakes the
//     front end, which asks the windows to close, so no write of committed
//     data is cut short;
//   - the end of the process through the runtime's halt (a fatal error box)
//     restores it as the fatal signals do;
//   - SIGWINCH records the resize (ncurses' own handler still runs) and
//     wakes the front end.
// The wake-up is one byte written to `wakeFd`.

namespace zor::ui::term {

class TerminalGuard {
 public:
  // Saves the terminal modes of stdin; call before the terminal is taken over.
  explicit TerminalGuard(int wakeFd);
  // Puts the previous signal handlers back.
  ~TerminalGuard();
  TerminalGuard(const TerminalGuard&) = delete;
  TerminalGuard& operator=(const TerminalGuard&) = delete;

  // Installs the handlers; call once the terminal is taken over, so the
  // resize handler of ncurses is there to be chained.
  void arm();

  // Whether a hang-up was seen (it stays seen).
  static bool hungUp();
  // Whether the terminal was resized since the last call.
  static bool takeResize();

 private:
  bool armed_ = false;
  int haltAction_ = 0;
};

// Writes the reset sequences and restores the saved modes. Async-signal-safe;
// does nothing when no guard saved the modes.
void restoreTerminalNow();

}  // namespace zor::ui::term
