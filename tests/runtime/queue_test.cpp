#include "runtime/queue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "queue_test_records.h"
#include "runtime/decimal.h"
#include "runtime/error_state.h"

namespace zor {
namespace {

using testing::kRecordLength;
using testing::Row;
using testing::testLayout;
using Bytes = std::vector<uint8_t>;

class QueueTest : public ::testing::Test {
 protected:
  Queue queue{testLayout(), kRecordLength};

  void addRows(std::initializer_list<Row> rows) {
    for (const Row& row : rows) ASSERT_EQ(queue.add(row.bytes().data()), 0);
  }
  std::vector<int32_t> ids() const {
    std::vector<int32_t> out;
    for (size_t i = 1; i <= queue.records(); ++i) out.push_back(Row::from(queue.row(i)).id);
    return out;
  }
  Row rowAt(size_t position) {
    Bytes buffer(kRecordLength);
    EXPECT_EQ(queue.get(position, buffer.data()), 0);
    return Row::from(buffer.data());
  }
};

TEST_F(QueueTest, AddAndGetByPosition) {
  EXPECT_EQ(queue.records(), 0u);
  EXPECT_EQ(queue.pointer(), 0u);
  addRows({{1, "ONE", 1.5}, {2, "TWO", 2.5}});
  EXPECT_EQ(queue.pointer(), 2u);
  ASSERT_EQ(queue.add(Row{3, "THREE", 0}.bytes().data(), 1), 0);
  EXPECT_EQ(queue.pointer(), 1u);
  ASSERT_EQ(queue.add(Row{4, "FOUR", 0}.bytes().data(), 99), 0);  // clamped: appended
  EXPECT_EQ(ids(), (std::vector<int32_t>{3, 1, 2, 4}));
  EXPECT_EQ(rowAt(3).name, "TWO");
  EXPECT_EQ(queue.pointer(), 3u);
  EXPECT_EQ(queue.row(0), nullptr);
  EXPECT_EQ(queue.row(5), nullptr);
}

TEST_F(QueueTest, GetOutsideTheEntriesSetsError30AndKeepsTheBuffer) {
  addRows({{1, "ONE", 0}, {2, "TWO", 0}});
  Bytes buffer = Row{9, "MINE", 0}.bytes();
  Bytes before = buffer;
  EXPECT_EQ(queue.get(3, buffer.data()), 30);
  EXPECT_EQ(errorCode(), 30);
  EXPECT_EQ(buffer, before);
  EXPECT_EQ(queue.pointer(), 2u);  // a position past the end keeps the current entry
  EXPECT_EQ(queue.get(0, buffer.data()), 30);
  EXPECT_EQ(buffer, before);
  EXPECT_EQ(queue.pointer(), 0u);  // position 0 forgets it
  EXPECT_EQ(queue.put(buffer.data()), 30);
  EXPECT_EQ(queue.remove(), 30);
  EXPECT_EQ(queue.records(), 2u);
  EXPECT_EQ(queue.get(1, buffer.data()), 0);
  EXPECT_EQ(errorCode(), 0);  // success clears the error
}

TEST_F(QueueTest, SortPutsPositionsInKeyOrder) {
  addRows({{3, "CAROL", 1}, {1, "ALICE", 3}, {2, "BOB", 2}, {4, "ALICE", 0}});
  ASSERT_EQ(queue.sort("Q:NAME,-ID"), 0);
  EXPECT_EQ(ids(), (std::vector<int32_t>{4, 1, 2, 3}));
  EXPECT_EQ(rowAt(1).id, 4);
  ASSERT_EQ(queue.sort("-amount"), 0);
  EXPECT_EQ(ids(), (std::vector<int32_t>{1, 2, 3, 4}));
  // ADD without a position keeps a sorted queue sorted.
  ASSERT_EQ(queue.add(Row{5, "EVE", 2.5}.bytes().data()), 0);
  EXPECT_EQ(ids(), (std::vector<int32_t>{1, 5, 2, 3, 4}));
  EXPECT_EQ(queue.pointer(), 2u);
  // ADD by position keeps it sorted where the entry fits ...
  ASSERT_EQ(queue.add(Row{6, "FAY", 9}.bytes().data(), 1), 0);
  EXPECT_EQ(ids(), (std::vector<int32_t>{6, 1, 5, 2, 3, 4}));
  ASSERT_EQ(queue.add(Row{7, "GUS", -1}.bytes().data()), 0);
  EXPECT_EQ(ids().back(), 7);
  // ... and takes it where it was asked otherwise; the key's order survives.
  ASSERT_EQ(queue.add(Row{8, "HAL", -5}.bytes().data(), 1), 0);
  EXPECT_EQ(ids(), (std::vector<int32_t>{8, 6, 1, 5, 2, 3, 4, 7}));
  ASSERT_EQ(queue.add(Row{9, "IDA", 100}.bytes().data()), 0);
  EXPECT_EQ(ids().back(), 9);  // unsorted now: appended
  ASSERT_EQ(queue.sort("-AMOUNT"), 0);
  EXPECT_EQ(ids(), (std::vector<int32_t>{9, 6, 1, 5, 2, 3, 4, 7, 8}));
}

TEST_F(QueueTest, SortKeepsTheCurrentEntryAndStableTies) {
  addRows({{1, "B", 0}, {2, "A", 0}, {3, "B", 0}, {4, "A", 0}});
  rowAt(1);
  ASSERT_EQ(queue.sort("NAME"), 0);
  EXPECT_EQ(ids(), (std::vector<int32_t>{2, 4, 1, 3}));
  EXPECT_EQ(queue.pointer(), 3u);
  Bytes changed = Row{1, "C", 0}.bytes();
  ASSERT_EQ(queue.put(changed.data()), 0);
  EXPECT_EQ(ids(), (std::vector<int32_t>{2, 4, 3, 1}));
  EXPECT_EQ(queue.pointer(), 4u);
}

TEST_F(QueueTest, BadKeysSetError75AndChangeNothing) {
  addRows({{2, "B", 0}, {1, "A", 0}});
  uint32_t changes = queue.changes();
  Bytes buffer = Row{1, "A", 0}.bytes();
  EXPECT_EQ(queue.sort("NAME,NOSUCH"), 75);
  EXPECT_EQ(errorCode(), 75);
  EXPECT_EQ(queue.add(buffer.data(), "MEMO"), 75);
  EXPECT_EQ(queue.get("", buffer.data()), 75);
  EXPECT_EQ(queue.put(buffer.data(), "-"), 75);
  auto foreign = QueueKey::parse(testLayout(), "ID");
  Queue small(testLayout(), 2);  // the key's field lies beyond this queue's records
  EXPECT_EQ(small.sort(*foreign), 75);
  KeyField bad[] = {{42, false}};
  EXPECT_EQ(queue.get(QueueKey::fromFields(testLayout(), bad).value_or(QueueKey()), buffer.data()),
            75);
  EXPECT_EQ(ids(), (std::vector<int32_t>{2, 1}));
  EXPECT_EQ(queue.changes(), changes);
  EXPECT_EQ(queue.pointer(), 2u);
}

TEST_F(QueueTest, GetByKeyFindsTheFirstEqualEntry) {
  addRows({{5, "X", 1}, {7, "Y", 2}, {5, "Z", 3}, {6, "W", 4}});
  Bytes buffer = Row{5, "", 0}.bytes();
  ASSERT_EQ(queue.get("ID", buffer.data()), 0);
  EXPECT_EQ(Row::from(buffer.data()).name, "X");
  EXPECT_EQ(queue.pointer(), 1u);  // position in the key's order
  buffer = Row{7, "", 0}.bytes();
  ASSERT_EQ(queue.get("ID", buffer.data()), 0);
  EXPECT_EQ(queue.pointer(), 4u);
  EXPECT_EQ(queue.remove(), 0);
  EXPECT_EQ(ids(), (std::vector<int32_t>{5, 5, 6}));
  buffer = Row{8, "KEEP", 0}.bytes();
  Bytes before = buffer;
  EXPECT_EQ(queue.get("ID", buffer.data()), 30);
  EXPECT_EQ(buffer, before);
  // ADD by key places the entry after its equals and selects the key's order.
  ASSERT_EQ(queue.add(Row{5, "V", 0}.bytes().data(), "ID"), 0);
  EXPECT_EQ(queue.pointer(), 3u);
  EXPECT_EQ(ids(), (std::vector<int32_t>{5, 5, 6, 5}));  // appended to the unsorted order
  EXPECT_EQ(rowAt(4).name, "V");  // GET by position reads the unsorted order again
}

TEST_F(QueueTest, PutMovesTheEntryInEveryKeyOrder) {
  addRows({{1, "A", 10}, {2, "B", 20}, {3, "C", 30}});
  auto byId = QueueKey::parse(testLayout(), "ID");
  auto byAmount = QueueKey::parse(testLayout(), "-AMOUNT");
  Bytes buffer = Row{2, "", 0}.bytes();
  ASSERT_EQ(queue.get(*byId, buffer.data()), 0);
  ASSERT_EQ(queue.get(*byAmount, buffer.data()), 0);
  EXPECT_EQ(queue.pointer(), 2u);
  ASSERT_EQ(queue.put(Row{9, "B", 5}.bytes().data(), *byAmount), 0);
  EXPECT_EQ(queue.pointer(), 3u);
  buffer = Row{2, "", 0}.bytes();
  EXPECT_EQ(queue.get(*byId, buffer.data()), 30);
  buffer = Row{9, "", 0}.bytes();
  ASSERT_EQ(queue.get(*byId, buffer.data()), 0);
  EXPECT_EQ(Row::from(buffer.data()).amount, 5);
  EXPECT_EQ(queue.pointer(), 3u);
  EXPECT_EQ(ids(), (std::vector<int32_t>{1, 9, 3}));  // the unsorted order keeps its place
  ASSERT_EQ(queue.put(Row{0, "B", 5}.bytes().data()), 0);
  EXPECT_EQ(queue.pointer(), 2u);  // PUT without a key reports the unsorted position
}

TEST_F(QueueTest, FreeEmptiesAndDeleteAfterwardsFails) {
  EXPECT_EQ(queue.changes(), 0u);
  queue.clear();
  EXPECT_EQ(errorCode(), 0);
  EXPECT_EQ(queue.records(), 0u);
  EXPECT_EQ(queue.pointer(), 0u);
  addRows({{1, "A", 0}, {2, "B", 0}});
  ASSERT_EQ(queue.sort("NAME"), 0);
  queue.clear();
  EXPECT_EQ(queue.records(), 0u);
  EXPECT_EQ(queue.pointer(), 0u);
  EXPECT_EQ(queue.remove(), 30);
  EXPECT_EQ(queue.changes(), 5u);  // clear, two ADDs, SORT, clear
  addRows({{3, "C", 0}, {1, "A", 0}});
  EXPECT_EQ(ids(), (std::vector<int32_t>{3, 1}));  // unsorted again after FREE
}

TEST_F(QueueTest, DeleteLeavesNoCurrentEntry) {
  addRows({{1, "A", 0}, {2, "B", 0}, {3, "C", 0}});
  rowAt(2);
  ASSERT_EQ(queue.remove(), 0);
  EXPECT_EQ(queue.pointer(), 0u);
  EXPECT_EQ(queue.remove(), 30);
  EXPECT_EQ(ids(), (std::vector<int32_t>{1, 3}));
}

TEST_F(QueueTest, KeyOrdersBeyondTheKeptNumberAreRebuilt) {
  // Each ID/AMOUNT combination is a key of its own.
  std::vector<std::string> keys;
  for (const char* first : {"ID", "-ID", "AMOUNT", "-AMOUNT", "NAME", "-NAME"}) {
    for (const char* second : {"ID", "NAME"}) keys.push_back(std::string(first) + "," + second);
  }
  std::mt19937 random(3);
  for (int i = 0; i < 200; ++i) {
    int32_t id = static_cast<int32_t>(random() % 50);
    ASSERT_EQ(
        queue.add(
            Row{id, std::string(1, static_cast<char>('A' + id % 7)), double(id % 5)}.bytes().data(),
            keys[static_cast<size_t>(i) % keys.size()]),
        0);
  }
  for (int round = 0; round < 3; ++round) {
    for (const std::string& key : keys) {
      ASSERT_EQ(queue.sort(key), 0);
      auto parsed = QueueKey::parse(testLayout(), key);
      for (size_t i = 1; i < queue.records(); ++i) {
        ASSERT_LE(parsed->compare(queue.row(i), queue.row(i + 1)), 0) << key;
      }
      size_t before = queue.records();
      if (queue.remove() == 0) {
        ASSERT_EQ(queue.records(), before - 1);
      }
    }
  }
}

TEST(QueueSort, PackedDecimalKeysSortByValue) {
  FieldDescriptor amount = makeField("D:AMOUNT", kDecimal, 0, 4);  // DECIMAL(7,2)
  amount.places = 2;
  Queue queue({amount}, 4);
  std::mt19937 random(5);
  for (int i = 0; i < 3000; ++i) {
    DecimalAccumulator acc;
    decimalFromInt(static_cast<int64_t>(random() % 2000001) - 1000000, acc);
    uint8_t bytes[4];
    packDecimal(acc, bytes, 4, 0);  // hundredths as whole digits: the stored digits are the same
    ASSERT_EQ(queue.add(bytes), 0);
  }
  ASSERT_EQ(queue.sort("-AMOUNT"), 0);
  double previous = 1e9;
  for (size_t i = 1; i <= queue.records(); ++i) {
    DecimalAccumulator acc;
    unpackDecimal(queue.row(i), 4, 2, acc);
    ASSERT_LE(decimalToReal(acc), previous) << i;
    previous = decimalToReal(acc);
  }
}

// A reference model of the statements, built on plain vectors and
// std::stable_sort, that the queue must agree with after every step.
class QueueModel {
 public:
  using Less = std::function<int(const Row&, const Row&)>;
  struct Entry {
    uint64_t serial;
    Row row;
  };

  std::vector<Entry> physical;
  std::optional<size_t> physicalKey;
  std::optional<size_t> selected;
  std::optional<uint64_t> current;
  size_t pointer = 0;
  std::vector<Less> keys;

  int add(const Row& row, std::optional<size_t> position, std::optional<size_t> key) {
    Entry entry{serial_++, row};
    if (key) {
      insertByKeyOrAppend(entry);
      selected = key;
      current = entry.serial;
      pointer = positionIn(*key, entry.serial);
      return 0;
    }
    selected.reset();
    if (!position) {
      insertByKeyOrAppend(entry);
    } else {
      size_t at = std::clamp<size_t>(*position, 1, physical.size() + 1) - 1;
      if (physicalKey && !fits(entry, at)) physicalKey.reset();
      physical.insert(physical.begin() + static_cast<ptrdiff_t>(at), entry);
    }
    current = entry.serial;
    pointer = indexOf(entry.serial) + 1;
    return 0;
  }

  int get(size_t position, Row& out) {
    if (position == 0) {
      selected.reset();
      current.reset();
      pointer = 0;
      return 30;
    }
    if (position > physical.size()) return 30;
    selected.reset();
    current = physical[position - 1].serial;
    pointer = position;
    out = physical[position - 1].row;
    return 0;
  }

  int getByKey(size_t key, Row& inOut) {
    std::vector<Entry> ordered = orderOf(key);
    for (size_t i = 0; i < ordered.size(); ++i) {
      if (keys[key](ordered[i].row, inOut) == 0) {
        selected = key;
        current = ordered[i].serial;
        pointer = i + 1;
        inOut = ordered[i].row;
        return 0;
      }
    }
    return 30;
  }

  int put(const Row& row, std::optional<size_t> key) {
    if (!current) return 30;
    physical[indexOf(*current)].row = row;
    if (physicalKey) sortPhysical(*physicalKey);
    selected = key;
    pointer = selected ? positionIn(*selected, *current) : indexOf(*current) + 1;
    return 0;
  }

  int remove() {
    if (!current) return 30;
    physical.erase(physical.begin() + static_cast<ptrdiff_t>(indexOf(*current)));
    current.reset();
    pointer = 0;
    return 0;
  }

  void clear() {
    physical.clear();
    physicalKey.reset();
    selected.reset();
    current.reset();
    pointer = 0;
  }

  int sort(size_t key) {
    sortPhysical(key);
    physicalKey = key;
    selected.reset();
    pointer = current ? indexOf(*current) + 1 : 0;
    return 0;
  }

 private:
  bool before(size_t key, const Entry& a, const Entry& b) const {
    int c = keys[key](a.row, b.row);
    return c < 0 || (c == 0 && a.serial < b.serial);
  }
  void sortPhysical(size_t key) {
    std::stable_sort(physical.begin(), physical.end(),
                     [&](const Entry& a, const Entry& b) { return before(key, a, b); });
  }
  std::vector<Entry> orderOf(size_t key) const {
    std::vector<Entry> ordered = physical;
    std::sort(ordered.begin(), ordered.end(),
              [&](const Entry& a, const Entry& b) { return before(key, a, b); });
    return ordered;
  }
  size_t positionIn(size_t key, uint64_t serial) const {
    std::vector<Entry> ordered = orderOf(key);
    for (size_t i = 0; i < ordered.size(); ++i) {
      if (ordered[i].serial == serial) return i + 1;
    }
    return 0;
  }
  size_t indexOf(uint64_t serial) const {
    for (size_t i = 0; i < physical.size(); ++i) {
      if (physical[i].serial == serial) return i;
    }
    return physical.size();
  }
  void insertByKeyOrAppend(const Entry& entry) {
    if (!physicalKey) {
      physical.push_back(entry);
      return;
    }
    auto at = std::find_if(physical.begin(), physical.end(),
                           [&](const Entry& other) { return before(*physicalKey, entry, other); });
    physical.insert(at, entry);
  }
  bool fits(const Entry& entry, size_t at) const {
    if (at > 0 && !before(*physicalKey, physical[at - 1], entry)) return false;
    return at == physical.size() || before(*physicalKey, entry, physical[at]);
  }

  uint64_t serial_ = 0;
};

TEST(QueueModelCheck, RandomStatementsAgreeWithTheModel) {
  const std::vector<std::string> keyTexts = {"ID", "-NAME,ID", "AMOUNT,-ID"};
  QueueModel model;
  model.keys = {
      [](const Row& a, const Row& b) { return (a.id > b.id) - (a.id < b.id); },
      [](const Row& a, const Row& b) {
        int c = b.name.compare(a.name);
        return c != 0 ? (c > 0) - (c < 0) : (a.id > b.id) - (a.id < b.id);
      },
      [](const Row& a, const Row& b) {
        if (a.amount != b.amount) return a.amount < b.amount ? -1 : 1;
        return (b.id > a.id) - (b.id < a.id);
      },
  };
  Queue queue(testLayout(), kRecordLength);
  std::vector<QueueKey> parsed;
  for (const std::string& text : keyTexts) parsed.push_back(*QueueKey::parse(testLayout(), text));

  std::mt19937 random(11);
  auto randomRow = [&] {
    int32_t id = static_cast<int32_t>(random() % 40) - 10;
    std::string name(1 + random() % 2, static_cast<char>('A' + random() % 4));
    return Row{id, name, static_cast<double>(random() % 6) / 2};
  };
  for (int step = 0; step < 3000; ++step) {
    size_t key = random() % keyTexts.size();
    bool byText = random() % 2 == 0;
    unsigned operation = random() % 100;
    int expected = 0;
    int actual = 0;
    std::string what;
    if (operation < 30) {
      Row row = randomRow();
      unsigned form = random() % 3;
      Bytes bytes = row.bytes();
      if (form == 0) {
        what = "ADD";
        expected = model.add(row, std::nullopt, std::nullopt);
        actual = queue.add(bytes.data());
      } else if (form == 1) {
        size_t position = random() % (model.physical.size() + 3);
        what = "ADD position " + std::to_string(position);
        expected = model.add(row, position, std::nullopt);
        actual = queue.add(bytes.data(), position);
      } else {
        what = "ADD key " + keyTexts[key];
        expected = model.add(row, std::nullopt, key);
        actual =
            byText ? queue.add(bytes.data(), keyTexts[key]) : queue.add(bytes.data(), parsed[key]);
      }
    } else if (operation < 50) {
      size_t position = random() % (model.physical.size() + 2);
      what = "GET position " + std::to_string(position);
      Row out;
      Bytes buffer(kRecordLength);
      expected = model.get(position, out);
      actual = queue.get(position, buffer.data());
      if (expected == 0) {
        ASSERT_EQ(Row::from(buffer.data()).id, out.id);
      }
    } else if (operation < 65) {
      Row probe = model.physical.empty() || random() % 4 == 0
                      ? randomRow()
                      : model.physical[random() % model.physical.size()].row;
      what = "GET key " + keyTexts[key];
      Bytes buffer = probe.bytes();
      expected = model.getByKey(key, probe);
      actual =
          byText ? queue.get(keyTexts[key], buffer.data()) : queue.get(parsed[key], buffer.data());
      if (expected == 0) {
        ASSERT_EQ(Row::from(buffer.data()).amount, probe.amount);
      }
    } else if (operation < 80) {
      Row row = randomRow();
      bool withKey = random() % 2 == 0;
      what = withKey ? "PUT key " + keyTexts[key] : "PUT";
      expected = model.put(row, withKey ? std::optional<size_t>(key) : std::nullopt);
      actual =
          withKey ? queue.put(row.bytes().data(), keyTexts[key]) : queue.put(row.bytes().data());
    } else if (operation < 92) {
      what = "DELETE";
      expected = model.remove();
      actual = queue.remove();
    } else if (operation < 99) {
      what = "SORT " + keyTexts[key];
      expected = model.sort(key);
      actual = queue.sort(parsed[key]);
    } else {
      what = "FREE";
      model.clear();
      queue.clear();
    }
    ASSERT_EQ(actual, expected) << "step " << step << ": " << what;
    ASSERT_EQ(errorCode(), expected) << "step " << step << ": " << what;
    ASSERT_EQ(queue.records(), model.physical.size()) << "step " << step << ": " << what;
    ASSERT_EQ(queue.pointer(), model.pointer) << "step " << step << ": " << what;
    for (size_t i = 0; i < model.physical.size(); ++i) {
      Row row = Row::from(queue.row(i + 1));
      ASSERT_TRUE(row.id == model.physical[i].row.id && row.name == model.physical[i].row.name &&
                  row.amount == model.physical[i].row.amount)
          << "step " << step << ": " << what << ", row " << i + 1;
    }
  }
}

}  // namespace
}  // namespace zor
