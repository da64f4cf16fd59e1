#pragma once
// Placing pages in the zones of the header. Every zone is kept dense (each
// slot of it holds a live page), so a freed slot is filled with the zone's
// last page, and room for a zone to grow is made by moving the pages of the
// zones above it. Moving a page goes through the PageMover, which rewrites it
// at its new unit and corrects its parent (or the header's root).

#include <cstdint>

#include "data/tarnwick/file_header.h"

namespace zor::tarnwick {

class PageMover {
 public:
  virtual ~PageMover() = default;
  virtual void movePage(uint32_t from, uint32_t to) = 0;
};

class ZoneAllocator {
 public:
  // A zone that has to grow into its neighbour's units makes room for an
  // eighth more pages at once (up to 64), so that the pages above it are
  // moved rarely while the gaps stay a small part of the file.
  static constexpr uint32_t kSlackDivisor = 8;
  static constexpr uint32_t kMaxSlackPages = 64;

  ZoneAllocator(FileHeader& header, PageMover& mover) : header_(header), mover_(mover) {}

  // The first unit of a new page of `units` units (1 to 59).
  uint32_t allocate(int units);
  // Gives back the page at `unit` of zone `units`.
  void release(uint32_t unit, int units);

 private:
  void makeRoomAbove(int zone, uint32_t need);

  FileHeader& header_;
  PageMover& mover_;
};

}  // namespace zor::tarnwick
