#include "runtime/queue_key.h"

#include <gtest/gtest.h>

#include "queue_test_records.h"

namespace zor {
namespace {

using testing::Row;
using testing::testLayout;

TEST(QueueKey, TextFormTakesCommasBlanksAndSigns) {
  RecordLayout layout = testLayout();
  auto key = QueueKey::parse(layout, "  +Q:NAME,, -amount  id ");
  ASSERT_TRUE(key);
  ASSERT_EQ(key->size(), 3u);
  EXPECT_EQ(key->part(0).offset, 4u);
  EXPECT_FALSE(key->part(0).descending);
  EXPECT_EQ(key->part(1).offset, 12u);
  EXPECT_TRUE(key->part(1).descending);
  EXPECT_EQ(key->part(2).offset, 0u);
  // A sign may stand apart from its name; the same fields make an equal key.
  auto spaced = QueueKey::parse(layout, "q:name - AMOUNT,Q:Id");
  ASSERT_TRUE(spaced);
  EXPECT_TRUE(*spaced == *key);
  EXPECT_FALSE(*QueueKey::parse(layout, "NAME,AMOUNT,ID") == *key);
}

TEST(QueueKey, RefusesWhatNamesNoOrderableField) {
  RecordLayout layout = testLayout();
  for (const char* text : {"", "  , ", "NOPE", "ID,NOPE", "-", "ID,+", "MEMO", "X:ID", "ID;NAME"}) {
    EXPECT_FALSE(QueueKey::parse(layout, text)) << '"' << text << '"';
  }
  std::string seventeen;
  for (int i = 0; i < 17; ++i) seventeen += "ID,";
  EXPECT_FALSE(QueueKey::parse(layout, seventeen));
  EXPECT_TRUE(QueueKey::parse(layout, seventeen.substr(3)));  // sixteen

  RecordLayout dimensioned = layout;
  dimensioned[0].dimensions = {3};
  EXPECT_FALSE(QueueKey::parse(dimensioned, "ID"));
}

TEST(QueueKey, BareNamesMustBeUnambiguous) {
  RecordLayout layout = testLayout();
  layout.push_back(makeField("R:ID", kLong, 26, 4));
  EXPECT_FALSE(QueueKey::parse(layout, "ID"));
  ASSERT_TRUE(QueueKey::parse(layout, "R:ID"));
  EXPECT_EQ(QueueKey::parse(layout, "r:id")->part(0).offset, 26u);
  // A field whose full label is the name wins over prefixed ones.
  layout.push_back(makeField("ID", kShort, 26, 2));
  ASSERT_TRUE(QueueKey::parse(layout, "ID"));
  EXPECT_EQ(QueueKey::parse(layout, "ID")->part(0).shape.type, kShort);
}

TEST(QueueKey, ListFormAndComparison) {
  RecordLayout layout = testLayout();
  KeyField fields[] = {{1, false}, {0, true}};
  auto key = QueueKey::fromFields(layout, fields);
  ASSERT_TRUE(key);
  EXPECT_TRUE(*key == *QueueKey::parse(layout, "NAME,-ID"));
  auto a = Row{1, "SMITH", 0}.bytes();
  auto b = Row{2, "SMITH", 0}.bytes();
  auto c = Row{0, "TAYLOR", 0}.bytes();
  EXPECT_EQ(key->compare(a.data(), b.data()), 1);  // ID descending
  EXPECT_EQ(key->compare(b.data(), c.data()), -1);
  EXPECT_EQ(key->compare(a.data(), a.data()), 0);
  EXPECT_GT(key->prefix(c.data()), key->prefix(a.data()));

  KeyField outside[] = {{9, false}};
  EXPECT_FALSE(QueueKey::fromFields(layout, outside));
  KeyField memo[] = {{4, false}};
  EXPECT_FALSE(QueueKey::fromFields(layout, memo));
  EXPECT_FALSE(QueueKey::fromFields(layout, {}));

  EXPECT_TRUE(key->fitsIn(testing::kRecordLength));
  EXPECT_FALSE(key->fitsIn(10));
}

}  // namespace
}  // namespace zor
