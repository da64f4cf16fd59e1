#include "data/tarnwick/page_cache.h"

namespace zor::tarnwick {

PagePtr PageCache::find(PageNumber number) {
  for (Recency::iterator entry : bucket(number)) {
    if (entry->page->number() == number) {
      recency_.splice(recency_.end(), recency_, entry);
      return entry->page;
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
  bucket(entry->page->number()).push_back(entry);
}

void PageCache::drop(std::vector<Recency::iterator>& entries, size_t index) {
  const Recency::iterator entry = entries[index];
  entries[index] = entries.back();
  entries.pop_back();
  entry->page.reset();
  unusedNodes_.splice(unusedNodes_.end(), recency_, entry);
}

PagePtr PageCache::remove(PageNumber number) {
  auto& entries = bucket(number);
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i]->page->number() == number) {
      PagePtr page = std::move(entries[i]->page);
      drop(entries, i);
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
    auto& entries = bucket(oldest.page->number());
    for (size_t i = 0; i < entries.size(); ++i) {
      if (entries[i] == recency_.begin()) {
        drop(entries, i);
        break;
      }
    }
  }
}

}  // namespace zor::tarnwick
