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
#include "runtime/picture.h"
#include "runtime/queue.h"
#include "runtime/type_codes.h"
#include "ui/list_format_parser.h"
#include "ui/list_view.h"

namespace {

constexpr const char* kSettingsFormat =
    "12L(2)|MJ~Status~@p p@120L(2)|M~Section Description~@s99@92L(2)|M~Default Value~@s49@"
    "196L(2)|M~Values~@s49@1020L(2)|M~Help Description~@s255@";

// The settings queue's first six fields, with shorter texts so that 10^6
// rows stay small: STATUS BYTE, STATUS_ICON LONG, SECTION CSTRING(24),
// DEFAULT CSTRING(16), VALUES CSTRING(16), HELP CSTRING(32).
constexpr size_t kRecordLength = 1 + 4 + 24 + 16 + 16 + 32;

zor::RecordLayout settingsLayout() {
  return {zor::makeField("SIN:STATUS", zor::kByte, 0, 1),
          zor::makeField("SIN:STATUS_ICON", zor::kLong, 1, 4),
          zor::makeField("SIN:SECTIONDESCRIPTION", zor::kCString, 5, 24),
          zor::makeField("SIN:DEFAULTVALUE", zor::kCString, 29, 16),
          zor::makeField("SIN:VALUES", zor::kCString, 45, 16),
          zor::makeField("SIN:HELPDESCRIPTION", zor::kCString, 61, 32)};
}

std::unique_ptr<zor::Queue> settingsQueue(size_t rows) {
  auto queue = std::make_unique<zor::Queue>(settingsLayout(), kRecordLength);
  uint8_t record[kRecordLength];
  for (size_t i = 0; i < rows; ++i) {
    std::memset(record, 0, sizeof record);
    record[0] = static_cast<uint8_t>(i % 3 == 0);
    int32_t icon = record[0] == 1 ? 1 : 2;
    std::memcpy(record + 1, &icon, 4);
    std::snprintf(reinterpret_cast<char*>(record + 5), 24, "Section %zu", i / 40);
    std::snprintf(reinterpret_cast<char*>(record + 29), 16, "%zu", i % 1000);
    std::snprintf(reinterpret_cast<char*>(record + 45), 16, "0..%zu", i % 97);
    std::snprintf(reinterpret_cast<char*>(record + 61), 32, "Help text of setting %zu", i);
    queue->add(record);
  }
  return queue;
}

// Draws the list 30 rows high and 120 cells wide, scrolled to a different
// place of the queue each time.
void redraw(benchmark::State& state, size_t rows) {
  std::unique_ptr<zor::Queue> queue = settingsQueue(rows);
  zor::ui::ListView view;
  view.setFormat(kSettingsFormat);
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
    zor::ui::ListParseResult result = zor::ui::parseListFormat(kSettingsFormat);
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
