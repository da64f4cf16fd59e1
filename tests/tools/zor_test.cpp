// End-to-end tests of the zor console: run the built program and check its
// output line and exit code.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

namespace {

struct ToolRun {
  std::string out;
  int exitCode = -1;
};

// Runs "zor ARGS" with stderr folded into the output when `withErrors`.
ToolRun zor(const std::string& arguments, bool withErrors = false) {
  std::string command =
      std::string(ZOR_TOOL_DIR) + "/zor " + arguments + (withErrors ? " 2>&1" : " 2>/dev/null");
  ToolRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  std::array<char, 256> buffer;
  while (fgets(buffer.data(), buffer.size(), pipe) != nullptr) run.out += buffer.data();
  int status = pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

void expectLine(const std::string& arguments, const std::string& line) {
  ToolRun run = zor(arguments);
  EXPECT_EQ(run.exitCode, 0) << arguments;
  EXPECT_EQ(run.out, line + "\n") << arguments;
}

TEST(ZorConsole, Dates) {
  expectLine("date 4", "1801-01-01");
  expectLine("date 2994626", "9999-12-31");
  expectLine("date 3", "invalid");
  expectLine("date 2994627", "invalid");
  expectLine("date 2000 13 1", "73053");  // 1 January 2001
  expectLine("date 73053", "2001-01-01");
  expectLine("date 2001 2 30", "73113");
  expectLine("date 73113", "2001-03-02");
  expectLine("date 1800 12 31", "-1");
}

TEST(ZorConsole, TimesAndAges) {
  expectLine("time 1", "00:00:00.00");
  expectLine("time 8640000", "23:59:59.99");
  expectLine("time 8640001", "invalid");
  expectLine("age 73053 73083", "30 DAYS");
  expectLine("age 73053 80358", "20 YRS");
  expectLine("age 80358 73053", "80 YRS");  // a start after the base moves back a century
  expectLine("age 2994626 73053", "***");
}

TEST(ZorConsole, PackedDecimals) {
  expectLine("decimal 5 2 -12.345", "F0 12 35 = -12.35");
  expectLine("decimal 5 2 0", "00 00 00 = 0.00");
  expectLine("pdecimal 5 2 -12.345", "01 23 5D = -12.35");
  expectLine("pdecimal 3 0 +7", "00 7F = 7");
  expectLine("decimal 3 0 123456", "04 56 = 456");
}

TEST(ZorConsole, MalformedArgumentsExitWithTwo) {
  for (const char* arguments : {"date x", "date 1 2", "date 2000 1 1.5", "time", "time 1e3",
                                "decimal 5 2", "decimal 0 0 1", "decimal 32 0 1", "decimal 5 6 1",
                                "pdecimal 5 2 12,5", "age", "age 1 2 3", "nosuchcommand"}) {
    ToolRun run = zor(arguments, true);
    EXPECT_EQ(run.exitCode, 2) << arguments;
    EXPECT_NE(run.out.find("zor: "), std::string::npos) << arguments << ": " << run.out;
  }
}

TEST(ZorConsole, UsageListsEveryCommand) {
  for (const char* arguments : {"", "help"}) {
    ToolRun run = zor(arguments);
    EXPECT_EQ(run.exitCode, 0);
    for (const char* command :
         {"zor date", "zor time", "zor decimal", "zor pdecimal", "zor age", "zor help"}) {
      EXPECT_NE(run.out.find(command), std::string::npos) << command;
    }
  }
}

}  // namespace
