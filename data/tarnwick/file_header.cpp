#include "data/tarnwick/file_header.h"

#include <cstring>

#include "data/tarnwick/byte_order.h"

namespace zor::tarnwick {

FileHeader FileHeader::fresh() {
  FileHeader header;
  header.zones[0] = {0, 1};
  for (int i = 1; i < kZoneCount; ++i) header.zones[i] = {1, 1};
  header.pendingStart = header.pendingEnd = static_cast<uint32_t>(header.logicalEnd());
  return header;
}

uint32_t FileHeader::logicalEndUnit() const {
  for (int i = kZoneCount - 1; i >= 1; --i) {
    if (!zones[i].empty()) return zones[i].end;
  }
  return zones[0].end;
}

uint64_t FileHeader::logicalEnd() const {
  return unitOffset(logicalEndUnit());
}

int FileHeader::zoneOf(uint32_t unit) const {
  // Zone starts never decrease, and no zone after the one holding `unit`
  // starts at or below it: the last zone starting at or below it is the one.
  int low = 1;
  int high = kZoneCount;
  while (low < high) {
    const int middle = (low + high) / 2;
    if (zones[middle].start <= unit) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  const int zone = low - 1;
  return zone >= 1 && unit < zones[zone].end ? zone : 0;
}

bool FileHeader::zonesValid() const {
  if (zones[0].start > zones[0].end) return false;
  uint32_t previousEnd = zones[0].end;
  for (int i = 1; i < kZoneCount; ++i) {
    const Zone& zone = zones[i];
    if (zone.start < previousEnd || zone.end < zone.start) return false;
    if ((zone.end - zone.start) % static_cast<uint32_t>(i) != 0) return false;
    // Home 0 in the pending region means the header: no page may live there.
    if (!zone.empty() && zone.start == 0) return false;
    previousEnd = zone.end;
  }
  return unitOffset(previousEnd) <= UINT32_MAX;
}

void FileHeader::encode(uint8_t* out) const {
  std::memset(out, 0, kHeaderSize);
  store32(out, logEnd);
  store32(out + 6, pendingStart);
  store32(out + 10, pendingEnd);
  std::memcpy(out + 14, kMagic, 4);
  std::memcpy(out + 20, lastIdentifier.data(), 4);
  store32(out + 24, changeCounter);
  store32(out + 28, rootUnit);
  for (int i = 0; i < kZoneCount; ++i) {
    store32(out + 32 + 4 * i, zones[i].start);
    store32(out + 272 + 4 * i, zones[i].end);
  }
}

bool FileHeader::decode(const uint8_t* in) {
  if (std::memcmp(in + 14, kMagic, 4) != 0) return false;
  logEnd = load32(in);
  pendingStart = load32(in + 6);
  pendingEnd = load32(in + 10);
  std::memcpy(lastIdentifier.data(), in + 20, 4);
  changeCounter = load32(in + 24);
  rootUnit = load32(in + 28);
  for (int i = 0; i < kZoneCount; ++i) {
    zones[i].start = load32(in + 32 + 4 * i);
    zones[i].end = load32(in + 272 + 4 * i);
  }
  return true;
}

}  // namespace zor::tarnwick
