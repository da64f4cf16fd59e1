#pragma once
// The 512-byte file header: the pending region, the identifier counter, the
// change counter, the root page and the 60 zones that sort pages by size.

#include <array>
#include <cstdint>

namespace zor::tarnwick {

inline constexpr uint32_t kHeaderSize = 512;
inline constexpr uint32_t kUnitSize = 256;
inline constexpr int kZoneCount = 60;  // zone 0 holds no pages
inline constexpr int kMaxPageUnits = 59;
inline constexpr uint32_t kMaxPageBytes = kMaxPageUnits * kUnitSize;  // 15104

inline constexpr uint64_t unitOffset(uint64_t unit) {
  return kHeaderSize + kUnitSize * unit;
}

struct Zone {
  uint32_t start = 0;  // first unit (inclusive)
  uint32_t end = 0;    // last unit (exclusive)
  bool empty() const { return start == end; }
};

struct FileHeader {
  // Bytes 0 to 3, which the format leaves to the implementer: with a pending
  // region, how far it holds committed changes that readers may take;
  // without one, where the region last copied home ended (see PageStore).
  uint32_t logEnd = 0;
  uint32_t pendingStart = 0;
  uint32_t pendingEnd = 0;
  std::array<uint8_t, 4> lastIdentifier{};  // big-endian counter
  uint32_t changeCounter = 0;
  uint32_t rootUnit = 0;  // 0: the tree has no page yet
  std::array<Zone, kZoneCount> zones{};

  // The header of a new file: unit 0 is kept out of every zone so that
  // home 0 in the pending region can only mean the header itself.
  static FileHeader fresh();

  bool pending() const { return pendingStart != pendingEnd; }
  // End of the highest non-empty zone as a byte offset.
  uint64_t logicalEnd() const;
  uint32_t logicalEndUnit() const;
  // The zone (page size in units) holding `unit`, or 0 when none does.
  int zoneOf(uint32_t unit) const;
  // Zones in order, each a whole number of its pages.
  bool zonesValid() const;

  void encode(uint8_t* out) const;  // 512 bytes; bytes 4-5 and 18-19 zero
  // Answers false when the magic is wrong.
  bool decode(const uint8_t* in);
};

inline constexpr uint8_t kMagic[4] = {'t', 'A', 'r', 'N'};

}  // namespace zor::tarnwick
