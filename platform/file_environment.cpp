#include "platform/file_environment.h"

#include <atomic>

namespace zor::platform {

namespace {

class SystemFileEnvironment : public FileEnvironment {
 public:
  int open(File& file, const std::string& path, Access access, Share share,
           Disposition disposition) override {
    return file.open(path, access, share, disposition);
  }
};

std::atomic<FileEnvironment*> current{nullptr};

}  // namespace

int FileEnvironment::size(const std::string& path, uint64_t& bytes) {
  bytes = 0;
  File file;
  const int error = open(file, path, Access::Read, Share::DenyNone, Disposition::OpenExisting);
  return error != kFileOk ? error : file.size(bytes);
}

FileEnvironment& systemFileEnvironment() {
  static SystemFileEnvironment environment;
  return environment;
}

FileEnvironment& fileEnvironment() {
  FileEnvironment* environment = current.load();
  return environment != nullptr ? *environment : systemFileEnvironment();
}

void setFileEnvironment(FileEnvironment* environment) {
  current.store(environment);
}

}  // namespace zor::platform
