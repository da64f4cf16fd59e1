#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "platform/clock.h"
#include "runtime/date_time.h"
#include "runtime/expr_functions.h"
#include "runtime/expression.h"
#include "runtime/string_functions.h"

namespace zor {
namespace {

class ExprFunctionsTest : public ::testing::Test {
 protected:
  std::string eval(std::string_view text) {
    Expression expression;
    if (!expression.compile(text, bindings)) return "error " + expression.error().message();
    return expression.evaluateText();
  }
  Bindings bindings;
};

TEST_F(ExprFunctionsTest, TableIsSortedAndComplete) {
  auto table = builtinFunctions();
  EXPECT_EQ(table.size(), 53u);
  for (size_t i = 1; i < table.size(); ++i) {
    EXPECT_LT(std::string(table[i - 1].name), std::string(table[i].name));
  }
  for (size_t i = 0; i < table.size(); ++i) {
    EXPECT_EQ(findBuiltinFunction(table[i].name), static_cast<int>(i));
    EXPECT_LE(table[i].minArgs, table[i].maxArgs);
  }
  EXPECT_EQ(findBuiltinFunction("Instring"), findBuiltinFunction("INSTRING"));
  EXPECT_EQ(findBuiltinFunction("INSTR"), -1);
  EXPECT_EQ(findBuiltinFunction("SUBX"), -1);
}

TEST_F(ExprFunctionsTest, TextFunctions) {
  EXPECT_EQ(eval("SUB('ABCDEFGHI', -3, 3)"), "GHI");
  EXPECT_EQ(eval("SUB('abc', 2, 10) & SUB('abc', 0, 1) & SUB('abc', 4, 1)"), "bc");
  EXPECT_EQ(eval("'[' & CLIP('  a b  ') & ']'"), "[  a b]");
  EXPECT_EQ(eval("'[' & LEFT('  ab', 5) & RIGHT('ab  ', 5) & CENTER('ab', 6) & ']'"),
            "[ab      ab  ab  ]");
  EXPECT_EQ(eval("ALL('ab', 5) & LEN(ALL('-'))"), "ababa255");
  EXPECT_EQ(eval("UPPER('mIx3') & LOWER('mIx3')"), "MIX3mix3");
  EXPECT_EQ(eval("CHR(65) & VAL('a') & LEN(CHR(300))"), "A970");
  EXPECT_EQ(eval("QUOTE('it''s', 0) & ' ' & QUOTE('it''s', 1)"), "it''s 'it''s'");
  EXPECT_EQ(eval("UNQUOTE('''it''''s''')"), "it's");
  EXPECT_EQ(eval("NUMERIC(' -1.5 ') & NUMERIC('1.2.3') & NUMERIC('') & NUMERIC(7)"), "1001");
  EXPECT_EQ(eval("LEN(12.50)"), "4");
}

TEST_F(ExprFunctionsTest, SearchingFunctions) {
  EXPECT_EQ(eval("INSTRING('b', 'abcabc', 1, 1)"), "2");
  EXPECT_EQ(eval("INSTRING('b', 'abcabc', 1, 3)"), "5");
  EXPECT_EQ(eval("INSTRING('cd', 'abcdef', 2, 1)"), "2");  // the second step of two
  EXPECT_EQ(eval("INSTRING('bc', 'abcdef', 2, 1)"), "0");  // stands between steps
  EXPECT_EQ(eval("INSTRING('a', 'abab', -1)"), "3");       // backwards from the end
  EXPECT_EQ(eval("INSTRING('x', 'abc') + INSTRING('', 'abc') + INSTRING('a', 'abc', 0)"), "0");
  EXPECT_EQ(eval("INLIST('b', 'a', 'b', 'c') & INLIST('z', 'a', 'b') & INLIST(2, 1, '2')"), "202");
  EXPECT_EQ(eval("INRANGE(5, 1, 5) & INRANGE('b', 'a', 'c') & INRANGE(0, 1, 5)"), "110");
  EXPECT_EQ(eval("STRPOS('x = SEC:ID,', '{[+-]?SEC:ID}{,|$}')"), "5");
  EXPECT_EQ(eval("STRPOS('upper(sec:id)', 'UPPER(SEC:ID)', 1)"), "1");
  EXPECT_EQ(eval("MATCH('Hello  ', 'H*l?')"), "1");
  EXPECT_EQ(eval("MATCH('Hello', 'h*', 16) & MATCH('Hello', 'h*')"), "10");
  EXPECT_EQ(eval("MATCH('abc123', '[a-c]+[0-9]*', 1) & MATCH('abc123x', '[a-c]+[0-9]*', 1)"), "10");
  EXPECT_EQ(eval("MATCH('Robert', 'Rupert', 2) & MATCH('Robert', 'Rubin', 2)"), "10");
  EXPECT_EQ(eval("MATCH('ab ', 'AB', 19)"), "1");
}

TEST_F(ExprFunctionsTest, ChooseTakesIndexOrCondition) {
  EXPECT_EQ(eval("CHOOSE(2, 'a', 'b', 'c')"), "b");
  EXPECT_EQ(eval("CHOOSE(9, 'a', 'b', 'c') & CHOOSE(0, 'a', 'b')"), "cb");
  EXPECT_EQ(eval("CHOOSE(2 > 1, 'yes', 'no') & CHOOSE(2 < 1, 'yes', 'no')"), "yesno");
  EXPECT_EQ(eval("CHOOSE(2, 'a', 'b')"), "b");  // a number, not a condition: the index
  EXPECT_EQ(eval("CHOOSE(1 = 1) & CHOOSE(1 = 2)"), "10");
  EXPECT_EQ(eval("CHOOSE(1, 12, 3) + 1"), "13");
}

TEST_F(ExprFunctionsTest, Numbers) {
  EXPECT_EQ(eval("ABS(-2.5) & ' ' & INT(-2.7) & ' ' & INT('12.9')"), "2.5 -2 12");
  EXPECT_EQ(eval("ROUND(2.675, .01) & ' ' & ROUND(-2.5, 1) & ' ' & ROUND(1234, 100)"),
            "2.68 -3 1200");
  EXPECT_EQ(eval("ROUND(5, 0) & ' ' & ROUND(10 ^ 300, .000001)"), "5 1e+300");
  EXPECT_EQ(eval("SQRT(16) + LOG10(1000) + LOGE(1)"), "7");
  EXPECT_EQ(eval("SQRT(-1) & LOG10(0) & ACOS(2)"), "000");
  EXPECT_EQ(eval("ROUND(SIN(0) + COS(0) + TAN(0) + ATAN(1) * 4 + ASIN(1) * 2, .0001)"), "7.2832");
  EXPECT_EQ(eval("BAND(12, 10) & BOR(12, 10) & BXOR(12, 10)"), "8146");
  EXPECT_EQ(eval("BSHIFT(1, 4) & ' ' & BSHIFT(-16, -2) & ' ' & BSHIFT(1, 64) & ' ' & "
                 "BSHIFT(-1, -100)"),
            "16 -4 0 -1");
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(eval("INRANGE(RANDOM(3, 1), 1, 3)"), "1");
  }
  EXPECT_EQ(eval("RANDOM(4, 4)"), "4");
  EXPECT_EQ(eval("RANDOM(-9223372036854775807, 9223372036854775807) <> 0.5"), "1");
  EXPECT_EQ(eval("MEMORY(0) > 0"), "1");
  EXPECT_EQ(eval("MEMORY(9)"), "0");
}

TEST_F(ExprFunctionsTest, DatesThroughTheDateCode) {
  platform::setFixedLocalNow(platform::LocalDateTime{2026, 3, 4, 10, 30, 0, 0});
  const int32_t march4 = dateFromMonthDayYear(3, 4, 2026);
  EXPECT_EQ(eval("TODAY()"), std::to_string(march4));
  EXPECT_EQ(eval("CLOCK()"), std::to_string(10 * 360000 + 30 * 6000 + 1));
  EXPECT_EQ(eval("DATE(3, 4, 2026) = TODAY()"), "1");
  EXPECT_EQ(eval("DATE(13, 1, 2000) = DATE(1, 1, 2001)"), "1");
  EXPECT_EQ(eval("DATE(0, 1, 2001) = DATE(12, 1, 2000)"), "1");  // months roll both ways
  EXPECT_EQ(eval("DATE(2, 30, 2001) = DATE(3, 2, 2001)"), "1");
  EXPECT_EQ(eval("DATE(1, 1, 26) = DATE(1, 1, 2026)"), "1");  // two-digit year
  EXPECT_EQ(eval("DATE(1, 1, 1800) & DATE(2147483647, 1, 1)"), "-1-1");
  EXPECT_EQ(eval("DAY(TODAY()) & '.' & MONTH(TODAY()) & '.' & YEAR(TODAY())"), "4.3.2026");
  EXPECT_EQ(eval("DAY(4) & MONTH(4) & YEAR(4)"), "111801");
  EXPECT_EQ(eval("AGE(TODAY() - 10)"), "10 DAYS");
  EXPECT_EQ(eval("AGE(DATE(1, 1, 2000), DATE(1, 1, 2010))"), "10 YRS");
  platform::setFixedLocalNow(std::nullopt);
}

TEST_F(ExprFunctionsTest, PicturesFormatAndDeformat) {
  EXPECT_EQ(eval("FORMAT(1234.5, @N9.2)"), " 1,234.50");
  EXPECT_EQ(eval("FORMAT(1234.5, '@N9.2')"), " 1,234.50");
  EXPECT_EQ(eval("FORMAT(4, @D6)"), " 1/01/1801");
  EXPECT_EQ(eval("FORMAT(12345, @P###-##P)"), "123-45");
  EXPECT_EQ(eval("FORMAT('abcdef', @S3)"), "abc");
  EXPECT_EQ(eval("DEFORMAT(' 1,234.50', @N9.2) + 0"), "1234.5");
  EXPECT_EQ(eval("DEFORMAT('$1,234.5-') + 0"), "1234.5");
  EXPECT_EQ(eval("DEFORMAT(' 1/01/1801', @D6)"), "4");
  EXPECT_EQ(eval("FORMAT(1, @Q1)"), "");  // an invalid picture shows nothing
}

TEST_F(ExprFunctionsTest, NullSqlAndTheEnvironment) {
  EXPECT_EQ(eval("NULL(SQL()) & NULL(1) & NULL('')"), "100");
  EXPECT_EQ(eval("SQL() = ''"), "1");
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / ("zor_expr_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::ofstream(dir / "app.ini") << "[Main]\nWidth=640\n";
  std::string ini = (dir / "app.ini").string();
  EXPECT_EQ(eval("GETINI('main', 'width', '0', '" + ini + "')"), "640");
  EXPECT_EQ(eval("GETINI('Main', 'Height', '480', '" + ini + "')"), "480");
  EXPECT_EQ(eval("LONGPATH('" + ini + "')"), ini);
  EXPECT_EQ(eval("SHORTPATH('" + ini + "')"), ini);
  EXPECT_EQ(eval("PATH('" + ini + "')"), dir.string());
  EXPECT_EQ(eval("PATH()"), fs::current_path().string());
  fs::remove_all(dir);
}

}  // namespace
}  // namespace zor
