// Picture throughput: formatting and deformatting through @N12.2, @D6 and
// @S49 (compiled once, as entry controls and list boxes use them) against
// the C library doing the nearest equivalent work in the same run: snprintf
// to format, strtod/strtol to read back. Prints each as a ratio (pictures /
// C library; above 1 means faster).

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "bench/ratio_reporter.h"
#include "runtime/date_time.h"
#include "runtime/picture.h"

namespace {

constexpr size_t kSample = 1024;

uint32_t nextRandom(uint32_t& state) {
  state = state * 1664525u + 1013904223u;
  return state;
}

// Amounts up to 9,999,999.99 with two places, both signs.
const std::vector<double>& amounts() {
  static const std::vector<double> values = [] {
    std::vector<double> result;
    uint32_t state = 7;
    for (size_t i = 0; i < kSample; ++i) {
      double cents = static_cast<double>(nextRandom(state) % 1000000000u);
      result.push_back((i % 2 ? -cents : cents) / 100.0);
    }
    return result;
  }();
  return values;
}

const std::vector<int32_t>& dates() {
  static const std::vector<int32_t> values = [] {
    std::vector<int32_t> result;
    uint32_t state = 11;
    for (size_t i = 0; i < kSample; ++i) {
      result.push_back(zor::kFirstStandardDate +
                       static_cast<int32_t>(nextRandom(state) % (zor::kLastStandardDate - 4)));
    }
    return result;
  }();
  return values;
}

const std::vector<std::string>& texts() {
  static const std::vector<std::string> values = [] {
    std::vector<std::string> result;
    uint32_t state = 13;
    for (size_t i = 0; i < kSample; ++i) {
      std::string text(10 + nextRandom(state) % 50, ' ');
      for (char& c : text) c = static_cast<char>('a' + nextRandom(state) % 26);
      result.push_back(text);
    }
    return result;
  }();
  return values;
}

// Texts as each side shows them, to read back.
std::vector<std::string> formattedAll(const char* picture, bool dates_) {
  zor::CompiledPicture compiled = zor::compilePicture(picture);
  std::vector<std::string> result;
  for (size_t i = 0; i < kSample; ++i) {
    result.push_back(zor::formatPicture(compiled, dates_
                                                      ? zor::PictureValue::ofDate(dates()[i])
                                                      : zor::PictureValue::ofReal(amounts()[i])));
  }
  return result;
}

void setItems(benchmark::State& state) {
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kSample));
}

void FormatN12_2_Picture(benchmark::State& state) {
  zor::CompiledPicture picture = zor::compilePicture("@N12.2");
  char out[zor::kMaxPictureWidth];
  for (auto _ : state) {
    for (double value : amounts()) {
      zor::formatPicture(picture, zor::PictureValue::ofReal(value), out);
      benchmark::DoNotOptimize(out);
    }
  }
  setItems(state);
}

void FormatN12_2_Snprintf(benchmark::State& state) {
  char out[64];
  for (auto _ : state) {
    for (double value : amounts()) {
      std::snprintf(out, sizeof out, "%12.2f", value);
      benchmark::DoNotOptimize(out);
    }
  }
  setItems(state);
}

void DeformatN12_2_Picture(benchmark::State& state) {
  zor::CompiledPicture picture = zor::compilePicture("@N12.2");
  std::vector<std::string> shown;
  for (double value : amounts()) {
    shown.push_back(zor::formatPicture(picture, zor::PictureValue::ofReal(value)));
  }
  char out[zor::kDeformatCapacity];
  for (auto _ : state) {
    for (const std::string& text : shown) {
      benchmark::DoNotOptimize(zor::deformatPicture(picture, text, out));
    }
  }
  setItems(state);
}

void DeformatN12_2_Strtod(benchmark::State& state) {
  std::vector<std::string> shown;
  char buffer[64];
  for (double value : amounts()) {
    std::snprintf(buffer, sizeof buffer, "%12.2f", value);
    shown.push_back(buffer);
  }
  for (auto _ : state) {
    for (const std::string& text : shown)
      benchmark::DoNotOptimize(std::strtod(text.c_str(), nullptr));
  }
  setItems(state);
}

void FormatD6_Picture(benchmark::State& state) {
  zor::CompiledPicture picture = zor::compilePicture("@D6");
  char out[zor::kMaxPictureWidth];
  for (auto _ : state) {
    for (int32_t date : dates()) {
      zor::formatPicture(picture, zor::PictureValue::ofDate(date), out);
      benchmark::DoNotOptimize(out);
    }
  }
  setItems(state);
}

// The same work: the day number to day, month and year, then the text.
void FormatD6_Snprintf(benchmark::State& state) {
  char out[64];
  for (auto _ : state) {
    for (int32_t date : dates()) {
      int y = 0, m = 0, d = 0;
      zor::standardDateToYmd(date, y, m, d);
      std::snprintf(out, sizeof out, "%2d/%02d/%04d", d, m, y);
      benchmark::DoNotOptimize(out);
    }
  }
  setItems(state);
}

void DeformatD6_Picture(benchmark::State& state) {
  zor::CompiledPicture picture = zor::compilePicture("@D6");
  std::vector<std::string> shown = formattedAll("@D6", true);
  char out[zor::kDeformatCapacity];
  for (auto _ : state) {
    for (const std::string& text : shown) {
      benchmark::DoNotOptimize(zor::deformatPicture(picture, text, out));
    }
  }
  setItems(state);
}

// Three numbers read with strtol, then the day number and its decimal text.
void DeformatD6_Strtol(benchmark::State& state) {
  std::vector<std::string> shown = formattedAll("@D6", true);
  char out[32];
  for (auto _ : state) {
    for (const std::string& text : shown) {
      char* end = nullptr;
      long d = std::strtol(text.c_str(), &end, 10);
      long m = std::strtol(end + 1, &end, 10);
      long y = std::strtol(end + 1, &end, 10);
      int32_t date =
          zor::dateFromMonthDayYear(static_cast<int>(m), static_cast<int>(d), static_cast<int>(y));
      std::snprintf(out, sizeof out, "%d", date);
      benchmark::DoNotOptimize(out);
    }
  }
  setItems(state);
}

void FormatS49_Picture(benchmark::State& state) {
  zor::CompiledPicture picture = zor::compilePicture("@S49");
  char out[zor::kMaxPictureWidth];
  for (auto _ : state) {
    for (const std::string& text : texts()) {
      zor::formatPicture(picture, zor::PictureValue::ofText(text), out);
      benchmark::DoNotOptimize(out);
    }
  }
  setItems(state);
}

void FormatS49_Snprintf(benchmark::State& state) {
  char out[64];
  for (auto _ : state) {
    for (const std::string& text : texts()) {
      std::snprintf(out, sizeof out, "%-49.49s", text.c_str());
      benchmark::DoNotOptimize(out);
    }
  }
  setItems(state);
}

// A string picture reads back the number in a text.
void DeformatS49_Picture(benchmark::State& state) {
  zor::CompiledPicture picture = zor::compilePicture("@S49");
  std::vector<std::string> shown = formattedAll("@N12.2", false);
  char out[zor::kDeformatCapacity];
  for (auto _ : state) {
    for (const std::string& text : shown) {
      benchmark::DoNotOptimize(zor::deformatPicture(picture, text, out));
    }
  }
  setItems(state);
}

void DeformatS49_Strtod(benchmark::State& state) {
  std::vector<std::string> shown = formattedAll("@N12.2", false);
  for (auto _ : state) {
    for (const std::string& text : shown)
      benchmark::DoNotOptimize(std::strtod(text.c_str(), nullptr));
  }
  setItems(state);
}

BENCHMARK(FormatN12_2_Picture);
BENCHMARK(FormatN12_2_Snprintf);
BENCHMARK(DeformatN12_2_Picture);
BENCHMARK(DeformatN12_2_Strtod);
BENCHMARK(FormatD6_Picture);
BENCHMARK(FormatD6_Snprintf);
BENCHMARK(DeformatD6_Picture);
BENCHMARK(DeformatD6_Strtol);
BENCHMARK(FormatS49_Picture);
BENCHMARK(FormatS49_Snprintf);
BENCHMARK(DeformatS49_Picture);
BENCHMARK(DeformatS49_Strtod);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  zor::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nvalues per second, pictures / C library:\n");
  reporter.printRatio("FormatN12_2_Picture", "FormatN12_2_Snprintf", "format @N12.2");
  reporter.printRatio("DeformatN12_2_Picture", "DeformatN12_2_Strtod", "deformat @N12.2");
  reporter.printRatio("FormatD6_Picture", "FormatD6_Snprintf", "format @D6");
  reporter.printRatio("DeformatD6_Picture", "DeformatD6_Strtol", "deformat @D6");
  reporter.printRatio("FormatS49_Picture", "FormatS49_Snprintf", "format @S49");
  reporter.printRatio("DeformatS49_Picture", "DeformatS49_Strtod", "deformat @S49");
  benchmark::Shutdown();
  return 0;
}
