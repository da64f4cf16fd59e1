#include "framework/settings_file_check.h"

#include <filesystem>

#include "data/system_error.h"
#include "platform/file.h"
#include "platform/whole_file.h"
#include "runtime/error_state.h"

namespace zor::fw {
namespace {

// Text holds no control characters but tab, line breaks, form feed and the
// end-of-file mark some editors leave.
bool isBinary(unsigned char c) {
  return (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != 0x1A) || c == 0x7F;
}

}  // namespace

std::string settingsFileProblem(const std::string& path) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (!std::filesystem::exists(status)) return {};  // missing: created when written
  if (!std::filesystem::is_regular_file(status)) return "is not a file";
  const uintmax_t size = std::filesystem::file_size(path, error);
  if (!error && size > kMostSettingsFileBytes) {
    return "is larger than " + std::to_string(kMostSettingsFileBytes / 1024) + " KB";
  }
  std::string text;
  const int readError = platform::readWholeFile(path, text);
  if (readError == platform::kFileNotFound) return {};
  if (readError != platform::kFileOk) {
    return "cannot be read: " + errorTextOf(data::driverErrorOf(readError));
  }
  size_t lineStart = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (isBinary(c)) return "holds binary data at byte " + std::to_string(i);
    if (c == '\n') {
      lineStart = i + 1;
    } else if (i - lineStart >= kLongestSettingsLine) {
      return "has a line longer than " + std::to_string(kLongestSettingsLine) + " characters";
    }
  }
  return {};
}

std::string SettingsFileCheck::problem(const std::string& path) {
  std::error_code error;
  Seen now{path};
  now.size = std::filesystem::file_size(path, error);
  now.changed = std::filesystem::last_write_time(path, error);
  if (!known_ || !(now == seen_)) {
    verdict_ = settingsFileProblem(path);
    seen_ = now;
    known_ = true;
  }
  return verdict_;
}

}  // namespace zor::fw
