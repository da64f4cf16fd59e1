#pragma once
// Storage for the entries of one queue: slots of one size (entry header plus
// record) carved from large chunks, so that adding an entry rarely calls the
// allocator and an entry never moves while it exists.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "runtime/queue_order.h"

namespace zor {

class QueueEntryPool {
 public:
  explicit QueueEntryPool(size_t recordLength);
  QueueEntryPool(const QueueEntryPool&) = delete;
  QueueEntryPool& operator=(const QueueEntryPool&) = delete;

  // A new entry with its serial set and its record bytes undefined;
  // nullptr when no memory can be had.
  QueueEntry* allocate(uint64_t serial);
  void release(QueueEntry* entry);
  // Drops every entry and gives the memory back.
  void clear();

 private:
  struct FreeSlot {
    FreeSlot* next;
  };

  size_t slotSize_;
  std::vector<std::unique_ptr<std::byte[]>> chunks_;
  std::byte* nextSlot_ = nullptr;  // unused part of the newest chunk
  std::byte* chunkEnd_ = nullptr;
  FreeSlot* freeSlots_ = nullptr;
  size_t nextChunkSlots_;
};

}  // namespace zor
