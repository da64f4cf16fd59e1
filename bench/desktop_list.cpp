// The desktop list box: redrawing the main window's settings list, thirty
// rows high, over a queue of 10^2 rows and over one of 10^6 rows, scrolled
// to a different place each time. The second may cost at most 1.5 times
// the first: the list box reads only the rows it shows. Each redraw brings
// the box up to date with the list (as each turn of the accept loop does)
// and paints it whole, header, rows and scroll bar, into an image, on Qt's
// offscreen platform.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <cstdio>
#include <memory>
#include <vector>

#include "bench/ratio_reporter.h"
#include "bench/settings_rows.h"
#include "ui/definition/definition_model.h"
#include "ui/front_end.h"
#include "ui/qt/qt_front_end.h"
#include "ui/qt/window_frame.h"
#include "ui/row_control.h"
#include "ui/window.h"
#include "ui/window_builder.h"

namespace {

// The settings list, thirty rows and its header high.
zor::ui::WindowDefinition settingsWindow() {
  zor::ui::ControlDefinition list;
  list.kind = zor::ui::ControlKind::List;
  list.use = "?LIST:2";
  list.rect = {4, 4, 472, (30 + 1 + 2) * 8};
  list.format = zor::bench::kSettingsFormat;
  list.attributes = zor::ui::ControlAttr::VScroll | zor::ui::ControlAttr::HScroll;
  zor::ui::WindowDefinition window;
  window.label = "BENCH$WINDOW";
  window.title = "Settings";
  window.rect = {0, 0, 480, 280};
  window.controls = {list};
  zor::ui::numberControls(window);
  return window;
}

void redraw(benchmark::State& state, size_t rows) {
  std::unique_ptr<zor::Queue> queue = zor::bench::settingsQueue(rows);
  zor::ui::qt::QtFrontEnd desktop(zor::ui::qt::QtFrontEnd::Options{1.0, "bench_desktop_list"});
  std::unique_ptr<zor::ui::Window> window = zor::ui::buildWindow(settingsWindow());
  auto& list = dynamic_cast<zor::ui::ListControl&>(*window->control(1));
  list.setQueue(queue.get());
  window->open();
  zor::ui::FrontEnd* front = zor::ui::frontEnd();
  front->idle(*window);
  QWidget* box = desktop.frameOf(*window)->controlWidget(1);
  QImage image(box->size(), QImage::Format_ARGB32_Premultiplied);
  std::vector<size_t> tops;
  for (size_t i = 0; i < 64; ++i) tops.push_back(1 + (i * 7919 * rows / 64) % rows);
  size_t next = 0;
  for (auto _ : state) {
    list.view().setTop(tops[next++ % tops.size()]);
    list.view().select(list.view().top() + 3);
    front->idle(*window);
    box->render(&image);
    benchmark::DoNotOptimize(image.constBits());
  }
  window->close();
}

void DesktopRedraw_Rows100(benchmark::State& state) {
  redraw(state, 100);
}
void DesktopRedraw_Rows1M(benchmark::State& state) {
  redraw(state, 1'000'000);
}
BENCHMARK(DesktopRedraw_Rows100);
BENCHMARK(DesktopRedraw_Rows1M);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  zor::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  double ours = reporter.cpuTime("DesktopRedraw_Rows1M");
  double base = reporter.cpuTime("DesktopRedraw_Rows100");
  if (ours > 0 && base > 0) {
    std::printf(
        "\ntime ratio (lower is better):\n%-40s %6.2f  (%.1f us vs %.1f us)  target <= 1.5\n",
        "desktop redraw 30 rows: 10^6 / 10^2", ours / base, ours / 1000, base / 1000);
  }
  benchmark::Shutdown();
  return 0;
}
