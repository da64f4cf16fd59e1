// Date conversions per second: the runtime's packed -> standard date and
// standard date -> year, month, day, against std::chrono's civil calendar
// doing the same work in the same run. Prints each as a ratio (ours / chrono;
// above 1 means faster).

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bench/ratio_reporter.h"
#include "runtime/date_time.h"

namespace {

using namespace std::chrono;

constexpr size_t kSample = 4096;

// Day numbers spread over the whole valid range, and their packed forms.
const std::vector<int32_t>& standardDates() {
  static const std::vector<int32_t> dates = [] {
    std::vector<int32_t> result;
    uint32_t state = 12345;
    for (size_t i = 0; i < kSample; ++i) {
      state = state * 1664525u + 1013904223u;
      result.push_back(
          zor::kFirstStandardDate +
          static_cast<int32_t>(state % (zor::kLastStandardDate - zor::kFirstStandardDate + 1)));
    }
    return result;
  }();
  return dates;
}

const std::vector<zor::PackedDate>& packedDates() {
  static const std::vector<zor::PackedDate> dates = [] {
    std::vector<zor::PackedDate> result;
    for (int32_t n : standardDates()) {
      zor::PackedDate date;
      zor::standardToPackedDate(n, date);
      result.push_back(date);
    }
    return result;
  }();
  return dates;
}

// Day 4 is 1 January 1801.
constexpr sys_days kDayZero = sys_days{year{1800} / December / 28};

void PackedToStandard_Runtime(benchmark::State& state) {
  const auto& dates = packedDates();
  for (auto _ : state) {
    int64_t sum = 0;
    for (const zor::PackedDate& date : dates) sum += zor::packedToStandardDate(date);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * dates.size()));
}

void PackedToStandard_Chrono(benchmark::State& state) {
  const auto& dates = packedDates();
  for (auto _ : state) {
    int64_t sum = 0;
    for (const zor::PackedDate& date : dates) {
      year_month_day ymd{year{date.year}, month{date.month}, day{date.day}};
      // The same validation the runtime does.
      sum += ymd.ok() ? (sys_days{ymd} - kDayZero).count() : 0;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * dates.size()));
}

void StandardToYmd_Runtime(benchmark::State& state) {
  const auto& dates = standardDates();
  for (auto _ : state) {
    int64_t sum = 0;
    for (int32_t n : dates) {
      int y = 0, m = 0, d = 0;
      zor::standardDateToYmd(n, y, m, d);
      sum += y + m + d;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * dates.size()));
}

void StandardToYmd_Chrono(benchmark::State& state) {
  const auto& dates = standardDates();
  for (auto _ : state) {
    int64_t sum = 0;
    for (int32_t n : dates) {
      if (n < zor::kFirstStandardDate || n > zor::kLastStandardDate) continue;
      year_month_day ymd{kDayZero + days{n}};
      sum += static_cast<int>(ymd.year()) + static_cast<unsigned>(ymd.month()) +
             static_cast<unsigned>(ymd.day());
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * dates.size()));
}

BENCHMARK(PackedToStandard_Runtime);
BENCHMARK(PackedToStandard_Chrono);
BENCHMARK(StandardToYmd_Runtime);
BENCHMARK(StandardToYmd_Chrono);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  zor::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nconversions per second, runtime / std::chrono:\n");
  reporter.printRatio("PackedToStandard_Runtime", "PackedToStandard_Chrono",
                      "packed -> standard date");
  reporter.printRatio("StandardToYmd_Runtime", "StandardToYmd_Chrono", "standard date -> y/m/d");
  benchmark::Shutdown();
  return 0;
}
