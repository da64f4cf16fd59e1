#include "platform/power_cut.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <random>

#include "platform/fault_injection.h"

namespace zor::platform {

namespace {

std::string readSector(int fd, uint64_t index) {
  std::string bytes(PowerCutEnvironment::kSectorSize, '\0');
  ssize_t got = 0;
  do {
    got = pread(fd, bytes.data(), bytes.size(), off_t(index * PowerCutEnvironment::kSectorSize));
  } while (got < 0 && errno == EINTR);
  bytes.resize(got > 0 ? size_t(got) : 0);
  return bytes;
}

void writeAll(int fd, uint64_t offset, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = pwrite(fd, bytes.data() + done, bytes.size() - done, off_t(offset + done));
    if (put <= 0 && errno != EINTR) return;
    if (put > 0) done += size_t(put);
  }
}

}  // namespace

int PowerCutEnvironment::open(File& file, const std::string& path, Access access, Share share,
                              Disposition disposition) {
  const int error = file.open(path, access, share, disposition);
  if (error == kFileOk) file.watch(this);
  return error;
}

uint64_t PowerCutEnvironment::flushes() {
  std::lock_guard guard(mutex_);
  return flushes_;
}

PowerCutEnvironment::Unflushed& PowerCutEnvironment::unflushedOf(File& file) {
  const auto [entry, added] = unflushed_.try_emplace(file.identity());
  if (added) {
    entry->second.path = file.path();
    file.size(entry->second.flushedSize);
  }
  return entry->second;
}

void PowerCutEnvironment::beforeWrite(File& file, uint64_t offset, size_t length) {
  if (length == 0) return;
  std::lock_guard guard(mutex_);
  Unflushed& state = unflushedOf(file);
  const uint64_t last = (offset + length - 1) / kSectorSize;
  for (uint64_t index = offset / kSectorSize; index <= last; ++index) {
    if (state.versions.count(index) != 0) continue;
    std::string flushed = readSector(file.nativeHandle(), index);
    // What lies past the flushed end was never made durable.
    const uint64_t start = index * kSectorSize;
    flushed.resize(start >= state.flushedSize
                       ? 0
                       : std::min<size_t>(flushed.size(), size_t(state.flushedSize - start)));
    state.versions[index].push_back(std::move(flushed));
  }
}

void PowerCutEnvironment::afterWrite(File& file, uint64_t offset, size_t length) {
  if (length == 0) return;
  std::lock_guard guard(mutex_);
  Unflushed& state = unflushedOf(file);
  const uint64_t last = (offset + length - 1) / kSectorSize;
  for (uint64_t index = offset / kSectorSize; index <= last; ++index)
    state.versions[index].push_back(readSector(file.nativeHandle(), index));
}

void PowerCutEnvironment::beforeFlush(File&) {
  bool now = false;
  {
    std::lock_guard guard(mutex_);
    now = ++flushes_ == plan_.atFlush;
  }
  if (now) cut();
}

void PowerCutEnvironment::afterFlush(File& file) {
  std::lock_guard guard(mutex_);
  unflushed_.erase(file.identity());
}

void PowerCutEnvironment::beforeTruncate(File& file, uint64_t bytes) {
  std::lock_guard guard(mutex_);
  Unflushed& state = unflushedOf(file);
  state.versions.erase(state.versions.lower_bound((bytes + kSectorSize - 1) / kSectorSize),
                       state.versions.end());
  state.flushedSize = std::min(state.flushedSize, bytes);
}

void PowerCutEnvironment::lose(const Unflushed& file, uint32_t& random) {
  const int fd = ::open(file.path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return;
  std::mt19937 draw(random++);
  // Which version each sector keeps: 0 is the flushed one.
  std::map<uint64_t, size_t> kept;
  uint64_t size = file.flushedSize;
  for (const auto& [index, versions] : file.versions) {
    const size_t version = plan_.loss == PowerLoss::Drop ? 0 : size_t(draw() % versions.size());
    kept[index] = version;
    if (version != 0) size = std::max(size, index * kSectorSize + versions[version].size());
  }
  for (const auto& [index, version] : kept) {
    const uint64_t start = index * kSectorSize;
    if (start >= size) continue;
    std::string bytes = file.versions.at(index)[version];
    // A sector past the flushed end that keeps nothing reads as zeros.
    if (bytes.size() < kSectorSize)
      bytes.resize(size_t(std::min<uint64_t>(kSectorSize, size - start)), '\0');
    writeAll(fd, start, bytes);
  }
  while (ftruncate(fd, off_t(size)) != 0 && errno == EINTR) {
  }
  ::close(fd);
}

void PowerCutEnvironment::loseUnflushed() {
  std::lock_guard guard(mutex_);
  uint32_t random = plan_.seed;
  for (const auto& entry : unflushed_) lose(entry.second, random);
  unflushed_.clear();
}

void PowerCutEnvironment::cut() {
  loseUnflushed();
  _exit(kFaultStopExitCode);
}

}  // namespace zor::platform
