#include "data/tarnwick/zone_allocator.h"

#include <algorithm>

#include "data/tarnwick/internal_failure.h"

namespace zor::tarnwick {

uint32_t ZoneAllocator::allocate(int units) {
  if (units < 1 || units > kMaxPageUnits) internalFailure(FailurePlace::PageTooLarge);
  const uint32_t n = static_cast<uint32_t>(units);
  Zone& zone = header_.zones[units];
  const uint32_t below = header_.zones[units - 1].end;
  if (zone.empty()) zone.start = zone.end = below;  // an empty zone sits as low as it can
  if (zone.start - below >= n) {
    zone.start -= n;
    return zone.start;
  }
  if (units < kMaxPageUnits && header_.zones[units + 1].start - zone.end < n) {
    const uint32_t pages = (zone.end - zone.start) / n;
    const uint32_t slack = std::min(pages / kSlackDivisor, kMaxSlackPages);
    makeRoomAbove(units, n * (1 + slack));
  }
  const uint32_t unit = zone.end;
  if (unitOffset(uint64_t{unit} + n) > UINT32_MAX) internalFailure(FailurePlace::ZoneFull);
  zone.end += n;
  return unit;
}

void ZoneAllocator::release(uint32_t unit, int units) {
  Zone& zone = header_.zones[units];
  const uint32_t last = zone.end - static_cast<uint32_t>(units);
  if (unit != last) mover_.movePage(last, unit);
  zone.end = last;
}

void ZoneAllocator::makeRoomAbove(int zone, uint32_t need) {
  if (zone >= kMaxPageUnits) return;  // nothing lies above the last zone
  const int m = zone + 1;
  Zone& upper = header_.zones[m];
  const uint32_t have = upper.start - header_.zones[zone].end;
  if (have >= need) return;
  const uint32_t deficit = need - have;
  const uint32_t size = static_cast<uint32_t>(m);
  const uint32_t shift = upper.empty() ? deficit : (deficit + size - 1) / size * size;
  if (unitOffset(uint64_t{upper.end} + shift) > UINT32_MAX) internalFailure(FailurePlace::ZoneFull);
  makeRoomAbove(m, shift);
  const uint32_t length = upper.end - upper.start;
  if (shift >= length) {
    // The whole zone moves past its old place.
    for (uint32_t unit = upper.start; unit < upper.end; unit += size) {
      mover_.movePage(unit, unit + shift);
    }
  } else {
    // Its first pages move to its end.
    for (uint32_t moved = 0; moved < shift; moved += size) {
      mover_.movePage(upper.start + moved, upper.end + moved);
    }
  }
  upper.start += shift;
  upper.end += shift;
}

}  // namespace zor::tarnwick
