#include "data/tarnwick/page_cache.h"

namespace zor::tarnwick {

PagePtr PageCache::find(PageNumber number) {
  for (Entry& entry : bucket(number)) {
    if (entry.page->number() == number) {
      entry.used = ++clock_;
      return entry.page;
    }
  }
  return nullptr;
}

void PageCache::add(PagePtr page) {
  trim();
  const uint64_t now = ++clock_;
  bucket(page->number()).push_back({std::move(page), now, now});
  ++count_;
}

PagePtr PageCache::remove(PageNumber number) {
  auto& entries = bucket(number);
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].page->number() == number) {
      PagePtr page = std::move(entries[i].page);
      entries[i] = std::move(entries.back());
      entries.pop_back();
      --count_;
      return page;
    }
  }
  return nullptr;
}

PagePtr PageCache::takeSpare() {
  return std::move(spare_);
}

void PageCache::clear() {
  for (auto& entries : buckets_) entries.clear();
  count_ = 0;
}

void PageCache::trim() {
  while (count_ >= kKeepAtLeast) {
    std::vector<Entry>* oldestBucket = nullptr;
    size_t oldestIndex = 0;
    for (auto& entries : buckets_) {
      for (size_t i = 0; i < entries.size(); ++i) {
        if (oldestBucket == nullptr || entries[i].used < (*oldestBucket)[oldestIndex].used) {
          oldestBucket = &entries;
          oldestIndex = i;
        }
      }
    }
    const Entry& oldest = (*oldestBucket)[oldestIndex];
    const uint64_t idle = clock_ - oldest.used;
    const uint64_t age = clock_ - oldest.loaded;
    if (count_ < kAtMost && idle < 4 * age / count_) return;
    if ((*oldestBucket)[oldestIndex].page.use_count() == 1) {
      spare_ = std::move((*oldestBucket)[oldestIndex].page);
    }
    (*oldestBucket)[oldestIndex] = std::move(oldestBucket->back());
    oldestBucket->pop_back();
    --count_;
  }
}

}  // namespace zor::tarnwick
