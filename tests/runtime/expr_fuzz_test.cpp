// Fuzzed expressions: random bytes, random token soup, mutated filters, long
// texts and deep nesting must give a value or an error, never a crash, a
// hang or an exhausted stack (the sanitizer build runs these too). Set
// ZOR_LONG_TESTS=1 for many more rounds.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "runtime/expr_functions.h"
#include "runtime/expression.h"
#include "runtime/type_codes.h"

namespace zor {
namespace {

int rounds(int normal) {
  return std::getenv("ZOR_LONG_TESTS") != nullptr ? normal * 50 : normal;
}

class ExprFuzzTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memset(text, ' ', sizeof text);
    std::memcpy(text, "Hello", 5);
    bindings.bind("A", kString, text, sizeof text);
    bindings.bind("B", kLong, &number, sizeof number);
    bindings.bind("C", kCString, cstring, sizeof cstring);
    bindings.bind("R", kReal, &real, sizeof real);
  }
  // Compiles and, when valid, evaluates twice; the error of an invalid text
  // must carry one of the evaluator's numbers and a position inside the text.
  void exercise(std::string_view source) {
    Expression expression;
    if (expression.compile(source, bindings)) {
      ++valid;
      Value first = expression.evaluate();
      expression.evaluate();
      (void)first;
    } else {
      const ExprError& error = expression.error();
      ASSERT_GE(error.code, kErrorInvalidExpression) << source;
      ASSERT_LE(error.code, kErrorOmittedParameter) << source;
      if (error.pos != ExprError::kNoPosition) {
        ASSERT_LT(error.pos, source.size()) << source;
      }
    }
  }

  char text[20];
  int32_t number = 12;
  char cstring[8] = "abc";
  double real = -2.5;
  Bindings bindings;
  int valid = 0;
  std::mt19937 random{20261207};
};

TEST_F(ExprFuzzTest, RandomBytes) {
  static constexpr char kAlphabet[] =
      "ABCR01239.,:;'()[]@%^*/+-&=<>~ _?PKNDSabcANDORNOT\t\n\x7f\xff";
  for (int i = 0; i < rounds(3000); ++i) {
    std::string source(random() % 60, ' ');
    for (char& c : source) {
      c = random() % 8 == 0 ? static_cast<char>(random() % 256)
                            : kAlphabet[random() % (sizeof kAlphabet - 1)];
    }
    exercise(source);
  }
}

TEST_F(ExprFuzzTest, TokenSoupCallsEveryFunction) {
  std::vector<std::string> pieces = {"A",
                                     "B",
                                     "C",
                                     "R",
                                     "1",
                                     "0",
                                     "-7",
                                     "2.5",
                                     "'x'",
                                     "''",
                                     "(",
                                     ")",
                                     ",",
                                     "+",
                                     "-",
                                     "*",
                                     "/",
                                     "%",
                                     "^",
                                     "&",
                                     "=",
                                     "<>",
                                     ">=",
                                     "<",
                                     " AND ",
                                     " OR ",
                                     " NOT ",
                                     " XOR ",
                                     "@N9.2",
                                     "@D6",
                                     "[",
                                     "]",
                                     ":",
                                     "99999999999999999999",
                                     "-9223372036854775807"};
  for (const BuiltinFunction& function : builtinFunctions()) {
    if (std::string_view(function.name) != "RANDOM" && std::string_view(function.name) != "PATH" &&
        std::string_view(function.name) != "LONGPATH" &&
        std::string_view(function.name) != "SHORTPATH" &&
        std::string_view(function.name) != "GETINI") {
      pieces.push_back(std::string(function.name) + "(");
    }
  }
  for (int i = 0; i < rounds(4000); ++i) {
    std::string source;
    for (int n = 1 + static_cast<int>(random() % 14); n > 0; --n) {
      source += pieces[random() % pieces.size()];
    }
    exercise(source);
  }
  EXPECT_GT(valid, 30);  // the soup also yields valid expressions
}

TEST_F(ExprFuzzTest, MutatedFilters) {
  const std::string filters[] = {
      "A = 'x' AND B > 10 AND UPPER(C) = 'Y'",
      "INSTRING('ell', A, 1, 1) <> 0 OR SUB(A, 1, 3) = 'Hel'",
      "FORMAT(B, @N(9.2)) & CHOOSE(B % 3 + 1, 'a', 'b', 'c') & DATE(B, 1, 2026)",
      "STRPOS(A, '{H|h}el+o$') + MATCH(C, 'a*', 16) * ROUND(R ^ 2, .01)",
  };
  for (int i = 0; i < rounds(3000); ++i) {
    std::string source = filters[random() % 4];
    for (int n = 1 + static_cast<int>(random() % 4); n > 0; --n) {
      size_t at = random() % source.size();
      switch (random() % 3) {
        case 0:
          source[at] = static_cast<char>(random() % 128);
          break;
        case 1:
          source.erase(at, 1 + random() % 4);
          break;
        default:
          source.insert(at, 1, "(),'@[]"[random() % 7]);
      }
      if (source.empty()) source = "1";
    }
    exercise(source);
  }
}

TEST_F(ExprFuzzTest, DeepNestingIsRefusedNotFollowed) {
  const int depth = 20000;
  auto repeat = [](std::string_view piece, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) out += piece;
    return out;
  };
  exercise(repeat("(", depth) + "1" + repeat(")", depth));
  exercise(repeat("UPPER(", depth) + "A" + repeat(")", depth));
  exercise(repeat("SUB(", depth));
  exercise("A" + repeat("[1", depth));
  exercise(repeat("1+", depth) + "1");
  exercise(repeat("2^", depth) + "2");
  exercise(repeat("1&", depth) + "1");
  exercise(repeat("1 AND ", depth) + "1");
  exercise(repeat("1 OR 0 XOR ", depth) + "1");
  exercise(repeat("NOT ", depth) + "1");
  exercise(repeat("-", depth) + "1");
  exercise(repeat("B<", depth) + "1");
  exercise(repeat("CHOOSE(1,", depth) + "1" + repeat(")", depth));
  EXPECT_GT(valid, 3);
}

TEST_F(ExprFuzzTest, LongTextsStayBounded) {
  std::string literal = "'" + std::string(1 << 20, 'q') + "'";
  exercise(literal + " & " + literal);
  exercise("LEN(ALL(" + literal + ", 2000000000))");
  Expression expression;
  std::string doubling = "ALL('ab', 300000)";
  for (int i = 0; i < 3; ++i) doubling = "(" + doubling + " & " + doubling + ")";
  ASSERT_TRUE(expression.compile("LEN(" + doubling + ")", bindings));
  EXPECT_EQ(expression.evaluateText(), std::to_string(kMaxBuiltText));
  ASSERT_TRUE(expression.compile("LEN(UPPER(CENTER(A, 999999999)))", bindings));
  EXPECT_EQ(expression.evaluateText(), std::to_string(kMaxBuiltText));
  ASSERT_TRUE(expression.compile("INSTRING('b', ALL('a', 100000000) & 'b', 1, 1)", bindings));
  EXPECT_EQ(expression.evaluateText(), "0");  // the "b" lies beyond the cut
}

}  // namespace
}  // namespace zor
