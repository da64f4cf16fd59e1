#include "app/command_line.h"

#include <gtest/gtest.h>

namespace {

using Action = qv::CommandLine::Action;

TEST(CommandLine, EveryArgumentIsEitherKnownOrRefused) {
  struct Case {
    std::vector<std::string> arguments;
    Action action;
    std::string problem;
    std::string file = {};
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
      {{"--import", "Setup.ini"}, Action::Import, "", "Setup.ini"},
      {{"--ui=term", "--export=out/Setup.ini"}, Action::Export, "", "out/Setup.ini"},
      {{"--import"}, Action::Refuse, "--import needs a file"},
      {{"--export="}, Action::Refuse, "--export needs a file"},
      {{"--import", "a.ini", "--export", "b.ini"},
       Action::Refuse,
       "one of --import and --export at a time"},
      {{"--import", "a.ini", "b.ini"}, Action::Refuse, "unexpected argument b.ini"},
      {{"--imports=a.ini"}, Action::Refuse, "unknown option --imports=a.ini"},
  };
  for (const Case& c : cases) {
    const qv::CommandLine line = qv::readCommandLine(c.arguments);
    EXPECT_EQ(line.action, c.action) << ::testing::PrintToString(c.arguments);
    EXPECT_EQ(line.problem, c.problem);
    EXPECT_EQ(line.file, c.file);
  }
}

TEST(CommandLine, UsageNamesEveryOptionAndTheVersionTheProgram) {
  for (const char* option :
       {"--ui=term", "--ui=headless", "--import FILE", "--export FILE", "--help", "--version"})
    EXPECT_NE(qv::usageText().find(option), std::string::npos) << option;
  EXPECT_EQ(qv::versionText().rfind("QV_GUI_SetupiniAdmin ", 0), 0u);
}

}  // namespace
