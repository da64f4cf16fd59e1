#pragma once
// Where the storage engine takes its files from, as an object that tests can
// replace: the system's files, or files whose writes a simulated power cut
// can still take away (see power_cut.h). The engine opens every file of a
// table through the environment in use.

#include <cstdint>
#include <string>

#include "platform/file.h"

namespace zor::platform {

class FileEnvironment {
 public:
  virtual ~FileEnvironment() = default;
  // Opens `file` as File::open does.
  virtual int open(File& file, const std::string& path, Access access, Share share,
                   Disposition disposition) = 0;
  // The size of the file at `path`, asked through a handle that reads beside
  // the others (a handle that denies reading refuses it with kAccessDenied).
  int size(const std::string& path, uint64_t& bytes);
};

// The system's own files.
FileEnvironment& systemFileEnvironment();
// The environment in use: the system's unless another was set.
FileEnvironment& fileEnvironment();
// Sets the environment in use for the whole process (nullptr: the system's).
// The environment must outlive every file opened through it.
void setFileEnvironment(FileEnvironment* environment);

}  // namespace zor::platform
