#pragma once
// A shared read-only mapping of the first bytes of an open file, so that a
// process can look at them (has another process written there since?) with
// a memory read instead of a system call. The mapping shows the system's
// cache of the file, which every process on this machine shares: use it
// only for files on a local disk (File::onLocalDisk). A file cut shorter
// than the bytes looked at while mapped is no crash: the read answers false
// and the caller reads the file instead.

#include <cstddef>

#include "platform/file.h"

namespace zor::platform {

class MappedFileStart {
 public:
  MappedFileStart() = default;
  ~MappedFileStart();
  MappedFileStart(const MappedFileStart&) = delete;
  MappedFileStart& operator=(const MappedFileStart&) = delete;

  // Maps the first `length` bytes (at most one memory page) of `file`;
  // false when the system refuses (a file opened write-only, a file system
  // that cannot map): the caller then reads the file as before.
  bool map(const File& file, size_t length);
  void unmap();
  bool mapped() const { return base_ != nullptr; }

  // Copies the first `length` mapped bytes to `out`; false when nothing is
  // mapped, `length` is longer than the mapping, or the file no longer
  // reaches into them.
  bool read(void* out, size_t length) const;

 private:
  const unsigned char* base_ = nullptr;
  size_t length_ = 0;
};

}  // namespace zor::platform
