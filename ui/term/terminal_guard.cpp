#include "ui/term/terminal_guard.h"

#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <iterator>

#include "runtime/halt.h"

namespace zor::ui::term {
namespace {

// Mouse reports off, colours and attributes reset, cursor shown, cursor keys
// back to normal mode, the main screen back, and a fresh line.
constexpr char kResetSequence[] =
    "\033[?1002l\033[?1000l\033[?1006l\033[0m\033[?25h\033[?1l\033>\033[?1049l\r\n";

struct termios gSavedModes;
volatile sig_atomic_t gModesSaved = 0;
volatile sig_atomic_t gHangUp = 0;
volatile sig_atomic_t gResized = 0;
volatile sig_atomic_t gWakeFd = -1;

constexpr int kFatalSignals[] = {SIGINT, SIGTERM, SIGSEGV};
struct sigaction gPrevious[3];
struct sigaction gPreviousHangUp;
struct sigaction gPreviousResize;

void wake() {
  int fd = gWakeFd;
  if (fd < 0) return;
  char byte = 1;
  ssize_t written = write(fd, &byte, 1);
  (void)written;  // a full pipe already holds a wake-up
}

void onFatalSignal(int signal) {
  restoreTerminalNow();
  struct sigaction standard {};
  standard.sa_handler = SIG_DFL;
  sigemptyset(&standard.sa_mask);
  sigaction(signal, &standard, nullptr);
  // SIGSEGV faults again on return and ends the process with its default
  // action; the others are raised again.
  if (signal != SIGSEGV) raise(signal);
}

void onHangUp(int) {
  gHangUp = 1;
  wake();
}

void onResize(int signal) {
  gResized = 1;
  if (gPreviousResize.sa_handler != SIG_DFL && gPreviousResize.sa_handler != SIG_IGN &&
      (gPreviousResize.sa_flags & SA_SIGINFO) == 0) {
    gPreviousResize.sa_handler(signal);
  }
  wake();
}

void install(int signal, void (*handler)(int), struct sigaction* previous) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(signal, &action, previous);
}

}  // namespace

void restoreTerminalNow() {
  if (!gModesSaved) return;
  ssize_t written = write(STDOUT_FILENO, kResetSequence, sizeof kResetSequence - 1);
  (void)written;
  tcsetattr(STDIN_FILENO, TCSAFLUSH, &gSavedModes);
}

TerminalGuard::TerminalGuard(int wakeFd) {
  gWakeFd = wakeFd;
  gHangUp = 0;
  gResized = 0;
  if (tcgetattr(STDIN_FILENO, &gSavedModes) == 0) gModesSaved = 1;
}

void TerminalGuard::arm() {
  if (armed_) return;
  armed_ = true;
  for (size_t i = 0; i < std::size(kFatalSignals); ++i) {
    install(kFatalSignals[i], onFatalSignal, &gPrevious[i]);
  }
  install(SIGHUP, onHangUp, &gPreviousHangUp);
  install(SIGWINCH, onResize, &gPreviousResize);
  // A fatal error box ends the process without unwinding this guard.
  haltAction_ = addHaltAction(restoreTerminalNow);
}

TerminalGuard::~TerminalGuard() {
  gWakeFd = -1;
  gModesSaved = 0;
  if (!armed_) return;
  removeHaltAction(haltAction_);
  for (size_t i = 0; i < std::size(kFatalSignals); ++i) {
    sigaction(kFatalSignals[i], &gPrevious[i], nullptr);
  }
  sigaction(SIGHUP, &gPreviousHangUp, nullptr);
  sigaction(SIGWINCH, &gPreviousResize, nullptr);
}

bool TerminalGuard::hungUp() {
  return gHangUp != 0;
}

bool TerminalGuard::takeResize() {
  bool resized = gResized != 0;
  gResized = 0;
  return resized;
}

}  // namespace zor::ui::term
