#include <gtest/gtest.h>

#include "runtime/string_functions.h"

namespace zor {
namespace {

TEST(StringFunctionsTest, CompareIgnoresTrailingBlanksOnly) {
  EXPECT_EQ(compareText("abc", "abc   "), 0);
  EXPECT_EQ(compareText(" abc", "abc"), -1);
  EXPECT_EQ(compareText("ab", "ab\x01"), 1);  // padding blank sorts above control bytes
  EXPECT_EQ(compareText("\xE9", "z"), 1);     // bytes compare unsigned
  EXPECT_EQ(compareTextNoCase("Straße", "STRAßE"), 0);
  EXPECT_EQ(compareText("", "   "), 0);
}

TEST(StringFunctionsTest, SubAndClipReturnViewsOfTheirInput) {
  std::string_view text = "abcdef";
  EXPECT_EQ(subText(text, 2, 3), "bcd");
  EXPECT_EQ(subText(text, -2, 5), "ef");
  EXPECT_EQ(subText(text, -6, 1), "a");
  EXPECT_EQ(subText(text, -7, 1), "");
  EXPECT_EQ(subText(text, 7, 1), "");
  EXPECT_EQ(subText(text, 1, INT64_MAX), "abcdef");
  EXPECT_EQ(subText(text, INT64_MIN, 1), "");
  EXPECT_EQ(subText(text, 3, 0), "");
  std::string_view padded = "ab  ";
  EXPECT_EQ(clipText(padded).data(), padded.data());
  EXPECT_EQ(clipText("   "), "");
}

TEST(StringFunctionsTest, BuiltTextsAreCappedAndReuseTheBuffer) {
  std::string out;
  repeatText("xyz", 7, out);
  EXPECT_EQ(out, "xyzxyzx");
  repeatText("", 7, out);
  EXPECT_EQ(out, "");
  repeatText("ab", SIZE_MAX, out);
  EXPECT_EQ(out.size(), kMaxBuiltText);
  leftText("  abcdef", 3, out);
  EXPECT_EQ(out, "abc");
  rightText("abcdef  ", 3, out);
  EXPECT_EQ(out, "def");
  centerText(" ab ", 5, out);
  EXPECT_EQ(out, " ab  ");
}

TEST(StringFunctionsTest, InStringStepsAndBounds) {
  EXPECT_EQ(inString("ab", "xxabxxab", 1, 1), 3);
  EXPECT_EQ(inString("ab", "xxabxxab", 1, 4), 7);
  EXPECT_EQ(inString("ab", "xxabxxab", -1, 8), 7);
  EXPECT_EQ(inString("ab", "xxabxxab", -1, 6), 3);
  EXPECT_EQ(inString("ab", "xxabxxab", 2, 1), 2);  // positions 1, 3: found at step 2
  EXPECT_EQ(inString("ab", "xxabxxab", INT64_MAX, 3), 1);
  EXPECT_EQ(inString("ab", "xxabxxab", INT64_MIN, 7), 1);
  EXPECT_EQ(inString("ab", "xxabxxab", 1, INT64_MAX), 0);
  EXPECT_EQ(inString("ab", "xxabxxab", -1, INT64_MIN), 0);
  EXPECT_EQ(inString("abc", "ab", 1, 1), 0);
}

TEST(StringFunctionsTest, QuoteRoundTrips) {
  std::string quoted, plain;
  for (std::string_view text : {"", "'", "it's", "''x''", "a'b'c"}) {
    quoteText(text, true, quoted);
    unquoteText(quoted, plain);
    EXPECT_EQ(plain, text);
  }
  quoteText("a'b", false, quoted);
  EXPECT_EQ(quoted, "a''b");
}

TEST(StringFunctionsTest, Wildcards) {
  EXPECT_TRUE(matchWildcard("", "*", false));
  EXPECT_TRUE(matchWildcard("abc", "a*c", false));
  EXPECT_TRUE(matchWildcard("abcbc", "*bc", false));
  EXPECT_TRUE(matchWildcard("aXb", "a?b", false));
  EXPECT_FALSE(matchWildcard("ab", "a?b", false));
  EXPECT_FALSE(matchWildcard("abc", "ABC", false));
  EXPECT_TRUE(matchWildcard("abc", "A*", true));
  // Linear back-off: a pathological pattern finishes at once.
  std::string text(20000, 'a');
  EXPECT_FALSE(matchWildcard(text, "*a*a*a*a*a*a*b", false));
}

TEST(StringFunctionsTest, Soundex) {
  EXPECT_EQ(std::string(soundexCode("Robert").data()), "R163");
  EXPECT_EQ(std::string(soundexCode("Tymczak").data()), "T522");
  EXPECT_EQ(std::string(soundexCode("Ashcraft").data()), "A261");  // H does not separate
  EXPECT_EQ(std::string(soundexCode("Lee").data()), "L000");
  EXPECT_EQ(std::string(soundexCode("123").data()), "");
}

TEST(StringFunctionsTest, PatternsFindTheLeftmostMatch) {
  EXPECT_EQ(strPos("hello world", "o w"), 5);
  EXPECT_EQ(strPos("hello world", "o"), 5);
  EXPECT_EQ(strPos("hello world", "wor.d$"), 7);
  EXPECT_EQ(strPos("hello world", "^world"), 0);
  EXPECT_EQ(strPos("hello world", "^hel+o"), 1);
  EXPECT_EQ(strPos("abc", "$"), 4);  // the empty match at the end
  EXPECT_EQ(strPos("abc", ""), 1);
  EXPECT_EQ(strPos("aaab", "a*b"), 1);
  EXPECT_EQ(strPos("xabab", "{ab}+$"), 2);
  EXPECT_EQ(strPos("cat dog", "{dog|cat}"), 1);
  EXPECT_EQ(strPos("a-b", "[^a-z]"), 2);
  EXPECT_EQ(strPos("a]b", "[]]"), 2);
  EXPECT_EQ(strPos("f(x)", "f(x)"), 1);  // brackets stand for themselves
  EXPECT_EQ(strPos("1+1", "1\\+1"), 1);
  EXPECT_EQ(strPos("ABC", "b", true), 2);
  EXPECT_EQ(strPos("ABC", "[b]", true), 2);
  EXPECT_EQ(strPos("ABC", "b", false), 0);
}

TEST(StringFunctionsTest, OrderTextPattern) {
  // The view manager's test whether a field already takes part in an order.
  const char* pattern = "{{{[+-]}{SEC:ID}[,]}|{{[+-]}{SEC:ID}$}}";
  EXPECT_EQ(strPos("+SEC:ID,-SEC:NAME", pattern), 1);
  EXPECT_EQ(strPos("-SEC:NAME,-SEC:ID", pattern), 11);
  EXPECT_EQ(strPos("+SEC:IDX", pattern), 0);
}

TEST(StringFunctionsTest, MalformedPatternsMatchNothing) {
  TextPattern pattern;
  for (const char* text : {"{ab", "ab}", "[ab", "a\\", "[\\", "{{{{"}) {
    EXPECT_FALSE(pattern.compile(text, false)) << text;
    EXPECT_EQ(pattern.find("ab{"), 0);
  }
  std::string nested(200, '{');
  EXPECT_FALSE(pattern.compile(nested + "a" + std::string(200, '}'), false));
  EXPECT_FALSE(pattern.compile(std::string(5000, 'a'), false));
}

TEST(StringFunctionsTest, PatternsRunInLinearTimeWithoutRecursion) {
  TextPattern pattern;
  ASSERT_TRUE(pattern.compile("{a*}*{a|aa}*{x|a+}*b", false));
  std::string text(5000, 'a');
  EXPECT_EQ(pattern.find(text), 0);
  EXPECT_FALSE(pattern.matchesWhole(text));
  EXPECT_TRUE(pattern.matchesWhole(text + "b"));
  EXPECT_TRUE(pattern.compiledFrom("{a*}*{a|aa}*{x|a+}*b", false));
  EXPECT_FALSE(pattern.compiledFrom("{a*}*{a|aa}*{x|a+}*b", true));
}

}  // namespace
}  // namespace zor
