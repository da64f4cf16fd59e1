#pragma once
// The operating-system file under a Tarnwick file, taken from the file
// environment in use: reads and writes whole multiples of 64 bytes at
// absolute offsets, and keeps the first write error (sticky) so that later
// writes are skipped until the file is closed. Its answers are the driver's
// error numbers: a failure of the file layer is mapped here, once
// (data/system_error.h).

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/file.h"
#include "platform/mapped_file_start.h"

namespace zor::tarnwick {

class BlockFile {
 public:
  // Answers 0, kFileNotFound, kAccessDenied (a sharing violation) or 300 +
  // the system's error number.
  int open(const std::string& path, bool write, platform::Share share, bool create);
  void close();
  bool isOpen() const { return file_.isOpen(); }
  bool writable() const { return writable_; }

  // `done` receives the bytes read (short only at the end of the file).
  int read(uint64_t offset, void* buffer, size_t length, size_t& done);
  // The first `length` bytes (at most the header) as the file holds them
  // now, read from a mapping of the file's start without a system call;
  // false when the file is not mapped (not on a local disk) or no longer
  // reaches that far: the caller then reads them.
  bool readStart(void* buffer, size_t length) const { return start_.read(buffer, length); }
  // Skipped (answering the sticky error) once a write has failed.
  int write(uint64_t offset, const void* buffer, size_t length);
  int flush();
  int size(uint64_t& bytes) const;
  // Skipped like write once a write has failed.
  int truncate(uint64_t bytes);

  int stickyError() const { return stickyError_; }
  platform::File& file() { return file_; }

 private:
  platform::File file_;
  platform::MappedFileStart start_;
  bool writable_ = false;
  int stickyError_ = 0;
};

}  // namespace zor::tarnwick
