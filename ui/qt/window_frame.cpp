#include "ui/qt/window_frame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWindow>
#include <algorithm>
#include <climits>
#include <memory>

#include "ui/message_layer.h"
#include "ui/properties.h"
#include "ui/qt/dialog_metrics.h"
#include "ui/qt/icons.h"
#include "ui/qt/key_translation.h"
#include "ui/qt/qt_text.h"
#include "ui/window.h"
#include "ui/window_input.h"

namespace zor::ui::qt {
namespace {

constexpr int kWheelNotch = 120;  // Qt's angle units of one notch

QFont scaled(QFont font, double scale) {
  if (scale != 1.0 && font.pointSizeF() > 0) font.setPointSizeF(font.pointSizeF() * scale);
  return font;
}

// The window cell a cell of the control stands for. A control whose cells
// another one partly covers takes the covered presses at its nearest cell
// of its own, so that a press on its widget reaches it.
std::optional<Cell> cellOfControl(const Window& window, const Control& control, Cell local) {
  Rect cells = controlCells(control);
  Cell at{cells.x + local.x, cells.y + local.y};
  if (controlAt(window, at) == control.field()) return at;
  std::optional<Cell> best;
  int bestDistance = INT_MAX;
  for (int y = cells.y; y < cells.y + cells.height; ++y) {
    for (int x = cells.x; x < cells.x + cells.width; ++x) {
      int distance = std::abs(x - at.x) + 4 * std::abs(y - at.y);
      if (distance >= bestDistance || controlAt(window, {x, y}) != control.field()) continue;
      bestDistance = distance;
      best = Cell{x, y};
    }
  }
  return best;
}

}  // namespace

WindowFrame::WindowFrame(Window& window, double fontScale)
    : QWidget(nullptr, Qt::Window), window_(window), fontScale_(fontScale) {
  setAttribute(Qt::WA_DeleteOnClose, false);
  // The window keeps the focus where the procedure puts it, never where
  // Qt would move it.
  setFocusPolicy(Qt::NoFocus);
  font_ = scaled(windowFont(window), fontScale_);
  setFont(font_);
  metrics_ = metricsOf(font_);
}

WindowFrame::~WindowFrame() = default;

void WindowFrame::post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  postMessage(window_.handle(), message, wParam, lParam);
}

QRect WindowFrame::clientRect() const {
  QRect pixels = toPixels({0, 0, window_.rect.width, window_.rect.height}, metrics_);
  return {0, 0, std::max(pixels.width(), 1), std::max(pixels.height(), 1)};
}

ViewContext WindowFrame::context(const Control& control) const {
  return {window_, metrics_, font_, window_.focus == control.field()};
}

void WindowFrame::sync(bool active) {
  syncing_ = true;
  active_ = active;
  const auto& controls = window_.controls();
  // Controls made at run time get their views as they come.
  while (views_.size() < controls.size()) {
    const Control& control = *controls[views_.size()];
    auto view =
        makeControlView(control, this, [this](uint32_t message, uintptr_t wParam, intptr_t lParam) {
          if (active_) post(message, wParam, lParam);
        });
    if (QWidget* shown = view->widget()) {
      shown->setFocusPolicy(Qt::NoFocus);
      shown->setAttribute(Qt::WA_MacShowFocusRect, false);
      for (QWidget* inner : shown->findChildren<QWidget*>()) inner->setFocusPolicy(Qt::NoFocus);
    }
    views_.push_back(std::move(view));
  }
  for (size_t i = 0; i < views_.size(); ++i) syncControl(i);
  syncWindow();
  if (active_) {
    QWidget* focused = controlWidget(window_.focus);
    if (focused && focused->isVisible() && QApplication::focusWidget() != focused) {
      focused->setFocus(Qt::OtherFocusReason);
    }
  }
  syncing_ = false;
}

void WindowFrame::syncControl(size_t index) {
  const Control& control = *window_.controls()[index];
  ControlView& view = *views_[index];
  QWidget* shown = view.widget();
  if (!shown) return;
  QFont font = scaled(controlFont(window_, control), fontScale_);
  if (shown->font() != font) shown->setFont(font);
  QRect client = clientRect();
  QRect placed = view.place(toPixels(control.rect, metrics_));
  // A widget that grew past the client area keeps inside it.
  if (placed.bottom() > client.bottom()) placed.moveBottom(client.bottom());
  if (placed.top() < 0) placed.moveTop(0);
  if (shown->geometry() != placed) shown->setGeometry(placed);
  bool showing = isShowing(window_, control);
  if (shown->isVisibleTo(this) != showing) shown->setVisible(showing);
  bool usable = isUsable(window_, control);
  if (shown->isEnabled() != usable) shown->setEnabled(usable);
  QString tip = toQt(control.tip);
  if (shown->toolTip() != tip) shown->setToolTip(tip);
  QString name = toQt(control.shownCaption());
  if (shown->accessibleName() != name) shown->setAccessibleName(name);
  if (std::optional<Qt::CursorShape> pointer = cursorNamed(control.property(PROP::Cursor))) {
    shown->setCursor(*pointer);
  } else if (shown->testAttribute(Qt::WA_SetCursor)) {
    shown->unsetCursor();
  }
  view.sync(control, context(control));
}

void WindowFrame::syncWindow() {
  QString title = toQt(window_.title);
  if (windowTitle() != title) setWindowTitle(title.isEmpty() ? QStringLiteral(" ") : title);
  QIcon icon = iconNamed(window_.property(PROP::Icon));
  if (!icon.isNull() && windowIcon().cacheKey() != icon.cacheKey()) setWindowIcon(icon);
  if (window_.modal && windowModality() != Qt::ApplicationModal && !isVisible()) {
    setWindowModality(Qt::ApplicationModal);
  }
  QRect client = clientRect();
  if (window_.show == WindowShow::Normal) {
    if (window_.resizable) {
      setMinimumSize(0, 0);
      setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
      if (size() != client.size()) resize(client.size());
    } else if (size() != client.size() || minimumSize() != client.size()) {
      setFixedSize(client.size());
    }
    QPoint place(metrics_.toPixelsX(window_.rect.x), metrics_.toPixelsY(window_.rect.y));
    if (pos() != place) move(place);
  }
  if (!window_.visible) {
    if (isVisible()) hide();
    return;
  }
  Qt::WindowStates wanted = window_.show == WindowShow::Maximized  ? Qt::WindowMaximized
                            : window_.show == WindowShow::Iconized ? Qt::WindowMinimized
                                                                   : Qt::WindowNoState;
  if (!shown_ || !isVisible()) {
    shown_ = true;
    setWindowState(wanted);
    show();
  } else if ((windowState() & (Qt::WindowMaximized | Qt::WindowMinimized)) != wanted) {
    setWindowState(wanted);
  }
  if (active_ && !isActiveWindow()) {
    raise();
    activateWindow();
  }
}

QWidget* WindowFrame::controlWidget(int field) const {
  if (field < 1 || static_cast<size_t>(field) > views_.size()) return nullptr;
  return views_[static_cast<size_t>(field) - 1]->widget();
}

int WindowFrame::fieldOf(const QWidget* widget) const {
  for (; widget && widget != this; widget = widget->parentWidget()) {
    for (size_t i = 0; i < views_.size(); ++i) {
      if (views_[i]->widget() == widget) return static_cast<int>(i) + 1;
    }
  }
  return 0;
}

bool WindowFrame::input(QWidget* target, QEvent* event) {
  switch (event->type()) {
    case QEvent::ShortcutOverride:
      // Hot keys are the window's: the key comes as a key press.
      event->accept();
      return true;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::InputMethod:
      return key(event);
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
      return mouse(target, event);
    case QEvent::ContextMenu:
      return true;
    default:
      return false;
  }
}

bool WindowFrame::key(QEvent* event) {
  if (!active_) {
    if (event->type() == QEvent::KeyPress && onInputRefused) onInputRefused();
    return true;
  }
  if (event->type() == QEvent::InputMethod) {
    // Composed characters arrive as text: each types as a key would.
    const QString text = static_cast<QInputMethodEvent*>(event)->commitString();
    for (QChar c : text) {
      if (auto typed = translateKey(0, Qt::NoModifier, QString(c))) {
        post(WM_KEYDOWN, typed->code, static_cast<unsigned char>(typed->character));
      }
    }
    return true;
  }
  if (event->type() != QEvent::KeyPress) return true;
  auto* press = static_cast<QKeyEvent*>(event);
  if (auto typed = translateKey(press->key(), press->modifiers(), press->text())) {
    post(WM_KEYDOWN, typed->code, static_cast<unsigned char>(typed->character));
  }
  return true;
}

bool WindowFrame::mouse(QWidget* target, QEvent* event) {
  QEvent::Type type = event->type();
  QPoint pos;
  int notches = 0;
  if (type == QEvent::Wheel) {
    auto* wheel = static_cast<QWheelEvent*>(event);
    pos = wheel->position().toPoint();
    wheelRemainder_ += wheel->angleDelta().y();
    notches = wheelRemainder_ / kWheelNotch;
    wheelRemainder_ %= kWheelNotch;
  } else {
    auto* press = static_cast<QMouseEvent*>(event);
    pos = press->position().toPoint();
    // Plain movement is the widgets' own (hover looks, the pointer shape).
    if (type == QEvent::MouseMove && !(press->buttons() & Qt::LeftButton)) return false;
    if (type != QEvent::MouseMove && press->button() != Qt::LeftButton) return true;
  }
  int field = fieldOf(target);
  const Control* control = window_.control(field);
  if (!control) return true;
  if (!active_) {
    if (type == QEvent::MouseButtonPress && onInputRefused) onInputRefused();
    return true;
  }
  ControlView& view = *views_[static_cast<size_t>(field) - 1];
  MouseRoute route = view.route(*control, context(*control), {target, pos, type});
  if (route.kind == MouseRoute::Kind::Toolkit) return false;
  if (route.kind == MouseRoute::Kind::Drop) return true;
  Cell cell{};
  if (type == QEvent::MouseMove || type == QEvent::MouseButtonRelease) {
    // A drag and its end go to the control pressed, wherever they are.
    Rect cells = controlCells(*control);
    cell = {cells.x + route.cell.x, cells.y + route.cell.y};
  } else if (std::optional<Cell> hit = cellOfControl(window_, *control, route.cell)) {
    cell = *hit;
  } else {
    return true;
  }
  switch (type) {
    case QEvent::MouseButtonPress:
      post(WM_LBUTTONDOWN, MK_LBUTTON, packCell(cell));
      break;
    case QEvent::MouseButtonRelease:
      post(WM_LBUTTONUP, 0, packCell(cell));
      break;
    case QEvent::MouseButtonDblClick:
      post(WM_LBUTTONDBLCLK, MK_LBUTTON, packCell(cell));
      break;
    case QEvent::MouseMove:
      post(WM_MOUSEMOVE, MK_LBUTTON, packCell(cell));
      break;
    case QEvent::Wheel:
      if (notches != 0) {
        post(WM_MOUSEWHEEL, static_cast<uintptr_t>(static_cast<intptr_t>(notches)), packCell(cell));
      }
      break;
    default:
      break;
  }
  return true;
}

void WindowFrame::closeEvent(QCloseEvent* event) {
  // The procedure decides: CloseWindow, which it may refuse.
  event->ignore();
  post(WM_CLOSE);
}

void WindowFrame::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // Sizes set here to follow the window are no news to it.
  if (syncing_ || window_.show != WindowShow::Normal ||
      (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized))) {
    return;
  }
  Rect units = toUnits(QRect(QPoint(0, 0), size()), metrics_);
  if (units.width == window_.rect.width && units.height == window_.rect.height) return;
  Rect target = window_.rect;
  target.width = units.width;
  target.height = units.height;
  postMessage(window_.handle(), WM_SYSCOMMAND, SC_SIZE, 0, std::make_shared<Rect>(target));
}

void WindowFrame::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  if (syncing_ || window_.show != WindowShow::Normal) return;
  Rect target = window_.rect;
  target.x = metrics_.toUnitsX(pos().x());
  target.y = metrics_.toUnitsY(pos().y());
  if (target.x == window_.rect.x && target.y == window_.rect.y) return;
  postMessage(window_.handle(), WM_SYSCOMMAND, SC_MOVE, 0, std::make_shared<Rect>(target));
}

void WindowFrame::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange || syncing_) return;
  Qt::WindowStates state = windowState();
  if ((state & Qt::WindowMinimized) && window_.show != WindowShow::Iconized) {
    post(WM_SYSCOMMAND, SC_MINIMIZE);
  } else if ((state & Qt::WindowMaximized) && !(state & Qt::WindowMinimized) &&
             window_.show != WindowShow::Maximized) {
    post(WM_SYSCOMMAND, SC_MAXIMIZE);
  } else if (!(state & (Qt::WindowMinimized | Qt::WindowMaximized)) &&
             window_.show != WindowShow::Normal) {
    post(WM_SYSCOMMAND, SC_RESTORE);
  }
}

}  // namespace zor::ui::qt
