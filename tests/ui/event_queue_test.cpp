#include "ui/event_queue.h"

#include <gtest/gtest.h>

#include "ui/base/event_numbers.h"

namespace zor::ui {
namespace {

std::unique_ptr<Event> ev(uint32_t event, int field = 0, int tag = 0) {
  auto record = std::make_unique<Event>();
  record->number = carried(event);
  record->field = field;
  record->mouseX = tag;  // tells merged copies apart
  return record;
}

std::vector<uint32_t> carriedAll(std::initializer_list<uint32_t> events) {
  std::vector<uint32_t> numbers;
  for (uint32_t e : events) numbers.push_back(carried(e));
  return numbers;
}

TEST(EventQueue, TimerMovedSizedKeepOnePendingAtTheOlderPlace) {
  EventQueue queue;
  queue.push(ev(EVENT::Timer, 0, 1));
  queue.push(ev(EVENT::Accepted, 3));
  queue.push(ev(EVENT::Timer, 0, 2));
  queue.push(ev(EVENT::Timer, 0, 3));
  queue.push(ev(EVENT::Sized));
  queue.push(ev(EVENT::Moved));
  queue.push(ev(EVENT::Sized));
  queue.push(ev(EVENT::Moved));
  EXPECT_EQ(queue.numbers(),
            carriedAll({EVENT::Timer, EVENT::Accepted, EVENT::Sized, EVENT::Moved}));
  auto first = queue.take();
  EXPECT_EQ(first->mouseX, 3) << "the newest Timer replaces the older one";
  EXPECT_EQ(queue.size(), 3u);
}

TEST(EventQueue, NewSelectionMergesPerControlOnly) {
  EventQueue queue;
  queue.push(ev(EVENT::NewSelection, 4));
  queue.push(ev(EVENT::NewSelection, 5));
  queue.push(ev(EVENT::NewSelection, 4));
  queue.push(ev(EVENT::Accepted, 4));
  queue.push(ev(EVENT::Accepted, 4));
  auto pending = queue.pending();
  ASSERT_EQ(pending.size(), 4u);
  EXPECT_EQ(pending[0]->field, 4);
  EXPECT_EQ(pending[1]->field, 5);
  EXPECT_EQ(pending[2]->number, carried(EVENT::Accepted)) << "other events never merge";
}

TEST(EventQueue, BuildProgressDoesNotMergeAcrossBuildDone) {
  EventQueue queue;
  queue.push(ev(EVENT::BuildKey, 0, 1));
  queue.push(ev(EVENT::BuildDone));
  queue.push(ev(EVENT::BuildKey, 0, 2));
  queue.push(ev(EVENT::BuildKey, 0, 3));
  queue.push(ev(EVENT::BuildFile));
  auto pending = queue.pending();
  ASSERT_EQ(pending.size(), 4u);
  EXPECT_EQ(pending[0]->mouseX, 1);
  EXPECT_EQ(pending[2]->mouseX, 3);
  EXPECT_EQ(pending[3]->number, carried(EVENT::BuildFile)) << "BuildFile and BuildKey differ";
}

TEST(EventQueue, AppendModeEmptiesEveryOlderCopyAndQueuesAtTheTail) {
  EventQueue queue;
  queue.push(ev(EVENT::Sized, 0, 1));
  queue.push(ev(EVENT::Accepted, 1));
  queue.push(ev(EVENT::Sized, 0, 2), MergeMode::Append);
  queue.push(ev(EVENT::Accepted, 2));
  queue.push(ev(EVENT::Sized, 0, 3), MergeMode::Append);
  EXPECT_EQ(queue.size(), 3u);
  EXPECT_EQ(queue.numbers(), carriedAll({EVENT::Accepted, EVENT::Accepted, EVENT::Sized}));
  EXPECT_EQ(queue.take()->field, 1) << "emptied slots are skipped";
  EXPECT_EQ(queue.take()->field, 2);
  EXPECT_EQ(queue.take()->mouseX, 3);
  EXPECT_EQ(queue.take(), nullptr);
  EXPECT_TRUE(queue.empty());
}

TEST(EventQueue, KeepsOrderThroughWrapAroundAndGrowth) {
  EventQueue queue;
  int next = 0;
  int expected = 0;
  for (int round = 0; round < 5; ++round) {
    for (int i = 0; i < 7; ++i) queue.push(ev(EVENT::Accepted, ++next));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(queue.take()->field, ++expected);
  }
  while (auto event = queue.take()) EXPECT_EQ(event->field, ++expected);
  EXPECT_EQ(expected, next);
}

}  // namespace
}  // namespace zor::ui
