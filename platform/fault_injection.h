#pragma once
// Fault injection for crash and I/O-error tests: every File::write and
// File::flush counts as one I/O step; a plan makes the k-th step fail, write
// only part of its bytes, or stop the process on the spot (as a crash would).

#include <cstdint>

namespace zor::platform {

enum class FaultKind {
  None,
  Fail,   // the step does nothing and answers kInjectedFault
  Short,  // a write stores only its first half, then answers kInjectedFault
  Stop,   // the process ends at once with _exit(kFaultStopExitCode), before the step
};

enum class FaultStep { WriteOrFlush, Write, Flush };

inline constexpr int kFaultStopExitCode = 77;

struct FaultPlan {
  FaultKind kind = FaultKind::None;
  FaultStep counts = FaultStep::WriteOrFlush;  // which steps are counted
  uint64_t at = 0;                             // 1-based number of the step that faults
  bool sticky = false;                         // Fail: every later step fails as well
};

// Arms a plan and resets the step counter (process-wide).
void setFaultPlan(const FaultPlan& plan);
void clearFaultPlan();
// Number of counted steps since the plan was set (also counts with no plan
// armed, so a test can first measure how many steps a change takes).
uint64_t faultStepCount();

// For the file layer: counts one step (`step` is Write or Flush) and answers
// what the armed plan makes of it: None, Fail or Short. A Stop plan ends the
// process here and never returns.
FaultKind takeFaultStep(FaultStep step);

}  // namespace zor::platform
