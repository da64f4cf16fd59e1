#include <gtest/gtest.h>

#include <cstring>

#include "runtime/error_state.h"
#include "runtime/expression.h"
#include "runtime/type_codes.h"

namespace zor {
namespace {

std::string evalWith(Bindings& bindings, std::string_view text) {
  Expression expression;
  if (!expression.compile(text, bindings)) return "error " + expression.error().message();
  return expression.evaluateText();
}

TEST(ExprEvalTest, ArithmeticKeepsIntegersAndFallsBackToReals) {
  Bindings none;
  EXPECT_EQ(evalWith(none, "7 / 2"), "3.5");
  EXPECT_EQ(evalWith(none, "8 / 2"), "4");
  EXPECT_EQ(evalWith(none, "0.1 + 0.2"), "0.3");
  EXPECT_EQ(evalWith(none, "0.1 + 0.2 = 0.3"), "1");
  EXPECT_EQ(evalWith(none, "9223372036854775807 * 2 > 9223372036854775807"), "1");
  EXPECT_EQ(evalWith(none, "2 ^ 62 * 4 > 0"), "1");  // overflow goes real, keeps the sign
  EXPECT_EQ(evalWith(none, "2 ^ -1"), "0.5");
  EXPECT_EQ(evalWith(none, "-7 % 3"), "-1");
  EXPECT_EQ(evalWith(none, "7.5 % 2"), "1.5");
  EXPECT_EQ(evalWith(none, "1 / 0"), "0");  // no fault: division by zero is 0
  EXPECT_EQ(evalWith(none, "5 % 0"), "0");
  EXPECT_EQ(evalWith(none, "(-8) ^ 0.5"), "0");  // not a number: 0
  EXPECT_EQ(evalWith(none, "-9223372036854775807 - 1 = -(9223372036854775807 + 1)"), "1");
  EXPECT_EQ(evalWith(none, "1e5"), "error Invalid expression for EVALUATE at pos 0");
}

TEST(ExprEvalTest, TextsAndNumbersMix) {
  Bindings none;
  EXPECT_EQ(evalWith(none, "'12' + 1"), "13");
  EXPECT_EQ(evalWith(none, "' 2.5kg' * 2"), "5");
  EXPECT_EQ(evalWith(none, "'abc' + 1"), "1");
  EXPECT_EQ(evalWith(none, "'abc' = 0"), "1");   // a number on one side: numbers compare
  EXPECT_EQ(evalWith(none, "'10' > '9'"), "0");  // two texts: text order
  EXPECT_EQ(evalWith(none, "'10' > 9"), "1");
  EXPECT_EQ(evalWith(none, "'ab  ' = 'ab'"), "1");  // trailing blanks never matter
  EXPECT_EQ(evalWith(none, "'ab' < 'ab '"), "0");
  EXPECT_EQ(evalWith(none, "'a' < 'B'"), "0");  // case matters
  EXPECT_EQ(evalWith(none, "'It''s' & ' ' & 1.50"), "It's 1.5");
  EXPECT_EQ(evalWith(none, "+'7'"), "7");
  EXPECT_EQ(evalWith(none, "'  ' OR 0"), "0");  // blank text is false
  EXPECT_EQ(evalWith(none, "'0' AND 1"), "1");  // non-blank text is true
}

TEST(ExprEvalTest, BoundRecordFieldsAreReadWhereTheyLie) {
  struct Record {
    char name[10];
    int32_t count;
    char code[6];      // CSTRING
    uint8_t label[5];  // PSTRING
    double price;
  } record{};
  std::memcpy(record.name, "Widget    ", 10);
  record.count = 42;
  std::memcpy(record.code, "AB\0zz", 6);
  std::memcpy(record.label, "\x03xyzq", 5);
  record.price = 2.5;
  auto* bytes = reinterpret_cast<uint8_t*>(&record);
  Bindings bindings;
  bindings.bindField({offsetof(Record, name), 10, 0, "PRO:NAME", "", 0, {}, kString}, bytes);
  bindings.bind("PRO:Count", kLong, &record.count, 4);
  bindings.bind("code", kCString, record.code, 6);
  bindings.bind("label", kPString, record.label, 5);
  bindings.bind("price", kReal, &record.price, 8);

  Expression filter;
  ASSERT_TRUE(filter.compile("pro:name = 'Widget' AND PRO:COUNT > 40", bindings));
  EXPECT_TRUE(filter.test());
  record.count = 40;  // the same compiled filter sees the new contents
  EXPECT_FALSE(filter.test());
  std::memcpy(record.name, "Gadget    ", 10);
  record.count = 41;
  EXPECT_FALSE(filter.test());

  EXPECT_EQ(evalWith(bindings, "LEN(PRO:NAME) & '/' & code & '/' & label"), "10/AB/xyz");
  EXPECT_EQ(evalWith(bindings, "price * PRO:COUNT"), "102.5");
  EXPECT_EQ(evalWith(bindings, "PRO:COUNT / 2"), "20.5");
}

TEST(ExprEvalTest, BindRecordSkipsFieldsWithoutAFieldObject) {
  uint8_t record[32] = {};
  std::memcpy(record, "abc ", 4);
  record[4] = 9;
  RecordLayout layout = {makeField("T:NAME", kString, 0, 4), makeField("T:N", kByte, 4, 1),
                         makeField("T:NOTE", kMemo, 8, 0), makeField("T:ALL", kGroup, 0, 5)};
  layout.push_back(makeField("T:DIM", kByte, 5, 1));
  layout.back().dimensions = {3};
  Bindings bindings;
  EXPECT_EQ(bindings.bindRecord(layout, record), 3u);
  EXPECT_EQ(evalWith(bindings, "T:NAME & T:N & LEN(T:ALL)"), "abc 95");
  EXPECT_EQ(evalWith(bindings, "T:NOTE"), "error BIND has not been called for T:NOTE at pos 0");
}

TEST(ExprEvalTest, ComparisonsWithAConstantAgreeWithTheGeneralRules) {
  char name[8];
  std::memcpy(name, "abc     ", 8);
  int32_t count = 12;
  double price = 2.5;
  Bindings bindings;
  bindings.bind("NAME", kString, name, 8);
  bindings.bind("COUNT", kLong, &count, 4);
  bindings.bind("PRICE", kReal, &price, 8);
  bindings.bindText("DIGITS", "0012");
  struct Case {
    const char* text;
    bool holds;
  };
  for (const Case& c : std::initializer_list<Case>{{"NAME = 'abc'", true},
                                                   {"'abc' = NAME", true},
                                                   {"NAME < 'abd'", true},
                                                   {"'abd' < NAME", false},
                                                   {"'abd' > NAME", true},
                                                   {"'abc' >= NAME", true},
                                                   {"UPPER(NAME) = 'ABC'", true},
                                                   {"UPPER(NAME) = 'abc'", false},
                                                   {"UPPER(NAME) < 'ABD'", true},
                                                   {"'ABC' = UPPER(NAME)", true},
                                                   {"UPPER(NAME) <> 'AB'", true},
                                                   {"UPPER(12) = '12'", true},
                                                   {"NAME = 0", true},
                                                   {"DIGITS = 12", true},
                                                   {"DIGITS = '12'", false},
                                                   {"COUNT = '12.0'", true},
                                                   {"COUNT > 11.5", true},
                                                   {"11.5 < COUNT", true},
                                                   {"COUNT = 12", true},
                                                   {"12 <> COUNT", false},
                                                   {"PRICE = 2.5", true},
                                                   {"PRICE >= '3'", false},
                                                   {"NOT (NAME = 'abc' OR COUNT = 0)", false}}) {
    Expression expression;
    ASSERT_TRUE(expression.compile(c.text, bindings)) << c.text;
    EXPECT_EQ(expression.test(), c.holds) << c.text;
    EXPECT_EQ(isTrue(expression.evaluate()), c.holds) << c.text;
  }
}

TEST(ExprEvalTest, ShortCircuitAndConditions) {
  Bindings none;
  EXPECT_EQ(evalWith(none, "0 AND 1 / 0"), "0");
  EXPECT_EQ(evalWith(none, "1 OR SQRT(-1)"), "1");
  EXPECT_EQ(evalWith(none, "1 AND 2 AND 'x'"), "1");
  EXPECT_EQ(evalWith(none, "0 OR '' OR 0.0"), "0");
}

TEST(ExprEvalTest, PushAndPopBindScopes) {
  Bindings bindings;
  bindings.bindText("outer", "o");
  bindings.pushBind();
  bindings.bindText("inner", "i");
  EXPECT_EQ(evalWith(bindings, "outer & inner"), "oi");
  bindings.pushBind(true);  // hides the outer names
  EXPECT_EQ(evalWith(bindings, "outer"), "error BIND has not been called for outer at pos 0");
  bindings.bindText("outer", "shadow");
  EXPECT_EQ(evalWith(bindings, "outer"), "shadow");
  EXPECT_TRUE(bindings.popBind());
  EXPECT_EQ(evalWith(bindings, "outer"), "o");
  EXPECT_TRUE(bindings.unbind("INNER"));
  EXPECT_FALSE(bindings.unbind("inner"));
  EXPECT_TRUE(bindings.popBind());
  EXPECT_EQ(bindings.depth(), 0u);
  clearError();
  EXPECT_FALSE(bindings.popBind());  // no PUSHBIND open
  EXPECT_EQ(errorCode(), kErrorMismatchedPushBind);
  EXPECT_EQ(evalWith(bindings, "outer"), "o");
}

TEST(ExprEvalTest, RebindingReplacesTheField) {
  Bindings bindings;
  bindings.bindText("v", "first");
  Expression expression;
  ASSERT_TRUE(expression.compile("v", bindings));
  bindings.bindText("v", "second");
  EXPECT_EQ(expression.evaluateText(), "first");  // compiled against the old binding
  ASSERT_TRUE(expression.compile("v", bindings));
  EXPECT_EQ(expression.evaluateText(), "second");
}

TEST(ExprEvalTest, ExpressionsOfAPoppedScopeRefuseToEvaluate) {
  Bindings bindings;
  bindings.pushBind();
  int32_t local = 7;
  bindings.bind("local", kLong, &local, 4);
  Expression expression;
  ASSERT_TRUE(expression.compile("local + 1", bindings));
  EXPECT_EQ(expression.evaluateText(), "8");
  bindings.popBind();
  EXPECT_EQ(expression.evaluate().kind, ValueKind::kNone);
  EXPECT_EQ(expression.error().code, kErrorUnknownContext);
  EXPECT_EQ(errorCode(), kErrorUnknownContext);
}

TEST(ExprEvalTest, NoEvaluatorWithoutACompiledExpression) {
  Expression never;
  EXPECT_EQ(never.evaluate().kind, ValueKind::kNone);
  EXPECT_EQ(never.error().code, kErrorNoEvaluator);
  EXPECT_EQ(errorCode(), kErrorNoEvaluator);
  Expression failed;
  EXPECT_FALSE(failed.compile("1 +"));
  EXPECT_FALSE(failed.test());
  EXPECT_EQ(failed.error().code, kErrorInvalidExpression);
}

TEST(ExprEvalTest, EvaluateUsesTheThreadBindings) {
  threadBindings().pushBind();
  threadBindings().bindText("greeting", "hello");
  ExprError error;
  EXPECT_EQ(evaluateExpression("UPPER(greeting) & '!'", &error), "HELLO!");
  EXPECT_FALSE(error.failed());
  EXPECT_EQ(errorCode(), 0);
  EXPECT_EQ(evaluateExpression("greeting +", &error), "");
  EXPECT_EQ(error.code, kErrorInvalidExpression);
  EXPECT_EQ(errorCode(), kErrorInvalidExpression);
  threadBindings().popBind();
}

}  // namespace
}  // namespace zor
