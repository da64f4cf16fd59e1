// End-to-end tests of "zor eval": the value on stdout, errors on stderr.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

struct EvalRun {
  std::string out, err;
  int exitCode = -1;
};

std::string shellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

EvalRun zorEval(const std::vector<std::string>& arguments) {
  std::string errFile = ::testing::TempDir() + "zor_eval_err_" + std::to_string(::getpid());
  std::string command = std::string(ZOR_TOOL_DIR) + "/zor eval";
  for (const std::string& argument : arguments) command += " " + shellQuoted(argument);
  command += " 2>" + errFile;
  EvalRun run;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[256];
    size_t count = 0;
    while ((count = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, count);
    int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::stringstream err;
  err << std::ifstream(errFile).rdbuf();
  run.err = err.str();
  std::remove(errFile.c_str());
  return run;
}

TEST(ZorEval, PrintsTheValue) {
  EvalRun run = zorEval({"1 + 2 * 3"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "7\n");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(zorEval({"SUB('abcdef', 2, 3) & '!'"}).out, "bcd!\n");
}

TEST(ZorEval, BindsNamesToTexts) {
  EvalRun run = zorEval({"A = 'x' AND B > 10 AND UPPER(C) = 'Y'", "A=x", "B=12", "C=y"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "1\n");
  EXPECT_EQ(zorEval({"SEC:NAME & '|' & eq", "SEC:NAME=a=b", "eq="}).out, "a=b|\n");
}

TEST(ZorEval, InvalidExpressionsExitOne) {
  EvalRun run = zorEval({"1 + * 2"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "zor: error 1010: Invalid expression for EVALUATE at pos 4\n");
  run = zorEval({"missing + 1"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "zor: error 1011: BIND has not been called for missing at pos 0\n");
  EXPECT_EQ(zorEval({"SUB(, 1, 2)"}).err,
            "zor: error 1015: Not-omittable parameter of built-in function is omitted at pos 4\n");
}

TEST(ZorEval, BadArgumentsExitTwo) {
  EvalRun run = zorEval({});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find("expected an expression"), std::string::npos);
  for (const char* binding : {"novalue", "=x", "1a=2", "a b=1"}) {
    run = zorEval({"1", binding});
    EXPECT_EQ(run.exitCode, 2) << binding;
    EXPECT_EQ(run.out, "") << binding;
  }
}

}  // namespace
