#pragma once
// Reading and replacing a small file as a whole. A replacement is written to
// a temporary file beside the target, made durable and renamed over it, so a
// crash leaves either the old or the new contents, never a mixture.

#include <string>
#include <string_view>

namespace zor::platform {

// Returns 0, kFileNotFound when the file is missing, or another file-layer
// error number (the file exists but cannot be read).
int readWholeFile(const std::string& path, std::string& text);
// Returns 0 or a file-layer error number; the target is untouched on failure.
// A symbolic link is followed: its target is replaced, the link stays.
int replaceWholeFile(const std::string& path, std::string_view text);

// Puts the finished file `from` in the place of `to` in one step (a rename
// within the folder, made durable): a crash leaves either file whole, never
// a mixture. `from` takes over the permissions of the file it replaces.
// Returns 0 or a file-layer error number; `to` is untouched on failure.
int replaceFile(const std::string& from, const std::string& to);

// While it lives, holds an exclusive lock (among processes and among open
// handles of one process) on the folder of the file `path` names, so that
// read-change-replace sequences of several processes do not interleave. The
// folder rather than the file is locked because a replacement swaps the
// file's inode. Without a lockable folder nothing is locked.
class FolderLock {
 public:
  explicit FolderLock(const std::string& path);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  int fd_ = -1;
};

}  // namespace zor::platform
