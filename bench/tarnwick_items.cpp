// Items in a Tarnwick file against SQLite in the same run: insert, point
// lookup and ordered scan of 10^6 items (16-byte random keys, 100-byte data
// shaped like a record: a counter and space-padded text), committed in
// batches of 1000 on both sides. SQLite keeps them in a WITHOUT ROWID table
// with a blob primary key and synchronous FULL. Prints each as a time ratio
// (Tarnwick / SQLite; below 1 is ahead) and the sizes of both files.
// ZOR_BENCH_ITEMS overrides the number of items; with ZOR_BENCH_KEEP set the
// files stay in the temporary folder. CPU-time ratios are printed beside the
// wall-clock ones: on a busy machine they say more about the code.

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench/ratio_reporter.h"
#include "data/tarnwick/tarnwick_file.h"

namespace {

constexpr size_t kBatch = 1000;
constexpr size_t kLookups = 200'000;

size_t itemCount() {
  const char* value = std::getenv("ZOR_BENCH_ITEMS");
  return value != nullptr ? static_cast<size_t>(std::strtoull(value, nullptr, 10)) : 1'000'000;
}

struct Item {
  uint8_t key[16];
  uint8_t data[100];
};

const std::vector<Item>& items() {
  static const std::vector<Item> data = [] {
    std::vector<Item> out(itemCount());
    std::mt19937_64 random(42);
    for (size_t i = 0; i < out.size(); ++i) {
      Item& item = out[i];
      for (size_t b = 0; b < 16; b += 8) {
        const uint64_t bits = random();
        std::memcpy(item.key + b, &bits, 8);
      }
      std::memset(item.data, ' ', sizeof item.data);
      char text[64];
      const int length = std::snprintf(text, sizeof text, "%08zu customer %05u city %u", i,
                                       static_cast<unsigned>(random() % 100000),
                                       static_cast<unsigned>(random() % 500));
      std::memcpy(item.data, text, static_cast<size_t>(std::max(length, 0)));
    }
    return out;
  }();
  return data;
}

// Keys to look up, in another random order.
const std::vector<size_t>& probes() {
  static const std::vector<size_t> data = [] {
    std::vector<size_t> out(std::min(kLookups, items().size()));
    std::mt19937_64 random(7);
    for (size_t& index : out) index = random() % items().size();
    return out;
  }();
  return data;
}

std::string benchPath(const char* name) {
  return (std::filesystem::temp_directory_path() / name).string();
}
const std::string& tarnwickPath() {
  static const std::string path = benchPath("zor_bench_items.twk");
  return path;
}
const std::string& sqlitePath() {
  static const std::string path = benchPath("zor_bench_items.sqlite");
  return path;
}

zor::tarnwick::Bytes keyOf(const Item& item) {
  return {item.key, sizeof item.key};
}

// --- Tarnwick ------------------------------------------------------------------

void Insert_Tarnwick(benchmark::State& state) {
  for (auto _ : state) {
    zor::tarnwick::TarnwickFile file;
    if (file.create(tarnwickPath()) != 0) state.SkipWithError("create failed");
    for (size_t i = 0; i < items().size(); ++i) {
      const Item& item = items()[i];
      file.insert(keyOf(item), {item.data, sizeof item.data});
      if ((i + 1) % kBatch == 0 && file.commit() != 0) state.SkipWithError("commit failed");
    }
    if (file.commit() != 0) state.SkipWithError("commit failed");
  }
}

void Lookup_Tarnwick(benchmark::State& state) {
  zor::tarnwick::TarnwickFile file;
  if (file.open(tarnwickPath(), zor::tarnwick::OpenMode{}) != 0) state.SkipWithError("open failed");
  std::vector<uint8_t> data;
  for (auto _ : state) {
    size_t found = 0;
    for (size_t index : probes()) found += file.find(keyOf(items()[index]), &data) ? data[0] : 0;
    benchmark::DoNotOptimize(found);
  }
}

void Scan_Tarnwick(benchmark::State& state) {
  zor::tarnwick::TarnwickFile file;
  if (file.open(tarnwickPath(), zor::tarnwick::OpenMode{}) != 0) state.SkipWithError("open failed");
  for (auto _ : state) {
    size_t sum = 0, count = 0;
    zor::tarnwick::Cursor cursor = file.cursor();
    for (bool more = cursor.first(); more; more = cursor.next(), ++count) sum += cursor.data()[0];
    if (count != items().size()) state.SkipWithError("scan missed items");
    benchmark::DoNotOptimize(sum);
  }
}

// --- SQLite --------------------------------------------------------------------

sqlite3* openSqlite() {
  sqlite3* db = nullptr;
  sqlite3_open(sqlitePath().c_str(), &db);
  sqlite3_exec(db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
  return db;
}

void Insert_SQLite(benchmark::State& state) {
  for (auto _ : state) {
    std::filesystem::remove(sqlitePath());
    sqlite3* db = openSqlite();
    sqlite3_exec(db, "CREATE TABLE items(k BLOB PRIMARY KEY, v BLOB) WITHOUT ROWID", nullptr,
                 nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO items VALUES(?, ?)", -1, &insert, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    for (size_t i = 0; i < items().size(); ++i) {
      const Item& item = items()[i];
      sqlite3_bind_blob(insert, 1, item.key, sizeof item.key, SQLITE_STATIC);
      sqlite3_bind_blob(insert, 2, item.data, sizeof item.data, SQLITE_STATIC);
      sqlite3_step(insert);
      sqlite3_reset(insert);
      if ((i + 1) % kBatch == 0) {
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
      }
    }
    if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
      state.SkipWithError("commit failed");
    }
    sqlite3_finalize(insert);
    sqlite3_close(db);
  }
}

void Lookup_SQLite(benchmark::State& state) {
  sqlite3* db = openSqlite();
  sqlite3_stmt* select = nullptr;
  sqlite3_prepare_v2(db, "SELECT v FROM items WHERE k = ?", -1, &select, nullptr);
  for (auto _ : state) {
    size_t found = 0;
    for (size_t index : probes()) {
      const Item& item = items()[index];
      sqlite3_bind_blob(select, 1, item.key, sizeof item.key, SQLITE_STATIC);
      if (sqlite3_step(select) == SQLITE_ROW) {
        std::vector<uint8_t> data(static_cast<const uint8_t*>(sqlite3_column_blob(select, 0)),
                                  static_cast<const uint8_t*>(sqlite3_column_blob(select, 0)) +
                                      sqlite3_column_bytes(select, 0));
        found += data[0];
      }
      sqlite3_reset(select);
    }
    benchmark::DoNotOptimize(found);
  }
  sqlite3_finalize(select);
  sqlite3_close(db);
}

void Scan_SQLite(benchmark::State& state) {
  sqlite3* db = openSqlite();
  sqlite3_stmt* select = nullptr;
  sqlite3_prepare_v2(db, "SELECT k, v FROM items ORDER BY k", -1, &select, nullptr);
  for (auto _ : state) {
    size_t sum = 0, count = 0;
    while (sqlite3_step(select) == SQLITE_ROW) {
      sum += static_cast<const uint8_t*>(sqlite3_column_blob(select, 1))[0];
      benchmark::DoNotOptimize(sqlite3_column_blob(select, 0));
      ++count;
    }
    sqlite3_reset(select);
    if (count != items().size()) state.SkipWithError("scan missed items");
    benchmark::DoNotOptimize(sum);
  }
  sqlite3_finalize(select);
  sqlite3_close(db);
}

#define ITEMS_BENCH(name) \
  BENCHMARK(name)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)
ITEMS_BENCH(Insert_Tarnwick);
ITEMS_BENCH(Insert_SQLite);
ITEMS_BENCH(Lookup_Tarnwick);
ITEMS_BENCH(Lookup_SQLite);
ITEMS_BENCH(Scan_Tarnwick);
ITEMS_BENCH(Scan_SQLite);

// Tarnwick / SQLite of one phase, by wall-clock time (the work waits on the
// disk) or by CPU time.
double ratio(const zor::bench::RatioReporter& reporter, const std::string& what, bool cpu) {
  const std::string ours = what + "_Tarnwick/iterations:1/real_time";
  const std::string theirs = what + "_SQLite/iterations:1/real_time";
  return cpu ? reporter.ratio(reporter.cpuTime(ours), reporter.cpuTime(theirs))
             : reporter.ratio(reporter.realTime(ours), reporter.realTime(theirs));
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  zor::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\n%zu items, batches of %zu, %zu lookups (Tarnwick / SQLite, below 1 is ahead)\n",
              items().size(), kBatch, probes().size());
  for (const char* what : {"Insert", "Lookup", "Scan"}) {
    std::printf("  %-8s %.2f (CPU time %.2f)\n", what, ratio(reporter, what, false),
                ratio(reporter, what, true));
  }
  std::error_code error;
  const auto ours = std::filesystem::file_size(tarnwickPath(), error);
  const auto theirs = std::filesystem::file_size(sqlitePath(), error);
  std::printf("  file size: Tarnwick %.1f MB, SQLite %.1f MB, ratio %.2f\n", ours / 1e6,
              theirs / 1e6,
              theirs != 0 ? static_cast<double>(ours) / static_cast<double>(theirs) : 0.0);
  if (std::getenv("ZOR_BENCH_KEEP") == nullptr) {  // kept for a look with twk info
    std::filesystem::remove(tarnwickPath(), error);
    std::filesystem::remove(sqlitePath(), error);
  }
  benchmark::Shutdown();
  return 0;
}
