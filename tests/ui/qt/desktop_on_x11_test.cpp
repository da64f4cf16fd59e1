// On a real X server a form opened from a window's accept loop, lying over
// that window, reaches the screen and takes typing: the pixels the server
// shows where the form lies are the ones the form draws. The other desktop
// tests run on Qt's offscreen platform, where nothing is flushed to a
// server; this one reads the screen back as a person would look at it.
//
// The test program starts itself again under xvfb-run, with Qt's X11
// platform, for this one test. Skipped where xvfb-run (and the xauth it
// needs) is not installed.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/ui/qt/desktop_test_support.h"
#include "tests/xvfb_command.h"
#include "ui/base/event_numbers.h"
#include "ui/window_builder.h"

namespace zor::ui::qt {
namespace {

namespace fs = std::filesystem;

constexpr const char* kOnX11 = "ZOR_DESKTOP_ON_X11";  // set in the copy under Xvfb

constexpr const char* kMain = R"(
definition x11_test$x11_test001

window MAIN "Settings" at 20 20 size 300 200 {
  prompt ?BEHIND "Rows of the window behind" at 8 8 size 200 8
  button ?INSERT "&Insert" at 8 176 size 44 16
}
)";

constexpr const char* kForm = R"(
definition x11_test$x11_test002

window FORM "Record Will Be Added" at 60 50 size 180 90 {
  prompt ?NAME:PROMPT "&Name:" at 8 8 size 40 8
  entry ?NAME at 52 8 size 100 8 picture @s20
  button ?OK "&Save" at 128 66 size 44 16 default
}
)";

constexpr int kInsert = 2;  // MAIN's ?INSERT
constexpr int kName = 2;    // FORM's ?NAME

// The share of the form's pixels that the screen shows as the form draws
// them (the text cursor may blink in between).
double shownShare(WindowFrame& frame) {
  QImage drawn = frame.grab().toImage().convertToFormat(QImage::Format_RGB32);
  QPoint at = frame.mapToGlobal(QPoint(0, 0));
  QImage screen = frame.screen()
                      ->grabWindow(0, at.x(), at.y(), drawn.width(), drawn.height())
                      .toImage()
                      .convertToFormat(QImage::Format_RGB32);
  if (screen.size() != drawn.size()) return 0;
  qint64 same = 0;
  for (int y = 0; y < drawn.height(); ++y) {
    for (int x = 0; x < drawn.width(); ++x) same += drawn.pixel(x, y) == screen.pixel(x, y);
  }
  return static_cast<double>(same) / (static_cast<double>(drawn.width()) * drawn.height());
}

// Waits up to two seconds for the form to be on the screen.
double shareOnScreen(WindowFrame& frame) {
  EXPECT_TRUE(QTest::qWaitForWindowExposed(&frame));
  double share = 0;
  for (int tries = 0; tries < 40 && share < 0.98; ++tries) {
    QTest::qWait(50);
    share = shownShare(frame);
  }
  return share;
}

void runOnX11() {
  test::desktopApplication();
  ASSERT_EQ(QGuiApplication::platformName(), "xcb");
  QtFrontEnd front(QtFrontEnd::Options{1.0, "ui_qt_tests"});
  test::DesktopScript script(front);
  std::string typed;
  double before = 0, after = 0;
  script
      .then([](Window&, WindowFrame& frame) {
        QTest::mouseClick(frame.controlWidget(kInsert), Qt::LeftButton);
      })
      .then([&](Window& window, WindowFrame& frame) {
        ASSERT_EQ(window.title, "Record Will Be Added");
        before = shareOnScreen(frame);
        QTest::keyClicks(&frame, "Mute");
      })
      .then([&](Window&, WindowFrame& frame) {
        if (auto* entry = qobject_cast<QLineEdit*>(frame.controlWidget(kName))) {
          typed = entry->text().toStdString();
        }
        after = shareOnScreen(frame);
      });
  std::unique_ptr<Window> main = buildWindow(test::declaredWindow(kMain));
  main->open();
  while (accept()) {
    if (event() != EVENT::Accepted || field() != kInsert) continue;
    std::unique_ptr<Window> form = buildWindow(test::declaredWindow(kForm));
    form->open();
    while (accept()) {
    }
    if (form->isOpen()) form->close();
  }
  if (main->isOpen()) main->close();
  EXPECT_EQ(script.stepsLeft(), 0u);
  EXPECT_GE(before, 0.98) << "the form as opened is on the screen";
  EXPECT_GE(after, 0.98) << "the form after typing is on the screen";
  EXPECT_EQ(typed, "Mute");
}

TEST(DesktopOnX11, AFormOpenedOverAWindowIsPaintedOnTheScreenAndTakesTyping) {
  if (qEnvironmentVariableIsSet(kOnX11)) {
    runOnX11();
    return;
  }
  if (!zor::testing::xvfbInstalled()) {
    GTEST_SKIP() << "xvfb-run (with xauth) is not installed";
  }
  fs::path log = fs::path(::testing::TempDir()) / ("x11_" + std::to_string(::getpid()) + ".log");
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string filter = std::string(test->test_suite_name()) + "." + test->name();
  std::string command =
      zor::testing::onXvfb(zor::testing::shellWord(fs::read_symlink("/proc/self/exe").string()) +
                               " --gtest_filter=" + filter,
                           log.string(), std::string(kOnX11) + "=1");
  int status = std::system(command.c_str());
  std::ifstream in(log);
  std::string output((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;
  EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
  fs::remove(log);
}

}  // namespace
}  // namespace zor::ui::qt
