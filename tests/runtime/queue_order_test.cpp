#include "runtime/queue_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <random>
#include <vector>

namespace zor {
namespace {

// Entries whose serial doubles as their value.
class Entries {
 public:
  QueueEntry* make() {
    store_.push_back(QueueEntry{store_.size(), nullptr});
    return &store_.back();
  }

 private:
  std::deque<QueueEntry> store_;  // stable addresses
};

void insertAt(QueueOrder& order, size_t position, QueueEntry* entry) {
  order.reserveInsert();
  order.insert(position, entry);
}

void expectSame(const QueueOrder& order, const std::vector<QueueEntry*>& model) {
  ASSERT_EQ(order.size(), model.size());
  std::vector<QueueEntry*> listed;
  order.appendTo(listed);
  EXPECT_EQ(listed, model);
  // Random reads and reads backwards exercise the Fenwick descent, forward
  // reads the cached block.
  for (size_t i = model.size(); i-- > 0;) ASSERT_EQ(order.at(i), model[i]) << i;
  for (size_t i = 0; i < model.size(); ++i) ASSERT_EQ(order.at(i), model[i]) << i;
  if (order.tracksHomes()) {
    for (size_t i = 0; i < model.size(); ++i) ASSERT_EQ(order.positionOf(model[i]), i);
  }
}

TEST(QueueOrder, MatchesAVectorUnderRandomInsertsAndErases) {
  Entries entries;
  QueueOrder order(true);
  std::vector<QueueEntry*> model;
  std::mt19937 random(7);
  // Grow past several block splits, shrink through merges, grow again.
  for (int phase = 0; phase < 3; ++phase) {
    int steps = phase == 1 ? 2600 : 3000;
    for (int step = 0; step < steps; ++step) {
      bool grow = phase != 1 ? random() % 4 != 0 : random() % 4 == 0;
      if (grow || model.empty()) {
        // Favour the ends, where queues grow in practice.
        size_t choice = random() % 3;
        size_t position = choice == 0   ? 0
                          : choice == 1 ? model.size()
                                        : random() % (model.size() + 1);
        QueueEntry* entry = entries.make();
        insertAt(order, position, entry);
        model.insert(model.begin() + static_cast<ptrdiff_t>(position), entry);
      } else {
        size_t position = random() % model.size();
        order.erase(position);
        model.erase(model.begin() + static_cast<ptrdiff_t>(position));
      }
    }
    expectSame(order, model);
  }
  while (!model.empty()) {
    order.erase(0);
    model.erase(model.begin());
  }
  expectSame(order, model);
  insertAt(order, 0, entries.make());  // an emptied order takes entries again
  EXPECT_EQ(order.size(), 1u);
}

TEST(QueueOrder, AssignReplacesContentAndKeepsHomes) {
  Entries entries;
  QueueOrder order(true);
  for (int i = 0; i < 10; ++i) insertAt(order, 0, entries.make());
  std::vector<QueueEntry*> model;
  for (int i = 0; i < 2000; ++i) model.push_back(entries.make());
  order.assign(model);
  expectSame(order, model);
  // Inserting into the assigned blocks splits them where they are full.
  for (int i = 0; i < 600; ++i) {
    QueueEntry* entry = entries.make();
    insertAt(order, 700, entry);
    model.insert(model.begin() + 700, entry);
  }
  expectSame(order, model);
  order.clear();
  EXPECT_EQ(order.size(), 0u);
}

TEST(QueueOrder, LowerBoundFindsTheFirstNotBefore) {
  Entries entries;
  QueueOrder order;
  std::vector<QueueEntry*> sorted;
  for (int i = 0; i < 3000; ++i) sorted.push_back(entries.make());  // serials 0..2999
  order.assign(sorted);
  for (uint64_t target : {uint64_t{0}, uint64_t{1}, uint64_t{383}, uint64_t{384}, uint64_t{385},
                          uint64_t{2999}, uint64_t{3000}, uint64_t{5000}}) {
    size_t found = order.lowerBound([&](const QueueEntry* e) { return e->serial < target; });
    EXPECT_EQ(found, std::min<uint64_t>(target, 3000)) << target;
  }
  QueueOrder empty;
  EXPECT_EQ(empty.lowerBound([](const QueueEntry*) { return true; }), 0u);
}

}  // namespace
}  // namespace zor
