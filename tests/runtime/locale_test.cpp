// The locale: defaults, the system "intl" settings, the environment file and
// its value syntax, collation and case, and the pictures built from them.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <thread>
#include <vector>

#include "platform/profile.h"
#include "runtime/date_time.h"
#include "runtime/error_state.h"
#include "runtime/locale.h"
#include "runtime/picture.h"

namespace zor {
namespace {

namespace fs = std::filesystem;

class LocaleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("zor_locale_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
    platform::setUserProfilePath((dir_ / "profile.ini").string());
    setEnvironmentFilePath((dir_ / "missing.ENV").string());
    resetLocale();
  }
  void TearDown() override {
    setEnvironmentFilePath("");
    platform::setUserProfilePath("");
    resetLocale();
    fs::remove_all(dir_);
  }
  // Writes the environment file and makes the locale start again from it.
  void useEnvironment(const std::string& text) {
    std::ofstream((dir_ / "test.ENV").string(), std::ios::binary) << text;
    setEnvironmentFilePath((dir_ / "test.ENV").string());
    resetLocale();
  }
  void writeIntl(const std::string& key, const std::string& value) {
    ASSERT_TRUE(platform::writeProfileString("intl", key, value));
  }
  static std::string format(std::string_view picture, const PictureValue& value) {
    return formatPicture(picture, value);
  }

  fs::path dir_;
};

const int32_t kMarch4 = dateFromMonthDayYear(3, 4, 2026);
const int32_t kAfternoon = 13 * 360000 + 5 * 6000 + 9 * 100 + 1;  // 13:05:09

TEST_F(LocaleTest, DefaultsWithoutEnvironmentFile) {
  EXPECT_EQ(monthName(1), "January");
  EXPECT_EQ(monthName(12), "December");
  EXPECT_EQ(monthName(0), "");
  EXPECT_EQ(monthName(13), "");
  EXPECT_EQ(monthAbbreviation(9), "Sep");
  EXPECT_EQ(amDesignator(), "AM");
  EXPECT_EQ(pmDesignator(), "PM");
  EXPECT_FALSE(oemCharacterSet());
  EXPECT_FALSE(longFileNames());
  EXPECT_FALSE(rightToLeftLayout());
  EXPECT_EQ(buttonText(0), "&OK");
  EXPECT_EQ(buttonText(kButtonCount), "");
  EXPECT_EQ(toUpperLocale('q'), 'Q');
  EXPECT_EQ(toLowerLocale('Q'), 'q');
  EXPECT_EQ(toUpperLocale('\xE9'), '\xE9');  // no case outside A-Z by default
  EXPECT_TRUE(isDigitLocale('7'));
  EXPECT_LT(collationCompare("ABC", "abc"), 0);  // code order
  // Pictures built from the default system formats.
  EXPECT_EQ(format("@D17", PictureValue::ofDate(kMarch4)), "03/04/26");
  EXPECT_EQ(format("@D18", PictureValue::ofDate(kMarch4)), "March 04, 2026       ");
  EXPECT_EQ(format("@T7", PictureValue::ofTime(kAfternoon)), "01:05 PM");
  EXPECT_EQ(format("@T8", PictureValue::ofTime(kAfternoon)), "01:05:09 PM");
}

TEST_F(LocaleTest, PicturesFromTheSystemSettings) {
  writeIntl("iTime", "1");
  writeIntl("iTLzero", "0");
  writeIntl("sTime", ".");
  writeIntl("sShortDate", "dd.MM.yyyy");
  writeIntl("sLongDate", "dddd, d. MMMM yyyy");
  writeIntl("s1159", "vm");
  writeIntl("s2359", "nm");
  resetLocale();
  EXPECT_EQ(format("@T7", PictureValue::ofTime(kAfternoon)), "13.05");
  EXPECT_EQ(format("@T8", PictureValue::ofTime(9 * 360000 + 1)), " 9.00.00");
  EXPECT_EQ(format("@D17", PictureValue::ofDate(kMarch4)), "04.03.2026");
  EXPECT_EQ(format("@D18", PictureValue::ofDate(kMarch4)), " 4. March 2026       ");
  EXPECT_EQ(deformatPicture("@D18", " 4. March 2026"), std::to_string(kMarch4));
  EXPECT_EQ(deformatPicture("@D17", "4.3.2026"), std::to_string(kMarch4));
  // The system designators are kept for ZORAMPM=WINDOWS; the locale's own stay.
  EXPECT_EQ(amDesignator(), "AM");
  EXPECT_TRUE(applyLocaleSetting("ZORAMPM", "WINDOWS"));
  EXPECT_EQ(amDesignator(), "vm");
  EXPECT_EQ(pmDesignator(), "nm");

  writeIntl("sShortDate", "yyyy-M-d");
  resetLocale();
  EXPECT_EQ(format("@D17", PictureValue::ofDate(kMarch4)), "2026- 3- 4");
  EXPECT_EQ(format("@D17.", PictureValue::ofDate(kMarch4)), "2026. 3. 4");
}

TEST_F(LocaleTest, EnvironmentFileSettings) {
  uint32_t changes = localeChangeCount();
  const std::string builtIn545 = errorTextOf(545);
  useEnvironment(
      "ZORMONTH=Januar,Februar\r\n"
      " zor mon = Jän\n"
      "ZORAMPM=vm,nm   \t\n"
      "ZORMSG545=Wrong thread, try again\n"
      "ZORBUTTON=&Gut,,&Weg\n"
      "ZORMSG32515=&Neu, sofort\n"
      "ZORLFN=on\n"
      "ZORLAYOUT=rtl\n"
      "ZORSYSTEMCHARSET=238\n"
      "a line without an equals sign\n"
      "ZORUNKNOWN=1\n");
  EXPECT_EQ(monthName(1), "Januar");
  EXPECT_EQ(monthName(2), "Februar");
  EXPECT_EQ(monthName(3), "March");
  EXPECT_EQ(monthAbbreviation(1), "J\xC3\xA4");  // three bytes at most
  EXPECT_EQ(amDesignator(), "vm");
  EXPECT_EQ(pmDesignator(), "nm");
  EXPECT_EQ(errorTextOf(545), "Wrong thread, try again");
  EXPECT_EQ(buttonText(0), "&Gut");
  EXPECT_EQ(buttonText(1), "");
  EXPECT_EQ(buttonText(2), "&Weg");
  EXPECT_EQ(buttonText(3), "&Neu, sofort");  // message 0x7F03 is a button text
  EXPECT_TRUE(longFileNames());
  EXPECT_TRUE(rightToLeftLayout());
  EXPECT_EQ(systemCharacterSet(), "238");
  EXPECT_GT(localeChangeCount(), changes);
  // The locale's names and designators show and read through the pictures.
  int32_t january = dateFromMonthDayYear(1, 2, 2026);
  EXPECT_EQ(format("@D3", PictureValue::ofDate(january)), "JAN  2,2026");
  EXPECT_EQ(format("@D4", PictureValue::ofDate(january)), "Januar  2, 2026      ");
  EXPECT_EQ(deformatPicture("@D4", "januar 2, 2026"), std::to_string(january));
  EXPECT_EQ(format("@T7", PictureValue::ofTime(kAfternoon)), "01:05 nm");
  EXPECT_EQ(deformatPicture("@T7", "01:05 nm"), std::to_string(kAfternoon - 900));
  EXPECT_EQ(format("@T3", PictureValue::ofTime(kAfternoon)), " 1:05PM");  // built-in designators
  setErrorTextOverride(545, builtIn545);
}

TEST_F(LocaleTest, ValueSyntax) {
  EXPECT_EQ(parseLocaleValue("x<121>z"), std::vector<std::string>{"xyz"});
  EXPECT_EQ(parseLocaleValue("a<44>b,c"), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(parseLocaleValue("\"a,b\",\"say \"\"hi\"\"\""),
            (std::vector<std::string>{"a,b", "say \"hi\""}));
  EXPECT_EQ(parseLocaleValue("a<32>  \t"), std::vector<std::string>{"a "});
  EXPECT_EQ(parseLocaleValue("<0>x<256>y<12"), std::vector<std::string>{"<0>x<256>y<12"});
  EXPECT_EQ(parseLocaleValue("a,b", false), std::vector<std::string>{"a,b"});
  EXPECT_EQ(parseLocaleValue("a,"), (std::vector<std::string>{"a", ""}));
  EXPECT_EQ(parseLocaleValue("\"unterminated"), std::vector<std::string>{"unterminated"});
  std::string longValue(5000, 'x');
  EXPECT_EQ(parseLocaleValue(longValue)[0].size(), 1024u);
}

TEST_F(LocaleTest, OemModeConvertsValues) {
  useEnvironment("ZORCHARSET=OEM\nZORMONTH=M\x84rz\nZORAMPM=\x81x\n");
  EXPECT_TRUE(oemCharacterSet());
  EXPECT_EQ(monthName(1), "M\xE4rz");
  EXPECT_EQ(amDesignator(), "\xFCx");
  EXPECT_EQ(oemToAnsi('\x8E'), '\xC4');
  EXPECT_EQ(ansiToOem('\xC4'), '\x8E');
  EXPECT_EQ(ansiToOem('A'), 'A');
  for (int c = 128; c < 256; ++c) {  // every ANSI character that has an OEM one comes back
    char oem = ansiToOem(static_cast<char>(c));
    if (oem != '?') {
      EXPECT_EQ(static_cast<unsigned char>(oemToAnsi(oem)), c);
    }
  }
}

TEST_F(LocaleTest, CollationCaseAndDigraphs) {
  useEnvironment("ZORCOLSEQ=aAbB,\nZORCASE=\"\xC0\xC9\",\"\xE0\xE9\"\nZORDIGRAPH=\xDFss\n");
  EXPECT_LT(collationCompare("a", "A"), 0);
  EXPECT_LT(collationCompare("A", "b"), 0);
  EXPECT_LT(collationCompare("ab", "b"), 0);
  EXPECT_EQ(collationCompare("abc", "abc"), 0);
  EXPECT_LT(collationCompare("ab", "abc"), 0);
  // Characters not listed keep their places: "," sorts with the listed set,
  // "c" after all of them.
  EXPECT_LT(collationWeight('B'), collationWeight('c'));
  EXPECT_EQ(collationWeight('Z'), static_cast<uint8_t>('Z'));
  // The digraph sorts as its expansion.
  EXPECT_EQ(collationCompare("\xDF", "ss"), 0);
  EXPECT_LT(collationCompare("s", "\xDF"), 0);
  EXPECT_LT(collationCompare("\xDF", "st"), 0);
  EXPECT_EQ(toUpperLocale('\xE0'), '\xC0');
  EXPECT_EQ(toLowerLocale('\xC9'), '\xE9');
  EXPECT_TRUE(isAlphaLocale('\xE9'));
  EXPECT_FALSE(isAlphaLocale('\xD7'));

  EXPECT_TRUE(loadLocaleEnvironment("WINDOWS"));
  EXPECT_EQ(toUpperLocale('\xF1'), '\xD1');
  EXPECT_EQ(toUpperLocale('\xF7'), '\xF7');  // the division sign has no case
  EXPECT_LT(collationCompare("a", "B"), 0);
  EXPECT_LT(collationCompare("B", "c"), 0);
  EXPECT_LT(collationCompare("\xE9", "f"), 0);  // e-acute sorts with e
  EXPECT_LT(collationCompare("9", "a"), 0);
  EXPECT_FALSE(loadLocaleEnvironment((dir_ / "nothing.ENV").string()));
}

// Random bytes as an environment file: whatever the lines hold, loading
// neither crashes nor leaves the tables out of their bounds.
TEST_F(LocaleTest, RandomEnvironmentFilesAreHarmless) {
  std::mt19937 random(545);
  const char* keys[] = {"ZORCHARSET", "ZORCOLSEQ",  "ZORCASE",   "ZORMONTH",   "ZORMON",
                        "ZORAMPM",    "ZORDIGRAPH", "ZORBUTTON", "ZORMSG9999", "ZORLAYOUT"};
  for (int round = 0; round < 40; ++round) {
    std::string text;
    for (int line = 0; line < 20; ++line) {
      if (random() % 2) text += keys[random() % 10];
      int length = static_cast<int>(random() % (line == 0 ? 1500 : 60));
      for (int i = 0; i < length; ++i) text += static_cast<char>(random() % 256);
      text += '\n';
    }
    useEnvironment(text);
    for (int month = 1; month <= 12; ++month) {
      EXPECT_LE(monthName(month).size(), 12u);
      EXPECT_LE(monthAbbreviation(month).size(), 3u);
    }
    EXPECT_LE(amDesignator().size(), 2u);
    EXPECT_EQ(collationCompare(text, text), 0);
    EXPECT_EQ(formatPicture("@D18", PictureValue::ofDate(kMarch4)).size(),
              localeDatePicture(18).width);
  }
  setErrorTextOverride(9999, "");
}

TEST_F(LocaleTest, ProgramPathGivesTheEnvironmentFile) {
  setEnvironmentFilePath("");
  setProgramPath("/opt/app/QV_GUI_SetupiniAdmin.exe");
  EXPECT_EQ(environmentFilePath(), "/opt/app/QV_GUI_SetupiniAdmin.ENV");
  setProgramPath("/opt/app.d/zor");
  EXPECT_EQ(environmentFilePath(), "/opt/app.d/zor.ENV");
  std::ofstream((dir_ / "prog.ENV").string()) << "ZORAMPM=a,p\n";
  setProgramPath((dir_ / "prog").string());
  resetLocale();
  EXPECT_EQ(amDesignator(), "a");
  EXPECT_EQ(format("@T7", PictureValue::ofTime(kAfternoon)), "01:05 p ");
  setProgramPath("");
}

TEST_F(LocaleTest, InitialisesOnceAcrossThreads) {
  useEnvironment("ZORMONTH=Eins\n");
  std::vector<std::thread> threads;
  std::vector<std::string> seen(4);
  for (int i = 0; i < 4; ++i) {
    threads.emplace_back([&seen, i] { seen[i] = std::string(monthName(1)); });
  }
  for (std::thread& t : threads) t.join();
  for (const std::string& name : seen) EXPECT_EQ(name, "Eins");
}

}  // namespace
}  // namespace zor
