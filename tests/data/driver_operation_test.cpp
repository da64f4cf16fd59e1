#include <gtest/gtest.h>

#include <set>
#include <string>

#include "data/driver_operation.h"

namespace zor::data {
namespace {

TEST(DriverOperationTest, TraceNamesFollowTheNumbering) {
  EXPECT_STREQ(traceName(0), "(0)");
  EXPECT_STREQ(traceName(Op::ADD), "ADD");
  EXPECT_STREQ(traceName(Op::EOF_), "EOF");
  EXPECT_STREQ(traceName(15), "GETfilekey");
  EXPECT_STREQ(traceName(Op::OPEN), "OPEN");
  EXPECT_STREQ(traceName(30), "PUT");
  EXPECT_STREQ(traceName(Op::SETkeykeyptr), "SETkeykeyptr");
  EXPECT_STREQ(traceName(Op::NULL_), "NULL");
  EXPECT_STREQ(traceName(74), "QUERY_VIEW");
  EXPECT_STREQ(traceName(101), "(101)");
  EXPECT_STREQ(traceName(104), "DESTROY");
}

TEST(DriverOperationTest, InternalNumbersAndNumbersOutsideTheTable) {
  EXPECT_STREQ(traceName(87), "Internal87");
  EXPECT_STREQ(traceName(91), "Internal91");
  EXPECT_STREQ(traceName(94), "Internal94");
  EXPECT_STREQ(traceName(100), "Internal100");
  EXPECT_STREQ(traceName(105), "");
  EXPECT_STREQ(traceName(Op::ReleaseFileObject), "");
  EXPECT_STREQ(traceName(Op::Acknowledge), "");
  EXPECT_STREQ(traceName(-1), "");
}

TEST(DriverOperationTest, EveryTracedNumberHasADistinctName) {
  std::set<std::string> names;
  for (int op = 0; op <= kLastTracedOp; ++op) {
    ASSERT_STRNE(traceName(op), "") << op;
    names.insert(traceName(op));
  }
  EXPECT_EQ(names.size(), 105u);
}

TEST(DriverOperationTest, Groups) {
  int keyForms = 0;
  for (int op = 0; op <= kLastTracedOp; ++op) keyForms += isKeyForm(op) ? 1 : 0;
  EXPECT_EQ(keyForms, 19);
  EXPECT_TRUE(isKeyForm(opNumber(Op::GETfilekey)));
  EXPECT_TRUE(isKeyForm(opNumber(Op::SETfilekey)));
  EXPECT_FALSE(isKeyForm(opNumber(Op::GETfileptr)));

  EXPECT_TRUE(runsOnClosedFile(opNumber(Op::OPEN)));
  EXPECT_TRUE(runsOnClosedFile(opNumber(Op::SEND)));
  EXPECT_FALSE(runsOnClosedFile(opNumber(Op::NEXT)));
  EXPECT_FALSE(runsOnClosedFile(opNumber(Op::CLOSE)));

  EXPECT_TRUE(tracesReturnedValue(opNumber(Op::POSITIONkey)));
  EXPECT_FALSE(tracesReturnedValue(opNumber(Op::RECORDSfile)));
}

}  // namespace
}  // namespace zor::data
