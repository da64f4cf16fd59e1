#include "data/tarnwick/page_cache.h"

namespace zor::tarnwick {

PagePtr PageCache::find(PageNumber number) {
  for (const Slot& slot : bucket(number)) {
    if (slot.number == number) {
      recency_.splice(recency_.end(), recency_, slot.entry);
      return slot.entry->page;
    }
  }
  return nullptr;
}

void PageCache::add(PagePtr page) {
  trim();
  if (unusedNodes_.empty()) unusedNodes_.emplace_back();
  recency_.splice(recency_.end(), unusedNodes_, unusedNodes_.begin());
  const Recency::iterator entry = std::prev(recency_.end());
  *entry = {std::move(page)};
  bucket(entry->page->number()).push_back({entry->page->number(), entry});
}

void PageCache::drop(std::vector<Slot>& slots, size_t index) {
  const Recency::iterator entry = slots[index].entry;
  slots[index] = slots.back();
  slots.pop_back();
  entry->page.reset();
  unusedNodes_.splice(unusedNodes_.end(), recency_, entry);
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

void PageCache::clear() {
  for (auto& entries : buckets_) entries.clear();
  for (Entry& entry : recency_) entry.page.reset();
  unusedNodes_.splice(unusedNodes_.end(), recency_);
}

PagePtr PageCache::takeSpare() {
  return std::move(spare_);
}

void PageCache::trim() {
  while (recency_.size() >= kAtMost) {
    Entry& oldest = recency_.front();
    if (oldest.page.use_count() == 1) spare_ = oldest.page;
    auto& slots = bucket(oldest.page->number());
    for (size_t i = 0; i < slots.size(); ++i) {
      if (slots[i].entry == recency_.begin()) {
        drop(slots, i);
        break;
      }
    }
  }
}

}  // namespace zor::tarnwick
