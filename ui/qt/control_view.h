#pragma once
// How one control looks on the desktop: the widget that shows it, kept in
// step with the control by sync(), and where a mouse action on the widget
// lands on the grid of character cells that windows take their input in.
// The widget never acts on input itself: the window's front end turns input
// into the window's messages, and the control, not the widget, decides.

#include <QEvent>
#include <QFont>
#include <QPoint>
#include <QRect>
#include <cstdint>
#include <functional>
#include <memory>

#include "ui/input.h"
#include "ui/list_box/list_font.h"

class QWidget;

namespace zor::ui {
class Control;
class Window;
}  // namespace zor::ui

namespace zor::ui::qt {

// What every view of a window shares while it is brought up to date.
struct ViewContext {
  const Window& window;
  ListFont metrics;      // dialog units of the window's font, in pixels
  QFont font;            // the window's font
  bool focused = false;  // the control has the window's focus
};

// Posts one of the window's input messages (ui/input.h).
using PostInput = std::function<void(uint32_t message, uintptr_t wParam, intptr_t lParam)>;

// Where a mouse action goes.
struct MouseRoute {
  enum class Kind { Drop, Toolkit, Cell };
  Kind kind = Kind::Drop;
  Cell cell;  // Kind::Cell: relative to the control's cells

  static MouseRoute drop() { return {}; }
  // The widget handles it itself (a scroll bar scrolling text).
  static MouseRoute toolkit() { return {Kind::Toolkit, {}}; }
  static MouseRoute at(Cell cell) { return {Kind::Cell, cell}; }
};

// A mouse action on a view: the widget it happened on (the view's widget
// or one inside it) and where, in that widget's pixels.
struct MouseAt {
  QWidget* target = nullptr;
  QPoint pos;
  QEvent::Type type = QEvent::None;
};

class ControlView {
 public:
  virtual ~ControlView() = default;

  // The widget, null for a control its parent shows (a sheet's tab).
  virtual QWidget* widget() const = 0;
  // Shows the control's state. Geometry, visibility, tip and pointer are
  // the window's business.
  virtual void sync(const Control& control, const ViewContext& context) = 0;
  // The client pixels the widget takes for the control's declared ones.
  virtual QRect place(const QRect& declared) const { return declared; }
  // By default the cell under the pointer, the widget's size standing for
  // the control's cells.
  virtual MouseRoute route(const Control& control, const ViewContext& context,
                           const MouseAt& mouse);
};

// The view of the control's kind, its widget made a child of `client`.
// `post` sends the window's messages (a list's scroll bars use it).
std::unique_ptr<ControlView> makeControlView(const Control& control, QWidget* client,
                                             PostInput post);

// A point of one widget in the pixels of another.
QPoint mapBetween(const QWidget* from, const QWidget* to, QPoint pos);

// The cell of the control's cells that a point of its widget stands for.
Cell cellAtPoint(const Control& control, const QWidget& widget, QPoint pos);

}  // namespace zor::ui::qt
