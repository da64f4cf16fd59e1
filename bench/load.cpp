// Loading a CSV file as whole processes: `twk load` of SetupINI rows into a
// new table against the sqlite3 shell's `.import` of the same CSV into the
// equivalent table (synchronous FULL), in the same run. Each side runs as a
// process of its own; the figures are its wall time and its peak memory
// (maximum resident set). The rows carry help texts of real length (words,
// 100 to 700 characters, some 450 bytes a row in all). Two sizes run:
// ZOR_BENCH_LOAD_ROWS (20000 by default) and four times as many, so that
// memory that grows with the load shows. Files go to ZOR_BENCH_DIR (else
// bench_files in the current folder); ZOR_BENCH_REPEATS (1) repeats each
// and quotes medians. The sqlite3 shell is taken from PATH; ZOR_BENCH_TWK
// names another twk to run (an older build, for a before-and-after table).

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench/ratio_reporter.h"
#include "bench/setupini_table.h"
#include "data/tarnwick/definition_text.h"
#include "data/tarnwick/record_csv.h"

#ifndef ZOR_TWK_PATH
#define ZOR_TWK_PATH "twk"
#endif

namespace {

namespace fs = std::filesystem;

double envNumber(const char* name, double fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? std::strtod(value, nullptr) : fallback;
}

size_t baseRows() {
  return static_cast<size_t>(envNumber("ZOR_BENCH_LOAD_ROWS", 20000));
}

int repeats() {
  return std::max(1, static_cast<int>(envNumber("ZOR_BENCH_REPEATS", 1)));
}

fs::path folder() {
  const char* dir = std::getenv("ZOR_BENCH_DIR");
  return dir != nullptr ? fs::path(dir) : fs::current_path() / "bench_files";
}

std::string twkPath() {
  const char* path = std::getenv("ZOR_BENCH_TWK");
  return path != nullptr && *path != '\0' ? path : ZOR_TWK_PATH;
}

fs::path csvPath(size_t rows) {
  return folder() / ("bench_load_" + std::to_string(rows) + ".csv");
}

// Words of help text, as a setting's documentation reads.
std::string helpText(std::mt19937& random) {
  static const char* const kWords[] = {
      "the",     "setting", "controls", "whether", "game",    "engine", "loads",
      "texture", "when",    "starting", "default", "value",   "player", "screen",
      "audio",   "level",   "is",       "enabled", "network", "port",   "timeout",
      "seconds", "before",  "each",     "frame",   "render",  "quality"};
  const size_t length = 100 + random() % 601;
  std::string text;
  while (text.size() < length) {
    if (!text.empty()) text += ' ';
    text += kWords[random() % std::size(kWords)];
  }
  text.resize(length);
  return text;
}

// Writes the CSV once per size: a header, then one row per setting.
void writeCsv(size_t rows) {
  const fs::path path = csvPath(rows);
  if (fs::exists(path)) return;
  std::ofstream out(path, std::ios::binary);
  out << "SIN:ID,SIN:INISECTION,SIN:SECTIONDESCRIPTION,SIN:DEFAULTVALUE,SIN:HELPDESCRIPTION,"
         "SIN:VALUES,SIN:STATUS\n";
  std::mt19937 random(11);
  for (size_t i = 1; i <= rows; ++i) {
    const std::vector<std::string> cells = {
        std::to_string(i),
        "Section " + std::to_string(random() % zor::bench::kSections),
        "Setting" + std::to_string(random()),
        std::to_string(random() % 1000),
        helpText(random),
        "0..1000",
        std::to_string(random() % 2)};
    out << zor::tarnwick::csvLine(cells) << '\n';
  }
}

struct ProcessFigures {
  double seconds = 0;
  double peakMegabytes = 0;
  int status = -1;
};

// Runs `argv` with `input` on its standard input; wall time and peak memory.
ProcessFigures runProcess(const std::vector<std::string>& argv, const std::string& input) {
  int pipeIn[2];
  if (pipe(pipeIn) != 0) return {};
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    dup2(pipeIn[0], 0);
    close(pipeIn[0]);
    close(pipeIn[1]);
    const int devnull = ::open("/dev/null", O_WRONLY);
    if (devnull >= 0) dup2(devnull, 1);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  close(pipeIn[0]);
  size_t done = 0;
  while (done < input.size()) {
    const ssize_t n = write(pipeIn[1], input.data() + done, input.size() - done);
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  close(pipeIn[1]);
  int status = 0;
  struct rusage usage {};
  wait4(child, &status, 0, &usage);
  ProcessFigures figures;
  figures.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  figures.peakMegabytes = static_cast<double>(usage.ru_maxrss) / 1024.0;
  figures.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return figures;
}

void report(benchmark::State& state, const ProcessFigures& figures, size_t rows) {
  state.SetIterationTime(figures.seconds);
  if (figures.status != 0) state.SkipWithError(("exit " + std::to_string(figures.status)).c_str());
  state.counters["peak_MB"] = figures.peakMegabytes;
  state.counters["items_per_second"] = static_cast<double>(rows) / figures.seconds;
}

void Load_Twk(benchmark::State& state, size_t rows) {
  writeCsv(rows);
  const fs::path file = folder() / "bench_load.twk";
  const fs::path schema = folder() / "bench_load.schema";
  zor::data::FileControlBlock fcb;
  zor::bench::declareSetupIni(fcb, file.string());
  std::ofstream(schema) << zor::tarnwick::definitionText(zor::tarnwick::TableDefinition::of(fcb));
  for (auto _ : state) {
    fs::remove(file);
    report(
        state,
        runProcess({twkPath(), "load", file.string(), schema.string(), csvPath(rows).string()}, ""),
        rows);
  }
  fs::remove(file);
}

void Load_SQLite(benchmark::State& state, size_t rows) {
  writeCsv(rows);
  const fs::path file = folder() / "bench_load.sqlite";
  const std::string script = std::string("PRAGMA synchronous=FULL;\n") + zor::bench::kSqliteSchema +
                             "\n.import --csv --skip 1 " + csvPath(rows).string() + " setupini\n";
  for (auto _ : state) {
    fs::remove(file);
    fs::remove(file.string() + "-journal");
    report(state, runProcess({"sqlite3", file.string()}, script), rows);
  }
  fs::remove(file);
}

std::string runName(const std::string& name) {
  if (repeats() == 1) return name + "/iterations:1/manual_time";
  return name + "/iterations:1/repeats:" + std::to_string(repeats()) + "/manual_time_median";
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  fs::create_directories(folder());
  const std::vector<size_t> sizes = {baseRows(), 4 * baseRows()};
  for (size_t rows : sizes) {
    for (const bool ours : {true, false}) {
      const std::string name =
          std::string(ours ? "Load/twk" : "Load/sqlite3") + "/rows:" + std::to_string(rows);
      auto* b = benchmark::RegisterBenchmark(name.c_str(), ours ? Load_Twk : Load_SQLite, rows);
      b->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
      if (repeats() > 1) b->Repetitions(repeats())->ReportAggregatesOnly(true);
    }
  }
  zor::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf(
      "\nLoad of a CSV as whole processes: twk load / sqlite3 .import (below 1 is ahead)\n");
  std::printf("  %8s %8s %10s %10s %10s %10s\n", "rows", "time", "twk s", "sqlite3 s", "twk MB",
              "sqlite3 MB");
  for (size_t rows : sizes) {
    const std::string ours = runName("Load/twk/rows:" + std::to_string(rows));
    const std::string theirs = runName("Load/sqlite3/rows:" + std::to_string(rows));
    const double a = reporter.realTime(ours) / 1000.0;
    const double b = reporter.realTime(theirs) / 1000.0;
    if (a == 0 && b == 0) continue;
    std::printf("  %8zu %8.2f %10.3f %10.3f %10.1f %10.1f\n", rows,
                zor::bench::RatioReporter::ratio(a, b), a, b, reporter.counter(ours, "peak_MB"),
                reporter.counter(theirs, "peak_MB"));
  }
  for (size_t rows : sizes) fs::remove(csvPath(rows));
  benchmark::Shutdown();
  return 0;
}
