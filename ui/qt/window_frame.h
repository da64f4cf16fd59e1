#pragma once
// A runtime window as a top-level desktop window: its client area sized
// from the window's dialog units through its font, one view per control
// (ui/qt/control_view.h), brought up to date with the window by sync().
// The frame turns what the user does into the window's messages: keys,
// mouse actions on the cells of the controls, the close button, and moving,
// sizing, maximising and minimising as the system commands the terminal
// gives (so the procedure sees Move/Size and may refuse them). Only the
// window whose accept loop waits takes input; the others drop it.

#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "ui/list_box/list_font.h"
#include "ui/qt/control_view.h"

namespace zor::ui {
class Control;
class Window;
}  // namespace zor::ui

namespace zor::ui::qt {

class WindowFrame : public QWidget {
 public:
  // `fontScale` enlarges the declared fonts (1: as declared).
  WindowFrame(Window& window, double fontScale);
  ~WindowFrame() override;

  Window& window() const { return window_; }
  const ListFont& metrics() const { return metrics_; }

  // Shows the window's state: new controls, geometry, texts, the focus.
  // `active`: the window's accept loop is the one waiting for input.
  void sync(bool active);
  bool active() const { return active_; }

  // Input that Qt delivers to `target`, a widget of this frame. True when
  // it is taken (turned into messages, or dropped); false leaves it to Qt.
  bool input(QWidget* target, QEvent* event);

  // The widget that shows the control, null when none.
  QWidget* controlWidget(int field) const;

  // Called when input comes to a frame that does not take it.
  std::function<void()> onInputRefused;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void post(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);
  void syncWindow();
  void syncControl(size_t index);
  ViewContext context(const Control& control) const;
  // The control a widget belongs to, 0 for none.
  int fieldOf(const QWidget* widget) const;
  bool mouse(QWidget* target, QEvent* event);
  bool key(QEvent* event);
  QRect clientRect() const;

  Window& window_;
  double fontScale_;
  QFont font_;
  ListFont metrics_;
  std::vector<std::unique_ptr<ControlView>> views_;
  bool active_ = false;
  bool shown_ = false;
  int wheelRemainder_ = 0;
  bool syncing_ = false;  // geometry set here, not by the user
};

}  // namespace zor::ui::qt
