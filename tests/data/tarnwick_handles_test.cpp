// Several handles of one file in one process take turns at random adds,
// changes (under HOLD or WATCH) and deletes. Each handle keeps its own
// pages, windows and view of the pending region and takes the others'
// changes from the region; the region is kept small, so that handles also
// meet the region copied home by another. Every handle must read each
// record as the last change left it.

#include <map>
#include <memory>
#include <random>

#include "data/tarnwick/page_store.h"
#include "tests/data/tarnwick_process_support.h"

namespace zor::tarnwick::testing {
namespace {

class TarnwickHandlesTest : public TarnwickDriverTest {
 protected:
  void TearDown() override { PageStore::setRegionLimit(0); }
};

TEST_F(TarnwickHandlesTest, HandlesTakingTurnsReadEveryRecordAsLastChanged) {
  const std::string path = freshFolder("handles") + "/ledger.twk";
  PageStore::setRegionLimit(16 << 10);
  {
    Ledger maker(path);
    ASSERT_EQ(maker.create(), 0);
  }
  std::vector<std::unique_ptr<Ledger>> handles;
  for (int i = 0; i < 4; ++i) {
    handles.push_back(std::make_unique<Ledger>(path));
    ASSERT_EQ(handles.back()->open(), 0);
  }
  std::mt19937 random(5);
  std::map<int32_t, Entry> model;
  int32_t nextId = 1;
  const int operations = roundsFor(12000, 60000);
  for (int op = 0; op < operations; ++op) {
    Ledger& ledger = *handles[random() % handles.size()];
    const uint32_t choice = random() % 10;
    if (choice < 5 || model.empty()) {
      const Entry e = entryOf(nextId++, 1, static_cast<int32_t>(random() % 100000));
      ASSERT_EQ(ledger.add(e), 0) << "op " << op;
      model[e.id] = e;
      continue;
    }
    auto at = model.begin();
    std::advance(at, random() % model.size());
    ASSERT_EQ(ledger.get(at->first, choice % 2 == 0, choice % 2 == 1), 0) << "op " << op;
    ASSERT_EQ(ledger.entry(), at->second) << "op " << op;
    if (choice < 8) {
      const Entry changed = entryOf(at->first, at->second.seq + 1, static_cast<int32_t>(random()));
      ASSERT_EQ(ledger.put(changed), 0) << "op " << op;
      at->second = changed;
    } else {
      ASSERT_EQ(st::erase(ledger.fcb()), 0) << "op " << op;
      model.erase(at);
    }
  }
  std::vector<Entry> expected;
  for (const auto& [id, e] : model) expected.push_back(e);
  for (auto& ledger : handles) {
    int error = 0;
    EXPECT_EQ(ledger->all(&error), expected);
    EXPECT_EQ(error, 0);
  }
  handles.clear();
  expectSoundFile(path);
}

}  // namespace
}  // namespace zor::tarnwick::testing
