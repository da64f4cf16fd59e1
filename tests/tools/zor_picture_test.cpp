// End-to-end tests of "zor format", "zor deformat" and "zor locale".

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct PictureRun {
  std::string out;
  int exitCode = -1;
};

std::string quoted(const std::string& text) {
  std::string result = "'";
  for (char c : text) result += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return result + "'";
}

// Runs zor with a profile that does not exist, so the locale starts from its
// defaults; stderr is folded into the output when `withErrors`.
PictureRun zor(const std::vector<std::string>& arguments, bool withErrors = false) {
  std::string command =
      "ZOR_PROFILE=/nonexistent/zor_picture_profile.ini " + std::string(ZOR_TOOL_DIR) + "/zor";
  for (const std::string& argument : arguments) command += " " + quoted(argument);
  command += withErrors ? " 2>&1" : " 2>/dev/null";
  PictureRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[256];
  size_t count = 0;
  while ((count = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, count);
  int status = pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

void expectLine(const std::vector<std::string>& arguments, const std::string& line) {
  PictureRun run = zor(arguments);
  EXPECT_EQ(run.exitCode, 0) << arguments[0] << " " << arguments[1];
  EXPECT_EQ(run.out, line + "\n") << arguments[0] << " " << arguments[1];
}

TEST(ZorPicture, FormatPrintsEveryPosition) {
  expectLine({"format", "@N9.2", "1234.5"}, " 1,234.50");
  expectLine({"format", "@N_9.2B", "0"}, "         ");
  expectLine({"format", "@N5", "123456"}, "#,###");
  expectLine({"format", "@S6", "ab"}, "ab    ");
  expectLine({"format", "@D6", "4"}, " 1/01/1801");
  expectLine({"format", "@D1", "0"}, "  /  /  ");
  expectLine({"format", "@T3", "1"}, "12:00AM");
  expectLine({"format", "@T3", "4320001"}, "12:00PM");
  expectLine({"format", "@P###-##P", "12345"}, "123-45");
  expectLine({"format", "@E12.1", "-1234.5"}, "-1.2345E+003");
}

TEST(ZorPicture, DeformatPrintsTheValue) {
  expectLine({"deformat", "@N9.2", "-1,234.50"}, "-1234.50");
  expectLine({"deformat", "@D6", " 1/01/1801"}, "4");
  expectLine({"deformat", "@T4", "25:00:00"}, "-1");
  expectLine({"deformat", "@P###-##P", "123-45"}, "12345");
  expectLine({"deformat", "@S10", "ab12.5"}, "12.5");
  expectLine({"deformat", "", "123"}, "");  // an empty picture gives an empty text
}

TEST(ZorPicture, BadArgumentsExitTwo) {
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{"format", "@N9.2"},
                                             {"format", "@X1", "5"},
                                             {"format", "@N9.2", "12abc"},
                                             {"format", "@D6", "yesterday"},
                                             {"deformat", "@P###", "123"},
                                             {"deformat", "@N9"},
                                             {"locale", "a", "b"}}) {
    PictureRun run = zor(arguments, true);
    EXPECT_EQ(run.exitCode, 2) << arguments[0] << " " << arguments[1];
    EXPECT_NE(run.out.find("zor: "), std::string::npos) << run.out;
  }
  EXPECT_NE(zor({"format", "@X1", "5"}, true).out.find("invalid picture: \"@X1\""),
            std::string::npos);
}

TEST(ZorPicture, LocaleShowsNamesDesignatorsAndPictures) {
  PictureRun run = zor({"locale"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out,
            "months=January,February,March,April,May,June,July,August,September,October,"
            "November,December; abbreviations=Jan,Feb,Mar,Apr,May,Jun,Jul,Aug,Sep,Oct,Nov,Dec; "
            "am=AM; pm=PM; @D17=MM/DD/YY; @D18=NNNNNNNNNNNN DD, YYYY; @T7=HH:MM XM; "
            "@T8=HH:MM:SS XM\n");

  std::string file = ::testing::TempDir() + "zor_picture_" + std::to_string(::getpid()) + ".ENV";
  std::ofstream(file) << "ZORMONTH=Januar,Februar\nZORMON=Jan,Feb,M\xE4r\nZORAMPM=vm,nm\n";
  run = zor({"locale", file});
  std::remove(file.c_str());
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out.rfind("months=Januar,Februar,March,", 0), 0u) << run.out;
  EXPECT_NE(run.out.find("abbreviations=Jan,Feb,M\xE4r,Apr,"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("am=vm; pm=nm;"), std::string::npos) << run.out;
}

}  // namespace
