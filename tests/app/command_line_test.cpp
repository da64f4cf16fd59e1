#include "app/command_line.h"

#include <gtest/gtest.h>

namespace {

using Action = qv::CommandLine::Action;

TEST(CommandLine, EveryArgumentIsEitherKnownOrRefused) {
  struct Case {
    std::vector<std::string> arguments;
    Action action;
    std::string problem;
  };
  const Case cases[] = {
      {{}, Action::Run, ""},
      {{"--ui=term"}, Action::Run, ""},
      {{"--ui=headless", "--ui=term"}, Action::Run, ""},
      {{"--help"}, Action::Help, ""},
      {{"-h"}, Action::Help, ""},
      {{"help"}, Action::Help, ""},
      {{"--ui=term", "--version"}, Action::Version, ""},
      {{"--anything"}, Action::Refuse, "unknown option --anything"},
      {{"--ui=term", "-x"}, Action::Refuse, "unknown option -x"},
      {{"section.edt"}, Action::Refuse, "unexpected argument section.edt"},
      // The first word decides: help after a bad option still refuses.
      {{"--helpme", "--help"}, Action::Refuse, "unknown option --helpme"},
  };
  for (const Case& c : cases) {
    const qv::CommandLine line = qv::readCommandLine(c.arguments);
    EXPECT_EQ(line.action, c.action) << ::testing::PrintToString(c.arguments);
    EXPECT_EQ(line.problem, c.problem);
  }
}

TEST(CommandLine, UsageNamesEveryOptionAndTheVersionTheProgram) {
  for (const char* option : {"--ui=term", "--ui=headless", "--help", "--version"})
    EXPECT_NE(qv::usageText().find(option), std::string::npos) << option;
  EXPECT_EQ(qv::versionText().rfind("QV_GUI_SetupiniAdmin ", 0), 0u);
}

}  // namespace
