#include "data/tarnwick/read_windows.h"

#include <algorithm>
#include <cstring>

namespace zor::tarnwick {

const uint8_t* ReadWindows::find(BlockFile& file, uint64_t offset, size_t length,
                                 uint32_t generation) {
  if (generation != generation_) {
    clear();
    generation_ = generation;
  }
  const uint64_t index = offset / kWindowSize;
  const size_t start = static_cast<size_t>(offset % kWindowSize);
  if (start + length > kWindowSize) return nullptr;
  Window* window = nullptr;
  if (const auto found = windows_.find(index); found != windows_.end()) {
    window = &found->second;
    // A window read at the end of the file is short; the file may since have
    // grown past it (the owner appends), so it is read again.
    if (start + length > window->length && window->length < kWindowSize) {
      window = load(file, index);
    }
  } else if (windows_.size() < kMostWindows || missedBefore(index)) {
    window = load(file, index);
  }
  if (window == nullptr || start + length > window->length) return nullptr;
  window->used = ++clock_;
  return window->bytes.get() + start;
}

bool ReadWindows::holds(uint64_t offset, size_t length, uint32_t generation) const {
  if (generation != generation_) return false;
  const auto found = windows_.find(offset / kWindowSize);
  return found != windows_.end() &&
         static_cast<size_t>(offset % kWindowSize) + length <= found->second.length;
}

ReadWindows::Window* ReadWindows::load(BlockFile& file, uint64_t index) {
  std::unique_ptr<uint8_t[]> reused;
  if (const auto again = windows_.find(index); again != windows_.end()) {
    reused = std::move(again->second.bytes);
    windows_.erase(again);
  } else if (windows_.size() >= kMostWindows) {
    auto oldest = windows_.begin();
    for (auto it = windows_.begin(); it != windows_.end(); ++it) {
      if (it->second.used < oldest->second.used) oldest = it;
    }
    reused = std::move(oldest->second.bytes);
    windows_.erase(oldest);
  }
  if (!reused) reused = std::make_unique_for_overwrite<uint8_t[]>(kWindowSize);
  size_t done = 0;
  if (file.read(index * kWindowSize, reused.get(), kWindowSize, done) != 0 || done == 0) {
    return nullptr;
  }
  Window& window = windows_[index];
  window.bytes = std::move(reused);
  window.length = done;
  return &window;
}

void ReadWindows::patch(uint64_t offset, const uint8_t* bytes, size_t length) {
  if (windows_.empty() || length == 0) return;
  const uint64_t end = offset + length;
  for (uint64_t index = offset / kWindowSize; index * kWindowSize < end; ++index) {
    const auto found = windows_.find(index);
    if (found == windows_.end()) continue;
    Window& window = found->second;
    const uint64_t start = index * kWindowSize;
    const uint64_t from = std::max(offset, start);
    const uint64_t to = std::min(end, start + window.length);
    if (from < to) {
      std::memcpy(window.bytes.get() + (from - start), bytes + (from - offset),
                  static_cast<size_t>(to - from));
    }
  }
}

void ReadWindows::carryOver(uint32_t from, uint32_t to) {
  if (generation_ != from) clear();
  generation_ = to;
}

void ReadWindows::forget(uint64_t offset, size_t length) {
  if (windows_.empty() || length == 0) return;
  for (uint64_t index = offset / kWindowSize; index * kWindowSize < offset + length; ++index)
    windows_.erase(index);
}

void ReadWindows::forgetFrom(uint64_t offset) {
  std::erase_if(windows_,
                [&](const auto& entry) { return (entry.first + 1) * kWindowSize > offset; });
}

bool ReadWindows::missedBefore(uint64_t index) {
  if (std::count(misses_.begin(), misses_.end(), index + 1) >= 2) return true;
  misses_[nextMiss_] = index + 1;
  nextMiss_ = (nextMiss_ + 1) % kMissesKept;
  return false;
}

void ReadWindows::clear() {
  windows_.clear();
  misses_.fill(0);
}

}  // namespace zor::tarnwick
