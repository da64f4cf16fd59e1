#pragma once
// Whether a settings file (the INI file, the per-user registry store) is
// fit to be read and changed. A file that is not is kept as it is and left
// alone: reading it could give nonsense, and rewriting it (the profile layer
// rewrites the whole file for one entry) could spoil it further or take
// long. A missing file is fit: it is created on the first write.

#include <cstdint>
#include <filesystem>
#include <string>

namespace zor::fw {

// Larger than this is not a settings file of ours.
inline constexpr uintmax_t kMostSettingsFileBytes = uintmax_t{1} << 20;
// A line longer than this is not one that was written as a setting.
inline constexpr size_t kLongestSettingsLine = 64 * 1024;

// Why the file cannot be used ("holds binary data at byte 7"), "" when it
// can.
std::string settingsFileProblem(const std::string& path);

// The same, remembered while the file stays unchanged (same size and time of
// last change), so that every read does not read the file twice.
class SettingsFileCheck {
 public:
  std::string problem(const std::string& path);

 private:
  struct Seen {
    std::string path;
    uintmax_t size = 0;
    std::filesystem::file_time_type changed;
    bool operator==(const Seen&) const = default;
  };
  Seen seen_;
  bool known_ = false;
  std::string verdict_;
};

}  // namespace zor::fw
