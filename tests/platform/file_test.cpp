#include "platform/file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/platform/test_support.h"

namespace zor::platform {
namespace {

using testing::HoldingChild;
using testing::runInChild;
using testing::TempDir;

constexpr uint64_t kLockBase = uint64_t{1} << 31;

std::string readAll(File& file) {
  uint64_t bytes = 0;
  EXPECT_EQ(file.size(bytes), kFileOk);
  std::string text(bytes, '\0');
  size_t done = 0;
  EXPECT_EQ(file.read(0, text.data(), text.size(), done), kFileOk);
  text.resize(done);
  return text;
}

void writeText(const std::string& path, const std::string& text) {
  File file;
  ASSERT_EQ(file.open(path, Access::ReadWrite, Share::DenyNone, Disposition::CreateAlways),
            kFileOk);
  ASSERT_EQ(file.write(0, text.data(), text.size()), kFileOk);
}

struct Mode {
  Access access;
  Share share;
};

struct ShareCase {
  Mode first, second;
  bool secondOpens;
};

// Windows share semantics: an open fails when it asks for an access that an
// existing open denies, or denies an access an existing open has.
const ShareCase kShareCases[] = {
    {{Access::ReadWrite, Share::DenyNone}, {Access::ReadWrite, Share::DenyNone}, true},
    {{Access::ReadWrite, Share::DenyWrite}, {Access::Read, Share::DenyNone}, true},
    {{Access::ReadWrite, Share::DenyWrite}, {Access::ReadWrite, Share::DenyNone}, false},
    {{Access::ReadWrite, Share::DenyWrite}, {Access::Write, Share::DenyNone}, false},
    {{Access::Read, Share::DenyNone}, {Access::Read, Share::DenyWrite}, true},
    {{Access::ReadWrite, Share::DenyNone}, {Access::Read, Share::DenyWrite}, false},
    {{Access::Read, Share::DenyWrite}, {Access::Read, Share::DenyWrite}, true},
    {{Access::Read, Share::Exclusive}, {Access::Read, Share::DenyNone}, false},
    {{Access::Read, Share::DenyNone}, {Access::Write, Share::Exclusive}, false},
    {{Access::Write, Share::DenyRead}, {Access::Read, Share::DenyNone}, false},
    {{Access::Write, Share::DenyRead}, {Access::Write, Share::DenyNone}, true},
    {{Access::Read, Share::DenyNone}, {Access::Write, Share::DenyRead}, false},
};

TEST(FileShareModes, ConflictingOpensOfOneProcessAreDenied) {
  TempDir dir;
  const std::string path = dir.file("shared.dat");
  writeText(path, "data");
  for (const ShareCase& c : kShareCases) {
    SCOPED_TRACE(&c - kShareCases);
    File first, second;
    ASSERT_EQ(first.open(path, c.first.access, c.first.share, Disposition::OpenExisting), kFileOk);
    EXPECT_EQ(second.open(path, c.second.access, c.second.share, Disposition::OpenExisting),
              c.secondOpens ? kFileOk : kAccessDenied);
    EXPECT_EQ(second.isOpen(), c.secondOpens);
    first.close();
    // The first handle's share mode leaves with it.
    if (!c.secondOpens) {
      EXPECT_EQ(second.open(path, c.second.access, c.second.share, Disposition::OpenExisting),
                kFileOk);
    }
  }
}

TEST(FileShareModes, ConflictingOpensOfAnotherProcessAreDenied) {
  TempDir dir;
  const std::string path = dir.file("shared.dat");
  writeText(path, "data");
  for (const ShareCase& c : kShareCases) {
    SCOPED_TRACE(&c - kShareCases);
    HoldingChild holder([&] {
      static File held;
      return held.open(path, c.first.access, c.first.share, Disposition::OpenExisting);
    });
    ASSERT_EQ(holder.setupResult(), kFileOk);
    File second;
    EXPECT_EQ(second.open(path, c.second.access, c.second.share, Disposition::OpenExisting),
              c.secondOpens ? kFileOk : kAccessDenied);
    second.close();
    holder.release();
    EXPECT_EQ(second.open(path, c.second.access, c.second.share, Disposition::OpenExisting),
              kFileOk);
  }
}

TEST(FileShareModes, RefusedCreateAlwaysKeepsTheContents) {
  TempDir dir;
  const std::string path = dir.file("kept.dat");
  writeText(path, "precious");
  File guard, intruder;
  ASSERT_EQ(guard.open(path, Access::ReadWrite, Share::DenyWrite, Disposition::OpenExisting),
            kFileOk);
  EXPECT_EQ(intruder.open(path, Access::ReadWrite, Share::DenyNone, Disposition::CreateAlways),
            kAccessDenied);
  EXPECT_EQ(readAll(guard), "precious");
}

TEST(FileOpen, DispositionsAndErrors) {
  TempDir dir;
  const std::string path = dir.file("a.dat");
  File file;
  EXPECT_EQ(file.open(path, Access::Read, Share::DenyNone, Disposition::OpenExisting),
            kFileNotFound);
  EXPECT_FALSE(file.isOpen());
  EXPECT_EQ(
      file.open(dir.file("missing/a.dat"), Access::Read, Share::DenyNone, Disposition::OpenAlways),
      kPathNotFound);
  ASSERT_EQ(file.open(path, Access::ReadWrite, Share::DenyNone, Disposition::CreateNew), kFileOk);
  EXPECT_EQ(file.path(), path);
  ASSERT_EQ(file.write(0, "abc", 3), kFileOk);
  file.close();
  EXPECT_EQ(file.open(path, Access::ReadWrite, Share::DenyNone, Disposition::CreateNew),
            kFileExists);
  ASSERT_EQ(file.open(path, Access::ReadWrite, Share::DenyNone, Disposition::OpenAlways), kFileOk);
  EXPECT_EQ(readAll(file), "abc");
  ASSERT_EQ(file.open(path, Access::ReadWrite, Share::DenyNone, Disposition::CreateAlways),
            kFileOk);
  EXPECT_EQ(readAll(file), "");
  EXPECT_EQ(file.open(dir.path(), Access::Read, Share::DenyNone, Disposition::OpenExisting),
            kAccessDenied);
}

TEST(FileOpen, AccessIsEnforcedPerHandle) {
  TempDir dir;
  const std::string path = dir.file("a.dat");
  writeText(path, "abc");
  File reader, writer;
  ASSERT_EQ(reader.open(path, Access::Read, Share::DenyNone, Disposition::OpenExisting), kFileOk);
  ASSERT_EQ(writer.open(path, Access::Write, Share::DenyNone, Disposition::OpenExisting), kFileOk);
  char buffer[4];
  size_t done = 0;
  EXPECT_EQ(reader.write(0, "x", 1), kAccessDenied);
  EXPECT_EQ(reader.truncate(0), kAccessDenied);
  EXPECT_EQ(writer.read(0, buffer, 3, done), kAccessDenied);
  EXPECT_EQ(writer.write(1, "X", 1), kFileOk);
  EXPECT_EQ(readAll(reader), "aXc");
}

TEST(FileOpen, ClosedHandleAnswersInvalidHandle) {
  File file;
  char byte;
  size_t done = 0;
  uint64_t bytes = 0;
  EXPECT_EQ(file.read(0, &byte, 1, done), kInvalidHandle);
  EXPECT_EQ(file.write(0, &byte, 1), kInvalidHandle);
  EXPECT_EQ(file.flush(), kInvalidHandle);
  EXPECT_EQ(file.size(bytes), kInvalidHandle);
  EXPECT_EQ(file.lock(kLockBase, 1), kInvalidHandle);
}

// Readers rely on what other processes wrote being visible without a lock
// only on file systems of this machine; a file system the list does not
// know (here the process file system) counts as one that is not.
TEST(FileOpen, OnlyFilesOnFileSystemsOfThisMachineCountAsOnALocalDisk) {
  File closed;
  EXPECT_FALSE(closed.onLocalDisk());
  File processInfo;
  ASSERT_EQ(
      processInfo.open("/proc/self/stat", Access::Read, Share::DenyNone, Disposition::OpenExisting),
      kFileOk);
  EXPECT_FALSE(processInfo.onLocalDisk());
  if (!std::filesystem::is_directory("/dev/shm")) return;
  const std::string path = "/dev/shm/zor-platform-local-" + std::to_string(::getpid());
  writeText(path, "x");
  File inMemory;
  ASSERT_EQ(inMemory.open(path, Access::Read, Share::DenyNone, Disposition::OpenExisting), kFileOk);
  EXPECT_TRUE(inMemory.onLocalDisk());
  inMemory.close();
  std::filesystem::remove(path);
}

TEST(FileIo, ReadsAndWritesBeyondFourGigabytesOnASparseFile) {
  TempDir dir;
  File file;
  ASSERT_EQ(file.open(dir.file("sparse.dat"), Access::ReadWrite, Share::Exclusive,
                      Disposition::CreateNew),
            kFileOk);
  const uint64_t far = (uint64_t{5} << 30) + 3;
  const std::string text = "beyond four gigabytes";
  ASSERT_EQ(file.write(far, text.data(), text.size()), kFileOk);
  uint64_t bytes = 0;
  ASSERT_EQ(file.size(bytes), kFileOk);
  EXPECT_EQ(bytes, far + text.size());

  std::string back(text.size() + 10, '\0');
  size_t done = 0;
  ASSERT_EQ(file.read(far, back.data(), back.size(), done), kFileOk);
  EXPECT_EQ(done, text.size());  // short only at the end of the file
  EXPECT_EQ(back.substr(0, done), text);
  ASSERT_EQ(file.read(far - 2, back.data(), 2, done), kFileOk);
  EXPECT_EQ(back.substr(0, 2), std::string(2, '\0'));  // the hole reads as zeros
  EXPECT_EQ(file.read(bytes + 100, back.data(), 4, done), kFileOk);
  EXPECT_EQ(done, 0u);

  ASSERT_EQ(file.truncate(10), kFileOk);
  ASSERT_EQ(file.size(bytes), kFileOk);
  EXPECT_EQ(bytes, 10u);
  EXPECT_EQ(file.flush(), kFileOk);
}

TEST(FileIo, MovedHandleKeepsItsFileAndLocks) {
  TempDir dir;
  const std::string path = dir.file("a.dat");
  File first;
  ASSERT_EQ(first.open(path, Access::ReadWrite, Share::DenyNone, Disposition::CreateNew), kFileOk);
  ASSERT_EQ(first.lock(kLockBase, 1), kFileOk);
  File moved(std::move(first));
  EXPECT_FALSE(first.isOpen());  // NOLINT(bugprone-use-after-move): moved-from state is defined
  EXPECT_EQ(moved.unlock(kLockBase, 1), kFileOk);
  File assigned;
  assigned = std::move(moved);
  EXPECT_TRUE(assigned.isOpen());
  EXPECT_EQ(assigned.path(), path);
}

class FileLocks : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.file("locked.dat");
    writeText(path_, "small");
    ASSERT_EQ(a_.open(path_, Access::ReadWrite, Share::DenyNone, Disposition::OpenExisting),
              kFileOk);
    ASSERT_EQ(b_.open(path_, Access::ReadWrite, Share::DenyNone, Disposition::OpenExisting),
              kFileOk);
  }
  TempDir dir_;
  std::string path_;
  File a_, b_;
};

TEST_F(FileLocks, ExcludeOtherHandlesOfTheSameProcess) {
  const uint64_t ranges[][2] = {{kLockBase + 1023, 1},
                                {kLockBase, 1023},
                                {kLockBase + 1024 + 7, 1},
                                {(uint64_t{1} << 32) - 1, 1}};
  for (const auto& range : ranges) {
    SCOPED_TRACE(range[0]);
    ASSERT_EQ(a_.lock(range[0], range[1]), kFileOk);
    EXPECT_EQ(b_.lock(range[0], range[1]), kLockViolation);
    EXPECT_EQ(b_.lock(range[0] + range[1] - 1, 2), kLockViolation);  // overlaps the end
    EXPECT_EQ(a_.unlock(range[0], range[1]), kFileOk);
    EXPECT_EQ(b_.lock(range[0], range[1]), kFileOk);
    EXPECT_EQ(b_.unlock(range[0], range[1]), kFileOk);
  }
}

TEST_F(FileLocks, AdjacentRangesAndRangesBeyondTheEndOfTheFileAreIndependent) {
  ASSERT_EQ(a_.lock(kLockBase + 5, 1), kFileOk);
  EXPECT_EQ(b_.lock(kLockBase + 4, 1), kFileOk);
  EXPECT_EQ(b_.lock(kLockBase + 6, 1), kFileOk);
  EXPECT_EQ(b_.lock(100, 10), kFileOk);  // beyond the five bytes of the file
  uint64_t bytes = 0;
  ASSERT_EQ(a_.size(bytes), kFileOk);
  EXPECT_EQ(bytes, 5u);  // locking never grows the file
}

TEST_F(FileLocks, AHandleNeverStacksLocksAndUnlocksOnlyWhatItHolds) {
  ASSERT_EQ(a_.lock(kLockBase, 1023), kFileOk);
  EXPECT_EQ(a_.lock(kLockBase + 10, 1), kLockViolation);
  EXPECT_EQ(a_.unlock(kLockBase + 10, 1), kNotLocked);
  EXPECT_EQ(b_.unlock(kLockBase, 1023), kNotLocked);
  EXPECT_EQ(a_.unlock(kLockBase, 1023), kFileOk);
  EXPECT_EQ(a_.unlock(kLockBase, 1023), kNotLocked);
  EXPECT_EQ(a_.lock(kLockBase, 0), kInvalidArgument);
  EXPECT_EQ(a_.lock(File::kMaxLockEnd - 1, 2), kInvalidArgument);
  EXPECT_EQ(a_.lock(~uint64_t{0}, 1), kInvalidArgument);
}

TEST_F(FileLocks, ClosingAHandleReleasesItsLocks) {
  ASSERT_EQ(a_.lock(kLockBase + 1023, 1), kFileOk);
  a_.close();
  EXPECT_EQ(b_.lock(kLockBase + 1023, 1), kFileOk);
}

TEST_F(FileLocks, ReadOnlyHandlesStillLockExclusively) {
  File reader1, reader2;
  ASSERT_EQ(reader1.open(path_, Access::Read, Share::DenyNone, Disposition::OpenExisting), kFileOk);
  ASSERT_EQ(reader2.open(path_, Access::Read, Share::DenyNone, Disposition::OpenExisting), kFileOk);
  ASSERT_EQ(reader1.lock(kLockBase + 3, 1), kFileOk);
  EXPECT_EQ(reader2.lock(kLockBase + 3, 1), kLockViolation);
}

TEST_F(FileLocks, ExcludeOtherProcesses) {
  HoldingChild holder([&] {
    static File held;
    if (held.open(path_, Access::ReadWrite, Share::DenyNone, Disposition::OpenExisting) != 0) {
      return 100;
    }
    return held.lock(kLockBase + 1024 + 2, 1) + held.lock((uint64_t{1} << 32) - 1, 1);
  });
  ASSERT_EQ(holder.setupResult(), kFileOk);
  EXPECT_EQ(a_.lock(kLockBase + 1024 + 2, 1), kLockViolation);
  EXPECT_EQ(a_.lock((uint64_t{1} << 32) - 1, 1), kLockViolation);
  EXPECT_EQ(a_.lock(kLockBase + 1024 + 1, 1), kFileOk);
  // Locks and share modes live on different bytes: the child's locks do not
  // make this process's opens fail.
  File third;
  EXPECT_EQ(third.open(path_, Access::ReadWrite, Share::DenyNone, Disposition::OpenExisting),
            kFileOk);
  holder.release();
  EXPECT_EQ(a_.lock(kLockBase + 1024 + 2, 1), kFileOk);
  // ... and this process's lock holds against a child in turn.
  EXPECT_EQ(runInChild([&] {
              File other;
              other.open(path_, Access::ReadWrite, Share::DenyNone, Disposition::OpenExisting);
              return other.lock(kLockBase + 1024 + 2, 1);
            }),
            kLockViolation);
}

TEST(FileErrors, ErrnoValuesMapOntoFileErrorNumbers) {
  EXPECT_EQ(fileErrorFromErrno(ENOENT), kFileNotFound);
  EXPECT_EQ(fileErrorFromErrno(EACCES), kAccessDenied);
  EXPECT_EQ(fileErrorFromErrno(EPERM), kAccessDenied);
  EXPECT_EQ(fileErrorFromErrno(ENOSPC), kDiskFull);
  EXPECT_EQ(fileErrorFromErrno(EEXIST), kFileExists);
  EXPECT_EQ(fileErrorFromErrno(EAGAIN), kLockViolation);
  // EIO is 5 on Linux: it must not read as "Access Denied".
  EXPECT_EQ(fileErrorFromErrno(EIO, kReadFault), kReadFault);
  EXPECT_EQ(fileErrorFromErrno(ENOTEMPTY), kAccessDenied);  // 39 would read as "Disk Full"
  // Every errno value becomes a system error number; one without a number
  // of its own is a fault of the read or write that met it, never the raw
  // errno (whose number means something else in the system's table).
  EXPECT_EQ(fileErrorFromErrno(ENAMETOOLONG), kPathNotFound);
  EXPECT_EQ(fileErrorFromErrno(EFBIG), kDiskFull);
  EXPECT_EQ(fileErrorFromErrno(ENOMEM), kInsufficientMemory);
  EXPECT_EQ(fileErrorFromErrno(EPROTO, kReadFault), kReadFault);
  EXPECT_EQ(fileErrorFromErrno(ECHILD), kWriteFault);
}

TEST(FileErrors, RemoveAndRename) {
  TempDir dir;
  const std::string from = dir.file("from"), to = dir.file("to");
  EXPECT_EQ(removeFile(from), kFileNotFound);
  EXPECT_EQ(renameFile(from, to), kFileNotFound);
  writeText(from, "x");
  EXPECT_TRUE(fileExists(from));
  EXPECT_FALSE(isFolder(from));
  EXPECT_TRUE(isFolder(dir.path()));
  EXPECT_FALSE(isFolder(to));
  EXPECT_EQ(renameFile(from, to), kFileOk);
  EXPECT_FALSE(fileExists(from));
  EXPECT_EQ(removeFile(to), kFileOk);
  EXPECT_FALSE(fileExists(to));
}

}  // namespace
}  // namespace zor::platform
