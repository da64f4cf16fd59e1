// Readers in other processes never see half a change. A writer moves value
// between the three records of a ledger inside LOGOUT ... COMMIT (in one
// file, and in two files at once), stamping every record it writes with the
// transaction's sequence number, a check field and a blob that spreads over
// pages of its own. Readers scan (SET + NEXT) and GET by key meanwhile.
//
// What a reader can check: each statement reads one record whole (its check
// field and blob match its sequence number); since every transaction writes
// every record of a file, a record read later in a pass never carries an
// older sequence number than one read before it; and when the first and the
// last record of a pass carry the same number, the pass read one committed
// state, whose sum must hold. Across two files a reader may meet one file's
// part of a transaction before the other's: each file is checked alone.

#include <sched.h>

#include <atomic>
#include <random>
#include <sstream>

#include "tests/data/tarnwick_process_support.h"

namespace zor::tarnwick::testing {
namespace {

constexpr int32_t kRecordsPerFile = 3;
constexpr int32_t kStartValue = 1000;
constexpr size_t kBlobSize = 12000;  // two blob chunks, each near a page

struct Progress {
  std::atomic<bool> writerDone{false};
  std::atomic<uint64_t> wholePasses{0};
};

class TarnwickReadersTest : public TarnwickDriverTest {
 protected:
  void TearDown() override {
    if (!folder_.empty() && !HasFailure()) std::filesystem::remove_all(folder_);
  }

  void makeFiles(int count) {
    folder_ = freshFolder("readers");
    const std::string& folder = folder_;
    for (int f = 0; f < count; ++f) {
      paths_.push_back(folder + "/ledger" + std::to_string(f) + ".twk");
      Ledger ledger(paths_.back(), true);
      ASSERT_EQ(ledger.create(), 0);
      ASSERT_EQ(ledger.open(), 0);
      for (int32_t id = 1; id <= kRecordsPerFile; ++id) {
        const std::string blob = blobOf(id, 0, kBlobSize);
        ASSERT_EQ(ledger.add(entryOf(id, 0, kStartValue), nullptr, &blob), 0);
      }
    }
  }

  // One writer and two readers; the writer runs `transactions` commits.
  void run(int transactions) {
    SharedMemory<Progress> progress;
    const auto outcomes = runTogether(3, [&](int index, std::string& output) {
      return index == 0 ? write(transactions, *progress, output) : read(index, *progress, output);
    });
    expectAllSucceeded(outcomes);
    EXPECT_GT(progress->wholePasses.load(), 0u) << "no pass read one committed state";
    for (const std::string& path : paths_) {
      Ledger ledger(path, true);
      ASSERT_EQ(ledger.open(st::kReadOnlyDenyNone), 0);
      int64_t sum = 0;
      int error = 0;
      for (const Entry& e : ledger.all(&error)) {
        EXPECT_EQ(e.seq, static_cast<uint32_t>(transactions));
        sum += e.value;
      }
      EXPECT_EQ(error, 0);
      EXPECT_EQ(sum, kRecordsPerFile * kStartValue);
      ledger.close();
      expectSoundFile(path);
    }
  }

  // Each transaction moves a random amount between records of every file
  // and rewrites all of them with its sequence number and a new blob.
  int write(int transactions, Progress& progress, std::string& output) {
    std::vector<std::unique_ptr<Ledger>> ledgers;
    std::vector<data::FileControlBlock*> files;
    for (const std::string& path : paths_) {
      ledgers.push_back(std::make_unique<Ledger>(path, true));
      if (const int error = ledgers.back()->open(); error != 0) {
        output = "writer's open answered " + std::to_string(error);
        return 1;
      }
      files.push_back(&ledgers.back()->fcb());
    }
    std::mt19937 random(7);
    std::ostringstream problems;
    for (uint32_t seq = 1; seq <= static_cast<uint32_t>(transactions) && problems.tellp() == 0;
         ++seq) {
      if (const int error = st::logout(1, files); error != 0) {
        problems << "LOGOUT answered " << error;
        break;
      }
      for (auto& ledger : ledgers) {
        const int32_t from = static_cast<int32_t>(random() % kRecordsPerFile) + 1;
        const int32_t amount = static_cast<int32_t>(random() % 50);
        for (int32_t id = 1; id <= kRecordsPerFile && problems.tellp() == 0; ++id) {
          if (const int error = ledger->get(id, true); error != 0) {
            problems << "GET of " << id << " answered " << error;
            break;
          }
          const int32_t to = from % kRecordsPerFile + 1;
          const int32_t value =
              ledger->entry().value + (id == from ? -amount : 0) + (id == to ? amount : 0);
          const std::string blob = blobOf(id, seq, kBlobSize);
          if (const int error = ledger->put(entryOf(id, seq, value), &blob); error != 0)
            problems << "PUT of " << id << " answered " << error;
        }
      }
      if (problems.tellp() != 0) {
        st::rollback(*files.front());
      } else if (const int error = st::commit(*files.front()); error != 0) {
        problems << "COMMIT of " << seq << " answered " << error;
      }
    }
    progress.writerDone = true;
    output = problems.str();
    return problems.tellp() == 0 ? 0 : 1;
  }

  // Passes over every file until the writer is done (and at least one pass
  // after that), alternating a key-order scan and GETs by key.
  int read(int reader, Progress& progress, std::string& output) {
    std::vector<std::unique_ptr<Ledger>> ledgers;
    for (const std::string& path : paths_) {
      ledgers.push_back(std::make_unique<Ledger>(path, true));
      if (const int error = ledgers.back()->open(st::kReadOnlyDenyNone); error != 0) {
        output = "reader's open answered " + std::to_string(error);
        return 1;
      }
    }
    std::ostringstream problems;
    uint64_t passes = 0;
    bool last = false;
    while (problems.tellp() == 0 && !last) {
      last = progress.writerDone.load();
      for (size_t f = 0; f < ledgers.size() && problems.tellp() == 0; ++f) {
        const bool scan = (passes + static_cast<uint64_t>(reader)) % 2 == 0;
        if (passOver(*ledgers[f], scan, problems)) ++progress.wholePasses;
        if (problems.tellp() != 0) problems << " (file " << f << (scan ? ", scan)" : ", GET)");
      }
      ++passes;
      ::sched_yield();
    }
    output = problems.str();
    return problems.tellp() == 0 ? 0 : 1;
  }

  // Reads the records of one file once; answers whether the pass read one
  // committed state (and then checks its sum).
  static bool passOver(Ledger& ledger, bool scan, std::ostringstream& problems) {
    std::vector<Entry> seen;
    int answer = scan ? st::set(ledger.fcb(), ledger.idKey()) : 0;
    for (int32_t id = 1; id <= kRecordsPerFile && answer == 0; ++id) {
      answer = scan ? st::next(ledger.fcb()) : ledger.get(id);
      if (answer != 0) break;
      const Entry e = ledger.entry();
      if (e.id != id || e.check != checkOf(e.id, e.seq, e.value)) {
        problems << "record " << id << " read as id " << e.id << ", seq " << e.seq
                 << ": its fields do not belong together";
      } else if (ledger.blob() != expectedBlob(e.id, e.seq)) {
        problems << "record " << id << " at seq " << e.seq << " came with another change's blob";
      } else if (!seen.empty() && e.seq < seen.back().seq) {
        problems << "record " << id << " at seq " << e.seq << " read after record "
                 << seen.back().id << " at seq " << seen.back().seq << ": half a change";
      }
      if (problems.tellp() != 0) return false;
      seen.push_back(e);
    }
    if (answer != 0) {
      problems << (scan ? "NEXT" : "GET") << " answered " << answer;
      return false;
    }
    if (seen.front().seq != seen.back().seq) return false;
    int64_t sum = 0;
    for (const Entry& e : seen) sum += e.value;
    if (sum != kRecordsPerFile * kStartValue)
      problems << "the records of seq " << seen.front().seq << " sum to " << sum;
    return true;
  }

  // The blob a record carries at a sequence number; readers meet each one
  // many times, so the last one per record is kept.
  static const std::string& expectedBlob(int32_t id, uint32_t seq) {
    struct Known {
      uint32_t seq = UINT32_MAX;
      std::string blob;
    };
    static Known known[kRecordsPerFile + 1];
    Known& last = known[id];
    if (last.seq != seq) last = {seq, blobOf(id, seq, kBlobSize)};
    return last.blob;
  }

  std::string folder_;
  std::vector<std::string> paths_;
};

TEST_F(TarnwickReadersTest, ReadersSeeEachTransactionWholeOrNotAtAll) {
  makeFiles(1);
  run(roundsFor(1500, 8000));
}

TEST_F(TarnwickReadersTest, ReadersSeeEachFilesPartOfATwoFileTransactionWhole) {
  makeFiles(2);
  run(roundsFor(1000, 6000));
}

// A writer loads records in one long transaction, whose leaves go home
// before it commits, then deletes them, so that the file shrinks and the
// next load writes over what readers read before. Readers count the records
// (the load is there whole or not at all) and GET loaded ones, each of which
// must come whole with its own round's blob.
TEST_F(TarnwickReadersTest, ReadersSeeALongLoadWholeWhileItsPagesGoHome) {
  constexpr int32_t kLoaded = 150;  // two blob chunks each: some 300 leaves
  constexpr int kRounds = 3;
  makeFiles(1);
  const std::string path = paths_.front();
  SharedMemory<Progress> progress;
  auto write = [&](std::string& output) {
    Ledger ledger(path, true);
    std::vector<data::FileControlBlock*> files = {&ledger.fcb()};
    int error = ledger.open();
    for (uint32_t round = 1; round <= kRounds && error == 0; ++round) {
      error = st::logout(1, files);
      for (int32_t id = 100; id < 100 + kLoaded && error == 0; ++id) {
        const std::string blob = blobOf(id, round, kBlobSize);
        error = ledger.add(entryOf(id, round, id), nullptr, &blob);
      }
      if (error == 0) error = st::commit(ledger.fcb());
      if (error == 0) error = st::logout(1, files);
      for (int32_t id = 100; id < 100 + kLoaded && error == 0; ++id) {
        error = ledger.get(id);
        if (error == 0) error = st::erase(ledger.fcb());
      }
      if (error == 0) error = st::commit(ledger.fcb());
    }
    progress->writerDone = true;
    if (error != 0) output = "the writer met " + std::to_string(error);
    return error == 0 ? 0 : 1;
  };
  auto read = [&](int reader, std::string& output) {
    Ledger ledger(path, true);
    std::ostringstream problems;
    if (const int error = ledger.open(st::kReadOnlyDenyNone); error != 0)
      problems << "open answered " << error;
    std::mt19937 random(static_cast<uint32_t>(reader));
    for (bool last = false; problems.tellp() == 0 && !last;) {
      last = progress->writerDone.load();
      int64_t count = 0;
      if (const int error = st::records(ledger.fcb(), count); error != 0) {
        problems << "RECORDS answered " << error;
      } else if (count != kRecordsPerFile && count != kRecordsPerFile + kLoaded) {
        problems << "RECORDS counted " << count << ": part of a load";
      }
      const int32_t id = 100 + static_cast<int32_t>(random() % kLoaded);
      const int answer = ledger.get(id);
      const Entry e = ledger.entry();
      if (answer == 0 && (e.id != id || e.check != checkOf(e.id, e.seq, e.value))) {
        problems << "record " << id << " read as id " << e.id << ", seq " << e.seq;
      } else if (answer == 0 && ledger.blob() != blobOf(id, e.seq, kBlobSize)) {
        problems << "record " << id << " of round " << e.seq << " came with a stale blob";
      } else if (answer != 0 && answer != data::kErrRecordNotFound) {
        problems << "GET answered " << answer;
      }
    }
    output = problems.str();
    return problems.tellp() == 0 ? 0 : 1;
  };
  expectAllSucceeded(runTogether(3, [&](int index, std::string& output) {
    return index == 0 ? write(output) : read(index, output);
  }));
  expectSoundFile(path);
}

}  // namespace
}  // namespace zor::tarnwick::testing
