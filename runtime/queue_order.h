#pragma once
// One order over the entries of a queue: a sequence of entry handles with
// positional access, insertion and removal in O(log n) for practical sizes.
//
// The handles live in blocks of up to kBlockCapacity; a Fenwick tree over
// the block sizes turns a position into (block, offset) and back. Inserting
// or removing moves at most one block's handles (a few KiB); splitting or
// merging a block re-indexes the block list, which happens once in every
// few hundred changes. Reading the position after the one read last (a list
// box drawing its rows) is answered from a cached block in O(1).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace zor {

struct QueueEntry;

inline constexpr size_t kOrderBlockCapacity = 512;

struct OrderBlock {
  uint32_t index = 0;  // place in the order's block list
  uint32_t count = 0;
  QueueEntry* items[kOrderBlockCapacity];
};

// The header of a queue entry; the record's bytes follow it.
struct QueueEntry {
  uint64_t serial;   // increasing with every ADD: ties in key orders keep ADD order
  OrderBlock* home;  // block of the order that tracks homes (the unkeyed order)

  uint8_t* record() { return reinterpret_cast<uint8_t*>(this + 1); }
  const uint8_t* record() const { return reinterpret_cast<const uint8_t*>(this + 1); }
};

class QueueOrder {
 public:
  // An order that tracks homes can find an entry's position from the entry
  // alone; the other orders are searched by key.
  explicit QueueOrder(bool tracksHomes = false);
  ~QueueOrder();
  QueueOrder(const QueueOrder&) = delete;
  QueueOrder& operator=(const QueueOrder&) = delete;

  size_t size() const { return size_; }
  bool tracksHomes() const { return tracksHomes_; }

  // The handle at a 0-based position below size().
  QueueEntry* at(size_t position) const;

  // Makes sure the next insert() cannot fail for want of memory; throws
  // std::bad_alloc otherwise, leaving the order as it was.
  void reserveInsert();
  // Inserts before `position` (size() appends). Call reserveInsert() first.
  void insert(size_t position, QueueEntry* entry);
  void erase(size_t position);

  // Replaces the content with `entries` in that order (throws bad_alloc,
  // leaving the order as it was).
  void assign(const std::vector<QueueEntry*>& entries);
  void clear();
  void appendTo(std::vector<QueueEntry*>& out) const;

  // Position of `entry` in an order that tracks homes.
  size_t positionOf(const QueueEntry* entry) const;

  // First position whose handle is not `before` the target (the standard
  // lower bound), for an order sorted so that `before` is monotone.
  template <typename Before>
  size_t lowerBound(Before before) const;

 private:
  using BlockPtr = std::unique_ptr<OrderBlock>;

  struct Located {
    size_t block;
    size_t offset;
  };
  Located locate(size_t position) const;
  size_t blockStart(size_t block) const;

  void appendBlock();
  void splitBlock(size_t block);
  void removeBlock(size_t block);
  void mergeIfSparse(size_t block);
  void reindexFrom(size_t block);
  void rebuildCounts();
  static size_t treeSize(size_t blockCount);
  void addCount(size_t block, int delta);

  bool tracksHomes_;
  size_t size_ = 0;
  std::vector<BlockPtr> blocks_;
  // Fenwick tree over block sizes, 1-based, padded with empty blocks to a
  // power of two.
  std::vector<uint32_t> counts_;
  BlockPtr spare_;  // a block kept ready so that insert() cannot fail
  // Cache of the last located block: blocks_[cachedBlock_] starts at
  // cachedStart_. Cleared by every change.
  mutable size_t cachedBlock_ = SIZE_MAX;
  mutable size_t cachedStart_ = 0;
};

template <typename Before>
size_t QueueOrder::lowerBound(Before before) const {
  // The first block whose first handle is not before the target; the answer
  // lies in the block ahead of it, or at its start.
  size_t low = 0;
  size_t high = blocks_.size();
  while (low < high) {
    size_t middle = low + (high - low) / 2;
    if (before(blocks_[middle]->items[0])) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  if (low == 0) return 0;
  const OrderBlock& block = *blocks_[low - 1];
  size_t first = 1;  // items[0] is known to be before the target
  size_t last = block.count;
  while (first < last) {
    size_t middle = first + (last - first) / 2;
    if (before(block.items[middle])) {
      first = middle + 1;
    } else {
      last = middle;
    }
  }
  return blockStart(low - 1) + first;
}

}  // namespace zor
