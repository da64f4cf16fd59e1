// Every window the program declares opens on the desktop, shows its texts
// and keeps its controls inside its client area, with its declared font
// and with one twice as large.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QTabWidget>
#include <QTextDocumentFragment>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/ui/qt/desktop_test_support.h"
#include "ui/qt/qt_text.h"
#include "ui/sheet_control.h"
#include "ui/window_input.h"
#include "ui/window_preview.h"

namespace zor::ui::qt {
namespace {

struct Declared {
  std::string file;
  WindowDefinition window;
};

std::vector<Declared> declaredWindows() {
  std::vector<Declared> all;
  for (const char* folder :
       {ZOR_APP_WINDOWS_DIR, ZOR_FRAMEWORK_WINDOWS_DIR, ZOR_DRIVER_WINDOWS_DIR}) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      if (entry.path().extension() != ".win") continue;
      std::ifstream in(entry.path());
      std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      auto parsed = parseDeclarations(text, entry.path().string());
      EXPECT_TRUE(parsed.ok()) << parsed.error;
      if (!parsed.value) continue;
      for (const DefinitionModule& module : *parsed.value) {
        for (const WindowDefinition& window : module.windows) {
          all.push_back({entry.path().filename().string(), window});
        }
      }
    }
  }
  return all;
}

// What the widget shows as its caption.
QString shownText(const QWidget& widget) {
  if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) {
    return button->text().remove(QLatin1Char('&'));
  }
  if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
    return QTextDocumentFragment::fromHtml(label->text()).toPlainText().replace(QChar(0xA0), ' ');
  }
  return widget.accessibleName();
}

void checkWindow(const Declared& declared, Window& window, WindowFrame& frame) {
  std::string where = declared.file + " " + declared.window.label;
  EXPECT_TRUE(frame.isVisible()) << where;
  if (!window.title.empty()) {
    EXPECT_EQ(frame.windowTitle(), toQt(window.title)) << where;
  }
  QRect client = frame.rect();
  for (const auto& control : window.controls()) {
    std::string which = where + " " + control->useLabel();
    if (control->kind() == ControlKind::Tab) {
      auto* tabs = qobject_cast<QTabWidget*>(frame.controlWidget(control->parent));
      ASSERT_NE(tabs, nullptr) << which;
      const auto& sheetTabs =
          dynamic_cast<const SheetControl&>(*window.control(control->parent)).tabs();
      int index = static_cast<int>(std::find(sheetTabs.begin(), sheetTabs.end(), control.get()) -
                                   sheetTabs.begin());
      EXPECT_EQ(tabs->tabText(index), toQt(control->text)) << which;
      continue;
    }
    QWidget* widget = frame.controlWidget(control->field());
    if (!widget) continue;
    bool showing = isShowing(window, *control);
    EXPECT_EQ(widget->isVisible(), showing) << which;
    if (!showing) continue;
    EXPECT_TRUE(client.contains(widget->geometry()))
        << which << " lies outside the client area at " << widget->geometry().x() << ","
        << widget->geometry().y() << " " << widget->width() << "x" << widget->height();
    if (!control->text.empty()) {
      EXPECT_EQ(shownText(*widget), toQt(control->shownCaption())) << which;
    }
  }
}

TEST(DeclaredWindows, OpenShowTheirTextsAndKeepTheirControlsInside) {
  test::desktopApplication();
  std::vector<Declared> all = declaredWindows();
  ASSERT_GE(all.size(), 10u) << "the program's windows are found";
  bool mainSeen = false;
  size_t checkedWindows = 0;
  for (double scale : {1.0, 2.0}) {
    QtFrontEnd front(QtFrontEnd::Options{scale, "ui_qt_tests"});
    for (const Declared& declared : all) {
      test::DesktopScript script(front);
      bool checked = false;
      script.then([&](Window& window, WindowFrame& frame) {
        checked = true;
        mainSeen = mainSeen || window.title == "Pellmoor Setup.Ini GUI";
        checkWindow(declared, window, frame);
      });
      previewWindow(declared.window, 5);
      EXPECT_TRUE(checked) << declared.file << " " << declared.window.label;
      checkedWindows += checked ? 1 : 0;
    }
  }
  EXPECT_EQ(checkedWindows, 2 * all.size());
  EXPECT_TRUE(mainSeen);
}

}  // namespace
}  // namespace zor::ui::qt
