#include "platform/fault_injection.h"

#include <unistd.h>

#include <mutex>

namespace zor::platform {
namespace {

// One mutex keeps the plan and the counter consistent with each other; a
// step is a system call anyway, so the lock costs nothing measurable.
struct FaultState {
  std::mutex mutex;
  FaultPlan plan;
  uint64_t steps = 0;
  bool failing = false;  // a sticky Fail has fired
};

FaultState& state() {
  static FaultState instance;
  return instance;
}

bool counts(FaultStep filter, FaultStep step) {
  return filter == FaultStep::WriteOrFlush || filter == step;
}

}  // namespace

void setFaultPlan(const FaultPlan& plan) {
  FaultState& s = state();
  std::lock_guard guard(s.mutex);
  s.plan = plan;
  s.steps = 0;
  s.failing = false;
}

void clearFaultPlan() {
  setFaultPlan(FaultPlan{});
}

uint64_t faultStepCount() {
  FaultState& s = state();
  std::lock_guard guard(s.mutex);
  return s.steps;
}

FaultKind takeFaultStep(FaultStep step) {
  FaultState& s = state();
  std::lock_guard guard(s.mutex);
  if (counts(s.plan.counts, step)) ++s.steps;
  // A sticky failure stands for a device that is gone: every later write
  // and flush fails, counted or not.
  if (s.failing) return FaultKind::Fail;
  if (!counts(s.plan.counts, step) || s.plan.kind == FaultKind::None || s.steps != s.plan.at) {
    return FaultKind::None;
  }
  switch (s.plan.kind) {
    case FaultKind::Stop:
      _exit(kFaultStopExitCode);
    case FaultKind::Fail:
      s.failing = s.plan.sticky;
      return FaultKind::Fail;
    case FaultKind::Short:
      return FaultKind::Short;
    case FaultKind::None:
      break;
  }
  return FaultKind::None;
}

}  // namespace zor::platform
