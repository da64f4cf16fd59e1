#pragma once
// A console reporter that also keeps the figures of every run (items per
// second and the other counters, CPU time and wall-clock time per
// iteration), so a benchmark program can print them as ratios against a
// baseline that ran in the same process.

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
      const std::string name = run.benchmark_name();
      for (const auto& [counter, value] : run.counters) counters_[name][counter] = value.value;
      cpuTimes_[name] = run.GetAdjustedCPUTime();
      realTimes_[name] = run.GetAdjustedRealTime();
      if (run.error_occurred) failed_[name] = run.error_message;
    }
  }

  // Items per second of a run, 0 when it did not run.
  double rate(const std::string& name) const { return counter(name, "items_per_second"); }
  // Any counter of a run, 0 when the run or the counter is missing.
  double counter(const std::string& name, const std::string& what) const {
    auto found = counters_.find(name);
    return found == counters_.end() ? 0 : find(found->second, what);
  }
  // Whether a run stopped with an error (its figures mean nothing then).
  bool failed(const std::string& name) const { return failed_.count(name) != 0; }
  // Time per iteration in the run's time unit, 0 when it did not run.
  double cpuTime(const std::string& name) const { return find(cpuTimes_, name); }
  double realTime(const std::string& name) const { return find(realTimes_, name); }

  // ours / theirs of two times; 0 when either run is missing.
  static double ratio(double ours, double theirs) {
    return ours > 0 && theirs > 0 ? ours / theirs : 0;
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
  static double find(const std::map<std::string, double>& figures, const std::string& name) {
    auto found = figures.find(name);
    return found == figures.end() ? 0 : found->second;
  }

  std::map<std::string, std::map<std::string, double>> counters_;
  std::map<std::string, double> cpuTimes_;
  std::map<std::string, double> realTimes_;
  std::map<std::string, std::string> failed_;
};

}  // namespace zor::bench
