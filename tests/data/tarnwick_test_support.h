#pragma once
// Shared pieces of the storage engine's tests: scratch files, a fatal-error
// hook that throws, and item helpers.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "data/tarnwick/tarnwick_file.h"
#include "data/tarnwick/verify.h"
#include "runtime/fatal_error.h"

namespace zor::tarnwick::testing {

// Thrown by the fatal-error hook in place of ending the process.
struct FatalStop : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class FatalHookGuard {
 public:
  FatalHookGuard() {
    previous_ =
        setFatalErrorHook([](int, const std::string& message) { throw FatalStop(message); });
  }
  ~FatalHookGuard() { setFatalErrorHook(std::move(previous_)); }

 private:
  FatalErrorHook previous_;
};

// Memory-backed when available: the tests flush thousands of times.
inline std::string scratchPath(const std::string& name) {
  const std::filesystem::path shm = "/dev/shm";
  const auto root =
      std::filesystem::is_directory(shm) ? shm : std::filesystem::temp_directory_path();
  const auto folder = root / ("tarnwick_test_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  return (folder / name).string();
}

// A whole file's bytes, read or written as they stand.
inline std::vector<uint8_t> readRaw(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void writeRaw(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<uint8_t> bytesOf(const std::string& text) {
  return std::vector<uint8_t>(text.begin(), text.end());
}

inline std::vector<uint8_t> randomBytes(std::mt19937& random, size_t length) {
  std::vector<uint8_t> bytes(length);
  for (auto& byte : bytes) byte = static_cast<uint8_t>(random());
  return bytes;
}

inline std::vector<uint8_t> toVector(Bytes bytes) {
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

inline void expectSound(TarnwickFile& file) {
  const FileSurvey survey = surveyFile(file.store());
  for (const auto& problem : survey.problems) ADD_FAILURE() << problem;
}

}  // namespace zor::tarnwick::testing
