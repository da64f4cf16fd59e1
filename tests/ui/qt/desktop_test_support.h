#pragma once
// Helpers of the desktop front end's tests: one application object for the
// whole test program, on Qt's offscreen platform, and a script that drives
// a window's accept loop the way a person at the desktop would, one step
// each time the loop waits for input.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "ui/definition/definition_source.h"
#include "ui/message_layer.h"
#include "ui/qt/qt_front_end.h"
#include "ui/qt/window_frame.h"
#include "ui/statements.h"
#include "ui/window.h"

namespace zor::ui::qt::test {

// Created on first use, on the calling thread, and kept to the end. On
// Qt's offscreen platform, unless ZOR_DESKTOP_ON_X11 asks for the platform
// the environment names (desktop_on_x11_test.cpp runs under Xvfb).
inline QApplication& desktopApplication() {
  static QApplication* application = [] {
    if (!qEnvironmentVariableIsSet("ZOR_DESKTOP_ON_X11")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "ui_qt_tests";
    static char* argv[] = {name, nullptr};
    return new QApplication(argc, argv);
  }();
  return *application;
}

// Runs the steps, one per turn of the loop waiting for input, on the
// window that waits; when they are done the window is asked to close (and
// a loop that keeps waiting is ended). Message boxes and popup menus are
// answered by the modal steps, in order.
class DesktopScript {
 public:
  using Step = std::function<void(Window&, WindowFrame&)>;
  using ModalStep = std::function<void(QWidget&)>;

  explicit DesktopScript(QtFrontEnd& front) : front_(front) {
    front_.setIdleHook([this](Window& window) { turn(window); });
    front_.setModalHook([this](QWidget& modal) { answer(modal); });
  }
  ~DesktopScript() {
    front_.setIdleHook({});
    front_.setModalHook({});
    // A loop ended by WM_QUIT leaves it for outer loops; there are none.
    Message quit;
    while (peekMessage(quit, 0, WM_QUIT, WM_QUIT, true)) {
    }
  }
  DesktopScript(const DesktopScript&) = delete;
  DesktopScript& operator=(const DesktopScript&) = delete;

  DesktopScript& then(Step step) {
    steps_.push_back(std::move(step));
    return *this;
  }
  DesktopScript& onModal(ModalStep step) {
    modals_.push_back(std::move(step));
    return *this;
  }
  size_t stepsLeft() const { return steps_.size(); }

 private:
  void turn(Window& window) {
    WindowFrame* frame = front_.frameOf(window);
    if (!frame) return;
    // What Qt still has to do (the window manager's answers) is done, as it
    // would be by the time a person acts.
    QCoreApplication::processEvents();
    if (!steps_.empty()) {
      Step step = std::move(steps_.front());
      steps_.pop_front();
      step(window, *frame);
      // The loop comes back for the next step even when this one gave it
      // nothing to do.
      if (window.isOpen()) wakeWindow(window.handle());
      return;
    }
    if (++closings_ > 3) {
      postQuitMessage(0);
      return;
    }
    frame->close();
  }

  void answer(QWidget& modal) {
    // A box or menu a step failed to answer closes after a while, so that
    // the test fails instead of waiting for good.
    QTimer::singleShot(10000, &modal, [&modal] { modal.close(); });
    if (modals_.empty()) {
      modal.close();
      return;
    }
    ModalStep step = std::move(modals_.front());
    modals_.pop_front();
    // Keys go to the box once the desktop has made it the active window.
    modal.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&modal));
    step(modal);
  }

  QtFrontEnd& front_;
  std::deque<Step> steps_;
  std::deque<ModalStep> modals_;
  int closings_ = 0;
};

// The first window of a declaration text.
inline WindowDefinition declaredWindow(const std::string& source) {
  auto parsed = parseDeclarations(source, "test.win");
  if (!parsed.ok() || !parsed.value || parsed.value->empty() ||
      parsed.value->front().windows.empty()) {
    throw std::runtime_error("bad test declaration: " + parsed.error);
  }
  return parsed.value->front().windows.front();
}

struct SeenEvent {
  uint32_t event = 0;
  int field = 0;
  bool operator==(const SeenEvent&) const = default;
};

}  // namespace zor::ui::qt::test
