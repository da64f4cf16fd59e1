#include "data/tarnwick/page_cache.h"

namespace zor::tarnwick {

PagePtr PageCache::find(PageNumber number) {
  for (const Slot& slot : bucket(number)) {
    if (slot.number == number) {
      Recency& recency = recency_[slot.kind];
      recency.splice(recency.end(), recency, slot.entry);
      return slot.entry->page;
    }
  }
  return nullptr;
}

void PageCache::add(PagePtr page) {
  trim();
  const Kind kind = page->isLeaf() ? kLeaves : kInner;
  Recency& recency = recency_[kind];
  if (unusedNodes_.empty()) unusedNodes_.emplace_back();
  recency.splice(recency.end(), unusedNodes_, unusedNodes_.begin());
  const Recency::iterator entry = std::prev(recency.end());
  const PageNumber number = page->number();
  const uint32_t bytes = page->measure();
  bytes_[kind] += bytes;
  *entry = {std::move(page), bytes};
  bucket(number).push_back({number, kind, entry});
}

void PageCache::drop(std::vector<Slot>& slots, size_t index) {
  const Slot slot = slots[index];
  slots[index] = slots.back();
  slots.pop_back();
  bytes_[slot.kind] -= slot.entry->bytes;
  slot.entry->page.reset();
  unusedNodes_.splice(unusedNodes_.end(), recency_[slot.kind], slot.entry);
}

PagePtr PageCache::remove(PageNumber number) {
  auto& slots = bucket(number);
  for (size_t i = 0; i < slots.size(); ++i) {
    if (slots[i].number == number) {
      PagePtr page = std::move(slots[i].entry->page);
      drop(slots, i);
      return page;
    }
  }
  return nullptr;
}

void PageCache::removeFrom(PageNumber first) {
  for (auto& slots : buckets_) {
    for (size_t i = 0; i < slots.size();) {
      if (slots[i].number >= first) {
        drop(slots, i);
      } else {
        ++i;
      }
    }
  }
}

void PageCache::clear() {
  for (auto& slots : buckets_) slots.clear();
  for (Recency& recency : recency_) {
    for (Entry& entry : recency) entry.page.reset();
    unusedNodes_.splice(unusedNodes_.end(), recency);
  }
  bytes_ = {};
}

PagePtr PageCache::takeSpare() {
  return std::move(spare_);
}

void PageCache::trim() {
  trim(kLeaves, kLeavesAtMost, SIZE_MAX);
  trim(kInner, kInnerPagesAtMost, kInnerBytesAtMost);
}

void PageCache::trim(Kind kind, size_t atMost, size_t bytesAtMost) {
  Recency& recency = recency_[kind];
  while (!recency.empty() && (recency.size() >= atMost || bytes_[kind] > bytesAtMost)) {
    Entry& oldest = recency.front();
    if (oldest.page.use_count() == 1) spare_ = oldest.page;
    auto& slots = bucket(oldest.page->number());
    for (size_t i = 0; i < slots.size(); ++i) {
      if (slots[i].entry == recency.begin()) {
        drop(slots, i);
        break;
      }
    }
  }
}

}  // namespace zor::tarnwick
