#pragma once
// A file environment for power-loss tests. The fault plan of
// fault_injection.h stops the process, which leaves every write in the
// system's cache; a power cut may instead lose what was written since the
// last flush, or keep any part of it. This environment keeps, for each
// sector (512 bytes) written since its file's last flush, the contents it
// had then and every version written since. Cutting the power leaves each
// such sector at its flushed contents (Drop), or at that or any later
// version, chosen at random (Tear); a sector past the flushed end of the
// file that keeps no version is cut off, or reads as zeros when a later
// one stays. Then the process ends with kFaultStopExitCode.
//
// A plan cuts the power at the k-th flush, before it takes effect, counting
// the flushes of every file opened through the environment. A truncation is
// taken to reach the disk at once.

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_environment.h"

namespace zor::platform {

enum class PowerLoss { Drop, Tear };

struct PowerCutPlan {
  uint64_t atFlush = 0;  // 1-based; 0: no cut
  PowerLoss loss = PowerLoss::Drop;
  uint32_t seed = 0;  // Tear: which versions stay
};

class PowerCutEnvironment : public FileEnvironment, private FileWatcher {
 public:
  static constexpr uint64_t kSectorSize = 512;

  explicit PowerCutEnvironment(PowerCutPlan plan = {}) : plan_(plan) {}

  int open(File& file, const std::string& path, Access access, Share share,
           Disposition disposition) override;
  // Flushes seen so far.
  uint64_t flushes();
  // Leaves every unflushed sector as the plan's loss says, then ends the
  // process.
  [[noreturn]] void cut();
  // The same without ending the process (for tests of the environment).
  void loseUnflushed();

 private:
  struct Unflushed {
    std::string path;
    uint64_t flushedSize = 0;
    // Sector index -> its contents at the last flush (short or empty past
    // the flushed end), then each version written since.
    std::map<uint64_t, std::vector<std::string>> versions;
  };

  void beforeWrite(File& file, uint64_t offset, size_t length) override;
  void afterWrite(File& file, uint64_t offset, size_t length) override;
  void beforeFlush(File& file) override;
  void afterFlush(File& file) override;
  void beforeTruncate(File& file, uint64_t bytes) override;
  Unflushed& unflushedOf(File& file);
  void lose(const Unflushed& file, uint32_t& random);

  PowerCutPlan plan_;
  std::mutex mutex_;
  uint64_t flushes_ = 0;
  std::map<File::Identity, Unflushed> unflushed_;
};

}  // namespace zor::platform
