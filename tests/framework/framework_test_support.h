#pragma once
// Helpers shared by the framework tests.

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "runtime/halt.h"

namespace zor::fw::test {

// A fresh folder under the system's temporary folder, removed at the end.
class TemporaryFolder {
 public:
  TemporaryFolder() {
    static int serial = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("zor_framework_" + std::to_string(::getpid()) + "_" + std::to_string(++serial));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Makes a folder the current one while it lives.
class CurrentFolder {
 public:
  explicit CurrentFolder(const std::filesystem::path& folder)
      : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~CurrentFolder() { std::filesystem::current_path(previous_); }

 private:
  std::filesystem::path previous_;
};

// Records the exit codes the program would have ended with, and lets the
// caller go on.
class HaltRecorder {
 public:
  HaltRecorder()
      : previous_(setHaltHook([this](int code) {
          std::lock_guard guard(mutex_);
          codes_.push_back(code);
        })) {}
  ~HaltRecorder() { setHaltHook(previous_); }
  std::vector<int> codes() const {
    std::lock_guard guard(mutex_);
    return codes_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<int> codes_;
  HaltHook previous_;
};

// An error table in its stored layout.
struct TableRow {
  uint16_t id;
  uint8_t level;
  std::string title;
  std::string message;
};
inline std::vector<uint8_t> storedTable(const std::vector<TableRow>& rows) {
  std::vector<uint8_t> bytes = {static_cast<uint8_t>(rows.size()),
                                static_cast<uint8_t>(rows.size() >> 8)};
  for (const TableRow& row : rows) {
    bytes.push_back(static_cast<uint8_t>(row.id));
    bytes.push_back(static_cast<uint8_t>(row.id >> 8));
    bytes.push_back(row.level);
    for (const std::string* text : {&row.title, &row.message}) {
      bytes.push_back(static_cast<uint8_t>(text->size()));
      bytes.insert(bytes.end(), text->begin(), text->end());
    }
  }
  return bytes;
}

}  // namespace zor::fw::test
