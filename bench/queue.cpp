// Queues of 10^6 entries against the standard containers in the same run:
// ADD by key and GET by key against std::map, SORT against std::sort of a
// std::vector of the same records, reads by position against std::vector.
// Prints each as a time ratio (queue / baseline; targets: ADD and GET by
// key at most 3, SORT at most 2).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench/ratio_reporter.h"
#include "runtime/queue.h"
#include "runtime/type_codes.h"

namespace {

constexpr size_t kEntries = 1'000'000;

// The same 24 bytes as the queue's record: LONG id, STRING(12) name, REAL.
struct Record {
  int32_t id;
  char name[12];
  double amount;
};
static_assert(sizeof(Record) == 24);

zor::RecordLayout recordLayout() {
  return {zor::makeField("B:ID", zor::kLong, 0, 4), zor::makeField("B:NAME", zor::kString, 4, 12),
          zor::makeField("B:AMOUNT", zor::kReal, 16, 8)};
}

// Distinct ids in random order, random 8-letter names.
const std::vector<Record>& records() {
  static const std::vector<Record> data = [] {
    std::vector<Record> out(kEntries);
    std::mt19937 random(42);
    std::vector<int32_t> ids(kEntries);
    for (size_t i = 0; i < kEntries; ++i) ids[i] = static_cast<int32_t>(i * 7);
    std::shuffle(ids.begin(), ids.end(), random);
    for (size_t i = 0; i < kEntries; ++i) {
      Record& r = out[i];
      r.id = ids[i];
      std::memset(r.name, ' ', sizeof r.name);
      for (int c = 0; c < 8; ++c) r.name[c] = static_cast<char>('A' + random() % 26);
      r.amount = static_cast<double>(random() % 100000) / 100;
    }
    return out;
  }();
  return data;
}

// Ids to look up, in another random order.
const std::vector<int32_t>& probes() {
  static const std::vector<int32_t> data = [] {
    std::vector<int32_t> out;
    for (const Record& r : records()) out.push_back(r.id);
    std::shuffle(out.begin(), out.end(), std::mt19937(7));
    return out;
  }();
  return data;
}

const uint8_t* bytesOf(const Record& r) {
  return reinterpret_cast<const uint8_t*>(&r);
}

const zor::QueueKey& idKey() {
  static const zor::QueueKey key = *zor::QueueKey::parse(recordLayout(), "ID");
  return key;
}

void fillByKey(zor::Queue& queue) {
  for (const Record& r : records()) queue.add(bytesOf(r), idKey());
}

// --- ADD by key / std::map insert ---------------------------------------------

void AddByKey_Queue(benchmark::State& state) {
  for (auto _ : state) {
    auto* queue = new zor::Queue(recordLayout(), sizeof(Record));
    fillByKey(*queue);
    benchmark::DoNotOptimize(queue->records());
    state.PauseTiming();  // freeing is not part of ADD
    delete queue;
    state.ResumeTiming();
  }
}

void AddByKey_Map(benchmark::State& state) {
  for (auto _ : state) {
    auto* map = new std::map<int32_t, Record>;
    for (const Record& r : records()) map->emplace(r.id, r);
    benchmark::DoNotOptimize(map->size());
    state.PauseTiming();
    delete map;
    state.ResumeTiming();
  }
}

// --- ADD / std::vector push_back -------------------------------------------------

void Add_Queue(benchmark::State& state) {
  for (auto _ : state) {
    auto* queue = new zor::Queue(recordLayout(), sizeof(Record));
    for (const Record& r : records()) queue->add(bytesOf(r));
    benchmark::DoNotOptimize(queue->records());
    state.PauseTiming();
    delete queue;
    state.ResumeTiming();
  }
}

void Add_Vector(benchmark::State& state) {
  for (auto _ : state) {
    auto* vector = new std::vector<Record>;
    for (const Record& r : records()) vector->push_back(r);
    benchmark::DoNotOptimize(vector->data());
    state.PauseTiming();
    delete vector;
    state.ResumeTiming();
  }
}

// --- GET by key / std::map find ---------------------------------------------------

template <typename Key>
void getByKey(benchmark::State& state, const Key& key) {
  zor::Queue queue(recordLayout(), sizeof(Record));
  fillByKey(queue);
  Record buffer{};
  for (auto _ : state) {
    int64_t sum = 0;
    for (int32_t id : probes()) {
      buffer.id = id;
      queue.get(key, reinterpret_cast<uint8_t*>(&buffer));
      sum += static_cast<int64_t>(buffer.amount);
    }
    benchmark::DoNotOptimize(sum);
  }
}

void GetByKey_Queue(benchmark::State& state) {
  getByKey(state, idKey());
}
void GetByKey_QueueText(benchmark::State& state) {
  getByKey(state, std::string_view("ID"));
}

void GetByKey_Map(benchmark::State& state) {
  std::map<int32_t, Record> map;
  for (const Record& r : records()) map.emplace(r.id, r);
  Record buffer{};
  for (auto _ : state) {
    int64_t sum = 0;
    for (int32_t id : probes()) {
      auto found = map.find(id);
      if (found != map.end()) buffer = found->second;
      sum += static_cast<int64_t>(buffer.amount);
    }
    benchmark::DoNotOptimize(sum);
  }
}

// --- SORT / std::sort -----------------------------------------------------------

template <typename Less>
void sortVector(benchmark::State& state, Less less) {
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<Record> data = records();
    state.ResumeTiming();
    std::sort(data.begin(), data.end(), less);
    benchmark::DoNotOptimize(data.data());
  }
}

void sortQueue(benchmark::State& state, const char* key) {
  for (auto _ : state) {
    state.PauseTiming();
    auto* queue = new zor::Queue(recordLayout(), sizeof(Record));
    for (const Record& r : records()) queue->add(bytesOf(r));
    state.ResumeTiming();
    queue->sort(key);
    benchmark::DoNotOptimize(queue->row(1));
    state.PauseTiming();
    delete queue;
    state.ResumeTiming();
  }
}

void SortById_Queue(benchmark::State& state) {
  sortQueue(state, "ID");
}
void SortById_Vector(benchmark::State& state) {
  sortVector(state, [](const Record& a, const Record& b) { return a.id < b.id; });
}
void SortByName_Queue(benchmark::State& state) {
  sortQueue(state, "NAME,ID");
}
void SortByName_Vector(benchmark::State& state) {
  sortVector(state, [](const Record& a, const Record& b) {
    int c = std::memcmp(a.name, b.name, sizeof a.name);
    return c != 0 ? c < 0 : a.id < b.id;
  });
}

// --- reads by position / std::vector ------------------------------------------

void GetByPosition_Queue(benchmark::State& state) {
  zor::Queue queue(recordLayout(), sizeof(Record));
  for (const Record& r : records()) queue.add(bytesOf(r));
  Record buffer{};
  for (auto _ : state) {
    int64_t sum = 0;
    for (int32_t id : probes()) {
      queue.get(static_cast<size_t>(id) / 7 + 1, reinterpret_cast<uint8_t*>(&buffer));
      sum += buffer.id;
    }
    benchmark::DoNotOptimize(sum);
  }
}

void GetByPosition_Vector(benchmark::State& state) {
  const std::vector<Record>& data = records();
  Record buffer{};
  for (auto _ : state) {
    int64_t sum = 0;
    for (int32_t id : probes()) {
      buffer = data[static_cast<size_t>(id) / 7];
      sum += buffer.id;
    }
    benchmark::DoNotOptimize(sum);
  }
}

void ReadRows_Queue(benchmark::State& state) {
  zor::Queue queue(recordLayout(), sizeof(Record));
  for (const Record& r : records()) queue.add(bytesOf(r));
  for (auto _ : state) {
    int64_t sum = 0;
    for (size_t i = 1; i <= queue.records(); ++i) sum += queue.row(i)[0];
    benchmark::DoNotOptimize(sum);
  }
}

void ReadRows_Vector(benchmark::State& state) {
  const std::vector<Record>& data = records();
  for (auto _ : state) {
    int64_t sum = 0;
    for (const Record& r : data) sum += bytesOf(r)[0];
    benchmark::DoNotOptimize(sum);
  }
}

// --- ADD into the middle and DELETE, against std::vector insert/erase --------

constexpr size_t kMiddleOps = 2'000;

void AddDeleteMiddle_Queue(benchmark::State& state) {
  zor::Queue queue(recordLayout(), sizeof(Record));
  for (const Record& r : records()) queue.add(bytesOf(r));
  Record buffer{};
  for (auto _ : state) {
    for (size_t i = 0; i < kMiddleOps; ++i) {
      queue.add(bytesOf(records()[i]), queue.records() / 2);
      queue.get(queue.records() / 3, reinterpret_cast<uint8_t*>(&buffer));
      queue.remove();
    }
  }
}

void AddDeleteMiddle_Vector(benchmark::State& state) {
  std::vector<Record> data = records();
  for (auto _ : state) {
    for (size_t i = 0; i < kMiddleOps; ++i) {
      data.insert(data.begin() + static_cast<ptrdiff_t>(data.size() / 2), records()[i]);
      data.erase(data.begin() + static_cast<ptrdiff_t>(data.size() / 3));
    }
    benchmark::DoNotOptimize(data.data());
  }
}

#define QUEUE_BENCH(name) BENCHMARK(name)->Unit(benchmark::kMillisecond)->Iterations(3)
QUEUE_BENCH(Add_Queue);
QUEUE_BENCH(Add_Vector);
QUEUE_BENCH(AddByKey_Queue);
QUEUE_BENCH(AddByKey_Map);
QUEUE_BENCH(GetByKey_Queue);
QUEUE_BENCH(GetByKey_QueueText);
QUEUE_BENCH(GetByKey_Map);
QUEUE_BENCH(SortById_Queue);
QUEUE_BENCH(SortById_Vector);
QUEUE_BENCH(SortByName_Queue);
QUEUE_BENCH(SortByName_Vector);
QUEUE_BENCH(GetByPosition_Queue);
QUEUE_BENCH(GetByPosition_Vector);
QUEUE_BENCH(ReadRows_Queue);
QUEUE_BENCH(ReadRows_Vector);
QUEUE_BENCH(AddDeleteMiddle_Queue);
QUEUE_BENCH(AddDeleteMiddle_Vector);

// Keeps the CPU time per iteration of every run for the ratios: the wall
// clock of a shared machine says more about the neighbours than the code.
void printRatio(const zor::bench::RatioReporter& reporter, const std::string& queue,
                const std::string& baseline, const char* label, const char* target) {
  const double a = reporter.cpuTime(queue);
  const double b = reporter.cpuTime(baseline);
  if (a == 0 || b == 0) return;
  std::printf("%-34s %6.2f  (%.1f ms vs %.1f ms)  %s\n", label, a / b, a, b, target);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  zor::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\ntime ratios for 10^6 entries, queue / baseline (lower is better):\n");
  const std::string run = "/iterations:3";
  printRatio(reporter, "Add_Queue" + run, "Add_Vector" + run, "ADD / vector push_back", "");
  printRatio(reporter, "AddByKey_Queue" + run, "AddByKey_Map" + run, "ADD by key / map insert",
             "target <= 3");
  printRatio(reporter, "GetByKey_Queue" + run, "GetByKey_Map" + run, "GET by key / map find",
             "target <= 3");
  printRatio(reporter, "GetByKey_QueueText" + run, "GetByKey_Map" + run,
             "GET by key text / map find", "");
  printRatio(reporter, "SortById_Queue" + run, "SortById_Vector" + run, "SORT by ID / std::sort",
             "target <= 2");
  printRatio(reporter, "SortByName_Queue" + run, "SortByName_Vector" + run,
             "SORT by NAME,ID / std::sort", "target <= 2");
  printRatio(reporter, "GetByPosition_Queue" + run, "GetByPosition_Vector" + run,
             "GET random position / vector[i]", "");
  printRatio(reporter, "ReadRows_Queue" + run, "ReadRows_Vector" + run, "rows 1..n / vector scan",
             "");
  printRatio(reporter, "AddDeleteMiddle_Queue" + run, "AddDeleteMiddle_Vector" + run,
             "ADD+GET+DELETE middle / vector", "");
  benchmark::Shutdown();
  return 0;
}
