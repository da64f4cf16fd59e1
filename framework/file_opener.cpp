#include "framework/file_opener.h"

#include <map>
#include <memory>
#include <mutex>

#include "data/file_errors.h"
#include "data/file_statements.h"
#include "platform/sync.h"

namespace zor::fw {

namespace {

struct FileUsage {
  platform::CriticalSection CSect;
  int32_t FileUsageCount = 0;
};

// The list of counters. A counter is kept alive by the shared pointer of
// whoever works with it, so dropping it from the list never pulls it from
// under a thread that is inside its critical section.
class UsageList {
 public:
  std::shared_ptr<FileUsage> find(const data::FileControlBlock* file, bool create) {
    std::lock_guard guard(mutex_);
    auto found = counters_.find(file);
    if (found != counters_.end()) return found->second;
    if (!create) return nullptr;
    auto usage = std::make_shared<FileUsage>();
    counters_.emplace(file, usage);
    return usage;
  }

  void dropIfUnused(const data::FileControlBlock* file, const std::shared_ptr<FileUsage>& usage) {
    std::lock_guard guard(mutex_);
    auto found = counters_.find(file);
    if (found != counters_.end() && found->second == usage && usage->FileUsageCount == 0) {
      counters_.erase(found);
    }
  }

 private:
  std::mutex mutex_;
  std::map<const data::FileControlBlock*, std::shared_ptr<FileUsage>> counters_;
};

UsageList& usageList() {
  static UsageList* list = new UsageList;  // outlives every thread's file managers
  return *list;
}

}  // namespace

int FileOpener::Open(data::FileControlBlock& file, uint32_t mode) {
  std::shared_ptr<FileUsage> usage = usageList().find(&file, true);
  int result = data::kNoError;
  {
    std::lock_guard guard(usage->CSect);
    if (usage->FileUsageCount == 0) {
      result = data::statement::open(file, mode);
      if (result == data::kErrFileAlreadyOpen) result = data::kNoError;
    }
    if (result == data::kNoError) ++usage->FileUsageCount;
  }
  usageList().dropIfUnused(&file, usage);
  return result;
}

int FileOpener::Close(data::FileControlBlock& file) {
  std::shared_ptr<FileUsage> usage = usageList().find(&file, false);
  if (!usage) return data::kNoError;
  int result = data::kNoError;
  {
    std::lock_guard guard(usage->CSect);
    if (usage->FileUsageCount == 1) {
      result = data::statement::close(file);
      // A table that is no longer open is closed as far as its users go.
      if (result == data::kErrFileNotOpen) result = data::kNoError;
    }
    if (result == data::kNoError && usage->FileUsageCount >= 1) --usage->FileUsageCount;
  }
  usageList().dropIfUnused(&file, usage);
  return result;
}

int32_t FileOpener::Usage(const data::FileControlBlock& file) const {
  std::shared_ptr<FileUsage> usage = usageList().find(&file, false);
  if (!usage) return 0;
  std::lock_guard guard(usage->CSect);
  return usage->FileUsageCount;
}

FileOpener& defaultFileOpener() {
  static FileOpener opener;
  return opener;
}

}  // namespace zor::fw
