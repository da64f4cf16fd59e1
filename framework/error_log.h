#pragma once
// The reporter's built-in log: "OBXError.Log" in the current directory. It
// is opened for each error and closed after it (opens nest: the file closes
// with the last close), so that the log is complete on disk whenever the
// program ends. Each line is appended under a byte-range lock, so that
// copies of the program logging at the same moment keep each other's lines.

#include <ctime>
#include <string>
#include <string_view>

#include "framework/error_reporter.h"
#include "platform/file.h"
#include "platform/sync.h"

namespace zor::fw {

class FileErrorLog : public ErrorLog {
 public:
  static constexpr const char* kFileName = "OBXError.Log";

  explicit FileErrorLog(std::string path = kFileName) : path_(std::move(path)) {}

  // Answer 0 or a file-layer error number.
  int open() override;
  int write(const std::string& line) override;
  int close() override;
  // The text of the last failure.
  std::string errorText() const override;

  const std::string& path() const { return path_; }

 private:
  int fail(int error);

  mutable platform::CriticalSection critSect_;
  std::string path_;
  platform::File file_;
  long usage_ = 0;
  int lastError_ = 0;
};

// A line of the log: the local date and time as "YYYY-MM-DD@HH:MM:SS", then
// " --> " and the text, its line breaks made blanks so that every error
// stays one line.
std::string errorLogLine(std::string_view text, std::time_t when);

}  // namespace zor::fw
