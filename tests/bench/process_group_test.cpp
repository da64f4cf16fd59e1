#include "bench/process_group.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

namespace zor::bench {
namespace {

using namespace std::chrono_literals;

const char* names(int32_t what) {
  return what == 7 ? "STUCK" : "OTHER";
}

TEST(ProcessGroupTest, EveryProcessRunsOnceAndTheTimeStartsWhenAllArePrepared) {
  ProcessGroup group(3);
  const auto outcome = group.run(
      [](int index, ChildReport& report, StartGate& gate) {
        // Preparing takes long for one process; the others wait for it, and
        // the time does not count it.
        if (index == 2) std::this_thread::sleep_for(300ms);
        gate.wait();
        std::this_thread::sleep_for(50ms);
        report.done = static_cast<uint64_t>(index) + 10;
      },
      30, names);
  EXPECT_EQ(outcome.fault, "");
  ASSERT_EQ(outcome.reports.size(), 3u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(outcome.reports[i]->done.load(), uint64_t(i) + 10);
  EXPECT_GE(outcome.seconds, 0.045);
  EXPECT_LT(outcome.seconds, 0.3);
}

TEST(ProcessGroupTest, AProcessThatHangsIsKilledAndPlacedByItsStatement) {
  ProcessGroup group(2);
  const auto start = std::chrono::steady_clock::now();
  const auto outcome = group.run(
      [](int index, ChildReport& report, StartGate& gate) {
        gate.wait();
        if (index == 1) {
          report.done = 5;
          report.statement = 7;
          std::this_thread::sleep_for(60s);
        }
      },
      0.3, names);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
  EXPECT_NE(outcome.fault.find("time-out"), std::string::npos) << outcome.fault;
  EXPECT_NE(outcome.fault.find("process 1 in STUCK after 5 done"), std::string::npos)
      << outcome.fault;
}

TEST(ProcessGroupTest, AProcessThatEndsBadlyOrGivesUpEarlyIsReportedWithoutStallingTheRest) {
  ProcessGroup group(3);
  const auto outcome = group.run(
      [](int index, ChildReport& report, StartGate& gate) {
        if (index == 0) {
          // Fails while preparing and never reaches the gate.
          report.fail(1, 2);
          report.fail(3, 4);
          return;
        }
        gate.wait();
        report.statement = 7;
        if (index == 2) _exit(3);
        report.statement = 0;
      },
      30, names);
  EXPECT_NE(outcome.fault.find("process 2 ended with exit code 3 in STUCK"), std::string::npos)
      << outcome.fault;
  EXPECT_EQ(outcome.fault.find("process 1"), std::string::npos) << outcome.fault;
  // The first failure of a process is the one kept.
  EXPECT_EQ(outcome.reports[0]->failedStatement.load(), 1);
  EXPECT_EQ(outcome.reports[0]->error.load(), 2);
}

}  // namespace
}  // namespace zor::bench
