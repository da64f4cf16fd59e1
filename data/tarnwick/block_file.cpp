#include "data/tarnwick/block_file.h"

#include "data/system_error.h"
#include "data/tarnwick/error_numbers.h"
#include "data/tarnwick/file_header.h"
#include "data/tarnwick/internal_failure.h"
#include "platform/file_environment.h"

namespace zor::tarnwick {

int BlockFile::open(const std::string& path, bool write, platform::Share share, bool create) {
  close();
  const auto disposition =
      create ? platform::Disposition::CreateAlways : platform::Disposition::OpenExisting;
  const auto access = write ? platform::Access::ReadWrite : platform::Access::Read;
  const int error = data::driverErrorOf(
      platform::fileEnvironment().open(file_, path, access, share, disposition));
  if (error != 0) return error;
  writable_ = write;
  stickyError_ = 0;
  // Only where every process reads through the system's one cache does the
  // mapping show what the others wrote.
  if (file_.onLocalDisk()) start_.map(file_, kHeaderSize);
  return kOk;
}

void BlockFile::close() {
  start_.unmap();
  file_.close();
  writable_ = false;
  stickyError_ = 0;
}

int BlockFile::read(uint64_t offset, void* buffer, size_t length, size_t& done) {
  if (length % 64 != 0) internalFailure(FailurePlace::ReadLength);
  return data::driverErrorOf(file_.read(offset, buffer, length, done));
}

int BlockFile::write(uint64_t offset, const void* buffer, size_t length) {
  if (length % 64 != 0) internalFailure(FailurePlace::WriteLength);
  if (stickyError_ != 0) return stickyError_;
  if (!writable_) return stickyError_ = kAccessDenied;
  const int error = data::driverErrorOf(file_.write(offset, buffer, length));
  if (error != 0) stickyError_ = error;
  return error;
}

int BlockFile::size(uint64_t& bytes) const {
  return data::driverErrorOf(file_.size(bytes));
}

int BlockFile::truncate(uint64_t bytes) {
  if (stickyError_ != 0) return stickyError_;
  if (!writable_) return stickyError_ = kAccessDenied;
  const int error = data::driverErrorOf(file_.truncate(bytes));
  if (error != 0) stickyError_ = error;
  return error;
}

int BlockFile::flush() {
  if (stickyError_ != 0) return stickyError_;
  const int error = data::driverErrorOf(file_.flush());
  if (error != 0) stickyError_ = error;
  return error;
}

}  // namespace zor::tarnwick
