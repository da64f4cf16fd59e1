#pragma once
// The page cache of one open file: pages found through a hash of 100 buckets
// on the unit number, trimmed before each load by recency of use.

#include <array>
#include <cstdint>
#include <list>
#include <vector>

#include "data/tarnwick/page.h"

namespace zor::tarnwick {

class PageCache {
 public:
  static constexpr size_t kBuckets = 100;
  static constexpr size_t kKeepAtLeast = 20;
  static constexpr size_t kAtMost = 100;

  PagePtr find(PageNumber number);
  // Trims, then adds the page (its number must not be cached yet).
  void add(PagePtr page);
  PagePtr remove(PageNumber number);
  void clear();
  size_t size() const { return recency_.size(); }

  // Trimming: while at least 20 pages are cached, look at the least recently
  // used one; at 100 or more it goes; below that it goes only when it has been
  // idle for at least four times its age divided by the number of pages.
  void trim();

  // A page object trimmed from the cache that nobody else holds, for the
  // next load to reuse with its buffers (nullptr when there is none).
  PagePtr takeSpare();

 private:
  struct Entry {
    PagePtr page;
    uint64_t loaded;
    uint64_t used;
  };
  using Recency = std::list<Entry>;  // least recently used first

  std::vector<Recency::iterator>& bucket(PageNumber number) {
    const uint64_t hash = static_cast<uint64_t>(number < 0 ? -number : number);
    return buckets_[hash % kBuckets];
  }
  void drop(std::vector<Recency::iterator>& entries, size_t index);

  std::array<std::vector<Recency::iterator>, kBuckets> buckets_;
  Recency recency_;
  Recency unusedNodes_;  // list nodes kept for reuse
  PagePtr spare_;
  uint64_t clock_ = 0;
};

}  // namespace zor::tarnwick
