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
// The same work through the framework's browse (a list of 20 rows on a
// window that is never shown), as the program's lists do it:
//
//  - BrowseFirstPage: open the view, apply the order, load the first page;
//  - BrowsePageDownUp: a page down and back up;
//  - BrowseEndTop: scroll to the end and back to the top;
//  - BrowseLocator: type a locator text and clear it again;
//  - BrowseRange10: load the page of a range limit over 10 records;
//  - BrowseFilter1Percent: load a page through the 1% filter.
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
#include "framework/browse.h"
#include "framework/file_manager.h"
#include "framework/relation_manager.h"
#include "framework/window_controller.h"
#include "runtime/queue.h"
#include "runtime/type_codes.h"
#include "ui/base/event_numbers.h"
#include "ui/definition/definition_kinds.h"
#include "ui/window_builder.h"

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

// A browse of the table on a window of its own that is opened but never
// shown: a list of 20 rows showing the setting's name.
class BrowseRig {
 public:
  explicit BrowseRig(Table& t) : view_(t.fcb), queue_(rowLayout(), kRowSize) {
    zor::ui::WindowDefinition window;
    window.label = "BENCH";
    window.rect = {0, 0, 240, (kPage + 3) * 8};
    zor::ui::ControlDefinition list;
    list.kind = zor::ui::ControlKind::List;
    list.use = "?LIST";
    list.rect = {0, 0, 232, (kPage + 3) * 8};
    list.format = "200L(2)|M~Name~@s99@";
    window.controls = {list};
    window_ = zor::ui::openWindow(window);
    controller_.MYWINDOW = window_.get();
    files_.Bind(t.fcb, zor::fw::ErrorReporter::Global());
    files_.Init();
    files_.Open(0);
    relations_.Bind(&files_, 1);
    browse.Bind(1, queue_, view_, relations_, controller_);
    browse.AddOrder(&t.fcb.keys[zor::bench::kSectionKey]);
    browse.AddColumnField(zor::fw::fieldByLabel(t.fcb, "SIN:SECTIONDESCRIPTION"), 1);
  }
  ~BrowseRig() {
    browse.Release();
    window_->close();
  }
  zor::fw::Browse browse;

 private:
  static constexpr size_t kRowSize = 100 + 1 + 1024;
  static zor::RecordLayout rowLayout() {
    return {zor::makeField("SIN:SECTIONDESCRIPTION", zor::kCString, 0, 100),
            zor::makeField("MARK", zor::kByte, 100, 1),
            zor::makeField("VIEWPOSITION", zor::kString, 101, 1024)};
  }
  View view_;
  zor::Queue queue_;
  std::unique_ptr<zor::ui::Window> window_;
  zor::fw::WindowController controller_{"", ""};
  zor::fw::FileManager files_;
  zor::fw::RelationManager relations_;
};

// Runs `body` on a loaded browse of the table; counts the reads.
template <class Setup, class Body>
void onBrowse(benchmark::State& state, Setup setup, Body body) {
  Table& t = table(state.range(0));
  BrowseRig rig(t);
  setup(rig.browse);
  rig.browse.Reset(true);
  const int64_t readsBefore = gReads;
  for (auto _ : state) body(rig.browse);
  state.counters["reads"] =
      static_cast<double>(gReads - readsBefore) / static_cast<double>(state.iterations());
  state.counters["rows"] = static_cast<double>(rig.browse.ListQueueRef().records());
}

void noSetup(zor::fw::Browse&) {}

void reload(zor::fw::Browse& browse) {
  browse.ApplyLimits();
  browse.ListQueueRef().clear();
  browse.CurrentChoice = 1;
  browse.LoadPage(false);
}

void BrowseFirstPage(benchmark::State& state) {
  onBrowse(state, noSetup, [](zor::fw::Browse& browse) {
    browse.Close();
    browse.Reset(true);
  });
}

void BrowsePageDownUp(benchmark::State& state) {
  onBrowse(state, noSetup, [](zor::fw::Browse& browse) {
    browse.HandleScrollEvent(zor::ui::EVENT::PageDown);
    browse.HandleScrollEvent(zor::ui::EVENT::PageUp);
  });
}

void BrowseEndTop(benchmark::State& state) {
  onBrowse(state, noSetup, [](zor::fw::Browse& browse) {
    browse.HandleScrollEvent(zor::ui::EVENT::ScrollBottom);
    browse.HandleScrollEvent(zor::ui::EVENT::ScrollTop);
  });
}

void BrowseLocator(benchmark::State& state) {
  static zor::fw::BrowseLocator locator;
  onBrowse(
      state,
      [](zor::fw::Browse& browse) {
        locator.Bind(browse, zor::fw::fieldByLabel(*browse.Primary->Me->File, "SIN:INISECTION"),
                     true);
        browse.AttachLocator(locator);
      },
      [](zor::fw::Browse& browse) {
        locator.SetText("section 4");
        reload(browse);
        locator.SetText("");
        reload(browse);
      });
}

void BrowseRange10(benchmark::State& state) {
  onBrowse(
      state,
      [](zor::fw::Browse& browse) {
        browse.AddRangeLimit(zor::fw::fieldByLabel(*browse.Primary->Me->File, "SIN:INISECTION"),
                             zor::fw::ValueSource(std::string(kRangeSection)));
      },
      reload);
}

void BrowseFilter1Percent(benchmark::State& state) {
  onBrowse(
      state, [](zor::fw::Browse& browse) { browse.SetOrderFilter("SIN:STATUS = 1"); }, reload);
}

#define VIEW_BENCH(name) BENCHMARK(name)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMicrosecond)
VIEW_BENCH(OpenFirstPage);
VIEW_BENCH(PageDown);
VIEW_BENCH(EndPrevious);
VIEW_BENCH(LocatorJump);
VIEW_BENCH(Range10);
VIEW_BENCH(Filter1Percent);
VIEW_BENCH(BrowseFirstPage);
VIEW_BENCH(BrowsePageDownUp);
VIEW_BENCH(BrowseEndTop);
VIEW_BENCH(BrowseLocator);
VIEW_BENCH(BrowseRange10);
VIEW_BENCH(BrowseFilter1Percent);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  zor::bench::RatioReporter reporter;
  // Both tables exist before the first timing.
  table(kSmall);
  table(kLarge);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\ncost at 10^6 / cost at 10^2 (CPU time; reads per iteration at 10^2 and 10^6)\n");
  for (const char* name : {"OpenFirstPage", "PageDown", "EndPrevious", "LocatorJump", "Range10",
                           "Filter1Percent", "BrowseFirstPage", "BrowsePageDownUp", "BrowseEndTop",
                           "BrowseLocator", "BrowseRange10", "BrowseFilter1Percent"}) {
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
    if (std::string(name).find("Filter1Percent") != std::string::npos) {
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
