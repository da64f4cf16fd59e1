// screens: the program's windows as pictures, for the README.
//
//   screens OUTDIR FILE.win ...
//
// Draws with the desktop front end (QT_QPA_PLATFORM=offscreen draws
// without a display) into PNG files in OUTDIR:
//   main.png     the main window as the program shows it, with the data of
//                the current directory
//   notice.png   the message box its "Load Setup.ini" button shows
//   NAME.png     each window declared in the files, made-up rows in its
//                lists: NAME is the file's stem, with "-" and the window's
//                label after it when the file declares several windows. The
//                main window's own file is left out: the program shows it.
// scripts/screenshots.sh runs it.

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/procedures.h"
#include "app/program.h"
#include "platform/ascii_case.h"
#include "ui/definition/definition_source.h"
#include "ui/message_layer.h"
#include "ui/qt/qt_front_end.h"
#include "ui/qt/snapshot.h"
#include "ui/qt/window_frame.h"
#include "ui/window.h"
#include "ui/window_preview.h"

namespace {

namespace fs = std::filesystem;
using zor::ui::qt::QtFrontEnd;

constexpr int kPreviewRows = 12;
constexpr int kMostTurns = 20;  // idle turns before a window that will not close is given up

bool save(QWidget& window, const fs::path& file) {
  QCoreApplication::processEvents();
  bool saved =
      zor::ui::qt::snapshotWindow(window).save(QString::fromStdString(file.string()), "PNG");
  std::printf("%s %s\n", saved ? "wrote" : "could not write", file.string().c_str());
  return saved;
}

void click(QWidget& widget) {
  QPointF at = widget.rect().center();
  QPointF global = widget.mapToGlobal(at);
  QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(&widget, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QApplication::sendEvent(&widget, &release);
}

// The window is asked to close as the user would; one that will not is
// ended with the loop.
void closeOrQuit(zor::ui::qt::WindowFrame& frame, int& turns) {
  if (++turns > kMostTurns) {
    zor::ui::postQuitMessage(0);
    return;
  }
  frame.close();
}

void shootProgram(const fs::path& out, bool& ok) {
  qv::ProgramParts parts;
  parts.initWindowSystem = [] { return true; };
  parts.mainWindow = [&] {
    QtFrontEnd desktop(QtFrontEnd::Options{1.0, "QV_GUI_SetupiniAdmin"});
    int turns = 0;
    bool shot = false, boxAsked = false;
    desktop.setModalHook([&](QWidget& modal) {
      ok = save(modal, out / "notice.png") && ok;
      if (auto* box = qobject_cast<QMessageBox*>(&modal)) {
        QAbstractButton* button = box->defaultButton();
        if (!button && !box->buttons().isEmpty()) button = box->buttons().front();
        if (button) button->click();
      }
    });
    desktop.setIdleHook([&](zor::ui::Window& window) {
      zor::ui::qt::WindowFrame* frame = desktop.frameOf(window);
      if (!frame) return;
      if (!shot) {
        shot = true;
        ok = save(*frame, out / "main.png") && ok;
      }
      zor::ui::Control* load = window.find("?BUTTON8");
      QWidget* button = load ? frame->controlWidget(load->field()) : nullptr;
      if (!boxAsked && button) {
        boxAsked = true;
        click(*button);
        return;
      }
      closeOrQuit(*frame, turns);
    });
    qv::Main();
  };
  qv::runProcess(parts);
}

std::string nameOf(const fs::path& file, const zor::ui::WindowDefinition& window, bool several) {
  std::string name = file.stem().string();
  if (!several) return name;
  std::string label = window.label.substr(window.label.find('$') + 1);
  name += "-";
  name += zor::platform::asciiLowerCased(label);
  return name;
}

void shootDeclarations(const fs::path& out, const std::vector<fs::path>& files, bool& ok) {
  QtFrontEnd desktop(QtFrontEnd::Options{1.0, "QV_GUI_SetupiniAdmin"});
  for (const fs::path& file : files) {
    if (file.stem() == "main") continue;
    std::ifstream in(file, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto parsed = zor::ui::parseDeclarations(text, file.string());
    if (!parsed.ok() || !parsed.value) {
      std::fprintf(stderr, "screens: %s: %s\n", file.string().c_str(), parsed.error.c_str());
      ok = false;
      continue;
    }
    size_t count = 0;
    for (const auto& module : *parsed.value) count += module.windows.size();
    for (const auto& module : *parsed.value) {
      for (const zor::ui::WindowDefinition& window : module.windows) {
        fs::path picture = out / (nameOf(file, window, count > 1) + ".png");
        int turns = 0;
        bool shot = false;
        desktop.setIdleHook([&](zor::ui::Window& open) {
          zor::ui::qt::WindowFrame* frame = desktop.frameOf(open);
          if (!frame) return;
          if (!shot) {
            shot = true;
            ok = save(*frame, picture) && ok;
          }
          closeOrQuit(*frame, turns);
        });
        zor::ui::previewWindow(window, kPreviewRows);
      }
    }
  }
  desktop.setIdleHook({});
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: screens OUTDIR FILE.win ...\n");
    return 2;
  }
  QApplication application(argc, argv);
  fs::path out = argv[1];
  fs::create_directories(out);
  std::vector<fs::path> files(argv + 2, argv + argc);
  bool ok = true;
  shootProgram(out, ok);
  shootDeclarations(out, files, ok);
  return ok ? 0 : 1;
}
