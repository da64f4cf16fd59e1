// The view engine on a SetupINI-shaped table (bench/setupini_table.h) of
// 10^2 and of 10^6 records, read the way a browse reads it, in the order of
// the NOCASE section key:
//
//  - OpenFirstPage: open the view, SET, 20 NEXT, close;
//  - PageDown: RESET to the 20th row and read it and 20 more;
//  - EndPrevious: SET to the end, 20 PREVIOUS;
//  - LocatorJump: a locator's filter ("section 4" up to itself followed by
//    character 254), SET and 20 NEXT;
//  - Range10: a range limit on a section of 10 records, read to its end;
//  - Filter1Percent: a filter no key serves that 1% of the records match,
//    scattered at random, read until 20 rows (at 10^2 the whole table
//    holds about one).
//
// Each prints its cost at 10^6 as a ratio to its cost at 10^2 (the same
// work on a table ten thousand times larger), and the records the driver
// read per iteration; the filter case prints its cost per record read.
// The tables are built once per run into ZOR_BENCH_DIR (default /dev/shm)
// and removed at the end; building 10^6 records takes a while.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "bench/ratio_reporter.h"
#include "bench/setupini_table.h"
#include "data/driver_operation.h"
#include "data/file_statements.h"
#include "data/view_engine.h"

namespace {

namespace st = zor::data::statement;
using zor::data::View;

constexpr int kPage = 20;
constexpr int64_t kSmall = 100;
constexpr int64_t kLarge = 1'000'000;
constexpr uint32_t kStatusOffset = 6254;
const char* const kOrder = "+UPPER(SIN:INISECTION)";
const char* const kRangeSection = "Section 25 range";

std::filesystem::path folder() {
  const char* value = std::getenv("ZOR_BENCH_DIR");
  return value != nullptr ? std::filesystem::path(value) : std::filesystem::path("/dev/shm");
}

std::string pathFor(int64_t records) {
  return (folder() / ("bench_views_" + std::to_string(records) + ".edt")).string();
}

int64_t gReads = 0;  // records the driver has read

int countingEntry(int op, zor::data::FileControlBlock* fcb, void* args) {
  const auto operation = static_cast<zor::data::Op>(op);
  if (operation == zor::data::Op::NEXT || operation == zor::data::Op::PREVIOUS ||
      operation == zor::data::Op::GETfileptr || operation == zor::data::Op::GETfilekey)
    ++gReads;
  return zor::tarnwick::tarnwickDriverEntry(op, fcb, args);
}

// A number that spreads ids evenly and at random over its range.
uint64_t scrambled(int64_t id) {
  uint64_t z = static_cast<uint64_t>(id) + 0x9E3779B97F4A7C15u;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
  return z ^ (z >> 31);
}

// Section i % 50 for record i, status 1 for one record in a hundred
// scattered at random, and ten records of a section of their own in the
// middle of the table.
void fillSetting(zor::data::FileControlBlock& fcb, int64_t id, int64_t records) {
  zor::bench::Setting s;
  s.id = static_cast<int32_t>(id);
  const bool inRange = id > records / 2 && id <= records / 2 + 10;
  s.section = inRange ? kRangeSection : "Section " + std::to_string(id % 50);
  s.name = "Setting" + std::to_string(id);
  s.help = "Help for " + s.name + ": " + std::string(200 + static_cast<size_t>(id % 800), 'x');
  zor::bench::fillRecord(fcb, s);
  fcb.record[kStatusOffset] = scrambled(id) % 100 == 0 ? 1 : 0;
}

struct Table {
  zor::data::FileControlBlock fcb;
  std::string firstPageEnd;  // position of the 20th row in the order
};

// The table of `records` records, built at first use.
Table& table(int64_t records) {
  static std::map<int64_t, std::unique_ptr<Table>> tables;
  auto& slot = tables[records];
  if (slot) return *slot;
  slot = std::make_unique<Table>();
  zor::data::FileControlBlock& fcb = slot->fcb;
  const std::string path = pathFor(records);
  std::filesystem::remove(path);
  zor::bench::declareSetupIni(fcb, path);
  fcb.driver = countingEntry;
  if (st::create(fcb) != 0 || st::open(fcb, st::kReadWriteDenyNone) != 0) {
    std::fprintf(stderr, "cannot create %s\n", path.c_str());
    std::exit(1);
  }
  zor::data::FileControlBlock* files[] = {&fcb};
  constexpr int64_t kBatch = 100'000;
  for (int64_t first = 1; first <= records; first += kBatch) {
    bool ok = st::logout(0, files) == 0;
    for (int64_t id = first; ok && id < first + kBatch && id <= records; ++id) {
      fillSetting(fcb, id, records);
      ok = st::add(fcb) == 0;
    }
    if (!ok || st::commit(fcb) != 0) {
      std::fprintf(stderr, "cannot fill %s\n", path.c_str());
      std::exit(1);
    }
  }
  View view(fcb);
  view.open();
  view.setOrder(kOrder);
  view.set();
  for (int i = 0; i < kPage; ++i) view.next();
  view.position(slot->firstPageEnd);
  return *slot;
}

// Runs `body` on an open view of the table; counts the reads per iteration.
template <class Body>
void onView(benchmark::State& state, Body body) {
  Table& t = table(state.range(0));
  View view(t.fcb);
  view.open();
  view.setOrder(kOrder);
  const int64_t readsBefore = gReads;
  int64_t rows = 0;
  for (auto _ : state) rows += body(view, t);
  state.counters["reads"] =
      static_cast<double>(gReads - readsBefore) / static_cast<double>(state.iterations());
  state.counters["rows"] = static_cast<double>(rows) / static_cast<double>(state.iterations());
}

int readForward(View& view, int limit) {
  int rows = 0;
  while (rows < limit && view.next() == 0) ++rows;
  return rows;
}

void OpenFirstPage(benchmark::State& state) {
  Table& t = table(state.range(0));
  const int64_t readsBefore = gReads;
  for (auto _ : state) {
    View view(t.fcb);
    view.open();
    view.setOrder(kOrder);
    view.set();
    if (readForward(view, kPage) != kPage) state.SkipWithError("short page");
    view.close();
  }
  state.counters["reads"] =
      static_cast<double>(gReads - readsBefore) / static_cast<double>(state.iterations());
}

void PageDown(benchmark::State& state) {
  onView(state, [](View& view, Table& t) {
    view.reset(t.firstPageEnd);
    return readForward(view, kPage + 1) - 1;
  });
}

void EndPrevious(benchmark::State& state) {
  onView(state, [](View& view, Table&) {
    view.setEnd();
    int rows = 0;
    while (rows < kPage && view.previous() == 0) ++rows;
    return rows;
  });
}

void LocatorJump(benchmark::State& state) {
  onView(state, [](View& view, Table&) {
    view.setFilter(
        "UPPER(SIN:INISECTION) >= UPPER('section 4') AND "
        "(UPPER(SIN:INISECTION) <= (UPPER('section 4\xFE')))");
    view.set();
    return readForward(view, kPage);
  });
}

void Range10(benchmark::State& state) {
  onView(state, [](View& view, Table&) {
    view.setFilter(std::string("UPPER(SIN:INISECTION) = UPPER('") + kRangeSection + "')");
    view.set();
    return readForward(view, 1000);
  });
}

void Filter1Percent(benchmark::State& state) {
  onView(state, [](View& view, Table&) {
    view.setFilter("SIN:STATUS = 1");
    view.set();
    return readForward(view, kPage);
  });
}

#define VIEW_BENCH(name) BENCHMARK(name)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMicrosecond)
VIEW_BENCH(OpenFirstPage);
VIEW_BENCH(PageDown);
VIEW_BENCH(EndPrevious);
VIEW_BENCH(LocatorJump);
VIEW_BENCH(Range10);
VIEW_BENCH(Filter1Percent);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  zor::bench::RatioReporter reporter;
  // Both tables exist before the first timing.
  table(kSmall);
  table(kLarge);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\ncost at 10^6 / cost at 10^2 (CPU time; reads per iteration at 10^2 and 10^6)\n");
  for (const char* name :
       {"OpenFirstPage", "PageDown", "EndPrevious", "LocatorJump", "Range10", "Filter1Percent"}) {
    // With --benchmark_repetitions the medians stand for the runs.
    auto run = [&](int64_t records) {
      const std::string plain = std::string(name) + "/" + std::to_string(records);
      return reporter.cpuTime(plain + "_median") > 0 ? plain + "_median" : plain;
    };
    const std::string small = run(kSmall);
    const std::string large = run(kLarge);
    const double ratio =
        zor::bench::RatioReporter::ratio(reporter.cpuTime(large), reporter.cpuTime(small));
    if (ratio == 0) continue;
    std::printf("  %-15s %6.2fx   reads %7.1f / %7.1f", name, ratio,
                reporter.counter(small, "reads"), reporter.counter(large, "reads"));
    if (std::string(name) == "Filter1Percent") {
      std::printf("   %.3f us per record read at 10^6",
                  reporter.cpuTime(large) / reporter.counter(large, "reads"));
    }
    std::printf("\n");
  }
  std::error_code error;
  std::filesystem::remove(pathFor(kSmall), error);
  std::filesystem::remove(pathFor(kLarge), error);
  benchmark::Shutdown();
  return 0;
}
