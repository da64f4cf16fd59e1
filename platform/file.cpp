#include "platform/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <limits>
#include <thread>

#include "platform/fault_injection.h"

namespace zor::platform {
namespace {

// Share modes are published as shared (read) locks on four bytes far above
// every range the driver locks. Open-file-description locks belong to one
// open() each, so they separate two handles of one process exactly as they
// separate two processes.
constexpr off_t kShareMarkers = off_t{1} << 62;
constexpr off_t kHasRead = kShareMarkers + 0;
constexpr off_t kHasWrite = kShareMarkers + 1;
constexpr off_t kDeniesRead = kShareMarkers + 2;
constexpr off_t kDeniesWrite = kShareMarkers + 3;
constexpr off_t kMarkerCount = 4;
static_assert(File::kMaxLockEnd == uint64_t(kShareMarkers));

constexpr uint64_t kMaxOffset = uint64_t(std::numeric_limits<off_t>::max());

int setLock(int fd, short type, off_t start, off_t length, bool wait = false) {
  struct flock request {};
  request.l_type = type;
  request.l_whence = SEEK_SET;
  request.l_start = start;
  request.l_len = length;
  if (!wait) return fcntl(fd, F_OFD_SETLK, &request);
  int result;
  while ((result = fcntl(fd, F_OFD_SETLKW, &request)) != 0 && errno == EINTR) {
  }
  return result;
}

// True when another open file description holds a lock on `byte`.
bool othersHold(int fd, off_t byte) {
  struct flock probe {};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  probe.l_start = byte;
  probe.l_len = 1;
  if (fcntl(fd, F_OFD_GETLK, &probe) != 0) return false;  // no locking here: nothing to enforce
  return probe.l_type != F_UNLCK;
}

struct ShareIntent {
  bool reads, writes, deniesRead, deniesWrite;
};

ShareIntent intentOf(Access access, Share share) {
  return ShareIntent{
      access != Access::Write,
      access != Access::Read,
      share == Share::DenyRead || share == Share::Exclusive,
      share == Share::DenyWrite || share == Share::Exclusive,
  };
}

bool conflicts(int fd, const ShareIntent& intent) {
  return (intent.reads && othersHold(fd, kDeniesRead)) ||
         (intent.writes && othersHold(fd, kDeniesWrite)) ||
         (intent.deniesRead && othersHold(fd, kHasRead)) ||
         (intent.deniesWrite && othersHold(fd, kHasWrite));
}

// Publishes the open's access and share mode first and checks the others'
// afterwards: of two racing opens at least the later one sees the earlier,
// so a conflicting pair can never both succeed. When both see each other,
// both withdraw; a few retries let one of them through.
int claimShareMode(int fd, const ShareIntent& intent, bool canPublish) {
  constexpr int kAttempts = 4;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    if (canPublish) {
      const std::pair<bool, off_t> markers[] = {{intent.reads, kHasRead},
                                                {intent.writes, kHasWrite},
                                                {intent.deniesRead, kDeniesRead},
                                                {intent.deniesWrite, kDeniesWrite}};
      for (const auto& [wanted, byte] : markers) {
        if (wanted) setLock(fd, F_RDLCK, byte, 1);
      }
    }
    if (!conflicts(fd, intent)) return kFileOk;
    setLock(fd, F_UNLCK, kShareMarkers, kMarkerCount);
    std::this_thread::sleep_for(std::chrono::milliseconds(1 + attempt));
  }
  return kAccessDenied;
}

int openFlags(Disposition disposition) {
  switch (disposition) {
    case Disposition::OpenExisting:
      return 0;
    case Disposition::CreateNew:
      return O_CREAT | O_EXCL;
    case Disposition::CreateAlways:
    case Disposition::OpenAlways:
      return O_CREAT;
  }
  return 0;
}

// A missing folder on the way answers "path not found", a missing file in
// an existing folder "file not found".
int openError(const std::string& path, int error) {
  if (error != ENOENT) return fileErrorFromErrno(error);
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return kFileNotFound;
  const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
  struct stat info {};
  return stat(folder.c_str(), &info) == 0 ? kFileNotFound : kPathNotFound;
}

bool rangeValid(uint64_t offset, uint64_t length) {
  return length > 0 && offset < File::kMaxLockEnd && length <= File::kMaxLockEnd - offset;
}

}  // namespace

int fileErrorFromErrno(int error, int ioFault) {
  switch (error) {
    case 0:
      return kFileOk;
    case ENOENT:
    case ENXIO:
      return kFileNotFound;
    case ENOTDIR:
    case ELOOP:
    case ENAMETOOLONG:
      return kPathNotFound;
    case EMFILE:
    case ENFILE:
      return kTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
    case ETXTBSY:
    case ENOTEMPTY:
      return kAccessDenied;
    case EBADF:
    case ESTALE:
      return kInvalidHandle;
    case ENOMEM:
      return kInsufficientMemory;
    case EXDEV:
      return kNotSameDevice;
    case ESPIPE:
      return kSeekError;
    case EAGAIN:
    case EDEADLK:
      return kLockViolation;
    case ENOLCK:
      return kSharingBufferExceeded;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return kDiskFull;
    case EOPNOTSUPP:
    case ENOSYS:
      return kNotSupported;
    case ENETDOWN:
    case ENETUNREACH:
    case ENETRESET:
    case ECONNABORTED:
    case ECONNRESET:
    case ETIMEDOUT:
    case ECONNREFUSED:
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ENOLINK:
      return kNetworkError;
    case EEXIST:
      return kFileExists;
    case EINVAL:
      return kInvalidArgument;
    default:
      // EIO and any failure without a number of its own: a fault of the
      // read or write that met it.
      return ioFault;
  }
}

File::~File() {
  close();
}

File::File(File&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      path_(std::move(other.path_)),
      access_(other.access_),
      exclusiveLocks_(other.exclusiveLocks_),
      heldLocks_(std::move(other.heldLocks_)),
      watcher_(std::exchange(other.watcher_, nullptr)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    close();
    fd_ = std::exchange(other.fd_, -1);
    path_ = std::move(other.path_);
    access_ = other.access_;
    exclusiveLocks_ = other.exclusiveLocks_;
    heldLocks_ = std::move(other.heldLocks_);
    watcher_ = std::exchange(other.watcher_, nullptr);
  }
  return *this;
}

int File::open(const std::string& path, Access access, Share share, Disposition disposition) {
  close();
  const int create = openFlags(disposition) | O_CLOEXEC;
  // Every handle is opened for reading and writing when the permissions
  // allow it, whatever access was asked for: exclusive byte-range locks need
  // a writable descriptor. The asked access is enforced by read and write.
  int fd = ::open(path.c_str(), O_RDWR | create, 0666);
  bool exclusiveLocks = true;
  if (fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS || errno == ETXTBSY) &&
      access != Access::ReadWrite) {
    fd = ::open(path.c_str(), (access == Access::Read ? O_RDONLY : O_WRONLY) | create, 0666);
    exclusiveLocks = false;
  }
  if (fd < 0) return openError(path, errno);

  struct stat info {};
  if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    ::close(fd);
    return kAccessDenied;
  }
  // A write-only descriptor cannot carry read locks, so it cannot publish its
  // share mode; it still respects the modes of the others.
  const bool canPublish = exclusiveLocks || access == Access::Read;
  if (int error = claimShareMode(fd, intentOf(access, share), canPublish); error != kFileOk) {
    ::close(fd);
    return error;
  }
  // Truncate only after the share check, so that a refused open never
  // destroys the contents another handle protects.
  if (disposition == Disposition::CreateAlways && info.st_size != 0 && ftruncate(fd, 0) != 0) {
    // A descriptor the system opened read-only cannot truncate.
    const int error = errno == EBADF || errno == EINVAL ? kAccessDenied : fileErrorFromErrno(errno);
    ::close(fd);
    return error;
  }
  fd_ = fd;
  path_ = path;
  access_ = access;
  exclusiveLocks_ = exclusiveLocks;
  heldLocks_.clear();
  return kFileOk;
}

void File::close() {
  if (fd_ >= 0) ::close(fd_);  // releases every lock of this open file description
  fd_ = -1;
  path_.clear();
  heldLocks_.clear();
  watcher_ = nullptr;
}

int File::read(uint64_t offset, void* buffer, size_t length, size_t& done) {
  done = 0;
  if (fd_ < 0) return kInvalidHandle;
  if (access_ == Access::Write) return kAccessDenied;
  if (offset > kMaxOffset) return kInvalidArgument;
  auto* bytes = static_cast<char*>(buffer);
  while (done < length) {
    const uint64_t position = offset + done;
    if (position > kMaxOffset) break;
    const ssize_t got = pread(fd_, bytes + done, length - done, off_t(position));
    if (got < 0) {
      if (errno == EINTR) continue;
      return fileErrorFromErrno(errno, kReadFault);
    }
    if (got == 0) break;  // end of file
    done += size_t(got);
  }
  return kFileOk;
}

int File::write(uint64_t offset, const void* buffer, size_t length) {
  if (fd_ < 0) return kInvalidHandle;
  if (access_ == Access::Read) return kAccessDenied;
  if (offset > kMaxOffset || length > kMaxOffset - offset) return kInvalidArgument;
  const FaultKind fault = takeFaultStep(FaultStep::Write);
  if (fault == FaultKind::Fail) return kInjectedFault;
  const size_t wanted = fault == FaultKind::Short ? length / 2 : length;
  const auto* bytes = static_cast<const char*>(buffer);
  if (watcher_ != nullptr) watcher_->beforeWrite(*this, offset, wanted);
  size_t written = 0;
  int error = kFileOk;
  while (written < wanted) {
    const ssize_t put = pwrite(fd_, bytes + written, wanted - written, off_t(offset + written));
    if (put < 0) {
      if (errno == EINTR) continue;
      error = fileErrorFromErrno(errno, kWriteFault);
      break;
    }
    if (put == 0) {  // no progress and no error: treat as a full device
      error = kDiskFull;
      break;
    }
    written += size_t(put);
  }
  if (watcher_ != nullptr && written != 0) watcher_->afterWrite(*this, offset, written);
  if (error != kFileOk) return error;
  return fault == FaultKind::Short ? kInjectedFault : kFileOk;
}

int File::flush() {
  if (fd_ < 0) return kInvalidHandle;
  if (takeFaultStep(FaultStep::Flush) != FaultKind::None) return kInjectedFault;
  if (watcher_ != nullptr) watcher_->beforeFlush(*this);
  while (fdatasync(fd_) != 0) {
    if (errno != EINTR) return fileErrorFromErrno(errno, kWriteFault);
  }
  if (watcher_ != nullptr) watcher_->afterFlush(*this);
  return kFileOk;
}

int File::size(uint64_t& bytes) const {
  bytes = 0;
  if (fd_ < 0) return kInvalidHandle;
  struct stat info {};
  if (fstat(fd_, &info) != 0) return fileErrorFromErrno(errno, kReadFault);
  bytes = uint64_t(info.st_size);
  return kFileOk;
}

File::Identity File::identity() const {
  struct stat info {};
  if (fd_ < 0 || fstat(fd_, &info) != 0) return {};
  return {static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
}

bool File::onLocalDisk() const {
  if (fd_ < 0) return false;
  struct statfs info {};
  if (fstatfs(fd_, &info) != 0) return false;
  // The file systems of local disks and of memory; network and user-space
  // file systems are left out.
  constexpr unsigned long kLocal[] = {
      0xEF53,      // ext2, ext3, ext4
      0x58465342,  // xfs
      0x9123683E,  // btrfs
      0xF2F52010,  // f2fs
      0x01021994,  // tmpfs
      0x858458F6,  // ramfs
      0x794C7630,  // overlay
      0x2FC12FC1,  // zfs
      0xCA451A4E,  // bcachefs
      0x3153464A,  // jfs
      0x52654973,  // reiserfs
      0x4D44,      // vfat
      0x2011BAB0,  // exfat
  };
  const auto type = static_cast<unsigned long>(info.f_type);
  return std::find(std::begin(kLocal), std::end(kLocal), type) != std::end(kLocal);
}

int File::truncate(uint64_t bytes) {
  if (fd_ < 0) return kInvalidHandle;
  if (access_ == Access::Read) return kAccessDenied;
  if (bytes > kMaxOffset) return kInvalidArgument;
  if (watcher_ != nullptr) watcher_->beforeTruncate(*this, bytes);
  while (ftruncate(fd_, off_t(bytes)) != 0) {
    if (errno != EINTR) return fileErrorFromErrno(errno, kWriteFault);
  }
  return kFileOk;
}

int File::lock(uint64_t offset, uint64_t length, bool wait) {
  if (fd_ < 0) return kInvalidHandle;
  if (!rangeValid(offset, length)) return kInvalidArgument;
  const bool overlapsOwn = std::any_of(heldLocks_.begin(), heldLocks_.end(), [&](const auto& held) {
    return offset < held.first + held.second && held.first < offset + length;
  });
  if (overlapsOwn) return kLockViolation;
  if (setLock(fd_, exclusiveLocks_ ? F_WRLCK : F_RDLCK, off_t(offset), off_t(length), wait) != 0) {
    return errno == EACCES || errno == EAGAIN ? kLockViolation : fileErrorFromErrno(errno);
  }
  heldLocks_.emplace_back(offset, length);
  return kFileOk;
}

int File::unlock(uint64_t offset, uint64_t length) {
  if (fd_ < 0) return kInvalidHandle;
  const auto held = std::find(heldLocks_.begin(), heldLocks_.end(), std::pair{offset, length});
  if (held == heldLocks_.end()) return kNotLocked;
  if (setLock(fd_, F_UNLCK, off_t(offset), off_t(length)) != 0) return fileErrorFromErrno(errno);
  heldLocks_.erase(held);
  return kFileOk;
}

bool fileExists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0;
}

bool isFolder(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

int removeFile(const std::string& path) {
  return ::unlink(path.c_str()) == 0 ? kFileOk : fileErrorFromErrno(errno);
}

int renameFile(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0 ? kFileOk : fileErrorFromErrno(errno);
}

}  // namespace zor::platform
