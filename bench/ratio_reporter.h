#pragma once
// A console reporter that also keeps the items per second of every run, so a
// benchmark program can print its figures as ratios against a baseline that
// ran in the same process.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace zor::bench {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      auto found = run.counters.find("items_per_second");
      if (found != run.counters.end()) rates_[run.benchmark_name()] = found->second.value;
    }
  }

  // Items per second of a run, 0 when it did not run.
  double rate(const std::string& name) const {
    auto found = rates_.find(name);
    return found == rates_.end() ? 0 : found->second;
  }

  // Prints "label  ratio x  (ours M/s vs theirs M/s)"; nothing when either
  // run is missing (filtered out on the command line).
  void printRatio(const std::string& ours, const std::string& theirs, const char* label) const {
    const double a = rate(ours);
    const double b = rate(theirs);
    if (a == 0 || b == 0) return;
    std::printf("%-28s %6.2fx  (%.1f M/s vs %.1f M/s)\n", label, a / b, a / 1e6, b / 1e6);
  }

 private:
  std::map<std::string, double> rates_;
};

}  // namespace zor::bench
