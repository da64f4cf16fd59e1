// The application's own access pattern on a table shaped like SetupINI (a
// LONG unique key, a CSTRING(50) NOCASE key with duplicates, 6255-byte
// records), through the table statements of the native driver, against
// SQLite with the equivalent schema in the same run: ADD one change at a
// time, GET by the unique key in random order, SET + NEXT over the
// duplicate key, PUT of random records, DELETE of half. Both sides make
// every change durable on its own (SQLite: one transaction per statement,
// synchronous FULL). Prints each phase as a time ratio (Tarnwick / SQLite;
// below 1 is ahead) and both file sizes. ZOR_BENCH_RECORDS sets the number
// of records (10^4 by default), ZOR_BENCH_DIR the folder of the files.

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench/setupini_table.h"
#include "data/file_statements.h"

namespace {

namespace st = zor::data::statement;
using zor::bench::kDefaultOffset;
using zor::bench::Setting;

size_t recordCount() {
  const char* value = std::getenv("ZOR_BENCH_RECORDS");
  return value != nullptr ? static_cast<size_t>(std::strtoull(value, nullptr, 10)) : 10'000;
}

std::filesystem::path folder() {
  const char* value = std::getenv("ZOR_BENCH_DIR");
  return value != nullptr ? std::filesystem::path(value) : std::filesystem::temp_directory_path();
}

std::string tarnwickPath() {
  return (folder() / "bench_tables.edt").string();
}
std::string sqlitePath() {
  return (folder() / "bench_tables.sqlite").string();
}

const std::vector<Setting>& settings() {
  static const std::vector<Setting> data = zor::bench::makeSettings(recordCount(), 1, 7);
  return data;
}

// Ids in random order: the GET probes, the PUT and DELETE targets.
std::vector<int32_t> shuffledIds(uint32_t seed) {
  std::vector<int32_t> ids;
  for (const Setting& s : settings()) ids.push_back(s.id);
  std::shuffle(ids.begin(), ids.end(), std::mt19937(seed));
  return ids;
}

zor::data::FileControlBlock& table() {
  static zor::data::FileControlBlock fcb;
  if (fcb.label.empty()) zor::bench::declareSetupIni(fcb, tarnwickPath());
  return fcb;
}

void setId(int32_t id) {
  zor::bench::setId(table(), id);
}

void Add_Tarnwick(benchmark::State& state) {
  std::filesystem::remove(tarnwickPath());
  zor::data::FileControlBlock& fcb = table();
  for (auto _ : state) {
    if (st::create(fcb) != 0 || st::open(fcb, st::kReadWriteDenyNone) != 0) {
      state.SkipWithError("cannot create the table");
      return;
    }
    for (const Setting& s : settings()) {
      zor::bench::fillRecord(fcb, s);
      if (st::add(fcb) != 0) state.SkipWithError("ADD failed");
    }
  }
}

void Get_Tarnwick(benchmark::State& state) {
  zor::data::FileControlBlock& fcb = table();
  const std::vector<int32_t> ids = shuffledIds(1);
  for (auto _ : state) {
    for (int32_t id : ids) {
      setId(id);
      if (st::get(fcb, fcb.keys[0]) != 0) state.SkipWithError("GET failed");
    }
  }
}

void Scan_Tarnwick(benchmark::State& state) {
  zor::data::FileControlBlock& fcb = table();
  for (auto _ : state) {
    size_t count = 0;
    st::set(fcb, fcb.keys[1]);
    while (st::next(fcb) == 0) ++count;
    if (count != settings().size()) state.SkipWithError("the scan missed records");
  }
}

void Put_Tarnwick(benchmark::State& state) {
  zor::data::FileControlBlock& fcb = table();
  const std::vector<int32_t> ids = shuffledIds(2);
  for (auto _ : state) {
    for (size_t i = 0; i < ids.size() / 10; ++i) {
      setId(ids[i]);
      if (st::get(fcb, fcb.keys[0]) != 0) state.SkipWithError("GET failed");
      zor::bench::putText(fcb.record, kDefaultOffset, "changed " + std::to_string(i));
      if (st::put(fcb) != 0) state.SkipWithError("PUT failed");
    }
  }
}

void Delete_Tarnwick(benchmark::State& state) {
  zor::data::FileControlBlock& fcb = table();
  const std::vector<int32_t> ids = shuffledIds(3);
  for (auto _ : state) {
    for (size_t i = 0; i < ids.size() / 2; ++i) {
      setId(ids[i]);
      if (st::get(fcb, fcb.keys[0]) != 0 || st::erase(fcb) != 0)
        state.SkipWithError("DELETE failed");
    }
  }
  st::close(fcb);
}

sqlite3* gDb = nullptr;

sqlite3_stmt* prepare(const char* sql) {
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(gDb, sql, -1, &statement, nullptr);
  return statement;
}

void Add_SQLite(benchmark::State& state) {
  std::filesystem::remove(sqlitePath());
  for (auto _ : state) {
    sqlite3_open(sqlitePath().c_str(), &gDb);
    sqlite3_exec(gDb, "PRAGMA synchronous=FULL;", nullptr, nullptr, nullptr);
    sqlite3_exec(gDb, zor::bench::kSqliteSchema, nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = prepare(zor::bench::kSqliteInsert);
    for (const Setting& s : settings()) {
      zor::bench::bindSetting(insert, s);
      if (sqlite3_step(insert) != SQLITE_DONE) state.SkipWithError("INSERT failed");
      sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
  }
}

void Get_SQLite(benchmark::State& state) {
  const std::vector<int32_t> ids = shuffledIds(1);
  sqlite3_stmt* select = prepare("SELECT * FROM setupini WHERE id = ?1");
  for (auto _ : state) {
    for (int32_t id : ids) {
      sqlite3_bind_int(select, 1, id);
      if (sqlite3_step(select) != SQLITE_ROW) state.SkipWithError("SELECT failed");
      benchmark::DoNotOptimize(sqlite3_column_text(select, 4));
      sqlite3_reset(select);
    }
  }
  sqlite3_finalize(select);
}

void Scan_SQLite(benchmark::State& state) {
  sqlite3_stmt* select = prepare("SELECT * FROM setupini ORDER BY inisection COLLATE NOCASE, id");
  for (auto _ : state) {
    size_t count = 0;
    while (sqlite3_step(select) == SQLITE_ROW) {
      benchmark::DoNotOptimize(sqlite3_column_text(select, 4));
      ++count;
    }
    sqlite3_reset(select);
    if (count != settings().size()) state.SkipWithError("the scan missed records");
  }
  sqlite3_finalize(select);
}

void Put_SQLite(benchmark::State& state) {
  const std::vector<int32_t> ids = shuffledIds(2);
  sqlite3_stmt* select = prepare("SELECT * FROM setupini WHERE id = ?1");
  sqlite3_stmt* update = prepare("UPDATE setupini SET defaultvalue = ?2 WHERE id = ?1");
  for (auto _ : state) {
    for (size_t i = 0; i < ids.size() / 10; ++i) {
      sqlite3_bind_int(select, 1, ids[i]);
      if (sqlite3_step(select) != SQLITE_ROW) state.SkipWithError("SELECT failed");
      sqlite3_reset(select);
      const std::string value = "changed " + std::to_string(i);
      sqlite3_bind_int(update, 1, ids[i]);
      sqlite3_bind_text(update, 2, value.c_str(), -1, SQLITE_TRANSIENT);
      if (sqlite3_step(update) != SQLITE_DONE) state.SkipWithError("UPDATE failed");
      sqlite3_reset(update);
    }
  }
  sqlite3_finalize(select);
  sqlite3_finalize(update);
}

void Delete_SQLite(benchmark::State& state) {
  const std::vector<int32_t> ids = shuffledIds(3);
  sqlite3_stmt* select = prepare("SELECT * FROM setupini WHERE id = ?1");
  sqlite3_stmt* remove = prepare("DELETE FROM setupini WHERE id = ?1");
  for (auto _ : state) {
    for (size_t i = 0; i < ids.size() / 2; ++i) {
      sqlite3_bind_int(select, 1, ids[i]);
      if (sqlite3_step(select) != SQLITE_ROW) state.SkipWithError("SELECT failed");
      sqlite3_reset(select);
      sqlite3_bind_int(remove, 1, ids[i]);
      if (sqlite3_step(remove) != SQLITE_DONE) state.SkipWithError("DELETE failed");
      sqlite3_reset(remove);
    }
  }
  sqlite3_finalize(select);
  sqlite3_finalize(remove);
  sqlite3_close(gDb);
}

// Phases that change the tables run once; the reading phases leave them as
// they are and are timed as the mean of a few runs, which steadies the
// figure of a phase of a few milliseconds.
#define TABLES_BENCH(name) \
  BENCHMARK(name)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)
#define TABLES_READING_BENCH(name) \
  BENCHMARK(name)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(kReadingRuns)
constexpr int kReadingRuns = 5;
TABLES_BENCH(Add_Tarnwick);
TABLES_BENCH(Add_SQLite);
TABLES_READING_BENCH(Get_Tarnwick);
TABLES_READING_BENCH(Get_SQLite);
TABLES_READING_BENCH(Scan_Tarnwick);
TABLES_READING_BENCH(Scan_SQLite);
TABLES_BENCH(Put_Tarnwick);
TABLES_BENCH(Put_SQLite);
TABLES_BENCH(Delete_Tarnwick);
TABLES_BENCH(Delete_SQLite);

class TimeReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      times[run.benchmark_name()] = run.GetAdjustedRealTime();
      cpuTimes[run.benchmark_name()] = run.GetAdjustedCPUTime();
    }
  }
  std::map<std::string, double> times;
  std::map<std::string, double> cpuTimes;
};

bool reads(const std::string& what) {
  return what == "Get" || what == "Scan";
}

double ratio(const std::map<std::string, double>& times, const std::string& what) {
  const std::string runs = "/iterations:" + std::to_string(reads(what) ? kReadingRuns : 1);
  const auto ours = times.find(what + "_Tarnwick" + runs + "/real_time");
  const auto theirs = times.find(what + "_SQLite" + runs + "/real_time");
  if (ours == times.end() || theirs == times.end() || theirs->second <= 0) return 0;
  return ours->second / theirs->second;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  TimeReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\n%zu records of %u bytes (Tarnwick / SQLite, below 1 is ahead)\n",
              settings().size(), zor::bench::kRecordSize);
  for (const char* what : {"Add", "Get", "Scan", "Put", "Delete"}) {
    std::printf("  %-7s %.2f (CPU time %.2f)\n", what, ratio(reporter.times, what),
                ratio(reporter.cpuTimes, what));
  }
  std::error_code error;
  const auto ours = std::filesystem::file_size(tarnwickPath(), error);
  const auto theirs = std::filesystem::file_size(sqlitePath(), error);
  std::printf("  file size after the deletes: Tarnwick %.1f MB, SQLite %.1f MB, ratio %.2f\n",
              ours / 1e6, theirs / 1e6,
              theirs != 0 ? static_cast<double>(ours) / static_cast<double>(theirs) : 0.0);
  std::filesystem::remove(tarnwickPath(), error);
  std::filesystem::remove(sqlitePath(), error);
  benchmark::Shutdown();
  return 0;
}
