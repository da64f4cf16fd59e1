#include <gtest/gtest.h>

#include "runtime/error_state.h"
#include "runtime/expr_parser.h"
#include "runtime/expression.h"

namespace zor {
namespace {

class ExprParseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bindings.bindText("a", "3");
    bindings.bindText("b", "5");
    bindings.bindText("x", "1");
  }
  std::string eval(std::string_view text) {
    Expression expression;
    if (!expression.compile(text, bindings)) return "error " + expression.error().message();
    return expression.evaluateText();
  }
  ExprError failure(std::string_view text) {
    Expression expression;
    EXPECT_FALSE(expression.compile(text, bindings)) << text;
    return expression.error();
  }
  Bindings bindings;
};

TEST_F(ExprParseTest, RelationalSpellingsMeanTheSame) {
  for (const char* text : {"a <> b", "a ~= b", "NOT a = b", "b => a", "b ~< a", "a =< b", "a ~> b",
                           "a <= b", "a < b"}) {
    EXPECT_EQ(eval(text), "1") << text;
  }
  for (const char* text : {"a >= b", "a => b", "a ~< b", "a = b", "a > b"}) {
    EXPECT_EQ(eval(text), "0") << text;
  }
}

TEST_F(ExprParseTest, PrecedenceAndAssociativity) {
  EXPECT_EQ(eval("2 ^ 3 ^ 2"), "64");    // (2 ^ 3) ^ 2
  EXPECT_EQ(eval("'a' & 1 + 2"), "a3");  // 'a' & (1 + 2)
  EXPECT_EQ(eval("1 + 2 * 3"), "7");
  EXPECT_EQ(eval("10 - 4 - 3"), "3");
  EXPECT_EQ(eval("-2 ^ 2"), "4");  // unary minus binds tighter than ^
  EXPECT_EQ(eval("- - -2"), "-2");
  EXPECT_EQ(eval("2 * 3 ^ 2"), "18");
  EXPECT_EQ(eval("17 % 5 * 2"), "4");
  EXPECT_EQ(eval("1 + 1 = 2"), "1");     // arithmetic before comparison
  EXPECT_EQ(eval("1 = 1 & ''"), "1");    // & before comparison: 1 = '1'
  EXPECT_EQ(eval("NOT 1 = 2"), "1");     // NOT takes the whole comparison
  EXPECT_EQ(eval("1 OR 0 AND 0"), "1");  // AND binds tighter than OR
  EXPECT_EQ(eval("1 OR 1 XOR 1"), "0");  // (1 OR 1) XOR 1: one level, left to right
  EXPECT_EQ(eval("1 XOR 1 OR 1"), "1");
}

TEST_F(ExprParseTest, NotToggles) {
  EXPECT_EQ(eval("NOT NOT x"), "1");
  EXPECT_EQ(eval("NOT NOT NOT x"), "0");
  EXPECT_EQ(eval("~x"), "0");
  EXPECT_EQ(eval("NOT ~ x"), "1");
}

TEST_F(ExprParseTest, InvalidExpressionsReportThePosition) {
  ExprError error = failure("a + * b");
  EXPECT_EQ(error.code, kErrorInvalidExpression);
  EXPECT_EQ(error.pos, 4u);
  EXPECT_EQ(error.message(), "Invalid expression for EVALUATE at pos 4");
  EXPECT_EQ(errorCode(), kErrorInvalidExpression);

  error = failure("a + ");  // stopped at the end of the text: no position
  EXPECT_EQ(error.message(), "Invalid expression for EVALUATE");
  EXPECT_EQ(failure("(a + b").pos, ExprError::kNoPosition);
  EXPECT_EQ(failure("a + b)").pos, 5u);
  EXPECT_EQ(failure("a b").pos, 2u);
  EXPECT_EQ(failure("1, 2").pos, 1u);  // the top level ends at a separator
  EXPECT_EQ(failure("12abc").pos, 0u);
  EXPECT_EQ(failure("1.2.3").pos, 0u);
  EXPECT_EQ(failure("a + 'x").pos, 4u);
  EXPECT_EQ(failure("").code, kErrorInvalidExpression);
}

TEST_F(ExprParseTest, ArgumentCountsAreChecked) {
  ExprError error = failure("SUB('abc', 1)");
  EXPECT_EQ(error.code, kErrorInvalidExpression);
  EXPECT_EQ(error.pos, 12u);
  EXPECT_EQ(failure("UPPER()").code, kErrorInvalidExpression);
  EXPECT_EQ(failure("BAND(1, 2, 3)").code, kErrorInvalidExpression);
  EXPECT_EQ(failure("NOSUCH(1)").pos, 0u);
  EXPECT_EQ(eval("SUB('abcdef', 2, 3)"), "bcd");
  EXPECT_EQ(eval("sub('abcdef', 2, 3)"), "bcd");  // function names ignore case
}

TEST_F(ExprParseTest, OmittedArguments) {
  EXPECT_EQ(eval("INSTRING('c', 'abcabc', , 4)"), "6");
  EXPECT_EQ(eval("LEFT(' ab', )"), "ab ");
  ExprError error = failure("SUB(, 1, 2)");
  EXPECT_EQ(error.code, kErrorOmittedParameter);
  EXPECT_EQ(error.pos, 4u);
  EXPECT_EQ(error.message(), "Not-omittable parameter of built-in function is omitted at pos 4");
}

TEST_F(ExprParseTest, UnboundNamesName) {
  ExprError error = failure("a = nobody");
  EXPECT_EQ(error.code, kErrorNotBound);
  EXPECT_EQ(error.message(), "BIND has not been called for nobody at pos 4");
  EXPECT_EQ(errorCode(), kErrorNotBound);
  EXPECT_EQ(eval("TODAY > 0"), "1");  // functions without arguments need no brackets
}

TEST_F(ExprParseTest, NumbersInOtherBases) {
  EXPECT_EQ(eval("0FFh + 1010b + 17o"), "280");
  EXPECT_EQ(eval(".5 + 1"), "1.5");
  EXPECT_EQ(eval("99999999999999999999 > 1"), "1");  // beyond 64 bits: a real
  EXPECT_EQ(failure("12h3").code, kErrorInvalidExpression);
  EXPECT_EQ(failure("1FFFFFFFFFFFFFFFFh").code, kErrorInvalidExpression);
}

TEST_F(ExprParseTest, SlicesOfTexts) {
  bindings.bindText("s", "abcdef");
  EXPECT_EQ(eval("s[2]"), "b");
  EXPECT_EQ(eval("s[2 : 4]"), "bcd");
  EXPECT_EQ(eval("s[5:99]"), "ef");
  EXPECT_EQ(eval("s[4:2]"), "");
  EXPECT_EQ(eval("UPPER(s)[1:2] & 12345[3]"), "AB3");
  EXPECT_EQ(failure("s[1").code, kErrorInvalidExpression);
}

TEST_F(ExprParseTest, NestingIsBoundedInsteadOfExhaustingTheStack) {
  std::string deep(kMaxExpressionNesting - 1, '(');
  deep += "1" + std::string(kMaxExpressionNesting - 1, ')');
  EXPECT_EQ(eval(deep), "1");
  std::string tooDeep(5000, '(');
  EXPECT_EQ(failure(tooDeep + "1").code, kErrorInvalidExpression);

  std::string chain = "1";
  for (int i = 0; i < 2000; ++i) chain += "+1";
  EXPECT_EQ(failure(chain).code, kErrorInvalidExpression);
  std::string wide = "1=1";  // AND, OR and & chains stay flat
  for (int i = 0; i < 2000; ++i) wide += " AND 1=1";
  EXPECT_EQ(eval(wide), "1");
  EXPECT_EQ(eval(std::string(10001, '-') + "1"), "-1");
}

}  // namespace
}  // namespace zor
