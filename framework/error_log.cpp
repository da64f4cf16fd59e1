#include "framework/error_log.h"
#include "data/system_error.h"
#include "runtime/error_state.h"

#include <mutex>

namespace zor::fw {
namespace {

// Far beyond any length the log reaches: the lock that orders appends.
constexpr uint64_t kAppendLockOffset = uint64_t{1} << 40;

}  // namespace

int FileErrorLog::fail(int error) {
  lastError_ = error;
  return error;
}

int FileErrorLog::open() {
  std::lock_guard guard(critSect_);
  if (usage_ == 0) {
    const int error = file_.open(path_, platform::Access::Write, platform::Share::DenyNone,
                                 platform::Disposition::OpenAlways);
    if (error != platform::kFileOk) return fail(error);
  }
  ++usage_;
  return 0;
}

int FileErrorLog::write(const std::string& line) {
  std::lock_guard guard(critSect_);
  if (!file_.isOpen()) return fail(platform::kInvalidHandle);
  const std::string text = line + "\n";
  int error = file_.lock(kAppendLockOffset, 1, /*wait=*/true);
  if (error != platform::kFileOk) return fail(error);
  uint64_t end = 0;
  error = file_.size(end);
  if (error == platform::kFileOk) error = file_.write(end, text.data(), text.size());
  file_.unlock(kAppendLockOffset, 1);
  return error == platform::kFileOk ? 0 : fail(error);
}

int FileErrorLog::close() {
  std::lock_guard guard(critSect_);
  if (usage_ == 0) return fail(platform::kInvalidHandle);
  if (--usage_ == 0) file_.close();
  return 0;
}

std::string FileErrorLog::errorText() const {
  std::lock_guard guard(critSect_);
  return errorTextOf(data::driverErrorOf(lastError_));
}

std::string errorLogLine(std::string_view text, std::time_t when) {
  std::tm local{};
  localtime_r(&when, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d@%H:%M:%S", &local);
  std::string line = std::string(stamp) + " --> " + std::string(text);
  for (char& c : line) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return line;
}

}  // namespace zor::fw
