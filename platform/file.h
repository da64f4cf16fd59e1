#pragma once
// Files with access and share modes, 64-bit absolute offsets, flushes and
// byte-range locks. A conflicting open answers kAccessDenied, as the native
// driver expects from the operating system it was designed against.

#include <compare>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace zor::platform {

class File;

// Sees the writes, flushes and truncations of the files it watches (see
// FileEnvironment): a test environment keeps what a power cut could still
// take away.
class FileWatcher {
 public:
  virtual ~FileWatcher() = default;
  virtual void beforeWrite(File& file, uint64_t offset, size_t length) = 0;
  virtual void afterWrite(File& file, uint64_t offset, size_t length) = 0;
  // May end the process instead of returning (a power cut).
  virtual void beforeFlush(File& file) = 0;
  virtual void afterFlush(File& file) = 0;
  virtual void beforeTruncate(File& file, uint64_t bytes) = 0;
};

// Error numbers of the file layer: 0 on success, otherwise the operating
// system's error number in the numbering the runtime keeps their texts under
// (at 300 + the number: 339 "Handle Disk Full"). Every errno value maps onto
// one of these; the driver turns them into its own answers (data/system_error.h).
enum FileErrorCode : int {
  kFileOk = 0,
  kFileNotFound = 2,
  kPathNotFound = 3,
  kTooManyOpenFiles = 4,
  kAccessDenied = 5,
  kInvalidHandle = 6,
  kInsufficientMemory = 8,
  kNotSameDevice = 17,
  kSeekError = 25,
  kWriteFault = 29,  // an I/O error while writing or flushing
  kReadFault = 30,   // an I/O error while reading
  kLockViolation = 33,
  kSharingBufferExceeded = 36,  // no lock can be had: the system's table is full
  kDiskFull = 39,
  kNotSupported = 50,
  kNetworkError = 59,  // the file's server could not be reached
  kFileExists = 80,
  kInvalidArgument = 87,  // a bad offset or length (for example a zero-length lock)
  kNotLocked = 158,       // unlock of a range this handle does not hold
  kInjectedFault = 1000,  // a failure made by the fault-injection hook
};

enum class Access { Read, Write, ReadWrite };

// Which other opens of the same file this open tolerates.
enum class Share { DenyNone, DenyWrite, DenyRead, Exclusive };

enum class Disposition {
  OpenExisting,  // fail with kFileNotFound when missing
  CreateNew,     // fail with kFileExists when present
  CreateAlways,  // create or truncate
  OpenAlways,    // open, creating when missing
};

class File {
 public:
  File() = default;
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Returns 0 or an error number; on failure the object stays closed.
  int open(const std::string& path, Access access, Share share, Disposition disposition);
  void close();
  bool isOpen() const { return fd_ >= 0; }
  const std::string& path() const { return path_; }

  // Reads up to `length` bytes at `offset`; `done` receives the count read,
  // short only at the end of the file.
  int read(uint64_t offset, void* buffer, size_t length, size_t& done);
  // Writes all `length` bytes at `offset` (goes through fault injection).
  int write(uint64_t offset, const void* buffer, size_t length);
  // Makes everything written durable, with what reading it back needs (the
  // size), not the times (goes through fault injection).
  int flush();
  int size(uint64_t& bytes) const;
  int truncate(uint64_t bytes);
  // Whether the file lies on a disk of this machine, whose cache every
  // process shares: what one process wrote, another then reads without
  // taking a lock first. A network file system may serve a reader from a
  // copy it made earlier until that reader locks; unknown kinds count as
  // such.
  bool onLocalDisk() const;
  // Which file this is, the same for every handle on it whatever its path
  // ({0, 0} when it cannot be told).
  struct Identity {
    uint64_t device = 0;
    uint64_t inode = 0;
    auto operator<=>(const Identity&) const = default;
  };
  Identity identity() const;

  // Exclusive, non-blocking byte-range locks owned by this open handle; a
  // range may lie beyond the end of the file. Answers kLockViolation when
  // another handle (of this or any process) holds an overlapping range, and
  // also when this handle already holds one: a handle never stacks locks.
  // unlock releases exactly a range taken by lock (else kNotLocked). Ranges
  // must end at or below kMaxLockEnd (the bytes above carry the share modes).
  // One File's locks are not guarded against concurrent lock/unlock calls
  // from several threads; its owner serialises them. With `wait` the call
  // blocks until the range is free instead of answering kLockViolation (a
  // range this handle holds itself still answers it at once).
  int lock(uint64_t offset, uint64_t length, bool wait = false);
  int unlock(uint64_t offset, uint64_t length);
  static constexpr uint64_t kMaxLockEnd = uint64_t{1} << 62;

  int nativeHandle() const { return fd_; }
  // Tells `watcher` of every later write, flush and truncation (nullptr:
  // nobody); closing the file ends it.
  void watch(FileWatcher* watcher) { watcher_ = watcher; }

 private:
  int fd_ = -1;
  std::string path_;
  Access access_ = Access::Read;
  // False when the system would only open the file read-only or write-only
  // (no permission for both): byte-range locks are then shared read locks.
  bool exclusiveLocks_ = true;
  std::vector<std::pair<uint64_t, uint64_t>> heldLocks_;  // offset, length
  FileWatcher* watcher_ = nullptr;
};

bool fileExists(const std::string& path);
// Whether `path` names a folder (false when it names nothing or a file).
bool isFolder(const std::string& path);
int removeFile(const std::string& path);
// Renames a file; an existing `to` is replaced.
int renameFile(const std::string& from, const std::string& to);

// The file-layer error number of an errno value. `ioFault` is the number an
// EIO stands for (kReadFault or kWriteFault).
int fileErrorFromErrno(int error, int ioFault = kWriteFault);

}  // namespace zor::platform
