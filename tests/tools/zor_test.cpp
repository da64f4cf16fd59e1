// End-to-end tests of the zor console: run the built program and check its
// output line and exit code.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

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

TEST(ZorConsole, HelpListsOrExplainsTheCommands) {
  // Without a command the list goes to stderr as a usage error; asked for, to stdout.
  const std::pair<const char*, int> asked[] = {{"", 2}, {"help", 0}, {"--help", 0}};
  for (const auto& [arguments, exitCode] : asked) {
    ToolRun run = zor(arguments, true);
    EXPECT_EQ(run.exitCode, exitCode) << arguments;
    for (const char* command : {"zor date", "zor time", "zor decimal", "zor pdecimal", "zor age",
                                "zor help", "zor locale [ENVFILE]"}) {
      EXPECT_NE(run.out.find(command), std::string::npos) << command;
    }
  }
  ToolRun run = zor("help format");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out.substr(0, run.out.find('\n')), "usage: zor format PICTURE VALUE");
  EXPECT_EQ(zor("help nosuchcommand").exitCode, 2);
}

TEST(ZorConsole, EnvironmentFilesWithoutSettingsAreRefused) {
  const std::string folder = ::testing::TempDir() + "zor_locale_test/";
  std::system(("mkdir -p " + folder).c_str());
  auto write = [&](const std::string& name, const std::string& bytes) {
    FILE* file = std::fopen((folder + name).c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    return folder + name;
  };
  for (const std::string& bytes :
       {std::string(), std::string("\xFF\xFEZ\0O\0R\0", 8), std::string("just some words\n\n")}) {
    ToolRun run = zor("locale " + write("bad.env", bytes), true);
    EXPECT_EQ(run.exitCode, 1) << run.out;
    EXPECT_NE(run.out.find("holds no locale setting"), std::string::npos) << run.out;
  }
  ToolRun missing = zor("locale /nonexistent/zor.ENV", true);
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.out, "zor: /nonexistent/zor.ENV: does not exist\n");
  // A good line is applied; the line beside it that is no setting is named.
  ToolRun run = zor("locale " + write("mixed.env", "ZORAMPM=vm,nm\r\nnonsense\n"), true);
  EXPECT_EQ(run.exitCode, 0) << run.out;
  EXPECT_NE(run.out.find("mixed.env, line 2: no locale setting, ignored"), std::string::npos);
  EXPECT_NE(run.out.find("am=vm; pm=nm"), std::string::npos) << run.out;
}

}  // namespace
