#include "ui/qt/qt_front_end.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <map>
#include <stdexcept>

#include "platform/threads.h"
#include "ui/menu_string.h"
#include "ui/message_box_answers.h"
#include "ui/message_box_buttons.h"
#include "ui/qt/dialog_metrics.h"
#include "ui/qt/display_probe.h"
#include "ui/qt/event_loop_bridge.h"
#include "ui/qt/icons.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/window_frame.h"
#include "ui/system_commands.h"
#include "ui/thread_state.h"
#include "ui/wait_cursor.h"
#include "ui/window.h"

// The font library and the desktop bus library that Qt uses keep some of
// their state to the end of the process and never free it; the leak
// checker of the sanitizer build is told so.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libdbus-1.so\n";
}

namespace zor::ui::qt {
namespace {

std::atomic<QtFrontEnd*> gActive{nullptr};

// The application object needs its arguments for as long as it lives.
int gArgc = 1;
char gProgramName[64] = "zorvane";
char* gArgv[] = {gProgramName, nullptr};

QtMessageHandler gPreviousMessageHandler = nullptr;

// Platforms without a window manager (offscreen) say so for every window
// raised or sized; nothing is wrong then.
void quietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtWarningMsg && message.startsWith(QLatin1String("This plugin does not support"))) {
    return;
  }
  if (gPreviousMessageHandler) gPreviousMessageHandler(type, context, message);
}

bool isInput(QEvent::Type type) {
  switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::InputMethod:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
      return true;
    default:
      return false;
  }
}

QMessageBox::Icon boxIcon(unsigned flags) {
  switch (flags & 0xF0u) {
    case platform::MB_ICONHAND:
      return QMessageBox::Critical;
    case platform::MB_ICONQUESTION:
      return QMessageBox::Question;
    case platform::MB_ICONEXCLAMATION:
      return QMessageBox::Warning;
    case platform::MB_ICONASTERISK:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

QMessageBox::ButtonRole roleOf(unsigned button) {
  switch (button) {
    case BUTTON::Ok:
    case BUTTON::Yes:
    case BUTTON::Retry:
      return QMessageBox::AcceptRole;
    case BUTTON::No:
      return QMessageBox::NoRole;
    case BUTTON::Cancel:
    case BUTTON::Abort:
      return QMessageBox::RejectRole;
    case kHelpButton:
      return QMessageBox::HelpRole;
    default:
      return QMessageBox::ActionRole;
  }
}

void addMenuItems(QMenu& menu, const std::vector<MenuItem>& items) {
  for (const MenuItem& item : items) {
    if (item.separator) {
      menu.addSeparator();
      continue;
    }
    QIcon icon = item.icon.empty() ? QIcon() : iconNamed(item.icon);
    if (item.opensSubmenu()) {
      QMenu* sub = menu.addMenu(icon, toQt(item.text));
      sub->setEnabled(!item.disabled);
      addMenuItems(*sub, item.children);
      continue;
    }
    QAction* action = menu.addAction(icon, toQt(item.text));
    action->setData(item.position);
    action->setEnabled(!item.disabled);
    if (item.checked) {
      action->setCheckable(true);
      action->setChecked(true);
    }
  }
}

}  // namespace

// Hands the input Qt delivers to the widgets of the windows to their frames.
class QtFrontEnd::InputRouter : public QObject {
 public:
  explicit InputRouter(QtFrontEnd& front) : front_(front) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!isInput(event->type()) || !watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    QWidget* top = widget->window();
    for (const auto& frame : front_.frames_) {
      if (frame.get() != top) continue;
      QEvent::Type type = event->type();
      if (type == QEvent::MouseButtonPress || type == QEvent::Wheel) front_.pointerLast_ = true;
      if (type == QEvent::KeyPress) front_.pointerLast_ = false;
      return frame->input(widget, event);
    }
    return false;
  }

 private:
  QtFrontEnd& front_;
};

QtFrontEnd* activeDesktop() {
  return gActive.load();
}

bool QtFrontEnd::available() {
  return displayAvailable();
}

QtFrontEnd::QtFrontEnd() : QtFrontEnd(Options{}) {}

QtFrontEnd::QtFrontEnd(Options options)
    : options_(std::move(options)), thread_(platform::threadNumber()) {
  if (!QApplication::instance()) {
    if (!displayAvailable()) throw std::runtime_error("no display to show windows on");
    std::snprintf(gProgramName, sizeof gProgramName, "%s", options_.programName.c_str());
    ownApplication_ = std::make_unique<QApplication>(gArgc, gArgv);
  } else if (!qobject_cast<QApplication*>(QApplication::instance())) {
    throw std::runtime_error("the program runs without a desktop application object");
  }
  QApplication::setQuitOnLastWindowClosed(false);
  previousMessageHandler_ = qInstallMessageHandler(quietMessages);
  gPreviousMessageHandler = previousMessageHandler_;
  router_ = std::make_unique<InputRouter>(*this);
  qApp->installEventFilter(router_.get());
  bridge_ = std::make_unique<EventLoopBridge>();
  // A maximised window fills the screen, in the dialog units of the
  // windows' usual font.
  previousDesktop_ = desktopArea();
  if (QScreen* screen = QApplication::primaryScreen()) {
    QFont font = declaredFont("", 8, 400);
    if (font.pointSizeF() > 0) font.setPointSizeF(font.pointSizeF() * options_.fontScale);
    setDesktopArea(toUnits(screen->availableGeometry(), metricsOf(font)));
  }
  previousBoxHook_ = platform::setMessageBoxHook(
      [this](const std::string& text, const std::string& caption, unsigned flags) {
        return messageBox(text, caption, flags);
      });
  previousFrontEnd_ = setFrontEnd(this);
  gActive.store(this);
}

QtFrontEnd::~QtFrontEnd() {
  if (busyCursor_) QApplication::restoreOverrideCursor();
  gActive.store(nullptr);
  setFrontEnd(previousFrontEnd_);
  platform::setMessageBoxHook(std::move(previousBoxHook_));
  setDesktopArea(previousDesktop_);
  frames_.clear();
  bridge_.reset();
  qApp->removeEventFilter(router_.get());
  router_.reset();
  qInstallMessageHandler(previousMessageHandler_);
  ownApplication_.reset();
}

WindowFrame* QtFrontEnd::frameOf(const Window& window) const {
  for (const auto& frame : frames_) {
    if (&frame->window() == &window) return frame.get();
  }
  return nullptr;
}

WindowFrame& QtFrontEnd::frame(Window& window) {
  if (WindowFrame* found = frameOf(window)) return *found;
  frames_.push_back(std::make_unique<WindowFrame>(window, options_.fontScale));
  WindowFrame& made = *frames_.back();
  // Input for a window that does not wait for it brings the one that does
  // to the front.
  made.onInputRefused = [this] {
    if (WindowFrame* active = activeFrame()) {
      active->raise();
      active->activateWindow();
    }
  };
  return made;
}

WindowFrame* QtFrontEnd::activeFrame() const {
  return active_ ? frameOf(*active_) : nullptr;
}

void QtFrontEnd::cursorChanged() {
  Window* window = active_ != nullptr ? active_ : activeWindow();
  const bool busy = window != nullptr && showsWaitCursor(*window);
  if (busy == busyCursor_) return;
  busyCursor_ = busy;
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

void QtFrontEnd::windowOpened(Window& window) {
  frame(window);
}

void QtFrontEnd::windowClosed(Window& window) {
  if (active_ == &window) active_ = nullptr;
  std::erase_if(frames_, [&](const auto& frame) { return &frame->window() == &window; });
}

void QtFrontEnd::syncAll() {
  WindowFrame* active = activeFrame();
  for (const auto& frame : frames_) {
    if (frame.get() != active && frame->window().isOpen()) frame->sync(false);
  }
  if (active && active->window().isOpen()) active->sync(true);
}

void QtFrontEnd::idle(Window& window) {
  // A window opened before the front end came is shown all the same.
  frame(window);
  active_ = &window;
  syncAll();
  if (idleHook_) idleHook_(window);
}

void QtFrontEnd::runModalHook(QWidget& modal) {
  if (!modalHook_) return;
  QWidget* shown = &modal;
  // Inside the modal loop, once the box or menu is on the screen.
  QTimer::singleShot(0, shown, [this, shown] {
    if (modalHook_) modalHook_(*shown);
  });
}

int QtFrontEnd::messageBox(const std::string& text, const std::string& caption, unsigned flags) {
  if (platform::threadNumber() != thread_) {
    // Only the desktop's own thread may show windows: another thread's box
    // answers its default button, as without a front end.
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return platform::defaultMessageBoxAnswer(flags);
  }
  syncAll();
  QMessageBox box(activeFrame());
  box.setWindowTitle(toQt(caption));
  box.setText(toQt(text));
  box.setIcon(boxIcon(flags));
  std::vector<unsigned> buttons = buttonsOfFlags(flags);
  unsigned preferred = defaultButtonOfFlags(flags);
  std::map<QAbstractButton*, unsigned> codes;
  QPushButton* escape = nullptr;
  for (unsigned button : buttons) {
    QPushButton* made = box.addButton(toQt(buttonText(button)), roleOf(button));
    codes[made] = button;
    if (button == preferred) box.setDefaultButton(made);
    if (button == BUTTON::Cancel) escape = made;
  }
  // Esc presses Cancel, or the only button of a box that has no other.
  if (!escape && buttons.size() == 1) escape = qobject_cast<QPushButton*>(codes.begin()->first);
  if (escape) box.setEscapeButton(escape);
  runModalHook(box);
  box.exec();
  auto pressed = codes.find(box.clickedButton());
  unsigned answer = pressed != codes.end() ? pressed->second : escape ? codes[escape] : preferred;
  return answerOfButton(answer);
}

int QtFrontEnd::popupMenu(std::string_view menu, std::optional<Cell> at) {
  std::vector<MenuItem> items = parseMenu(menu);
  if (items.empty() || platform::threadNumber() != thread_) return 0;
  syncAll();
  WindowFrame* frame = activeFrame();
  QMenu shown(frame);
  addMenuItems(shown, items);
  QPoint where = QCursor::pos();
  if (at && frame) {
    where = QPoint(at->x * frame->metrics().charWidth, at->y * frame->metrics().lineHeight);
  } else if (!pointerLast_ && frame) {
    QWidget* focused = frame->controlWidget(frame->window().focus);
    QWidget* anchor = focused ? focused : frame;
    where = anchor->mapToGlobal(QPoint(anchor->width() / 3, anchor->height() / 2));
  }
  runModalHook(shown);
  QAction* chosen = shown.exec(where);
  return chosen ? chosen->data().toInt() : 0;
}

}  // namespace zor::ui::qt
