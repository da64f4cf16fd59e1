#include "app/front_end_choice.h"

#include <gtest/gtest.h>

namespace {

using qv::FrontEndKind;

TEST(FrontEndChoice, OptionIsReadAndTheLastOneCounts) {
  EXPECT_FALSE(qv::readFrontEndOption({}).asked);
  EXPECT_EQ(qv::readFrontEndOption({"--ui=term"}).asked, FrontEndKind::Terminal);
  EXPECT_EQ(qv::readFrontEndOption({"--ui=term", "--ui=headless"}).asked, FrontEndKind::Headless);
  EXPECT_EQ(qv::readFrontEndOption({"--ui=gui"}).asked, FrontEndKind::Desktop);
  EXPECT_FALSE(qv::readFrontEndOption({"--ui=colour"}).error.empty());
}

TEST(FrontEndChoice, TerminalOnlyWithATerminal) {
  EXPECT_EQ(qv::chooseFrontEnd(std::nullopt, true, true), FrontEndKind::Terminal);
  EXPECT_EQ(qv::chooseFrontEnd(std::nullopt, true, false), FrontEndKind::Headless);
  EXPECT_EQ(qv::chooseFrontEnd(std::nullopt, false, true), FrontEndKind::Headless);
  EXPECT_EQ(qv::chooseFrontEnd(FrontEndKind::Headless, true, true), FrontEndKind::Headless);
  EXPECT_FALSE(qv::chooseFrontEnd(FrontEndKind::Terminal, false, false));
}

TEST(FrontEndChoice, TheDesktopWhereThereIsADisplay) {
  EXPECT_EQ(qv::chooseFrontEnd(std::nullopt, true, true, true), FrontEndKind::Desktop);
  EXPECT_EQ(qv::chooseFrontEnd(std::nullopt, false, false, true), FrontEndKind::Desktop);
  EXPECT_EQ(qv::chooseFrontEnd(FrontEndKind::Terminal, true, true, true), FrontEndKind::Terminal);
  EXPECT_EQ(qv::chooseFrontEnd(FrontEndKind::Desktop, false, false, true), FrontEndKind::Desktop);
  EXPECT_FALSE(qv::chooseFrontEnd(FrontEndKind::Desktop, true, true, false));
  EXPECT_NE(qv::unavailableReason(FrontEndKind::Desktop).find("--ui=gui"), std::string::npos);
}

}  // namespace
