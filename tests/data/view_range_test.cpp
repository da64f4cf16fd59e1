// Key ranges from filter terms: whatever the terms, the field types, the
// key's case and direction and the locale's collation, every record that
// the filter matches lies within the range (the view would otherwise miss
// it), and the usual range texts do bound the key.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "data/file_declaration.h"
#include "data/key_order.h"
#include "data/view_range.h"
#include "runtime/expression.h"
#include "runtime/locale.h"
#include "runtime/ufo.h"
#include "tests/data/tables_test_support.h"

namespace zor::tarnwick::testing {
namespace {

using data::KeyBlock;

class ViewRangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(data::declareFile(fcb_, testDeclaration(scratchPath("unused.twk"), {})), 0);
    bindings_.bindRecord(fcb_.fields, fcb_.record.data());
  }
  void TearDown() override { resetLocale(); }

  KeyBlock keyOn(std::vector<uint16_t> fields, bool noCase, bool descending) {
    KeyBlock key;
    key.label = "T:KEY";
    key.attributes = noCase ? data::kKeyNoCase : 0;
    for (uint16_t field : fields)
      key.components.push_back(
          {field, descending ? data::ComponentOrder::Descending : data::ComponentOrder::Ascending});
    return key;
  }

  data::KeyRange rangeOf(const KeyBlock& key, const std::string& filter) {
    Expression expression;
    EXPECT_TRUE(expression.compile(filter, bindings_)) << filter;
    return data::findKeyRange(fcb_, key, expression.fieldTerms());
  }

  int placeOf(const data::KeyRange& range, const KeyBlock& key) {
    std::vector<uint8_t> scratch;
    return range.place(fcb_.fields, key, fcb_.record.data(), scratch);
  }

  const FieldDescriptor& field(uint16_t number) const { return fcb_.fields[number - 1u]; }
  void setNumber(uint16_t number, double value) {
    const FieldDescriptor& f = field(number);
    makeUfo(f.type, fcb_.record.data() + f.offset, f.size, f.places)->assignReal(value);
  }

  data::FileControlBlock fcb_;
  Bindings bindings_;
};

std::string quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

// Texts made of the bytes where the evaluator and a key are most likely to
// part: case pairs, letters of the upper half, blanks, control characters
// and the punctuation between the upper and the lower case letters.
std::string randomText(std::mt19937& random, size_t maxLength) {
  static const std::string kBytes = std::string("aAbBzZ _[`{\x01\x1f\xE9\xC9\xFE\xFF", 18);
  std::string text(random() % (maxLength + 1), ' ');
  for (char& c : text) c = kBytes[random() % kBytes.size()];
  return text;
}

TEST_F(ViewRangeTest, EveryMatchingRecordLiesInTheRange) {
  const uint16_t kText[] = {kFString, kFCString, kFPString};
  const uint16_t kNumbers[] = {kFByte, kFShort, kFLong, kFULong, kFSReal, kFReal, kFDecimal};
  const char* kRelations[] = {" = ", " < ", " <= ", " > ", " >= "};
  std::mt19937 random(11);
  int bounded = 0, matched = 0;
  for (int locale = 0; locale < 3; ++locale) {
    if (locale == 1) {  // a collation and case mapping of their own for the upper half
      ASSERT_TRUE(applyLocaleSetting("ZORCOLSEQ", "WINDOWS"));
      ASSERT_TRUE(applyLocaleSetting("ZORCASE", "WINDOWS"));
    } else if (locale == 2) {  // a blank that sorts below a control character
      resetLocale();
      ASSERT_TRUE(applyLocaleSetting("ZORCOLSEQ", "<32><1>"));
      ASSERT_LT(collationWeight(' '), collationWeight('\x01'));
    }
    for (int trial = 0; trial < 300; ++trial) {
      const bool text = trial % 2 == 0;
      const uint16_t number = text ? kText[random() % 3] : kNumbers[random() % 7];
      const std::string name = field(number).name;
      const KeyBlock key = keyOn({number}, random() % 2 == 0, random() % 3 == 0);
      std::string filter;
      double constant = 0.5;
      for (int term = 0, terms = 1 + static_cast<int>(random() % 2); term < terms; ++term) {
        if (term > 0) filter += " AND ";
        const char* relation = kRelations[random() % 5];
        if (text && random() % 2 == 0) {
          filter +=
              "UPPER(" + name + ")" + relation + "UPPER(" + quoted(randomText(random, 7)) + ")";
        } else if (text) {
          filter += name + relation + quoted(randomText(random, 7));
        } else if (random() % 2 == 0) {
          filter += name + relation + std::to_string(static_cast<int>(random() % 600) - 300);
        } else {
          constant = (static_cast<int>(random() % 600) - 300) / 7.0;
          char real[40];
          std::snprintf(real, sizeof real, "%.17g", constant);
          filter += name + relation + real;
        }
      }
      Expression expression;
      ASSERT_TRUE(expression.compile(filter, bindings_)) << filter;
      const data::KeyRange range = data::findKeyRange(fcb_, key, expression.fieldTerms());
      bounded += range.bounded();
      for (int record = 0; record < 200; ++record) {
        std::fill(fcb_.record.begin(), fcb_.record.end(), 0);
        if (text) {
          putText(fcb_.record, field(number), randomText(random, kTextSize - 1));
        } else {
          // Whole numbers, and a hair from the filter's real (equal to it
          // within the evaluator's tolerance).
          const double hair = 1 + (static_cast<int>(random() % 3) - 1) * 5e-14;
          setNumber(number,
                    random() % 2 == 0 ? constant * hair : static_cast<int>(random() % 600) - 300);
          if (random() % 50 == 0) setNumber(number, -0.0);
        }
        if (expression.test()) {
          ++matched;
          ASSERT_EQ(placeOf(range, key), 0) << filter << " (trial " << trial << ")";
        }
      }
    }
  }
  // Most trials do bound the key, and the records do match.
  EXPECT_GT(bounded, 250);
  EXPECT_GT(matched, 20000);
}

TEST_F(ViewRangeTest, RangeTextsBoundTheKey) {
  struct Case {
    std::vector<uint16_t> fields;
    bool noCase;
    bool descending;
    std::string filter;
    size_t components;  // leading components bounded
  };
  const Case cases[] = {
      {{kFCString}, true, false, "UPPER(T:CS) = UPPER('Ab')", 1},
      {{kFCString},
       true,
       false,
       "UPPER(T:CS) >= UPPER('ab') AND (UPPER(T:CS) <= (UPPER('ab\xFE')))",
       1},
      {{kFCString}, false, false, "T:CS = 'it''s'", 1},
      {{kFLong, kFCString}, false, true, "T:L = 5 AND T:CS >= 'low' AND (T:CS <= ('high'))", 2},
      {{kFLong, kFCString}, false, false, "(T:STR = 'x') AND 5 < T:L", 1},
      {{kFReal}, false, false, "T:R <= 2.5", 1},
      // Nothing for the key to serve: another field, an OR, a case-sensitive
      // range over a NOCASE key, UPPER over a key with case.
      {{kFLong}, false, false, "T:S = 5", 0},
      {{kFLong}, false, false, "T:L = 5 OR T:L = 6", 0},
      {{kFCString}, true, false, "T:CS >= 'ab'", 0},
      {{kFCString}, false, false, "UPPER(T:CS) = 'AB'", 0},
  };
  for (const Case& c : cases) {
    const KeyBlock key = keyOn(c.fields, c.noCase, c.descending);
    EXPECT_EQ(rangeOf(key, c.filter).components, c.components) << c.filter;
  }

  // The range itself: "AB" and "ab  " are in, "ABC" and "AA" are out.
  const KeyBlock key = keyOn({kFCString}, true, false);
  const data::KeyRange range = rangeOf(key, "UPPER(T:CS) = UPPER('Ab')");
  const std::pair<std::string, int> places[] = {{"AB", 0}, {"ab  ", 0}, {"ABC", 1}, {"AA", -1}};
  for (const auto& [value, place] : places) {
    putText(fcb_.record, field(kFCString), value);
    EXPECT_EQ(placeOf(range, key), place) << value;
  }
  // A low bound above the high bound leaves nothing.
  EXPECT_TRUE(rangeOf(keyOn({kFLong}, false, false), "T:L >= 9 AND T:L <= 3").empty());
}

// The extremes a seek fills the rest of a key with encode below and above
// every value the field can hold.
TEST_F(ViewRangeTest, ExtremesEncodeBelowAndAboveEveryValue) {
  std::mt19937 random(5);
  for (uint16_t number = kFByte; number <= kFPString; ++number) {
    for (bool noCase : {false, true}) {
      const KeyBlock key = keyOn({number}, noCase, false);
      std::vector<uint8_t> lowest, highest;
      data::fillKeyExtreme(field(number), noCase, false, fcb_.record.data());
      data::encodeKeyValue(fcb_.fields, key, fcb_.record.data(), lowest);
      data::fillKeyExtreme(field(number), noCase, true, fcb_.record.data());
      data::encodeKeyValue(fcb_.fields, key, fcb_.record.data(), highest);
      for (int trial = 0; trial < 500; ++trial) {
        const FieldDescriptor& f = field(number);
        for (uint32_t i = 0; i < f.size; ++i)
          fcb_.record[f.offset + i] = static_cast<uint8_t>(random());
        if (f.type == kPString) fcb_.record[f.offset] %= f.size;
        std::vector<uint8_t> value;
        data::encodeKeyValue(fcb_.fields, key, fcb_.record.data(), value);
        ASSERT_LE(lowest, value) << f.name;
        ASSERT_LE(value, highest) << f.name;
      }
    }
  }
}

}  // namespace
}  // namespace zor::tarnwick::testing
