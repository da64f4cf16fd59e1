// End-to-end tests of "zor eval": the value on stdout, errors on stderr.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/tools/tool_run.h"

namespace {

using EvalRun = zor::testing::ToolOutput;

EvalRun zorEval(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), "eval");
  return zor::testing::runTool("zor", arguments);
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

TEST(ZorEval, ErrorsSayWhatToMend) {
  // The runtime's text stays as it is; what a person needs follows it.
  EXPECT_EQ(zorEval({"(1+2"}).err,
            "zor: error 1010: Invalid expression for EVALUATE: it ends at character 5 before it "
            "is complete (an operand or a closing bracket is missing)\n");
  const std::string deep = std::string(101, '(') + "1" + std::string(101, ')');
  EXPECT_NE(zorEval({deep}).err.find("at pos 100: brackets and calls nested more than 100 deep"),
            std::string::npos);
  std::string chain = "1";
  for (int i = 2; i <= 300; ++i) chain += "+" + std::to_string(i);
  EXPECT_NE(zorEval({chain}).err.find(": more than 256 operations applied one after another"),
            std::string::npos);
  const std::pair<const char*, const char*> named[] = {
      {"NOPE(1)", "at pos 0: there is no function named NOPE"},
      {"1 + \xC3\x8B", "at pos 4: nothing in an expression starts with the byte 0xC3"},
      {"1 # 2", "at pos 2: nothing in an expression starts with '#'"},
      {"'open", "at pos 0: the quoted text there is never closed"},
  };
  for (const auto& [expression, hint] : named) {
    EXPECT_NE(zorEval({expression}).err.find(hint), std::string::npos) << expression;
  }
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
