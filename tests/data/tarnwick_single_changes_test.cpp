// Readers in other processes beside a writer of single changes, each one
// appended to the region and the region copied home every few changes (a
// small region limit): readers then meet headers that name more of a change
// under way, copies home of regions they took only in part, and changes
// committed between any two of their statements.
//
// The writer adds records 1, 2, ... one change each, and after each add
// sets the head record (id 0) to the id just added. What a reader can check
// in a pass (head, key-order scan, head again): every record reads whole;
// the ids scanned run 0, 1, ... without a gap (records are only added past
// the end); the scan reaches at least the head read before it and at most
// one past the head read after it.

#include <atomic>
#include <chrono>
#include <sstream>
#include <thread>

#include "data/tarnwick/page_store.h"
#include "tests/data/tarnwick_process_support.h"

namespace zor::tarnwick::testing {
namespace {

struct Progress {
  std::atomic<bool> writerDone{false};
  std::atomic<uint64_t> passes{0};
};

class TarnwickSingleChangesTest : public TarnwickDriverTest {
 protected:
  void TearDown() override {
    if (!folder_.empty() && !HasFailure()) std::filesystem::remove_all(folder_);
  }

  static int write(const std::string& path, int records, Progress& progress, std::string& output) {
    PageStore::setRegionLimit(8 << 10);  // this process only
    Ledger ledger(path);
    std::ostringstream problems;
    if (const int error = ledger.open(); error != 0) problems << "open answered " << error;
    for (int32_t id = 1; id <= records && problems.tellp() == 0; ++id) {
      int error = ledger.add(entryOf(id, 1, id));
      if (error != 0) {
        problems << "ADD of " << id << " answered " << error;
      } else if ((error = ledger.get(0)) != 0 || (error = ledger.put(entryOf(0, 1, id))) != 0) {
        problems << "setting the head to " << id << " answered " << error;
      }
      // Readers then find the header between changes now and then, a copy
      // home among them.
      std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
    progress.writerDone = true;
    output = problems.str();
    return problems.tellp() == 0 ? 0 : 1;
  }

  static int read(const std::string& path, Progress& progress, std::string& output) {
    Ledger ledger(path);
    std::ostringstream problems;
    if (const int error = ledger.open(st::kReadOnlyDenyNone); error != 0)
      problems << "open answered " << error;
    const auto head = [&] {
      const int error = ledger.get(0);
      if (error != 0) problems << "GET of the head answered " << error;
      return ledger.entry().value;
    };
    bool last = false;
    while (problems.tellp() == 0 && !last) {
      last = progress.writerDone.load();
      const int32_t before = head();
      // A pause lets a few changes and a copy home pass by unseen.
      std::this_thread::sleep_for(std::chrono::microseconds(200 + 100 * (progress.passes % 5)));
      int error = 0;
      const std::vector<Entry> scanned = ledger.all(&error);
      const int32_t after = head();
      if (error != 0) problems << "NEXT answered " << error;
      for (size_t i = 0; i < scanned.size() && problems.tellp() == 0; ++i) {
        const Entry& e = scanned[i];
        if (e.check != checkOf(e.id, e.seq, e.value) || (e.id != 0 && e.value != e.id))
          problems << "record " << e.id << " does not read whole";
        else if (e.id != static_cast<int32_t>(i))
          problems << "the scan found record " << e.id << " in place " << i;
      }
      const auto end = static_cast<int32_t>(scanned.size()) - 1;
      if (problems.tellp() == 0 && (end < before || end > after + 1 || after < before))
        problems << "the scan ended at " << end << " between heads " << before << " and " << after;
      ++progress.passes;
    }
    output = problems.str();
    return problems.tellp() == 0 ? 0 : 1;
  }

  std::string folder_;
};

TEST_F(TarnwickSingleChangesTest, ReadersSeeEveryChangeInOrderAcrossCopiesHome) {
  folder_ = freshFolder("single_changes");
  const std::string path = folder_ + "/ledger.twk";
  {
    Ledger ledger(path);
    ASSERT_EQ(ledger.create(), 0);
    ASSERT_EQ(ledger.open(), 0);
    ASSERT_EQ(ledger.add(entryOf(0, 1, 0)), 0);
  }
  const int records = roundsFor(1000, 10000);
  SharedMemory<Progress> progress;
  expectAllSucceeded(runTogether(3, [&](int index, std::string& output) {
    return index == 0 ? write(path, records, *progress, output) : read(path, *progress, output);
  }));
  EXPECT_GT(progress->passes.load(), 2u);
  Ledger ledger(path);
  ASSERT_EQ(ledger.open(st::kReadOnlyDenyNone), 0);
  EXPECT_EQ(ledger.all().size(), static_cast<size_t>(records) + 1);
  ledger.close();
  expectSoundFile(path);
}

}  // namespace
}  // namespace zor::tarnwick::testing
