#include "platform/fault_injection.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/file.h"
#include "tests/platform/test_support.h"

namespace zor::platform {
namespace {

using testing::runInChild;
using testing::TempDir;

class FaultInjection : public ::testing::Test {
 protected:
  void SetUp() override {
    clearFaultPlan();
    ASSERT_EQ(
        file_.open(dir_.file("f.dat"), Access::ReadWrite, Share::DenyNone, Disposition::CreateNew),
        kFileOk);
  }
  void TearDown() override { clearFaultPlan(); }

  std::string contents() {
    File reader;
    EXPECT_EQ(
        reader.open(dir_.file("f.dat"), Access::Read, Share::DenyNone, Disposition::OpenExisting),
        kFileOk);
    std::string text(64, '\0');
    size_t done = 0;
    EXPECT_EQ(reader.read(0, text.data(), text.size(), done), kFileOk);
    text.resize(done);
    return text;
  }

  TempDir dir_;
  File file_;
};

TEST_F(FaultInjection, CountsWritesAndFlushesWithoutAPlan) {
  ASSERT_EQ(file_.write(0, "ab", 2), kFileOk);
  ASSERT_EQ(file_.flush(), kFileOk);
  char byte;
  size_t done;
  ASSERT_EQ(file_.read(0, &byte, 1, done), kFileOk);  // reads are not steps
  EXPECT_EQ(faultStepCount(), 2u);
  setFaultPlan({FaultKind::None, FaultStep::Flush});
  ASSERT_EQ(file_.write(0, "ab", 2), kFileOk);
  ASSERT_EQ(file_.flush(), kFileOk);
  EXPECT_EQ(faultStepCount(), 1u);
}

TEST_F(FaultInjection, FailMakesOnlyTheChosenStepFail) {
  setFaultPlan({FaultKind::Fail, FaultStep::WriteOrFlush, 2});
  EXPECT_EQ(file_.write(0, "aa", 2), kFileOk);
  EXPECT_EQ(file_.write(2, "bb", 2), kInjectedFault);
  EXPECT_EQ(file_.flush(), kFileOk);
  EXPECT_EQ(file_.write(4, "cc", 2), kFileOk);
  EXPECT_EQ(contents(), std::string("aa\0\0cc", 6));
}

TEST_F(FaultInjection, StickyFailFailsEveryLaterStep) {
  setFaultPlan({FaultKind::Fail, FaultStep::Flush, 1, true});
  EXPECT_EQ(file_.write(0, "aa", 2), kFileOk);
  EXPECT_EQ(file_.flush(), kInjectedFault);
  EXPECT_EQ(file_.write(2, "bb", 2), kInjectedFault);
  EXPECT_EQ(file_.flush(), kInjectedFault);
  EXPECT_EQ(contents(), "aa");
  clearFaultPlan();
  EXPECT_EQ(file_.flush(), kFileOk);
}

TEST_F(FaultInjection, ShortStoresTheFirstHalfOfAWrite) {
  setFaultPlan({FaultKind::Short, FaultStep::Write, 1});
  EXPECT_EQ(file_.write(0, "abcdefg", 7), kInjectedFault);
  EXPECT_EQ(contents(), "abc");
  setFaultPlan({FaultKind::Short, FaultStep::Flush, 1});
  EXPECT_EQ(file_.flush(), kInjectedFault);
}

TEST_F(FaultInjection, StopEndsTheProcessBeforeTheStep) {
  const std::string path = dir_.file("stop.dat");
  const int exitCode = runInChild([&] {
    File child;
    if (child.open(path, Access::ReadWrite, Share::DenyNone, Disposition::CreateNew) != 0) {
      return 1;
    }
    setFaultPlan({FaultKind::Stop, FaultStep::WriteOrFlush, 3});
    child.write(0, "one ", 4);
    child.flush();
    child.write(4, "two", 3);  // the third step: never happens
    return 0;
  });
  EXPECT_EQ(exitCode, kFaultStopExitCode);
  File reader;
  ASSERT_EQ(reader.open(path, Access::Read, Share::DenyNone, Disposition::OpenExisting), kFileOk);
  std::string text(16, '\0');
  size_t done = 0;
  ASSERT_EQ(reader.read(0, text.data(), text.size(), done), kFileOk);
  EXPECT_EQ(text.substr(0, done), "one ");
  EXPECT_EQ(faultStepCount(), 0u);  // the child's plan and counter stayed in the child
}

}  // namespace
}  // namespace zor::platform
