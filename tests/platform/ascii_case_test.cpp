#include "platform/ascii_case.h"

#include <gtest/gtest.h>

#include <string>

namespace zor::platform {
namespace {

// Only the 26 ASCII letters fold: the neighbours of 'A'..'Z' and 'a'..'z'
// ('@', '[', '`', '{') and bytes above 127 (Latin-1 letters) stay apart,
// whatever the process locale says.
TEST(AsciiCase, FoldsOnlyAsciiLetters) {
  struct Case {
    std::string a, b;
    bool equal;
  };
  const Case cases[] = {
      {"", "", true},
      {"ZORCHARSET", "ZorCharSet", true},
      {"az", "AZ", true},
      {"@", "`", false},
      {"[", "{", false},
      {"abc", "abcd", false},
      {"\xE9", "\xC9", false},  // é and É in Latin-1
      {"SIN:ID", "sin:id", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(equalsIgnoringCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
    EXPECT_EQ(equalsIgnoringCase(c.b, c.a), c.equal) << c.b << " / " << c.a;
  }
  EXPECT_EQ(asciiUpperCased("sIn:Id_9\xE9"), "SIN:ID_9\xE9");
  EXPECT_EQ(asciiLowerCased("sIn:Id_9\xC9"), "sin:id_9\xC9");
  EXPECT_EQ(asciiUpper(static_cast<unsigned char>(0xE9)), 0xE9);
}

TEST(AsciiCase, PrefixIgnoresCase) {
  EXPECT_TRUE(startsWithIgnoringCase("Upper(SIN:ID)", "UPPER("));
  EXPECT_TRUE(startsWithIgnoringCase("anything", ""));
  EXPECT_FALSE(startsWithIgnoringCase("UP", "UPPER("));
  EXPECT_FALSE(startsWithIgnoringCase("LOWER(x)", "UPPER("));
}

}  // namespace
}  // namespace zor::platform
