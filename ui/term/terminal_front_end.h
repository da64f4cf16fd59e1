#pragma once
// The terminal front end: draws the windows of the thread that creates it on
// the terminal and turns keys, mouse actions and resizes into the windows'
// input messages. While it lives it also shows the runtime's message boxes
// and fatal-error boxes in the terminal, offers popup menus, and keeps the
// terminal restorable (terminal_guard.h).
//
//   TerminalFrontEnd terminal;   // on the thread that runs the windows
//   runMainWindow();
//
// A hang-up of the terminal closes the windows through CloseWindow (and,
// when a window refuses, ends the accept loops with WM_QUIT), so the
// procedures finish their work and close their files themselves.

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/message_box.h"
#include "runtime/fatal_error.h"
#include "ui/front_end.h"
#include "ui/input.h"
#include "ui/term/input_watcher.h"
#include "ui/term/message_box_view.h"
#include "ui/term/mouse_translation.h"
#include "ui/term/screen_composer.h"
#include "ui/term/terminal.h"
#include "ui/term/terminal_guard.h"

namespace zor::ui::term {

class TerminalFrontEnd final : private FrontEnd {
 public:
  // Throws std::runtime_error when the terminal cannot be driven; nothing
  // is installed then.
  TerminalFrontEnd();
  ~TerminalFrontEnd() override;
  TerminalFrontEnd(const TerminalFrontEnd&) = delete;
  TerminalFrontEnd& operator=(const TerminalFrontEnd&) = delete;

  // Whether stdin and stdout are both a terminal.
  static bool available();

  // Shows the menu at the cell (default: where the mouse last was, else the
  // middle of the active window) and answers the chosen position, 0 when
  // cancelled.
  int popupMenu(std::string_view menu, std::optional<Cell> at = std::nullopt) override;
  // Shows a message box and answers the ui::BUTTON code pressed.
  unsigned messageBox(const MessageBoxContent& content);

 private:
  void windowOpened(Window& window) override;
  void windowClosed(Window& window) override;
  void idle(Window& window) override;
  // The wait cursor's mark is drawn at once.
  void cursorChanged() override;

  // The windows on a canvas of the terminal's size, a layer each.
  Canvas compose(ScreenLayers& layers) const;
  void showScreen();
  struct Delivery {
    bool posted = false;  // a message went to a window
    bool redraw = false;  // the screen changed without one
  };
  // Takes one input for the window.
  Delivery deliver(Window& window, const TerminalInput& input);
  // These answer whether they posted a message.
  bool deliverMouse(Window& window, const MouseInput& mouse);
  bool resized();
  // Posts the move or size the screen asks of the window (a resizable one
  // takes the screen's size when it is larger, and its own back when the
  // screen grows); a command the window refused is not asked again.
  bool fit(Window& window);
  void hungUp(Window& window);
  bool terminalGone() const;
  // Runs a box or menu until it answers.
  template <class View, class Answer>
  Answer modal(View& view, Answer fallback);

  mutable std::recursive_mutex mutex_;
  InputWatcher watcher_;
  TerminalGuard guard_;
  std::optional<Terminal> terminal_;
  int thread_ = 0;
  std::vector<Window*> windows_;
  Window* active_ = nullptr;
  MouseTracker mouse_;
  std::optional<Cell> pointer_;  // last mouse cell on the screen
  int pointerField_ = 0;
  WindowHandle closeAsked_ = 0;  // the window asked to close after a hang-up
  // Resizable windows the screen made smaller: the size each wants back and
  // the size it was given.
  struct Fitting {
    Rect wanted;
    Rect given;
  };
  std::map<const Window*, Fitting> fitted_;
  // The last command asked of each window, with the place it was asked at.
  std::map<const Window*, std::pair<Rect, ResizeCommand>> asked_;
  FrontEnd* previousFrontEnd_ = nullptr;
  platform::MessageBoxHook previousBoxHook_;
  FatalErrorHook previousFatalHook_;
  Rect previousDesktop_;
};

// The terminal front end that is alive, or null.
TerminalFrontEnd* activeTerminal();

}  // namespace zor::ui::term
