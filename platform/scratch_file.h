#pragma once
// An unnamed temporary file for data a process wants out of its memory for
// a while (the pages of a long change not yet written). It is never made
// durable, is gone with the process and takes no part in fault injection
// or power cuts. Nothing is created until the first append.

#include <cstddef>
#include <cstdint>

namespace zor::platform {

class ScratchFile {
 public:
  ScratchFile() = default;
  ~ScratchFile();
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  // Adds `length` bytes at the end and tells where they went; false when no
  // temporary file can be made or written (the caller keeps its bytes).
  bool append(const uint8_t* bytes, size_t length, uint64_t& offset);
  // Reads bytes appended earlier; false when they cannot be read whole.
  bool read(uint64_t offset, uint8_t* bytes, size_t length) const;
  // Forgets everything appended (the file shrinks to nothing).
  void clear();

 private:
  bool create();

  int fd_ = -1;
  uint64_t end_ = 0;
};

}  // namespace zor::platform
