#pragma once
// The desktop front end: shows the windows of the thread that creates it as
// real desktop windows (Qt 6 Widgets) and turns what the user does into the
// windows' messages, exactly as the terminal does; the event engine stays
// in charge. While the thread's accept loop has nothing to do it waits in
// Qt's event loop (ui/qt/event_loop_bridge.h). While the front end lives it
// also shows the runtime's message boxes and the popup menus.
//
//   QtFrontEnd desktop;   // on the thread that runs the windows
//   runMainWindow();
//
// The thread must be the one Qt runs on: the first to create the front end
// (or the application object) in the process.

#include <QtGlobal>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/message_box.h"
#include "ui/front_end.h"
#include "ui/geometry.h"
#include "ui/input.h"

class QApplication;
class QWidget;

namespace zor::ui::qt {

class EventLoopBridge;
class WindowFrame;

class QtFrontEnd final : private FrontEnd {
 public:
  struct Options {
    // Enlarges every declared font (1: as declared); windows keep their
    // proportions, as dialog units follow the font.
    double fontScale = 1.0;
    // The program's name, for the desktop's application object.
    std::string programName = "zorvane";
  };

  // Throws std::runtime_error when there is no display to show windows on
  // (see available()); nothing is installed then.
  QtFrontEnd();
  explicit QtFrontEnd(Options options);
  ~QtFrontEnd() override;
  QtFrontEnd(const QtFrontEnd&) = delete;
  QtFrontEnd& operator=(const QtFrontEnd&) = delete;

  // Whether a display is there (ui/qt/display_probe.h).
  static bool available();

  // Shows the menu near the pointer (or the focused control after a key)
  // and answers the chosen position, 0 when cancelled.
  int popupMenu(std::string_view menu, std::optional<Cell> at = std::nullopt) override;
  // The standard message box; answers the platform's IDOK ... IDNO.
  int messageBox(const std::string& text, const std::string& caption, unsigned flags);

  // For tests and the screenshot tool: runs after each turn's drawing,
  // when the window's loop is about to wait for input.
  void setIdleHook(std::function<void(Window&)> hook) { idleHook_ = std::move(hook); }
  // Runs once a message box or popup menu is up, inside its modal loop.
  void setModalHook(std::function<void(QWidget&)> hook) { modalHook_ = std::move(hook); }
  // The desktop window of an open window, null when none.
  WindowFrame* frameOf(const Window& window) const;

 private:
  class InputRouter;

  void windowOpened(Window& window) override;
  void windowClosed(Window& window) override;
  void idle(Window& window) override;
  // The busy pointer over the program's windows while the wait cursor is on
  // (ui/wait_cursor.h).
  void cursorChanged() override;

  WindowFrame& frame(Window& window);
  WindowFrame* activeFrame() const;
  // Brings every window up to date.
  void syncAll();
  void runModalHook(QWidget& modal);

  Options options_;
  std::unique_ptr<QApplication> ownApplication_;
  std::unique_ptr<InputRouter> router_;
  std::unique_ptr<EventLoopBridge> bridge_;
  std::vector<std::unique_ptr<WindowFrame>> frames_;
  Window* active_ = nullptr;
  bool busyCursor_ = false;  // the override cursor is the wait cursor
  int thread_ = 0;
  bool pointerLast_ = false;  // the last input was the mouse's
  std::function<void(Window&)> idleHook_;
  std::function<void(QWidget&)> modalHook_;
  FrontEnd* previousFrontEnd_ = nullptr;
  platform::MessageBoxHook previousBoxHook_;
  Rect previousDesktop_;
  void (*previousMessageHandler_)(QtMsgType, const QMessageLogContext&, const QString&) = nullptr;
};

// The desktop front end that is alive, or null.
QtFrontEnd* activeDesktop();

}  // namespace zor::ui::qt
