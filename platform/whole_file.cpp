#include "platform/whole_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/file.h"

namespace zor::platform {
namespace {

int writeAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t put = ::write(fd, text.data(), text.size());
    if (put < 0) {
      if (errno == EINTR) continue;
      return fileErrorFromErrno(errno, kWriteFault);
    }
    if (put == 0) return kDiskFull;
    text.remove_prefix(size_t(put));
  }
  return kFileOk;
}

std::string folderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a path names after following symbolic links; the path itself
// when it does not exist yet.
std::string resolvedTarget(const std::string& path) {
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

// Makes a rename in the folder durable.
void syncFolder(const std::string& folder) {
  const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd >= 0) {
    fsync(folderFd);
    ::close(folderFd);
  }
}

}  // namespace

int readWholeFile(const std::string& path, std::string& text) {
  text.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return fileErrorFromErrno(errno, kReadFault);
  struct stat info {};
  if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    ::close(fd);
    return kAccessDenied;
  }
  char buffer[65536];
  int result = kFileOk;
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      result = fileErrorFromErrno(errno, kReadFault);
      break;
    }
    if (got == 0) break;
    text.append(buffer, size_t(got));
  }
  ::close(fd);
  return result;
}

int replaceWholeFile(const std::string& path, std::string_view text) {
  const std::string target = resolvedTarget(path);
  const std::string folder = folderOf(target);
  std::string temporary = target + ".XXXXXX";
  const int fd = mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return fileErrorFromErrno(errno, kWriteFault);

  // Keep the permissions of the file being replaced; a new file gets the
  // usual read-write for the owner and read for the others.
  struct stat info {};
  const mode_t mode = stat(target.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0644;
  int result = fchmod(fd, mode) == 0 ? kFileOk : fileErrorFromErrno(errno, kWriteFault);
  if (result == kFileOk) result = writeAll(fd, text);
  if (result == kFileOk && fsync(fd) != 0) result = fileErrorFromErrno(errno, kWriteFault);
  if (::close(fd) != 0 && result == kFileOk) result = fileErrorFromErrno(errno, kWriteFault);
  if (result == kFileOk && ::rename(temporary.c_str(), target.c_str()) != 0) {
    result = fileErrorFromErrno(errno, kWriteFault);
  }
  if (result != kFileOk) {
    ::unlink(temporary.c_str());
    return result;
  }
  syncFolder(folder);  // the rename itself durable
  return kFileOk;
}

int replaceFile(const std::string& from, const std::string& to) {
  const std::string target = resolvedTarget(to);
  struct stat info {};
  if (stat(target.c_str(), &info) == 0 && chmod(from.c_str(), info.st_mode & 07777) != 0)
    return fileErrorFromErrno(errno, kWriteFault);
  if (::rename(from.c_str(), target.c_str()) != 0) return fileErrorFromErrno(errno, kWriteFault);
  syncFolder(folderOf(target));
  return kFileOk;
}

FolderLock::FolderLock(const std::string& path) {
  fd_ = ::open(folderOf(resolvedTarget(path)).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) return;
  while (flock(fd_, LOCK_EX) != 0) {
    if (errno == EINTR) continue;
    ::close(fd_);  // a folder that cannot be locked: go on unlocked
    fd_ = -1;
    break;
  }
}

FolderLock::~FolderLock() {
  if (fd_ >= 0) ::close(fd_);  // releases the lock
}

}  // namespace zor::platform
