// Query entries as filter terms: what each operator builds, and values that
// look like quotes, operators or expression syntax matched literally by the
// compiled filter.

#include "framework/query_filter.h"

#include <gtest/gtest.h>

#include <cstring>

#include "runtime/date_time.h"
#include "runtime/expression.h"
#include "runtime/string_functions.h"
#include "runtime/type_codes.h"

namespace zor::fw {
namespace {

const QueryColumn kText{"C:TEXT", "@s19", false, false};
const QueryColumn kId{"C:ID", "@n5", true, false};

TEST(QueryFilter, EntriesBecomeTerms) {
  struct Case {
    QueryColumn column;
    const char* low;
    const char* middle;
    const char* high;
    const char* expected;
  };
  const Case cases[] = {
      {kText, "", "", "", ""},
      {kText, "   ", "", "", ""},
      {kText, "audio", "", "", "(C:TEXT = 'audio')"},
      {kText, "Begins abc", "", "", "SUB(C:TEXT,1,3) = 'abc'"},
      {kText, "it's", "", "", "(C:TEXT = 'it''s')"},
      {kText, "=", "", "", "(C:TEXT = '')"},
      {kText, "<>x", "", "", "(C:TEXT <> 'x')"},
      {kText, "NOT = x", "", "", "(C:TEXT <> 'x')"},
      {kText, "=<b", "", "", "(C:TEXT <= 'b')"},
      {kText, "= <none>", "", "", "(C:TEXT = '<none>')"},
      {kText, "= Contains x", "", "", "(C:TEXT = 'Contains x')"},
      {kText, "Contains", "", "", ""},
      {kText, "contains map", "", "", "INSTRING('map',C:TEXT,1,1) <> 0"},
      {kText, "~Contains Shadow", "", "", "INSTRING('SHADOW',UPPER(C:TEXT),1,1) <> 0"},
      {kText, "~Begins ab", "", "", "SUB(UPPER(C:TEXT),1,2) = 'AB'"},
      {kText, "*map*", "", "", "INSTRING('map',C:TEXT,1,1) <> 0"},
      {kText, "sha*", "", "", "SUB(C:TEXT,1,3) = 'sha'"},
      {kText, "= sha*", "", "", "(C:TEXT = 'sha*')"},
      {{"UPPER(C:TEXT)", "", false, false}, "abc", "", "", "(UPPER(C:TEXT) = 'ABC')"},
      {kText, "b", "", "d", "(C:TEXT >= 'b') AND (C:TEXT <= 'd')"},
      {kText, ">a", "<>c", "<e", "(C:TEXT > 'a') AND (C:TEXT <> 'c') AND (C:TEXT < 'e')"},
      {kText, "", "", "m", "(C:TEXT <= 'm')"},
      {kId, "NOT = 5", "", "", "(C:ID <> 5)"},
      {kId, "=>-2.5", "", "", "(C:ID >= -2.5)"},
      {kId, "=", "", "", "(C:ID = 0)"},
      {kId, "1 OR 1=1", "", "", "(LEFT(C:ID) = '1 OR 1=1')"},
      {kId, "Begins 12", "", "", "SUB(LEFT(C:ID),1,2) = '12'"},
      {kId, "3", "", "9", "(C:ID >= 3) AND (C:ID <= 9)"},
      {{"S:WHEN", "@D6", false, false},
       "Contains 2026",
       "",
       "",
       "INSTRING('2026',FORMAT(S:WHEN,@D6),1,1) <> 0"},
      {{"S:AT", "@T1", false, true}, "36000", "", "", "(S:AT = 36000)"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(queryColumnText(c.column, c.low, c.middle, c.high), c.expected)
        << c.low << " | " << c.middle << " | " << c.high;
  }
}

// A text and a number bound as a record's fields, and filters tested on them.
class BoundRecord {
 public:
  BoundRecord() {
    bindings.bind("C:TEXT", kCString, text_, sizeof text_);
    bindings.bind("C:ID", kLong, &id_, sizeof id_);
    bindings.bind("S:WHEN", kLong, &when_, sizeof when_);
  }
  // Whether the filter compiles and passes the record with this text.
  bool passes(const std::string& filter, const std::string& text) {
    std::memset(text_, 0, sizeof text_);
    std::memcpy(text_, text.data(), std::min(text.size(), sizeof text_ - 1));
    Expression expression;
    EXPECT_TRUE(expression.compile(filter, bindings)) << filter;
    return expression.test();
  }
  bool passesDate(const std::string& filter, int32_t date) {
    when_ = date;
    return passes(filter, "");
  }

  Bindings bindings;

 private:
  char text_[4096] = {};
  int32_t id_ = 1;
  int32_t when_ = 0;
};

std::string upper(const std::string& text) {
  std::string out;
  upperText(text, out);
  return out;
}

TEST(QueryFilter, ValuesAreMatchedLiterally) {
  const std::string values[] = {"' OR '1'='1",
                                "x') OR (1=1",
                                "'",
                                "''",
                                "a'b''c'''",
                                "1 OR 1=1",
                                "AND",
                                "OR C:TEXT <> ''",
                                "(",
                                ")) OR ((",
                                "UPPER(C:TEXT)",
                                "C:TEXT",
                                "\\",
                                "\\' OR C:ID = 1 --",
                                "%",
                                "@D6",
                                "@P##P",
                                "& 'x'",
                                "INSTRING('a',C:TEXT,1,1)",
                                "NOT",
                                "<>",
                                "~",
                                "*",
                                "a,b",
                                "[1]",
                                ";",
                                "\"quoted\"",
                                "caf\xC3\xA9'"};
  BoundRecord record;
  for (const std::string& value : values) {
    SCOPED_TRACE(value);
    const std::string equal = queryColumnText(kText, "= " + value, "", "");
    EXPECT_TRUE(record.passes(equal, value));
    EXPECT_FALSE(record.passes(equal, value + "x"));
    EXPECT_FALSE(record.passes(equal, "1"));

    const std::string contains = queryColumnText(kText, "Contains " + value, "", "");
    EXPECT_TRUE(record.passes(contains, "[" + value + "]"));
    EXPECT_FALSE(record.passes(contains, "zz"));

    const std::string begins = queryColumnText(kText, "Begins " + value, "", "");
    EXPECT_TRUE(record.passes(begins, value + " and more"));
    EXPECT_FALSE(record.passes(begins, "q" + value));

    const std::string noCase = queryColumnText(kText, "~= " + value, "", "");
    EXPECT_TRUE(record.passes(noCase, upper(value)));

    // Against a number nothing of this reads as one, and nothing matches.
    const std::string number = queryColumnText(kId, "= " + value, "", "");
    EXPECT_FALSE(record.passes(number, "")) << number;
  }
}

TEST(QueryFilter, LongValuesAreCutBetweenCharacters) {
  BoundRecord record;
  for (const std::string& value :
       {std::string(3000, '\''), std::string(999, 'a') + "'b", std::string(2000, 'q')}) {
    const std::string text = queryColumnText(kText, "Contains " + value, "", "");
    const size_t open = text.find('\'');
    const size_t close = text.rfind("',");
    ASSERT_NE(close, std::string::npos);
    EXPECT_LE(close - open + 1, kQueryLiteralLength) << text.size();
    // The cut literal still means a start of what was typed.
    EXPECT_TRUE(record.passes(text, value)) << value.size();
  }
}

TEST(QueryFilter, DatesCompareByTheCalendar) {
  const QueryColumn when{"S:WHEN", "@D6", false, false};
  const int32_t fourthOfMarch = dateFromMonthDayYear(3, 4, 2026);
  const int32_t tenthOfDecember = dateFromMonthDayYear(12, 10, 2025);
  BoundRecord record;
  struct Case {
    const char* low;
    const char* high;
    bool march;
    bool december;
  };
  const Case cases[] = {
      {"4/3/2026", "", true, false},       {"< 5/03/2026", "", true, true},
      {"> 1/01/2026", "", true, false},    {"1/12/2025", "31/12/2025", false, true},
      {"Contains /2025", "", false, true}, {"= no date", "", false, false},
  };
  for (const Case& c : cases) {
    const std::string filter = queryColumnText(when, c.low, "", c.high);
    EXPECT_EQ(record.passesDate(filter, fourthOfMarch), c.march) << filter;
    EXPECT_EQ(record.passesDate(filter, tenthOfDecember), c.december) << filter;
  }
}

}  // namespace
}  // namespace zor::fw
