#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>

#include "data/tarnwick/byte_order.h"
#include "data/tarnwick/error_numbers.h"
#include "tests/data/tarnwick_test_support.h"

namespace zor::tarnwick {
namespace {

using testing::bytesOf;
using testing::expectSound;
using testing::randomBytes;
using testing::toVector;

struct KeyLess {
  bool operator()(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) const {
    return compareKeys(a, b) < 0;
  }
};
using OrderedModel = std::map<std::vector<uint8_t>, std::vector<uint8_t>, KeyLess>;

class TarnwickTree : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = testing::scratchPath(
        std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".twk");
    ASSERT_EQ(file_.create(path_), 0);
  }
  void reopen() {
    file_.close();
    ASSERT_EQ(file_.open(path_, OpenMode{}), 0);
  }
  // What a cursor reads, with the change under way.
  void expectScan(const OrderedModel& model) {
    Cursor cursor = file_.cursor();
    auto it = model.begin();
    for (bool more = cursor.first(); more; more = cursor.next(), ++it) {
      ASSERT_NE(it, model.end());
      EXPECT_EQ(toVector(cursor.key()), it->first);
      EXPECT_EQ(toVector(cursor.data()), it->second);
    }
    EXPECT_EQ(it, model.end());
  }
  void expectMatches(const OrderedModel& model) {
    expectScan(model);
    const FileSurvey survey = surveyFile(file_.store());
    EXPECT_EQ(survey.items, model.size());
    for (const auto& problem : survey.problems) ADD_FAILURE() << problem;
  }
  std::vector<uint8_t> randomKey(std::mt19937& random) {
    // Keys with long shared beginnings, as tables and record kinds give.
    std::vector<uint8_t> key = {0, 0, 0, static_cast<uint8_t>(random() % 3), 243};
    auto tail = randomBytes(random, 1 + random() % 12);
    key.insert(key.end(), tail.begin(), tail.end());
    return key;
  }

  std::string path_;
  TarnwickFile file_;
  testing::FatalHookGuard hook_;
};

TEST_F(TarnwickTree, RandomChangesMatchAModelAcrossCommitsAndReopens) {
  std::mt19937 random(1);
  OrderedModel model;
  for (int round = 0; round < 12; ++round) {
    for (int i = 0; i < 400; ++i) {
      const auto key = randomKey(random);
      const auto data = randomBytes(random, random() % 300);
      const int action = static_cast<int>(random() % 10);
      if (action < 6) {
        const int error = file_.insert(key, data);
        EXPECT_EQ(error, model.count(key) ? kDuplicateItem : kOk);
        model.emplace(key, data);
      } else if (action < 8 && !model.empty()) {
        auto it = model.lower_bound(key);
        if (it == model.end()) it = model.begin();
        EXPECT_EQ(file_.replace(it->first, data), kOk);
        it->second = data;
      } else if (!model.empty()) {
        auto it = model.lower_bound(key);
        if (it == model.end()) it = model.begin();
        EXPECT_EQ(file_.erase(it->first), kOk);
        EXPECT_EQ(file_.erase(it->first), kItemNotFound);
        model.erase(it);
      }
    }
    ASSERT_EQ(file_.commit(), 0);
    expectMatches(model);
    if (round % 3 == 2) reopen();
  }
  reopen();
  expectMatches(model);
  std::vector<uint8_t> data;
  for (const auto& [key, value] : model) {
    ASSERT_TRUE(file_.find(key, &data));
    EXPECT_EQ(data, value);
  }
  EXPECT_FALSE(file_.find(bytesOf("\xff missing")));
}

TEST_F(TarnwickTree, CursorWalksBothWaysFromAnyKey) {
  OrderedModel model;
  for (int i = 0; i < 3000; i += 2) {
    std::vector<uint8_t> key(4);
    storeBig32(key.data(), static_cast<uint32_t>(i));
    model.emplace(key, bytesOf(std::to_string(i)));
    ASSERT_EQ(file_.insert(key, model[key]), 0);
  }
  ASSERT_EQ(file_.commit(), 0);
  Cursor cursor = file_.cursor();
  std::vector<uint8_t> probe(4);
  storeBig32(probe.data(), 1001);  // between two keys
  ASSERT_TRUE(cursor.seek(probe));
  EXPECT_EQ(loadBig32(cursor.key().data()), 1002u);
  ASSERT_TRUE(cursor.previous());
  EXPECT_EQ(loadBig32(cursor.key().data()), 1000u);
  ASSERT_TRUE(cursor.seekAtOrBefore(probe));
  EXPECT_EQ(loadBig32(cursor.key().data()), 1000u);
  int count = 1;
  while (cursor.previous()) ++count;
  EXPECT_EQ(count, 501);
  ASSERT_TRUE(cursor.last());
  EXPECT_EQ(loadBig32(cursor.key().data()), 2998u);
  EXPECT_FALSE(cursor.next());
  storeBig32(probe.data(), 5000);
  EXPECT_FALSE(cursor.seek(probe));
  EXPECT_FALSE(cursor.seekAtOrBefore(bytesOf("")));

  // Changes under a cursor: it continues from the key it stood on.
  storeBig32(probe.data(), 100);
  ASSERT_TRUE(cursor.seek(probe));
  for (int i = 100; i < 400; i += 2) {
    std::vector<uint8_t> key(4);
    storeBig32(key.data(), static_cast<uint32_t>(i));
    ASSERT_EQ(file_.erase(key), 0);
  }
  ASSERT_TRUE(cursor.next());
  EXPECT_EQ(loadBig32(cursor.key().data()), 400u);
  ASSERT_TRUE(cursor.previous());
  EXPECT_EQ(loadBig32(cursor.key().data()), 98u);
  file_.rollback();
}

TEST_F(TarnwickTree, AscendingLoadsFillTheirPagesInEveryRange) {
  // Keys added in ascending order, in one range and in several ranges at
  // once (as a key with duplicates grows), with small and record-sized
  // items: the pages end up full, not half full, and the tree stays whole.
  struct Case {
    int ranges;
    size_t dataLength;
    int items;
    uint64_t mostPages;  // half-full pages would need about twice as many
  };
  for (const Case& c : {Case{1, 100, 3000, 100}, Case{8, 100, 3000, 115}, Case{1, 6255, 200, 105},
                        Case{3, 6255, 200, 110}}) {
    SCOPED_TRACE(::testing::Message() << c.ranges << " ranges, " << c.dataLength << " bytes");
    file_.close();
    ASSERT_EQ(file_.create(path_), 0);
    std::mt19937 random(c.ranges);
    OrderedModel model;
    for (int i = 0; i < c.items; ++i) {
      std::vector<uint8_t> key(5);
      key[0] = static_cast<uint8_t>(i % c.ranges);
      storeBig32(key.data() + 1, static_cast<uint32_t>(i));
      model[key] = randomBytes(random, c.dataLength);
      ASSERT_EQ(file_.insert(key, model[key]), 0);
    }
    ASSERT_EQ(file_.commit(), 0);
    reopen();
    expectMatches(model);
    const FileSurvey survey = surveyFile(file_.store());
    uint64_t pages = 0;
    for (uint64_t count : survey.pagesPerZone) pages += count;
    EXPECT_LE(pages, c.mostPages);
  }
}

TEST_F(TarnwickTree, InsertsByRememberedLeavesAndGatheredCountersFollowEveryOrder) {
  // Inserts that go straight to a leaf remembered from an earlier walk, in
  // the orders tables meet, with pages frozen, moved and sent home between
  // them, items removed (pages merge) and counters gathered in memory: what
  // finds, cursors and the file after COMMIT, ROLLBACK and a reopen show
  // is the model, every counter exact.
  enum class Order { Ascending, Descending, Runs, Random };
  struct Case {
    Order order;
    size_t dataLength;
    int items;
  };
  const std::vector<uint8_t> counters[] = {
      {0, 0, 0, 9, 246, 0}, {0, 0, 0, 9, 246, 1}, {0, 0, 0, 9, 246, 243}};
  auto count = [](const std::vector<uint8_t>& data) { return load32(data.data()); };
  for (const Case& c : {Case{Order::Ascending, 20, 4000}, Case{Order::Descending, 20, 4000},
                        Case{Order::Runs, 20, 4000}, Case{Order::Random, 20, 4000},
                        Case{Order::Ascending, 6255, 300}, Case{Order::Runs, 3000, 300}}) {
    SCOPED_TRACE(::testing::Message() << static_cast<int>(c.order) << ", " << c.dataLength);
    file_.close();
    ASSERT_EQ(file_.create(path_), 0);
    std::mt19937 random(static_cast<uint32_t>(c.items + c.dataLength));
    OrderedModel model;
    for (const auto& counter : counters) {
      model[counter] = std::vector<uint8_t>(8, 0);
      ASSERT_EQ(file_.insert(counter, model[counter]), 0);
    }
    ASSERT_EQ(file_.commit(), 0);
    auto keyOf = [&](int i) {
      uint32_t at = static_cast<uint32_t>(i);
      uint8_t run = 0;
      if (c.order == Order::Descending) at = static_cast<uint32_t>(c.items - i);
      if (c.order == Order::Runs) run = static_cast<uint8_t>(i % 50);
      if (c.order == Order::Random) at = static_cast<uint32_t>(random());
      std::vector<uint8_t> key = {0, 0, 0, 1, run, 0, 0, 0, 0};
      storeBig32(key.data() + 5, at);
      return key;
    };
    OrderedModel kept;
    for (int i = 0; i < c.items; ++i) {
      const auto key = keyOf(i);
      const auto data = randomBytes(random, c.dataLength);
      const bool exists = model.count(key) != 0;
      ASSERT_EQ(file_.insert(key, data), exists ? kDuplicateItem : kOk) << i;
      if (!exists) model[key] = data;
      const auto& counter = counters[static_cast<size_t>(i) % 3];
      const uint32_t delta = i % 5 == 0 ? UINT32_MAX : 2;  // -1 or +2
      file_.tree().addToCounter(counter, delta, 8);
      store32(model[counter].data(), count(model[counter]) + delta);
      if (i % 53 == 0) {
        std::vector<uint8_t> stored;
        ASSERT_TRUE(file_.find(counter, &stored));
        EXPECT_EQ(stored, model[counter]);
      }
      if (i % 7 == 3) {  // a repeat changes nothing
        auto it = model.lower_bound(keyOf(static_cast<int>(random() % (i + 1))));
        if (it != model.end()) {
          ASSERT_EQ(file_.insert(it->first, data), kDuplicateItem);
        }
      }
      if (i % 11 == 0 && model.size() > 10) {  // removals make pages merge
        auto it = model.lower_bound(key);
        if (it != model.end() && it->first.size() == 9) {
          ASSERT_EQ(file_.erase(it->first), 0);
          model.erase(it);
        }
      }
      if (i % 97 == 0) file_.store().keepChangeSmall();
      if (i == c.items / 3) expectScan(model);
      if (i == c.items / 2) {
        ASSERT_EQ(file_.commit(), 0);
        kept = model;
      }
    }
    expectScan(model);
    file_.rollback();  // the second half and its counters go
    model = kept;
    expectScan(model);
    ASSERT_EQ(file_.commit(), 0);
    reopen();
    expectMatches(model);
  }
}

TEST_F(TarnwickTree, UpdateInsertsChangesGrowsAndShrinksAnItem) {
  // Small items around the one updated, so that its growth splits pages.
  OrderedModel model;
  for (int i = 0; i < 200; ++i) {
    std::vector<uint8_t> key(4);
    storeBig32(key.data(), static_cast<uint32_t>(i * 2));
    model[key] = std::vector<uint8_t>(40, static_cast<uint8_t>(i));
    ASSERT_EQ(file_.insert(key, model[key]), 0);
  }
  std::vector<uint8_t> key(4);
  storeBig32(key.data(), 201);
  // Absent: the change starts from no data and the item is inserted.
  for (size_t length : {8u, 8u, 9000u, 3u, 0u}) {
    ASSERT_EQ(file_.update(key,
                           [&](std::vector<uint8_t>& data) {
                             EXPECT_EQ(data, model[key]);
                             data.assign(length, static_cast<uint8_t>(data.size() + 1));
                           }),
              0);
    model[key].assign(length, static_cast<uint8_t>(model[key].size() + 1));
    ASSERT_EQ(file_.commit(), 0);
    expectMatches(model);
  }
  reopen();
  expectMatches(model);
}

TEST_F(TarnwickTree, LargeItemsSplitAndTheLongestFitsAlone) {
  std::mt19937 random(5);
  OrderedModel model;
  for (int i = 0; i < 30; ++i) {
    auto key = randomKey(random);
    const size_t length = i % 5 == 0 ? kMaxItemLength - key.size() : 3000 + random() % 6000;
    model[key] = randomBytes(random, length);
    ASSERT_EQ(file_.put(key, model[key]), 0);
  }
  ASSERT_EQ(file_.commit(), 0);
  reopen();
  expectMatches(model);
  const FileSurvey survey = surveyFile(file_.store());
  EXPECT_GT(survey.pagesPerZone[kMaxPageUnits], 0u);
  EXPECT_THROW((void)file_.insert(bytesOf("k"), std::vector<uint8_t>(kMaxItemLength)),
               testing::FatalStop);
}

TEST_F(TarnwickTree, DeletingAndAddingAgainKeepsTheFileBounded) {
  std::mt19937 random(9);
  OrderedModel model;
  uint64_t sizeAfterFirstRound = 0;
  for (int round = 0; round < 30; ++round) {
    for (int i = 0; i < 300; ++i) {
      auto key = randomKey(random);
      model[key] = randomBytes(random, 20 + random() % 200);
      ASSERT_EQ(file_.put(key, model[key]), 0);
    }
    ASSERT_EQ(file_.commit(), 0);
    while (model.size() > 200) {
      auto it = model.begin();
      std::advance(it, random() % model.size());
      ASSERT_EQ(file_.erase(it->first), 0);
      model.erase(it);
    }
    ASSERT_EQ(file_.commit(), 0);
    if (round == 2) sizeAfterFirstRound = file_.header().logicalEnd();
  }
  expectMatches(model);
  EXPECT_LT(file_.header().logicalEnd(), sizeAfterFirstRound * 2);
  while (!model.empty()) {
    ASSERT_EQ(file_.erase(model.begin()->first), 0);
    model.erase(model.begin());
  }
  ASSERT_EQ(file_.commit(), 0);
  expectMatches(model);
  const FileSurvey survey = surveyFile(file_.store());
  EXPECT_EQ(survey.depth, 1);
  // Once its changes are home the file ends where its pages end, but for
  // the room kept for the next changes.
  ASSERT_EQ(file_.checkpoint(), 0);
  EXPECT_LE(std::filesystem::file_size(path_), file_.header().logicalEnd() + (256u << 10));
  EXPECT_LT(file_.header().logicalEnd(), 8192u);
}

TEST_F(TarnwickTree, RollbackForgetsTheChange) {
  ASSERT_EQ(file_.insert(bytesOf("kept"), bytesOf("1")), 0);
  ASSERT_EQ(file_.commit(), 0);
  const uint32_t counter = file_.header().changeCounter;
  {
    ChangeScope change(file_);
    ASSERT_EQ(file_.insert(bytesOf("lost"), bytesOf("2")), 0);
    ASSERT_EQ(file_.erase(bytesOf("kept")), 0);
    std::array<uint8_t, 4> id{};
    ASSERT_EQ(file_.nextIdentifier(id), 0);
  }
  EXPECT_TRUE(file_.find(bytesOf("kept")));
  EXPECT_FALSE(file_.find(bytesOf("lost")));
  EXPECT_EQ(file_.header().lastIdentifier, (std::array<uint8_t, 4>{}));
  EXPECT_EQ(file_.header().changeCounter, counter);
  EXPECT_EQ(file_.commit(), 0);  // nothing left to write
  EXPECT_EQ(file_.header().changeCounter, counter);
}

TEST_F(TarnwickTree, IdentifiersCountBigEndianAndStopBefore254) {
  std::array<uint8_t, 4> id{};
  ASSERT_EQ(file_.nextIdentifier(id), 0);
  EXPECT_EQ(id, (std::array<uint8_t, 4>{0, 0, 0, 1}));
  ASSERT_EQ(file_.commit(), 0);
  reopen();
  ASSERT_EQ(file_.nextIdentifier(id), 0);
  EXPECT_EQ(id, (std::array<uint8_t, 4>{0, 0, 0, 2}));
  file_.store().headerForChange().lastIdentifier = {0, 0, 0, 255};
  ASSERT_EQ(file_.nextIdentifier(id), 0);
  EXPECT_EQ(id, (std::array<uint8_t, 4>{0, 0, 1, 0}));
  file_.store().headerForChange().lastIdentifier = {253, 255, 255, 255};
  EXPECT_THROW((void)file_.nextIdentifier(id), testing::FatalStop);
  file_.rollback();
}

}  // namespace
}  // namespace zor::tarnwick
