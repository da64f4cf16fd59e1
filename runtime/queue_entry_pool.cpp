#include "runtime/queue_entry_pool.h"

#include <algorithm>
#include <new>

namespace zor {

namespace {

// Chunks start small (a queue of a few rows costs little) and double up to
// about a mebibyte.
constexpr size_t kFirstChunkBytes = 4096;
constexpr size_t kLargestChunkBytes = size_t{1} << 20;

constexpr size_t roundUp(size_t value, size_t unit) {
  return (value + unit - 1) / unit * unit;
}

}  // namespace

QueueEntryPool::QueueEntryPool(size_t recordLength)
    : slotSize_(roundUp(sizeof(QueueEntry) + recordLength, alignof(QueueEntry))),
      nextChunkSlots_(std::max<size_t>(1, kFirstChunkBytes / slotSize_)) {}

QueueEntry* QueueEntryPool::allocate(uint64_t serial) {
  void* slot;
  if (freeSlots_ != nullptr) {
    slot = freeSlots_;
    freeSlots_ = freeSlots_->next;
  } else {
    if (nextSlot_ == chunkEnd_) {
      size_t bytes = nextChunkSlots_ * slotSize_;
      std::unique_ptr<std::byte[]> chunk(new (std::nothrow) std::byte[bytes]);
      if (!chunk) return nullptr;
      try {
        chunks_.push_back(std::move(chunk));
      } catch (const std::bad_alloc&) {
        return nullptr;
      }
      nextSlot_ = chunks_.back().get();
      chunkEnd_ = nextSlot_ + bytes;
      if (bytes * 2 <= kLargestChunkBytes) nextChunkSlots_ *= 2;
    }
    slot = nextSlot_;
    nextSlot_ += slotSize_;
  }
  return new (slot) QueueEntry{serial, nullptr};
}

void QueueEntryPool::release(QueueEntry* entry) {
  freeSlots_ = new (static_cast<void*>(entry)) FreeSlot{freeSlots_};
}

void QueueEntryPool::clear() {
  chunks_.clear();
  chunks_.shrink_to_fit();
  nextSlot_ = nullptr;
  chunkEnd_ = nullptr;
  freeSlots_ = nullptr;
  nextChunkSlots_ = std::max<size_t>(1, kFirstChunkBytes / slotSize_);
}

}  // namespace zor
