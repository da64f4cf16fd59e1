#include "runtime/queue_order.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace zor {

namespace {

// A block that falls below a quarter is merged with a neighbour when the two
// fit in half a block; a block filled by assign() keeps a quarter free.
constexpr size_t kSparse = kOrderBlockCapacity / 4;
constexpr size_t kMergedLimit = kOrderBlockCapacity / 2;
constexpr size_t kAssignFill = kOrderBlockCapacity * 3 / 4;

}  // namespace

QueueOrder::QueueOrder(bool tracksHomes) : tracksHomes_(tracksHomes) {}

QueueOrder::~QueueOrder() = default;

QueueEntry* QueueOrder::at(size_t position) const {
  Located where = locate(position);
  return blocks_[where.block]->items[where.offset];
}

QueueOrder::Located QueueOrder::locate(size_t position) const {
  if (cachedBlock_ < blocks_.size()) {
    size_t count = blocks_[cachedBlock_]->count;
    if (position >= cachedStart_ && position < cachedStart_ + count) {
      return {cachedBlock_, position - cachedStart_};
    }
    // The block after the cached one: the next row of a sequential read.
    size_t next = cachedBlock_ + 1;
    if (next < blocks_.size() && position >= cachedStart_ + count &&
        position < cachedStart_ + count + blocks_[next]->count) {
      cachedStart_ += count;
      cachedBlock_ = next;
      return {next, position - cachedStart_};
    }
  }
  // Fenwick descent to the last block whose start is at or before position.
  // The tree's size is a power of two, so every probe is inside it and the
  // steps need no unpredictable branches.
  size_t index = 0;
  size_t remaining = position;
  for (size_t step = counts_.size() - 1; step != 0; step >>= 1) {
    size_t next = index + step;
    uint32_t count = counts_[next];
    bool take = count <= remaining;
    index = take ? next : index;
    remaining -= take ? count : 0;
  }
  cachedBlock_ = index;
  cachedStart_ = position - remaining;
  return {index, remaining};
}

size_t QueueOrder::blockStart(size_t block) const {
  size_t start = 0;
  for (size_t i = block; i > 0; i -= i & (~i + 1)) start += counts_[i];
  return start;
}

void QueueOrder::addCount(size_t block, int delta) {
  for (size_t i = block + 1; i < counts_.size(); i += i & (~i + 1)) {
    counts_[i] = static_cast<uint32_t>(static_cast<int64_t>(counts_[i]) + delta);
  }
}

size_t QueueOrder::treeSize(size_t blockCount) {
  return std::bit_ceil(std::max<size_t>(blockCount, 1));
}

void QueueOrder::rebuildCounts() {
  size_t blockCount = blocks_.size();
  size_t size = treeSize(blockCount);
  counts_.assign(size + 1, 0);  // capacity was reserved: no allocation
  for (size_t i = 1; i <= size; ++i) {
    if (i <= blockCount) counts_[i] += blocks_[i - 1]->count;
    size_t parent = i + (i & (~i + 1));
    if (parent <= size) counts_[parent] += counts_[i];
  }
  cachedBlock_ = SIZE_MAX;
}

void QueueOrder::reindexFrom(size_t block) {
  for (size_t i = block; i < blocks_.size(); ++i) blocks_[i]->index = static_cast<uint32_t>(i);
}

void QueueOrder::reserveInsert() {
  if (!spare_) spare_ = std::make_unique<OrderBlock>();
  size_t needed = blocks_.size() + 1;
  if (blocks_.capacity() < needed) blocks_.reserve(std::max<size_t>(needed * 2, 16));
  if (counts_.capacity() < treeSize(needed) + 1) counts_.reserve(treeSize(needed * 2) + 1);
}

void QueueOrder::insert(size_t position, QueueEntry* entry) {
  cachedBlock_ = SIZE_MAX;
  if (blocks_.empty()) appendBlock();
  size_t block;
  size_t offset;
  if (position >= size_) {
    block = blocks_.size() - 1;
    offset = blocks_[block]->count;
  } else {
    Located where = locate(position);
    block = where.block;
    offset = where.offset;
  }
  if (blocks_[block]->count == kOrderBlockCapacity) {
    if (block + 1 == blocks_.size() && offset == kOrderBlockCapacity) {
      // Appending: a fresh last block, so that orders built by appending
      // keep their blocks full.
      appendBlock();
      ++block;
      offset = 0;
    } else {
      splitBlock(block);
      size_t kept = blocks_[block]->count;
      if (offset > kept) {
        ++block;
        offset -= kept;
      }
    }
  }
  OrderBlock& target = *blocks_[block];
  std::memmove(&target.items[offset + 1], &target.items[offset],
               (target.count - offset) * sizeof(QueueEntry*));
  target.items[offset] = entry;
  ++target.count;
  ++size_;
  addCount(block, 1);
  if (tracksHomes_) entry->home = &target;
  cachedBlock_ = SIZE_MAX;
}

void QueueOrder::appendBlock() {
  BlockPtr fresh = std::move(spare_);
  fresh->count = 0;
  fresh->index = static_cast<uint32_t>(blocks_.size());
  blocks_.push_back(std::move(fresh));
  // An empty block past the last one is already in the padded tree; the
  // tree is rebuilt only when it has to grow.
  if (blocks_.size() + 1 > counts_.size()) rebuildCounts();
}

void QueueOrder::splitBlock(size_t block) {
  OrderBlock& full = *blocks_[block];
  BlockPtr fresh = std::move(spare_);
  size_t kept = full.count / 2;
  fresh->count = static_cast<uint32_t>(full.count - kept);
  std::memcpy(fresh->items, &full.items[kept], fresh->count * sizeof(QueueEntry*));
  full.count = static_cast<uint32_t>(kept);
  if (tracksHomes_) {
    for (size_t i = 0; i < fresh->count; ++i) fresh->items[i]->home = fresh.get();
  }
  blocks_.insert(blocks_.begin() + static_cast<ptrdiff_t>(block) + 1, std::move(fresh));
  reindexFrom(block + 1);
  rebuildCounts();
}

void QueueOrder::erase(size_t position) {
  Located where = locate(position);
  OrderBlock& target = *blocks_[where.block];
  std::memmove(&target.items[where.offset], &target.items[where.offset + 1],
               (target.count - where.offset - 1) * sizeof(QueueEntry*));
  --target.count;
  --size_;
  addCount(where.block, -1);
  cachedBlock_ = SIZE_MAX;
  if (target.count == 0) {
    removeBlock(where.block);
  } else {
    mergeIfSparse(where.block);
  }
}

void QueueOrder::removeBlock(size_t block) {
  BlockPtr removed = std::move(blocks_[block]);
  blocks_.erase(blocks_.begin() + static_cast<ptrdiff_t>(block));
  if (!spare_) spare_ = std::move(removed);
  reindexFrom(block);
  rebuildCounts();
}

void QueueOrder::mergeIfSparse(size_t block) {
  if (blocks_[block]->count >= kSparse) return;
  size_t left;
  if (block + 1 < blocks_.size() &&
      blocks_[block]->count + blocks_[block + 1]->count <= kMergedLimit) {
    left = block;
  } else if (block > 0 && blocks_[block - 1]->count + blocks_[block]->count <= kMergedLimit) {
    left = block - 1;
  } else {
    return;
  }
  OrderBlock& into = *blocks_[left];
  OrderBlock& from = *blocks_[left + 1];
  std::memcpy(&into.items[into.count], from.items, from.count * sizeof(QueueEntry*));
  if (tracksHomes_) {
    for (size_t i = 0; i < from.count; ++i) from.items[i]->home = &into;
  }
  into.count += from.count;
  from.count = 0;
  removeBlock(left + 1);
}

void QueueOrder::assign(const std::vector<QueueEntry*>& entries) {
  std::vector<BlockPtr> blocks;
  size_t blockCount = (entries.size() + kAssignFill - 1) / kAssignFill;
  blocks.reserve(blockCount * 2 + 16);
  std::vector<uint32_t> counts;
  counts.reserve(treeSize(blockCount * 2 + 16) + 1);
  for (size_t start = 0; start < entries.size(); start += kAssignFill) {
    auto block = std::make_unique<OrderBlock>();
    size_t count = std::min(kAssignFill, entries.size() - start);
    std::memcpy(block->items, &entries[start], count * sizeof(QueueEntry*));
    block->count = static_cast<uint32_t>(count);
    block->index = static_cast<uint32_t>(blocks.size());
    blocks.push_back(std::move(block));
  }
  // Nothing below allocates.
  blocks_.swap(blocks);
  counts_.swap(counts);
  size_ = entries.size();
  if (tracksHomes_) {
    for (BlockPtr& block : blocks_) {
      for (size_t i = 0; i < block->count; ++i) block->items[i]->home = block.get();
    }
  }
  rebuildCounts();
}

void QueueOrder::clear() {
  blocks_.clear();
  counts_.clear();
  size_ = 0;
  cachedBlock_ = SIZE_MAX;
}

void QueueOrder::appendTo(std::vector<QueueEntry*>& out) const {
  out.reserve(out.size() + size_);
  for (const BlockPtr& block : blocks_)
    out.insert(out.end(), block->items, block->items + block->count);
}

size_t QueueOrder::positionOf(const QueueEntry* entry) const {
  const OrderBlock* block = entry->home;
  QueueEntry* const* first = block->items;
  QueueEntry* const* found = std::find(first, first + block->count, entry);
  return blockStart(block->index) + static_cast<size_t>(found - first);
}

}  // namespace zor
