// Several processes on one shared table at once: each adds, changes and
// deletes its own records and finds them as it left them; record numbers
// never repeat; a counter incremented under HOLD or WATCH loses no
// increment; a watched PUT or DELETE answers 89 when another process
// changed the record in between; a held record is refused to the others;
// a transaction's changes stay invisible to other processes until COMMIT.

#include <sched.h>

#include <map>
#include <random>
#include <set>
#include <sstream>

#include "tests/data/locking_test_support.h"
#include "tests/data/tarnwick_process_support.h"

namespace zor::tarnwick::testing {
namespace {

class TarnwickProcessesTest : public TarnwickDriverTest {
 protected:
  void SetUp() override {
    TarnwickDriverTest::SetUp();
    folder_ = freshFolder("processes");
    path_ = folder_ + "/ledger.twk";
  }
  void TearDown() override {
    if (!HasFailure()) expectSoundFile(path_);
    if (!HasFailure()) std::filesystem::remove_all(folder_);
  }

  // A new ledger holding `entries`.
  void makeLedger(const std::vector<Entry>& entries = {}) {
    Ledger ledger(path_);
    ASSERT_EQ(ledger.create(), 0);
    ASSERT_EQ(ledger.open(), 0);
    for (const Entry& e : entries) ASSERT_EQ(ledger.add(e), 0);
  }

  std::string folder_, path_;
};

int32_t firstIdOf(int station) {
  return (station + 1) * 1000000;
}

// One station's share of the mixed work: adds, changes under HOLD or WATCH
// and deletes of its own records, chosen at random. It checks every answer,
// then reads its records back by key and by a key-order scan. The output
// lists the record numbers it was given ("n N") and its records ("r ID
// VALUE").
int ownWork(const std::string& path, int station, int operations, std::string& output) {
  std::ostringstream out, problems;
  Ledger ledger(path);
  if (const int error = ledger.open(); error != 0) {
    output = "open answered " + std::to_string(error);
    return 1;
  }
  std::mt19937 random(static_cast<uint32_t>(station) * 7919u + 17u);
  std::map<int32_t, Entry> mine;
  int32_t nextId = firstIdOf(station);
  for (int op = 0; op < operations && problems.tellp() == 0; ++op) {
    const uint32_t choice = random() % 10;
    if (choice < 5 || mine.empty()) {
      const Entry e = entryOf(nextId++, 1, static_cast<int32_t>(random() % 100000));
      uint32_t number = 0;
      if (const int error = ledger.add(e, &number); error != 0) {
        problems << "ADD of " << e.id << " answered " << error;
      } else {
        out << "n " << number << "\n";
        mine[e.id] = e;
      }
      continue;
    }
    auto at = mine.begin();
    std::advance(at, random() % mine.size());
    const int32_t id = at->first;
    const bool hold = (op % 2) == 0;
    const int read = ledger.get(id, hold, !hold);
    if (read != 0) {
      problems << "GET of " << id << " answered " << read;
    } else if (!(ledger.entry() == at->second)) {
      problems << "record " << id << " is not as this station left it";
    } else if (choice < 8) {
      const Entry changed =
          entryOf(id, at->second.seq + 1, static_cast<int32_t>(random() % 100000));
      if (const int error = ledger.put(changed); error != 0)
        problems << "PUT of " << id << " answered " << error;
      else
        at->second = changed;
    } else if (const int error = st::erase(ledger.fcb()); error != 0) {
      problems << "DELETE of " << id << " answered " << error;
    } else {
      mine.erase(at);
    }
  }
  // By key: each record as left; a deleted one is gone.
  for (int32_t id = firstIdOf(station); id < nextId && problems.tellp() == 0; ++id) {
    const auto found = mine.find(id);
    const int error = ledger.get(id);
    if (found == mine.end() ? error != data::kErrRecordNotFound
                            : error != 0 || !(ledger.entry() == found->second))
      problems << "record " << id << " read back wrong (GET answered " << error << ")";
  }
  // By a scan from the station's first key: exactly its records, in order.
  ledger.setEntry(entryOf(firstIdOf(station), 0, 0));
  std::vector<Entry> scanned;
  int answer = st::setToKeyValue(ledger.fcb(), ledger.idKey());
  while (answer == 0 && (answer = st::next(ledger.fcb())) == 0 &&
         ledger.entry().id < firstIdOf(station + 1))
    scanned.push_back(ledger.entry());
  std::vector<Entry> expected;
  for (const auto& [id, e] : mine) expected.push_back(e);
  if (problems.tellp() == 0 && scanned != expected)
    problems << "the scan found " << scanned.size() << " records, expected " << expected.size();
  for (const auto& [id, e] : mine) out << "r " << id << " " << e.value << "\n";
  output = problems.tellp() == 0 ? out.str() : problems.str();
  return problems.tellp() == 0 ? 0 : 1;
}

TEST_F(TarnwickProcessesTest, StationsWorkAtOnceAndEachFindsItsOwnWork) {
  makeLedger();
  const int stations = roundsFor(4, 8);
  const int operations = roundsFor(2000, 10000);
  const auto outcomes = runTogether(stations, [&](int station, std::string& output) {
    return ownWork(path_, station, operations, output);
  });
  expectAllSucceeded(outcomes);
  if (HasFailure()) return;

  std::set<uint32_t> numbers;
  size_t given = 0;
  std::map<int32_t, int32_t> expected;
  for (const ChildOutcome& outcome : outcomes) {
    std::istringstream in(outcome.output);
    std::string kind;
    while (in >> kind) {
      if (kind == "n") {
        uint32_t number = 0;
        in >> number;
        numbers.insert(number);
        ++given;
      } else {
        int32_t id = 0, value = 0;
        in >> id >> value;
        expected[id] = value;
      }
    }
  }
  EXPECT_EQ(numbers.size(), given) << "a record number was given out twice";

  Ledger ledger(path_);
  ASSERT_EQ(ledger.open(st::kReadOnlyDenyNone), 0);
  int error = 0;
  std::map<int32_t, int32_t> stored;
  for (const Entry& e : ledger.all(&error)) {
    EXPECT_EQ(e.check, checkOf(e.id, e.seq, e.value)) << "record " << e.id;
    stored[e.id] = e.value;
  }
  EXPECT_EQ(error, 0);
  EXPECT_EQ(stored, expected);
  int64_t count = 0;
  ASSERT_EQ(st::records(ledger.fcb(), count), 0);
  EXPECT_EQ(count, static_cast<int64_t>(expected.size()));
}

// Adds one to the counter record `increments` times. Stations with an even
// number HOLD the record before reading it and retry while another holds
// it; odd ones WATCH it and retry when PUT finds it changed (89) or held
// (5). The output counts the retries.
int countUp(const std::string& path, int station, int increments, std::string& output) {
  Ledger ledger(path);
  if (const int error = ledger.open(); error != 0) {
    output = "open answered " + std::to_string(error);
    return 1;
  }
  const bool hold = station % 2 == 0;
  int retries = 0;
  for (int n = 0; n < increments; ++n) {
    for (;;) {
      const int read = ledger.get(0, hold, !hold);
      if (read == data::kErrRecordHeld && hold) {
        ++retries;
        ::sched_yield();
        continue;
      }
      if (read != 0) {
        output = "GET answered " + std::to_string(read);
        return 1;
      }
      const Entry e = ledger.entry();
      const int written = ledger.put(entryOf(0, e.seq + 1, e.value + 1));
      if (written == 0) break;
      if (!hold && (written == data::kErrRecordChanged || written == data::kErrAccessDenied)) {
        ++retries;
        ::sched_yield();
        continue;
      }
      output = std::string(hold ? "held" : "watched") + " PUT answered " + std::to_string(written);
      return 1;
    }
  }
  output = std::to_string(retries);
  return 0;
}

TEST_F(TarnwickProcessesTest, CounterUnderHoldAndWatchLosesNoIncrement) {
  makeLedger({entryOf(0, 0, 0)});
  const int stations = roundsFor(4, 8);
  const int increments = roundsFor(1000, 5000);
  const auto outcomes = runTogether(stations, [&](int station, std::string& output) {
    return countUp(path_, station, increments, output);
  });
  expectAllSucceeded(outcomes);
  Ledger ledger(path_);
  ASSERT_EQ(ledger.open(st::kReadOnlyDenyNone), 0);
  ASSERT_EQ(ledger.get(0), 0);
  EXPECT_EQ(ledger.entry(), entryOf(0, stations * increments, stations * increments));
}

// The other station's steps in the handshake tests: each answer is one
// statement's result, each awaitRelease() waits for the test's go-ahead.
TEST_F(TarnwickProcessesTest, WatchedChangeAnswers89WhenAnotherProcessChangedTheRecord) {
  makeLedger({entryOf(1, 0, 10), entryOf(2, 0, 5)});
  LockHolder other([&](LockHolder& self) {
    Ledger ledger(path_);
    self.ready(static_cast<char>(ledger.open()));
    for (int32_t value : {20, 30}) {
      self.awaitRelease();
      const int read = ledger.get(1);
      const Entry e = ledger.entry();
      self.ready(static_cast<char>(read != 0 ? read : ledger.put(entryOf(1, e.seq + 1, value))));
    }
    self.awaitRelease();  // reads only: a watcher is not disturbed
    self.ready(static_cast<char>(ledger.get(1)));
    self.awaitRelease();
    return 0;
  });
  ASSERT_EQ(other.answer(), 0);
  Ledger ledger(path_);
  ASSERT_EQ(ledger.open(), 0);

  ASSERT_EQ(ledger.get(1, false, true), 0);
  EXPECT_EQ(ledger.entry().value, 10);
  other.proceed();
  ASSERT_EQ(other.answer(), 0);  // changed to 20 meanwhile
  EXPECT_EQ(ledger.put(entryOf(1, 1, 11)), data::kErrRecordChanged);
  ASSERT_EQ(ledger.get(1), 0);
  EXPECT_EQ(ledger.entry(), entryOf(1, 1, 20)) << "a refused PUT wrote nothing";

  ASSERT_EQ(ledger.get(1, false, true), 0);
  other.proceed();
  ASSERT_EQ(other.answer(), 0);  // changed to 30 meanwhile
  EXPECT_EQ(st::erase(ledger.fcb()), data::kErrRecordChanged);
  ASSERT_EQ(ledger.get(1), 0);
  EXPECT_EQ(ledger.entry(), entryOf(1, 2, 30)) << "a refused DELETE removed nothing";

  ASSERT_EQ(ledger.get(1, false, true), 0);
  other.proceed();
  ASSERT_EQ(other.answer(), 0);
  EXPECT_EQ(ledger.put(entryOf(1, 3, 31)), 0);
  EXPECT_EQ(other.finish(), 0);
  ASSERT_EQ(ledger.get(1), 0);
  EXPECT_EQ(ledger.entry(), entryOf(1, 3, 31));
}

TEST_F(TarnwickProcessesTest, HeldRecordIsRefusedToOtherProcessesUntilReleased) {
  makeLedger({entryOf(1, 0, 10), entryOf(2, 0, 5)});
  LockHolder other([&](LockHolder& self) {
    Ledger ledger(path_);
    self.ready(static_cast<char>(ledger.open()));
    self.awaitRelease();
    self.ready(static_cast<char>(ledger.get(1, true)));            // held elsewhere
    self.ready(static_cast<char>(ledger.get(1)));                  // reading is allowed
    self.ready(static_cast<char>(ledger.put(entryOf(1, 1, 99))));  // writing is not
    self.ready(static_cast<char>(ledger.get(2, true)));            // another record is free
    self.awaitRelease();
    self.ready(static_cast<char>(ledger.get(1, true)));  // released by now
    const Entry e = ledger.entry();
    self.ready(static_cast<char>(ledger.put(entryOf(1, e.seq + 1, e.value + 1))));
    self.awaitRelease();
    return 0;
  });
  ASSERT_EQ(other.answer(), 0);
  Ledger ledger(path_);
  ASSERT_EQ(ledger.open(), 0);
  ASSERT_EQ(ledger.get(1, true), 0);
  other.proceed();
  EXPECT_EQ(other.answer(), data::kErrRecordHeld);
  EXPECT_EQ(other.answer(), 0);
  EXPECT_EQ(other.answer(), data::kErrAccessDenied);
  EXPECT_EQ(other.answer(), 0);
  ASSERT_EQ(ledger.put(entryOf(1, 1, 11)), 0);  // a PUT ends the hold
  other.proceed();
  EXPECT_EQ(other.answer(), 0);
  EXPECT_EQ(other.answer(), 0);
  EXPECT_EQ(other.finish(), 0);
  ASSERT_EQ(ledger.get(1), 0);
  EXPECT_EQ(ledger.entry(), entryOf(1, 2, 12));
}

TEST_F(TarnwickProcessesTest, TransactionStaysInvisibleToOthersUntilCommit) {
  makeLedger({entryOf(1, 0, 10), entryOf(2, 0, 5)});
  // The other station answers what it reads: the value of record 1 and
  // whether record 3 exists.
  LockHolder other([&](LockHolder& self) {
    Ledger ledger(path_);
    self.ready(static_cast<char>(ledger.open()));
    for (int round = 0; round < 3; ++round) {
      self.awaitRelease();
      const int read = ledger.get(1);
      self.ready(static_cast<char>(read != 0 ? -read : ledger.entry().value));
      self.ready(static_cast<char>(ledger.get(3)));
    }
    self.awaitRelease();
    return 0;
  });
  ASSERT_EQ(other.answer(), 0);
  Ledger ledger(path_);
  ASSERT_EQ(ledger.open(), 0);
  data::FileControlBlock* files[] = {&ledger.fcb()};
  ASSERT_EQ(st::logout(1, files), 0);
  ASSERT_EQ(ledger.get(1, true), 0);
  ASSERT_EQ(ledger.put(entryOf(1, 1, 40)), 0);
  ASSERT_EQ(ledger.add(entryOf(3, 0, 7)), 0);
  other.proceed();
  EXPECT_EQ(other.answer(), 10) << "a pending change was seen by another process";
  EXPECT_EQ(other.answer(), data::kErrRecordNotFound);
  ASSERT_EQ(st::commit(ledger.fcb()), 0);
  other.proceed();
  EXPECT_EQ(other.answer(), 40);
  EXPECT_EQ(other.answer(), 0);

  ASSERT_EQ(st::logout(1, files), 0);
  ASSERT_EQ(ledger.get(1, true), 0);
  ASSERT_EQ(ledger.put(entryOf(1, 2, 50)), 0);
  ASSERT_EQ(ledger.get(3), 0);
  ASSERT_EQ(st::erase(ledger.fcb()), 0);
  ASSERT_EQ(st::rollback(ledger.fcb()), 0);
  other.proceed();
  EXPECT_EQ(other.answer(), 40);
  EXPECT_EQ(other.answer(), 0);
  EXPECT_EQ(other.finish(), 0);
  ASSERT_EQ(ledger.get(1), 0);
  EXPECT_EQ(ledger.entry(), entryOf(1, 1, 40));
}

}  // namespace
}  // namespace zor::tarnwick::testing
