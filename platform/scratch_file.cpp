#include "platform/scratch_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

namespace zor::platform {

namespace {

std::string temporaryFolder() {
  const char* folder = std::getenv("TMPDIR");
  return folder != nullptr && *folder != '\0' ? folder : "/tmp";
}

// Repeats `step` (a pread or pwrite from byte `done` on) until `length`
// bytes are through; false on an error or an end of file.
template <typename Step>
bool whole(size_t length, Step step) {
  size_t done = 0;
  while (done < length) {
    const ssize_t moved = step(done);
    if (moved < 0 && errno == EINTR) continue;
    if (moved <= 0) return false;
    done += size_t(moved);
  }
  return true;
}

}  // namespace

ScratchFile::~ScratchFile() {
  if (fd_ >= 0) ::close(fd_);
}

bool ScratchFile::create() {
  const std::string folder = temporaryFolder();
  fd_ = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd_ >= 0) return true;
  // A file system without unnamed files: a named one, unlinked at once.
  std::string name = folder + "/zor_scratch_XXXXXX";
  fd_ = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd_ < 0) return false;
  ::unlink(name.c_str());
  return true;
}

bool ScratchFile::append(const uint8_t* bytes, size_t length, uint64_t& offset) {
  if (fd_ < 0 && !create()) return false;
  const bool written = whole(length, [&](size_t done) {
    return ::pwrite(fd_, bytes + done, length - done, off_t(end_ + done));
  });
  if (!written) return false;
  offset = end_;
  end_ += length;
  return true;
}

bool ScratchFile::read(uint64_t offset, uint8_t* bytes, size_t length) const {
  if (fd_ < 0 || offset + length > end_) return false;
  return whole(length, [&](size_t done) {
    return ::pread(fd_, bytes + done, length - done, off_t(offset + done));
  });
}

void ScratchFile::clear() {
  if (fd_ < 0 || end_ == 0) return;
  while (::ftruncate(fd_, 0) != 0 && errno == EINTR) {
  }
  end_ = 0;
}

}  // namespace zor::platform
