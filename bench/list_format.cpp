// The list box: redrawing the visible rows of the main window's settings
// list over a queue of 10^2 rows and over one of 10^6 rows (the second may
// cost at most 1.5 times the first: drawing reads only the rows shown), and
// reading the settings list's format string against compiling its five
// pictures alone (the part of the work that reading cannot avoid).

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/ratio_reporter.h"
#include "bench/settings_rows.h"
#include "runtime/picture.h"
#include "runtime/queue.h"
#include "runtime/type_codes.h"
#include "ui/list_box/list_format_parser.h"
#include "ui/list_box/list_view.h"

namespace {

// Draws the list 30 rows high and 120 cells wide, scrolled to a different
// place of the queue each time.
void redraw(benchmark::State& state, size_t rows) {
  std::unique_ptr<zor::Queue> queue = zor::bench::settingsQueue(rows);
  zor::ui::ListView view;
  view.setFormat(zor::bench::kSettingsFormat);
  view.setQueue(queue.get());
  view.setSize(120, 31);
  std::vector<size_t> tops;
  for (size_t i = 0; i < 64; ++i) tops.push_back(1 + (i * 7919 * rows / 64) % rows);
  zor::ui::ListCells cells;
  size_t next = 0;
  for (auto _ : state) {
    view.setTop(tops[next++ % tops.size()]);
    view.select(view.top() + 3);
    view.render(cells);
    benchmark::DoNotOptimize(cells.at(0, 1));
  }
}

void Redraw_Rows100(benchmark::State& state) {
  redraw(state, 100);
}
void Redraw_Rows1M(benchmark::State& state) {
  redraw(state, 1'000'000);
}
BENCHMARK(Redraw_Rows100);
BENCHMARK(Redraw_Rows1M);

void ParseSettingsFormat(benchmark::State& state) {
  for (auto _ : state) {
    zor::ui::ListParseResult result = zor::ui::parseListFormat(zor::bench::kSettingsFormat);
    benchmark::DoNotOptimize(result.format.columns.data());
  }
}
BENCHMARK(ParseSettingsFormat);

void CompilePicturesOnly(benchmark::State& state) {
  const char* pictures[] = {"@p p", "@s99", "@s49", "@s49", "@s255"};
  zor::CompiledPicture compiled;
  for (auto _ : state) {
    for (const char* picture : pictures) {
      zor::compilePicture(picture, compiled);
      benchmark::DoNotOptimize(compiled.width);
    }
  }
}
BENCHMARK(CompilePicturesOnly);

void printRatio(const zor::bench::RatioReporter& reporter, const char* measured,
                const char* baseline, const char* label, const char* target) {
  const double a = reporter.cpuTime(measured);
  const double b = reporter.cpuTime(baseline);
  if (a == 0 || b == 0) return;
  std::printf("%-40s %6.2f  (%.2f us vs %.2f us)  %s\n", label, a / b, a / 1000, b / 1000, target);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  zor::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\ntime ratios (lower is better):\n");
  printRatio(reporter, "Redraw_Rows1M", "Redraw_Rows100", "redraw 30 rows: 10^6 / 10^2 queue",
             "target <= 1.5");
  printRatio(reporter, "ParseSettingsFormat", "CompilePicturesOnly",
             "read settings format / its 5 pictures", "");
  benchmark::Shutdown();
  return 0;
}
