// Transactions and several processes on one file, through the table
// statements of the native driver on a shared-open SetupINI-shaped table,
// against SQLite with the same schema and durability (synchronous FULL) in
// the same run:
//
//  - Batch: ADD of N records inside one LOGOUT ... COMMIT against one
//    BEGIN ... COMMIT (N = ZOR_BENCH_RECORDS, 10^4 by default; the figures
//    worth quoting are at 10^5), into one file, and spread over two files
//    (a commit over several files; SQLite: a second database attached).
//  - Writers: K = 1, 2, 4 forked processes add a fixed total of records
//    (ZOR_BENCH_WRITER_RECORDS, 2000 by default; a fifth of that for one
//    record per change on disk) to one file, one record per change and in
//    batches of 100 inside LOGOUT ... COMMIT (SQLite:
//    BEGIN IMMEDIATE ... COMMIT), against SQLite in rollback-journal and in
//    WAL mode; SQLite waits for its locks through busy_timeout. Wall time.
//  - Readers: R = 0 (the writer alone), 1, 2, 4 processes scan the whole table in the order of
//    the duplicate key (SET + NEXT to the end) while one process adds
//    records, one per change, for ZOR_BENCH_SECONDS (2 by default) on a
//    table of ZOR_BENCH_SCAN_RECORDS (1000) records: scans/s and adds/s,
//    and the writer's adds/s against its own with no reader.
//  Tarnwick's writers also count their flushes per change.
//
// Each runs on /dev/shm ("shm") and in an on-disk folder ("disk":
// ZOR_BENCH_DIR, else bench_files in the current folder); ZOR_BENCH_PLACES
// ("shm", "disk" or "shm,disk", the default) chooses. A process that does
// not end within ZOR_BENCH_TIMEOUT seconds (300) is killed and the run
// reports the statement it was in. Every run checks the records it wrote
// are all there afterwards. ZOR_BENCH_REPEATS (1) runs each benchmark that
// many times and quotes the medians. Quick run: ZOR_BENCH_RECORDS=2000
// ZOR_BENCH_WRITER_RECORDS=200 ZOR_BENCH_SECONDS=0.5 ZOR_BENCH_PLACES=shm.

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/process_group.h"
#include "bench/ratio_reporter.h"
#include "bench/setupini_table.h"
#include "data/file_control_block.h"
#include "data/file_errors.h"
#include "data/file_statements.h"
#include "platform/fault_injection.h"

namespace {

namespace st = zor::data::statement;
using zor::bench::ChildReport;
using zor::bench::ProcessGroup;
using zor::bench::StartGate;
using Clock = std::chrono::steady_clock;

struct Place {
  std::string label;
  std::filesystem::path folder;
};

double envNumber(const char* name, double fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? std::strtod(value, nullptr) : fallback;
}

size_t batchRecords() {
  return static_cast<size_t>(envNumber("ZOR_BENCH_RECORDS", 10'000));
}
// On disk every change waits for the device, so one record per change there
// writes a fifth of the records (the same count for both sides).
size_t writerRecords(const Place& place, size_t batch) {
  const auto total = static_cast<size_t>(envNumber("ZOR_BENCH_WRITER_RECORDS", 2000));
  return place.label == "disk" && batch == 1 ? total / 5 : total;
}
// What each of `processes` writers adds.
size_t recordsEach(const Place& place, size_t batch, int processes) {
  return writerRecords(place, batch) / static_cast<size_t>(processes);
}
size_t scanRecords() {
  return static_cast<size_t>(envNumber("ZOR_BENCH_SCAN_RECORDS", 1000));
}
double scanSeconds() {
  return envNumber("ZOR_BENCH_SECONDS", 2);
}
double timeoutSeconds() {
  return envNumber("ZOR_BENCH_TIMEOUT", 300);
}
// Runs of each benchmark; above 1 the summary quotes their medians.
int repeats() {
  return std::max(1, static_cast<int>(envNumber("ZOR_BENCH_REPEATS", 1)));
}

std::vector<Place> places() {
  const char* chosen = std::getenv("ZOR_BENCH_PLACES");
  const std::string wanted = chosen != nullptr ? chosen : "shm,disk";
  std::vector<Place> out;
  if (wanted.find("shm") != std::string::npos && std::filesystem::is_directory("/dev/shm"))
    out.push_back({"shm", "/dev/shm/zor_bench_transactions." + std::to_string(getpid())});
  if (wanted.find("disk") != std::string::npos) {
    const char* dir = std::getenv("ZOR_BENCH_DIR");
    out.push_back({"disk", dir != nullptr ? std::filesystem::path(dir)
                                          : std::filesystem::current_path() / "bench_files"});
  }
  return out;
}

// What a process is carrying out, for the report of a failure or a hang.
enum Statement : int32_t {
  kIdle,
  kOpen,
  kLogout,
  kAdd,
  kCommit,
  kRollback,
  kSet,
  kNext,
  kRecords,
  kClose,
  kSqlOpen,
  kSqlBegin,
  kSqlInsert,
  kSqlCommit,
  kSqlSelect,
  kScanCount,
};

const char* statementName(int32_t what) {
  static const char* const names[] = {
      "nothing", "OPEN",         "LOGOUT",       "ADD",
      "COMMIT",  "ROLLBACK",     "SET",          "NEXT",
      "RECORDS", "CLOSE",        "sqlite3_open", "BEGIN IMMEDIATE",
      "INSERT",  "COMMIT (SQL)", "SELECT",       "a scan's record count",
  };
  return what >= 0 && what < static_cast<int32_t>(std::size(names)) ? names[what] : "?";
}

enum class Engine { kTarnwick, kSqliteJournal, kSqliteWal };

const char* engineLabel(Engine engine) {
  switch (engine) {
    case Engine::kTarnwick:
      return "Tarnwick";
    case Engine::kSqliteJournal:
      return "SQLite-journal";
    case Engine::kSqliteWal:
      return "SQLite-WAL";
  }
  return "?";
}

// File 0 is the one most runs use; a transaction over two files adds file 1.
std::string tarnwickPath(const Place& place, int file = 0) {
  return (place.folder / (file == 0 ? "bench_transactions.edt" : "bench_transactions_1.edt"))
      .string();
}
std::string sqlitePath(const Place& place, int file = 0) {
  return (place.folder / (file == 0 ? "bench_transactions.sqlite" : "bench_transactions_1.sqlite"))
      .string();
}

void removeFiles(const Place& place) {
  std::error_code error;
  std::filesystem::create_directories(place.folder, error);
  std::filesystem::remove(place.folder / "tarnwick.tcf", error);
  for (int file : {0, 1}) {
    for (const std::string& path :
         {tarnwickPath(place, file), sqlitePath(place, file), sqlitePath(place, file) + "-journal",
          sqlitePath(place, file) + "-wal", sqlitePath(place, file) + "-shm"}) {
      std::filesystem::remove(path, error);
    }
  }
}

std::string failureText(int32_t what, int32_t answer) {
  if (what == kScanCount)
    return "a scan saw " + std::to_string(answer) + " records, fewer than were there at the start";
  return std::string(statementName(what)) + " answered " + std::to_string(answer);
}

// ---- The native driver ----------------------------------------------------

// A SetupINI-shaped table open shared in this process.
struct SharedTable {
  explicit SharedTable(const std::string& path) { zor::bench::declareSetupIni(fcb, path); }
  ~SharedTable() {
    if (opened) st::close(fcb);
  }
  int open(uint32_t mode = st::kReadWriteDenyNone) {
    const int answer = st::open(fcb, mode);
    opened = answer == 0;
    return answer;
  }
  zor::data::FileControlBlock fcb;
  bool opened = false;
};

// Adds `settings` inside one LOGOUT ... COMMIT over the tables, record i to
// table i modulo their count; empty on success, else the failure.
std::string addInOneTransaction(const std::vector<SharedTable*>& tables,
                                const std::vector<zor::bench::Setting>& settings) {
  std::vector<zor::data::FileControlBlock*> files;
  for (SharedTable* table : tables) files.push_back(&table->fcb);
  if (int answer = st::logout(0, files); answer != 0) return failureText(kLogout, answer);
  for (size_t i = 0; i < settings.size(); ++i) {
    zor::data::FileControlBlock& fcb = *files[i % files.size()];
    zor::bench::fillRecord(fcb, settings[i]);
    if (int answer = st::add(fcb); answer != 0) {
      st::rollback(fcb);
      return failureText(kAdd, answer);
    }
  }
  if (int answer = st::commit(*files[0]); answer != 0) return failureText(kCommit, answer);
  return {};
}

// A new table holding records 1 .. count; empty on success, else the failure.
std::string createTarnwick(const Place& place, size_t count, int file = 0) {
  SharedTable table(tarnwickPath(place, file));
  if (int answer = st::create(table.fcb); answer != 0)
    return "CREATE answered " + std::to_string(answer);
  if (int answer = table.open(); answer != 0) return failureText(kOpen, answer);
  if (count == 0) return {};
  return addInOneTransaction({&table}, zor::bench::makeSettings(count, 1, 7));
}

int64_t tarnwickRecordCount(const Place& place, int file = 0) {
  SharedTable table(tarnwickPath(place, file));
  int64_t count = -1;
  if (table.open(st::kReadOnlyDenyNone) != 0 || st::records(table.fcb, count) != 0) return -1;
  return count;
}

// The first id process `index` adds: the processes never share one.
int32_t firstId(int index) {
  return 1'000'000 + index * 100'000'000;
}

// Clock::time_point{} (never) when `seconds` is 0.
Clock::time_point deadlineAfter(Clock::time_point start, double seconds) {
  if (seconds <= 0) return {};
  return start +
         std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

bool expired(Clock::time_point deadline) {
  return deadline != Clock::time_point{} && Clock::now() >= deadline;
}

void finish(ChildReport& report, Clock::time_point start) {
  report.statement = kIdle;
  report.micros = static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count());
}

// How one step of a process went.
enum class Step { kDone, kBusy, kFailed };

// Adds `limit` records (or until `seconds` have gone by, when not 0), one per
// change or `batch` per transaction, through a writer with begin(report),
// add(setting, report), commit(report) and abandon(). A batch that met a
// busy answer is abandoned and written again; every repeat is counted.
template <typename Writer>
void writeRecords(Writer& writer, int index, size_t limit, size_t batch, double seconds,
                  ChildReport& report, StartGate& gate) {
  std::mt19937 random(static_cast<uint32_t>(index) + 11);
  gate.wait();
  const Clock::time_point start = Clock::now();
  const Clock::time_point deadline = deadlineAfter(start, seconds);
  size_t added = 0;
  while (added < limit && !expired(deadline)) {
    const size_t count = std::min(batch, limit - added);
    if (batch > 1) {
      Step begun;
      while ((begun = writer.begin(report)) == Step::kBusy) ++report.retries;
      if (begun != Step::kDone) return;
    }
    Step step = Step::kDone;
    for (size_t i = 0; i < count && step == Step::kDone; ++i) {
      const int32_t id = firstId(index) + static_cast<int32_t>(added + i);
      step = writer.add(zor::bench::makeSetting(id, random), report);
      while (step == Step::kBusy && batch == 1) {
        ++report.retries;
        step = writer.add(zor::bench::makeSetting(id, random), report);
      }
    }
    if (step == Step::kFailed) {
      if (batch > 1) writer.abandon();
      return;
    }
    if (batch > 1) {
      if (step == Step::kBusy) {
        writer.abandon();
        ++report.retries;
        continue;
      }
      if (writer.commit(report) != Step::kDone) return;
    }
    added += count;
    report.done = added;
  }
  finish(report, start);
}

// Scans the whole table with `scanner.scan(count, report)` until `seconds`
// have gone by; each scan must see at least the `atLeast` records there at
// the start. Busy scans are repeated and counted.
template <typename Scanner>
void scanRecords(Scanner& scanner, size_t atLeast, double seconds, ChildReport& report,
                 StartGate& gate) {
  gate.wait();
  const Clock::time_point start = Clock::now();
  const Clock::time_point deadline = deadlineAfter(start, seconds);
  while (!expired(deadline)) {
    uint64_t count = 0;
    const Step step = scanner.scan(count, report);
    if (step == Step::kBusy) {
      ++report.retries;
      continue;
    }
    if (step == Step::kFailed) return;
    if (count < atLeast) return report.fail(kScanCount, static_cast<int32_t>(count));
    report.seen += count;
    ++report.done;
  }
  finish(report, start);
}

// ADD one change at a time, or LOGOUT ... COMMIT around a batch. An answer
// "Access Denied" (a lock not to be had) counts as busy.
struct TarnwickWriter {
  SharedTable table;
  zor::data::FileControlBlock* files[1] = {&table.fcb};

  explicit TarnwickWriter(const Place& place) : table(tarnwickPath(place)) {}
  static Step answer(int32_t what, int answer, ChildReport& report) {
    if (answer == 0) return Step::kDone;
    if (answer == zor::data::kErrAccessDenied && what != kCommit) return Step::kBusy;
    report.fail(what, answer);
    return Step::kFailed;
  }
  Step begin(ChildReport& report) {
    report.statement = kLogout;
    return answer(kLogout, st::logout(0, files), report);
  }
  Step add(const zor::bench::Setting& s, ChildReport& report) {
    zor::bench::fillRecord(table.fcb, s);
    report.statement = kAdd;
    return answer(kAdd, st::add(table.fcb), report);
  }
  Step commit(ChildReport& report) {
    report.statement = kCommit;
    // A COMMIT that fails leaves the batch in doubt: a failure, not busy.
    return answer(kCommit, st::commit(table.fcb), report);
  }
  void abandon() { st::rollback(table.fcb); }
};

struct TarnwickScanner {
  SharedTable table;
  explicit TarnwickScanner(const Place& place) : table(tarnwickPath(place)) {}
  Step scan(uint64_t& count, ChildReport& report) {
    report.statement = kSet;
    int answer = st::set(table.fcb, table.fcb.keys[zor::bench::kSectionKey]);
    if (answer == 0) {
      report.statement = kNext;
      while ((answer = st::next(table.fcb)) == 0) ++count;
      if (answer == zor::data::kErrRecordNotAvailable) return Step::kDone;
    }
    if (answer == zor::data::kErrAccessDenied) return Step::kBusy;
    report.fail(report.statement, answer);
    return Step::kFailed;
  }
};

void tarnwickWriter(const Place& place, int index, size_t limit, size_t batch, double seconds,
                    ChildReport& report, StartGate& gate) {
  TarnwickWriter writer(place);
  report.statement = kOpen;
  if (int answer = writer.table.open(); answer != 0) return report.fail(kOpen, answer);
  // The file layer counts flushes (it fails none).
  zor::platform::setFaultPlan({zor::platform::FaultKind::None, zor::platform::FaultStep::Flush});
  writeRecords(writer, index, limit, batch, seconds, report, gate);
  report.flushes = zor::platform::faultStepCount();
}

void tarnwickReader(const Place& place, size_t atLeast, double seconds, ChildReport& report,
                    StartGate& gate) {
  TarnwickScanner scanner(place);
  report.statement = kOpen;
  if (int answer = scanner.table.open(st::kReadOnlyDenyNone); answer != 0)
    return report.fail(kOpen, answer);
  scanRecords(scanner, atLeast, seconds, report, gate);
}

// ---- SQLite ---------------------------------------------------------------

struct Sqlite {
  explicit Sqlite(const std::string& path) {
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) return;
    sqlite3_busy_timeout(db, 60'000);
    ok = exec("PRAGMA synchronous=FULL");
  }
  ~Sqlite() {
    for (sqlite3_stmt* statement : statements) sqlite3_finalize(statement);
    sqlite3_close(db);
  }
  bool exec(const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
  }
  sqlite3_stmt* prepare(const char* sql) {
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    statements.push_back(statement);
    return statement;
  }
  // Steps until the statement is done, trying again while it is busy (the
  // busy time-out ran out); the answer and the count of tries again.
  int stepDone(sqlite3_stmt* statement, ChildReport* report) {
    int answer;
    while ((answer = sqlite3_step(statement)) == SQLITE_BUSY) {
      sqlite3_reset(statement);
      if (report != nullptr) ++report->retries;
    }
    sqlite3_reset(statement);
    return answer == SQLITE_DONE ? SQLITE_OK : answer;
  }

  sqlite3* db = nullptr;
  bool ok = false;
  std::vector<sqlite3_stmt*> statements;
};

std::string createSqlite(const Place& place, Engine engine, size_t count, int file = 0) {
  Sqlite sql(sqlitePath(place, file));
  if (!sql.ok) return "sqlite3_open failed";
  if (!sql.exec(engine == Engine::kSqliteWal ? "PRAGMA journal_mode=WAL"
                                             : "PRAGMA journal_mode=DELETE") ||
      !sql.exec(zor::bench::kSqliteSchema))
    return sqlite3_errmsg(sql.db);
  if (count == 0) return {};
  sqlite3_stmt* insert = sql.prepare(zor::bench::kSqliteInsert);
  sql.exec("BEGIN");
  for (const zor::bench::Setting& s : zor::bench::makeSettings(count, 1, 7)) {
    zor::bench::bindSetting(insert, s);
    if (sql.stepDone(insert, nullptr) != SQLITE_OK) return sqlite3_errmsg(sql.db);
  }
  return sql.exec("COMMIT") ? std::string() : sqlite3_errmsg(sql.db);
}

int64_t sqliteRecordCount(const Place& place, int file = 0) {
  Sqlite sql(sqlitePath(place, file));
  sqlite3_stmt* count = sql.prepare("SELECT count(*) FROM setupini");
  if (!sql.ok || sqlite3_step(count) != SQLITE_ROW) return -1;
  return sqlite3_column_int64(count, 0);
}

// Empty when the engine's file holds `expected` records, else what it holds.
std::string recordCountFault(Engine engine, const Place& place, int64_t expected) {
  const int64_t stored =
      engine == Engine::kTarnwick ? tarnwickRecordCount(place) : sqliteRecordCount(place);
  if (stored == expected) return "";
  return "the file holds " + std::to_string(stored) + " records, not " + std::to_string(expected);
}

// Autocommit INSERTs, or BEGIN IMMEDIATE ... COMMIT around a batch; busy
// answers after the busy time-out are repeated inside stepDone.
struct SqliteWriter {
  Sqlite sql;
  sqlite3_stmt* insert = sql.prepare(zor::bench::kSqliteInsert);
  sqlite3_stmt* beginStatement = sql.prepare("BEGIN IMMEDIATE");
  sqlite3_stmt* commitStatement = sql.prepare("COMMIT");

  explicit SqliteWriter(const Place& place) : sql(sqlitePath(place)) {}
  Step run(int32_t what, sqlite3_stmt* statement, ChildReport& report) {
    report.statement = what;
    const int answer = sql.stepDone(statement, &report);
    if (answer == SQLITE_OK) return Step::kDone;
    report.fail(what, answer);
    return Step::kFailed;
  }
  Step begin(ChildReport& report) { return run(kSqlBegin, beginStatement, report); }
  Step add(const zor::bench::Setting& s, ChildReport& report) {
    zor::bench::bindSetting(insert, s);
    return run(kSqlInsert, insert, report);
  }
  Step commit(ChildReport& report) { return run(kSqlCommit, commitStatement, report); }
  void abandon() { sql.exec("ROLLBACK"); }
};

struct SqliteScanner {
  Sqlite sql;
  sqlite3_stmt* select =
      sql.prepare("SELECT * FROM setupini ORDER BY inisection COLLATE NOCASE, id");

  explicit SqliteScanner(const Place& place) : sql(sqlitePath(place)) {}
  Step scan(uint64_t& count, ChildReport& report) {
    report.statement = kSqlSelect;
    int answer;
    while ((answer = sqlite3_step(select)) == SQLITE_ROW) {
      benchmark::DoNotOptimize(sqlite3_column_text(select, 4));
      ++count;
    }
    sqlite3_reset(select);
    if (answer == SQLITE_DONE) return Step::kDone;
    if (answer == SQLITE_BUSY) return Step::kBusy;
    report.fail(kSqlSelect, answer);
    return Step::kFailed;
  }
};

void sqliteWriter(const Place& place, int index, size_t limit, size_t batch, double seconds,
                  ChildReport& report, StartGate& gate) {
  report.statement = kSqlOpen;
  SqliteWriter writer(place);
  if (!writer.sql.ok) return report.fail(kSqlOpen, sqlite3_errcode(writer.sql.db));
  writeRecords(writer, index, limit, batch, seconds, report, gate);
}

void sqliteReader(const Place& place, size_t atLeast, double seconds, ChildReport& report,
                  StartGate& gate) {
  report.statement = kSqlOpen;
  SqliteScanner scanner(place);
  if (!scanner.sql.ok) return report.fail(kSqlOpen, sqlite3_errcode(scanner.sql.db));
  scanRecords(scanner, atLeast, seconds, report, gate);
}

// ---- Runs -----------------------------------------------------------------

// Time of one run, and where it failed; a failed run is skipped with the
// text as its error, so the reporter shows it.
void reportFailure(benchmark::State& state, const std::string& text) {
  if (!text.empty()) state.SkipWithError(text.c_str());
}

std::string childFaults(const zor::bench::GroupOutcome& outcome, const char* role) {
  std::string text = outcome.fault;
  for (size_t i = 0; i < outcome.reports.size(); ++i) {
    const ChildReport& report = *outcome.reports[i];
    if (report.error.load() == 0) continue;
    text += std::string(role) + " " + std::to_string(i) + ": " +
            failureText(report.failedStatement.load(), report.error.load()) + "; ";
  }
  return text;
}

uint64_t retriesOf(const zor::bench::GroupOutcome& outcome, size_t from, size_t to) {
  uint64_t sum = 0;
  for (size_t i = from; i < to && i < outcome.reports.size(); ++i)
    sum += outcome.reports[i]->retries;
  return sum;
}

// The SQLite side of a batch over `files` database files: the second is
// attached, so one COMMIT covers both (through a super-journal).
std::string sqliteBatch(const Place& place, int files,
                        const std::vector<zor::bench::Setting>& settings, double& seconds) {
  Sqlite sql(sqlitePath(place));
  std::vector<sqlite3_stmt*> inserts = {sql.prepare(zor::bench::kSqliteInsert)};
  if (files == 2) {
    const std::string attach = "ATTACH '" + sqlitePath(place, 1) + "' AS other";
    if (!sql.exec(attach.c_str())) return std::string("ATTACH: ") + sqlite3_errmsg(sql.db);
    std::string insert = zor::bench::kSqliteInsert;
    insert.replace(insert.find("setupini"), 8, "other.setupini");
    inserts.push_back(sql.prepare(insert.c_str()));
  }
  std::string failure;
  const Clock::time_point start = Clock::now();
  sql.exec("BEGIN");
  for (size_t i = 0; i < settings.size() && failure.empty(); ++i) {
    sqlite3_stmt* insert = inserts[i % inserts.size()];
    zor::bench::bindSetting(insert, settings[i]);
    if (sql.stepDone(insert, nullptr) != SQLITE_OK)
      failure = std::string("INSERT: ") + sqlite3_errmsg(sql.db);
  }
  if (!sql.exec("COMMIT") && failure.empty()) failure = "COMMIT failed";
  seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return failure;
}

std::string tarnwickBatch(const Place& place, int files,
                          const std::vector<zor::bench::Setting>& settings, double& seconds) {
  SharedTable first(tarnwickPath(place, 0)), second(tarnwickPath(place, 1));
  std::vector<SharedTable*> tables = {&first, &second};
  tables.resize(static_cast<size_t>(files));
  for (SharedTable* table : tables) {
    if (int answer = table->open(); answer != 0) return failureText(kOpen, answer);
  }
  const Clock::time_point start = Clock::now();
  std::string failure = addInOneTransaction(tables, settings);
  seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return failure;
}

void Batch(benchmark::State& state, Place place, Engine engine, int files) {
  const std::vector<zor::bench::Setting> settings = zor::bench::makeSettings(batchRecords(), 1, 7);
  const bool ours = engine == Engine::kTarnwick;
  for (auto _ : state) {
    removeFiles(place);
    std::string failure;
    for (int file = 0; file < files && failure.empty(); ++file)
      failure = ours ? createTarnwick(place, 0, file) : createSqlite(place, engine, 0, file);
    double seconds = 0;
    if (failure.empty()) {
      failure = ours ? tarnwickBatch(place, files, settings, seconds)
                     : sqliteBatch(place, files, settings, seconds);
    }
    state.SetIterationTime(seconds);
    for (int file = 0; file < files && failure.empty(); ++file) {
      const int64_t expected = static_cast<int64_t>(
          (settings.size() + static_cast<size_t>(files - 1 - file)) / static_cast<size_t>(files));
      const int64_t stored =
          ours ? tarnwickRecordCount(place, file) : sqliteRecordCount(place, file);
      if (stored != expected)
        failure = "file " + std::to_string(file) + " holds " + std::to_string(stored) +
                  " records, not " + std::to_string(expected);
    }
    reportFailure(state, failure);
    state.counters["items_per_second"] =
        seconds > 0 ? static_cast<double>(settings.size()) / seconds : 0;
  }
  removeFiles(place);
}

void Writers(benchmark::State& state, Place place, Engine engine, int processes, size_t batch) {
  const size_t each = recordsEach(place, batch, processes);
  for (auto _ : state) {
    removeFiles(place);
    std::string failure =
        engine == Engine::kTarnwick ? createTarnwick(place, 0) : createSqlite(place, engine, 0);
    if (!failure.empty()) {
      state.SkipWithError(failure.c_str());
      break;
    }
    ProcessGroup group(processes);
    const auto outcome = group.run(
        [&](int index, ChildReport& report, StartGate& gate) {
          if (engine == Engine::kTarnwick) {
            tarnwickWriter(place, index, each, batch, 0, report, gate);
          } else {
            sqliteWriter(place, index, each, batch, 0, report, gate);
          }
        },
        timeoutSeconds(), statementName);
    state.SetIterationTime(outcome.seconds);
    failure = childFaults(outcome, "writer");
    const int64_t expected = static_cast<int64_t>(each) * processes;
    if (failure.empty()) failure = recordCountFault(engine, place, expected);
    reportFailure(state, failure);
    state.counters["items_per_second"] = static_cast<double>(expected) / outcome.seconds;
    state.counters["retries"] = static_cast<double>(retriesOf(outcome, 0, outcome.reports.size()));
    uint64_t flushes = 0;
    for (const ChildReport* report : outcome.reports) flushes += report->flushes;
    const double changes = static_cast<double>(expected) / static_cast<double>(batch);
    state.counters["flushes_per_change"] = static_cast<double>(flushes) / changes;
  }
  removeFiles(place);
}

void Readers(benchmark::State& state, Place place, Engine engine, int readers) {
  const size_t prefill = scanRecords();
  const double seconds = scanSeconds();
  for (auto _ : state) {
    removeFiles(place);
    std::string failure = engine == Engine::kTarnwick ? createTarnwick(place, prefill)
                                                      : createSqlite(place, engine, prefill);
    if (!failure.empty()) {
      state.SkipWithError(failure.c_str());
      break;
    }
    // Process 0 writes, the others read.
    ProcessGroup group(readers + 1);
    const auto outcome = group.run(
        [&](int index, ChildReport& report, StartGate& gate) {
          const bool writer = index == 0;
          if (engine == Engine::kTarnwick) {
            if (writer)
              tarnwickWriter(place, 0, SIZE_MAX, 1, seconds, report, gate);
            else
              tarnwickReader(place, prefill, seconds, report, gate);
          } else {
            if (writer)
              sqliteWriter(place, 0, SIZE_MAX, 1, seconds, report, gate);
            else
              sqliteReader(place, prefill, seconds, report, gate);
          }
        },
        timeoutSeconds() + seconds, statementName);
    state.SetIterationTime(outcome.seconds);
    failure = childFaults(outcome, "process");
    auto perSecond = [](uint64_t count, const ChildReport& report) {
      return report.micros > 0
                 ? static_cast<double>(count) * 1e6 / static_cast<double>(report.micros)
                 : 0;
    };
    // The scans grow as the writer adds, so the records read count as well
    // as the scans.
    double scansPerSecond = 0;
    double recordsPerSecond = 0;
    double recordsPerScan = 0;
    uint64_t scans = 0;
    for (size_t i = 1; i < outcome.reports.size(); ++i) {
      const ChildReport& report = *outcome.reports[i];
      scansPerSecond += perSecond(report.done, report);
      recordsPerSecond += perSecond(report.seen, report);
      scans += report.done;
      recordsPerScan += static_cast<double>(report.seen);
    }
    const ChildReport& writer = *outcome.reports.at(0);
    const double addsPerSecond = perSecond(writer.done, writer);
    const int64_t expected = static_cast<int64_t>(prefill + writer.done);
    if (failure.empty()) failure = recordCountFault(engine, place, expected);
    reportFailure(state, failure);
    state.counters["items_per_second"] = scansPerSecond;
    state.counters["adds_per_second"] = addsPerSecond;
    state.counters["records_read_per_second"] = recordsPerSecond;
    state.counters["records_per_scan"] =
        scans > 0 ? recordsPerScan / static_cast<double>(scans) : 0;
    state.counters["reader_retries"] =
        static_cast<double>(retriesOf(outcome, 1, outcome.reports.size()));
    state.counters["writer_retries"] = static_cast<double>(writer.retries);
  }
  removeFiles(place);
}

// ---- Registration and summary ---------------------------------------------

const Engine kEngines[] = {Engine::kTarnwick, Engine::kSqliteJournal, Engine::kSqliteWal};
const int kProcessCounts[] = {1, 2, 4};
// Readers beside the writer; none gives the writer's own rate.
const int kReaderCounts[] = {0, 1, 2, 4};
const size_t kBatches[] = {1, 100};

std::string batchName(const Place& place, Engine engine, int files) {
  return std::string("Batch/") + engineLabel(engine) + "/" + place.label +
         "/files:" + std::to_string(files);
}
std::string writersName(const Place& place, Engine engine, int k, size_t batch) {
  return std::string("Writers/") + engineLabel(engine) + "/" + place.label +
         "/K:" + std::to_string(k) + "/batch:" + std::to_string(batch);
}
std::string readersName(const Place& place, Engine engine, int r) {
  return std::string("Readers/") + engineLabel(engine) + "/" + place.label +
         "/R:" + std::to_string(r);
}

// The name the reporter knows a run (or the median of its repeats) by.
std::string runName(const std::string& name) {
  if (repeats() == 1) return name + "/iterations:1/manual_time";
  return name + "/iterations:1/repeats:" + std::to_string(repeats()) + "/manual_time_median";
}

void registerAll(const std::vector<Place>& where) {
  auto shape = [](benchmark::internal::Benchmark* b) {
    b->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
    if (repeats() > 1) b->Repetitions(repeats())->ReportAggregatesOnly(true);
  };
  for (const Place& place : where) {
    for (int files : {1, 2}) {
      for (Engine engine : {Engine::kTarnwick, Engine::kSqliteJournal})
        shape(benchmark::RegisterBenchmark(batchName(place, engine, files).c_str(), Batch, place,
                                           engine, files));
    }
  }
  for (const Place& place : where) {
    for (size_t batch : kBatches) {
      for (int k : kProcessCounts) {
        for (Engine engine : kEngines) {
          shape(benchmark::RegisterBenchmark(writersName(place, engine, k, batch).c_str(), Writers,
                                             place, engine, k, batch));
        }
      }
    }
  }
  for (const Place& place : where) {
    for (int r : kReaderCounts) {
      for (Engine engine : kEngines)
        shape(benchmark::RegisterBenchmark(readersName(place, engine, r).c_str(), Readers, place,
                                           engine, r));
    }
  }
}

using zor::bench::RatioReporter;

// Whether a run (or any repeat of it) stopped with an error; failed repeats
// are reported on their own, under the name without "_median".
bool failed(const RatioReporter& reporter, const std::string& run) {
  const std::string median = "_median";
  return reporter.failed(run) ||
         (run.ends_with(median) && reporter.failed(run.substr(0, run.size() - median.size())));
}

// A figure of a run for the summary: "failed" when the run stopped with an
// error, "-" when it did not run.
std::string figure(const RatioReporter& reporter, const std::string& run, double value,
                   const char* format = "%.0f") {
  if (failed(reporter, run)) return "failed";
  if (value == 0) return "-";
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// ours / theirs of two runs' figures.
std::string ratioFigure(const RatioReporter& reporter, const std::string& ours,
                        const std::string& theirs, double a, double b) {
  if (failed(reporter, ours) || failed(reporter, theirs)) return "-";
  return figure(reporter, ours, RatioReporter::ratio(a, b), "%.2f");
}

void printBatchSummary(const RatioReporter& reporter, const std::vector<Place>& where) {
  std::printf(
      "\nBatch: %zu records ADDed in one LOGOUT..COMMIT vs one BEGIN..COMMIT, into one file and"
      " spread over two (SQLite: an attached database); time Tarnwick / SQLite-journal, below 1"
      " is ahead\n",
      batchRecords());
  std::printf("  %-5s %-5s %8s %12s %12s\n", "place", "files", "ratio", "Tarnwick/s", "SQLite/s");
  for (const Place& place : where) {
    for (int files : {1, 2}) {
      const std::string ours = runName(batchName(place, Engine::kTarnwick, files));
      const std::string theirs = runName(batchName(place, Engine::kSqliteJournal, files));
      if (reporter.realTime(ours) == 0 && reporter.realTime(theirs) == 0) continue;
      std::printf(
          "  %-5s %-5d %8s %12s %12s\n", place.label.c_str(), files,
          ratioFigure(reporter, ours, theirs, reporter.realTime(ours), reporter.realTime(theirs))
              .c_str(),
          figure(reporter, ours, reporter.rate(ours)).c_str(),
          figure(reporter, theirs, reporter.rate(theirs)).c_str());
    }
  }
}

void printWritersSummary(const RatioReporter& reporter, const std::vector<Place>& where) {
  std::printf(
      "\nWriters: a fixed count of records added by K processes in all; records/s, wall time"
      " Tarnwick / SQLite (below 1 is ahead), and Tarnwick's flushes per change\n");
  std::printf("  %-5s %-2s %-5s %7s %10s %10s %10s %8s %8s %8s\n", "place", "K", "batch", "records",
              "Tarnwick", "journal", "WAL", "T/jrnl", "T/WAL", "T flush");
  for (const Place& place : where) {
    for (size_t batch : kBatches) {
      for (int k : kProcessCounts) {
        std::string names[3];
        double times[3];
        for (int e = 0; e < 3; ++e) {
          names[e] = runName(writersName(place, kEngines[e], k, batch));
          times[e] = reporter.realTime(names[e]);
        }
        if (times[0] + times[1] + times[2] == 0) continue;
        std::printf(
            "  %-5s %-2d %-5zu %7zu %10s %10s %10s %8s %8s %8s\n", place.label.c_str(), k, batch,
            recordsEach(place, batch, k) * static_cast<size_t>(k),
            figure(reporter, names[0], reporter.rate(names[0])).c_str(),
            figure(reporter, names[1], reporter.rate(names[1])).c_str(),
            figure(reporter, names[2], reporter.rate(names[2])).c_str(),
            ratioFigure(reporter, names[0], names[1], times[0], times[1]).c_str(),
            ratioFigure(reporter, names[0], names[2], times[0], times[2]).c_str(),
            figure(reporter, names[0], reporter.counter(names[0], "flushes_per_change"), "%.2f")
                .c_str());
      }
    }
  }
}

// One table of the readers' runs: for each engine two figures (counters of
// the run), then Tarnwick / SQLite of each.
void printReadersTable(const RatioReporter& reporter, const std::vector<Place>& where,
                       const char* first, const char* second, const char* firstFormat) {
  std::printf("  %-5s %-2s %9s %9s %9s %9s %9s %9s %7s %7s %7s %7s\n", "place", "R", "T 1", "T 2",
              "jrnl 1", "jrnl 2", "WAL 1", "WAL 2", "1 T/j", "2 T/j", "1 T/W", "2 T/W");
  for (const Place& place : where) {
    for (int r : kReaderCounts) {
      std::string names[3];
      double a[3], b[3], times = 0;
      for (int e = 0; e < 3; ++e) {
        names[e] = runName(readersName(place, kEngines[e], r));
        a[e] = reporter.counter(names[e], first);
        b[e] = reporter.counter(names[e], second);
        times += reporter.realTime(names[e]);
      }
      if (times == 0) continue;
      std::printf("  %-5s %-2d %9s %9s %9s %9s %9s %9s %7s %7s %7s %7s\n", place.label.c_str(), r,
                  figure(reporter, names[0], a[0], firstFormat).c_str(),
                  figure(reporter, names[0], b[0]).c_str(),
                  figure(reporter, names[1], a[1], firstFormat).c_str(),
                  figure(reporter, names[1], b[1]).c_str(),
                  figure(reporter, names[2], a[2], firstFormat).c_str(),
                  figure(reporter, names[2], b[2]).c_str(),
                  ratioFigure(reporter, names[0], names[1], a[0], a[1]).c_str(),
                  ratioFigure(reporter, names[0], names[1], b[0], b[1]).c_str(),
                  ratioFigure(reporter, names[0], names[2], a[0], a[2]).c_str(),
                  ratioFigure(reporter, names[0], names[2], b[0], b[2]).c_str());
    }
  }
}

void printReadersSummary(const RatioReporter& reporter, const std::vector<Place>& where) {
  std::printf(
      "\nReaders: R processes scan %zu+ records by the duplicate key while one adds, %.1f s;"
      " figures 1 = scans/s of all readers, 2 = adds/s of the writer; T/j and T/W are Tarnwick /"
      " SQLite of the rates (above 1 is ahead)\n",
      scanRecords(), scanSeconds());
  printReadersTable(reporter, where, "items_per_second", "adds_per_second", "%.1f");
  std::printf(
      "\nThe same runs, 1 = records read/s of all readers (the scans grow as the writer adds),"
      " 2 = records per scan\n");
  printReadersTable(reporter, where, "records_read_per_second", "records_per_scan", "%.0f");
  std::printf("\nThe writer's adds/s beside R readers, against its own with none\n");
  std::printf("  %-5s %-2s %9s %9s %9s %9s\n", "place", "R", "Tarnwick", "T/T0", "WAL", "W/W0");
  for (const Place& place : where) {
    const std::string alone[2] = {runName(readersName(place, Engine::kTarnwick, 0)),
                                  runName(readersName(place, Engine::kSqliteWal, 0))};
    for (int r : kReaderCounts) {
      if (r == 0) continue;
      const std::string beside[2] = {runName(readersName(place, Engine::kTarnwick, r)),
                                     runName(readersName(place, Engine::kSqliteWal, r))};
      double rates[2], rests[2];
      for (int e = 0; e < 2; ++e) {
        rates[e] = reporter.counter(beside[e], "adds_per_second");
        rests[e] = reporter.counter(alone[e], "adds_per_second");
      }
      if (rates[0] + rates[1] == 0) continue;
      std::printf("  %-5s %-2d %9s %9s %9s %9s\n", place.label.c_str(), r,
                  figure(reporter, beside[0], rates[0]).c_str(),
                  ratioFigure(reporter, beside[0], alone[0], rates[0], rests[0]).c_str(),
                  figure(reporter, beside[1], rates[1]).c_str(),
                  ratioFigure(reporter, beside[1], alone[1], rates[1], rests[1]).c_str());
    }
  }
}

void printSummary(const RatioReporter& reporter, const std::vector<Place>& where) {
  std::printf("\nPlaces:");
  for (const Place& place : where)
    std::printf("  %s = %s", place.label.c_str(), place.folder.c_str());
  std::printf("\n");
  printBatchSummary(reporter, where);
  printWritersSummary(reporter, where);
  printReadersSummary(reporter, where);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  const std::vector<Place> where = places();
  registerAll(where);
  zor::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  printSummary(reporter, where);
  for (const Place& place : where) {
    removeFiles(place);
    std::error_code error;
    if (place.label == "shm") std::filesystem::remove(place.folder, error);
  }
  benchmark::Shutdown();
  return 0;
}
