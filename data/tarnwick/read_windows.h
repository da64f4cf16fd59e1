#pragma once
// Stretches of the file kept as read, so that reading pages that lie near
// each other, or the same ones again after the page cache let them go, costs
// no system call. A window is read whole the first time a page inside it is
// wanted, as long as there is room for it (16 MB: a file of that size, which
// holds some 10^5 records of the application's largest table, is read once
// and then served from memory). Once the windows are full, a window is read
// only when it was missed twice more among the last few misses: reading a
// larger file at random, or in a key's order through records spread over
// it, then reads pages alone instead of a window for a page or two, while
// reading it in record order still goes window by window.
//
// The windows show the pages at home for one completed-change count:
// pages copied home by another process make the windows over them go (or
// all of them, when the owner cannot tell which moved), while the owner's
// own writes are copied into them, so that they survive its changes.

#include <array>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "data/tarnwick/block_file.h"

namespace zor::tarnwick {

class ReadWindows {
 public:
  static constexpr size_t kWindowSize = size_t{64} << 10;
  static constexpr size_t kMostWindows = 256;

  // The `length` bytes at `offset` as the file holds them while its change
  // counter is `generation`; nullptr when they straddle two windows, when
  // the window is not worth reading yet, or when it cannot be read that far
  // (the caller then reads them itself).
  const uint8_t* find(BlockFile& file, uint64_t offset, size_t length, uint32_t generation);
  // Whether find would answer these bytes without reading the file.
  bool holds(uint64_t offset, size_t length, uint32_t generation) const;
  // The owner wrote these bytes: windows holding any of them take them.
  void patch(uint64_t offset, const uint8_t* bytes, size_t length);
  // The owner completed a change: windows of the count `from` (patched with
  // every write of the change) stand for `to`; any others go.
  void carryOver(uint32_t from, uint32_t to);
  // Lets go of the windows holding any of these bytes.
  void forget(uint64_t offset, size_t length);
  // Lets go of the windows holding any byte at or past `offset`.
  void forgetFrom(uint64_t offset);
  void clear();
  size_t size() const { return windows_.size(); }

 private:
  struct Window {
    std::unique_ptr<uint8_t[]> bytes;
    size_t length = 0;  // short at the end of the file
    uint64_t used = 0;
  };
  Window* load(BlockFile& file, uint64_t index);

  // Whether the window missed twice among the recent misses (it is then
  // read); otherwise this miss is remembered.
  bool missedBefore(uint64_t index);

  std::unordered_map<uint64_t, Window> windows_;  // by offset / kWindowSize
  static constexpr size_t kMissesKept = 16;
  std::array<uint64_t, kMissesKept> misses_{};  // window index + 1, 0 for none
  size_t nextMiss_ = 0;
  uint32_t generation_ = 0;
  uint64_t clock_ = 0;
};

}  // namespace zor::tarnwick
