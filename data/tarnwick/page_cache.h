#pragma once
// The page cache of one open file: pages found through a hash of 100 buckets
// on the unit number, trimmed before each load by recency of use. Inner pages
// and leaves are kept apart: the inner pages, one for every few hundred
// pages below them and passed by every lookup, are kept up to a thousand (and
// a few megabytes), so that a large file's lookups do not decode them again
// and again while a scan streams leaves through the cache. Reading a record from a leaf of a
// few large records does not go through the cache (see
// PageStore::findInLargeLeaf), so the leaves cached are mostly key entries.

#include <array>
#include <cstdint>
#include <list>
#include <vector>

#include "data/tarnwick/page.h"

namespace zor::tarnwick {

class PageCache {
 public:
  static constexpr size_t kBuckets = 100;
  static constexpr size_t kLeavesAtMost = 100;
  static constexpr size_t kInnerPagesAtMost = 1000;
  // And at most this many bytes of inner pages (by their measure), so that
  // the memory the cache holds stays bounded whatever their size.
  static constexpr size_t kInnerBytesAtMost = size_t{4} << 20;

  PagePtr find(PageNumber number);
  // Trims, then adds the page (its number must not be cached yet).
  void add(PagePtr page);
  PagePtr remove(PageNumber number);
  // Removes every page numbered `first` or above.
  void removeFrom(PageNumber first);
  void clear();
  size_t size() const { return recency_[kLeaves].size() + recency_[kInner].size(); }

  // Trimming: the least recently used pages of each kind go until there is
  // room for one more of either.
  void trim();

  // A page object trimmed from the cache that nobody else holds, for the
  // next load to reuse with its buffers (nullptr when there is none).
  PagePtr takeSpare();

 private:
  struct Entry {
    PagePtr page;
    uint32_t bytes = 0;  // the page's measure when it was added
  };
  using Recency = std::list<Entry>;  // least recently used first
  enum Kind : size_t { kLeaves = 0, kInner = 1 };
  // The number is kept beside the entry, so that looking for a page that
  // is not cached follows no pointer (a cached page keeps its number and
  // its level).
  struct Slot {
    PageNumber number;
    Kind kind;
    Recency::iterator entry;
  };

  std::vector<Slot>& bucket(PageNumber number) {
    const uint64_t hash = static_cast<uint64_t>(number < 0 ? -number : number);
    return buckets_[hash % kBuckets];
  }
  void drop(std::vector<Slot>& slots, size_t index);
  void trim(Kind kind, size_t atMost, size_t bytesAtMost);

  std::array<std::vector<Slot>, kBuckets> buckets_;
  std::array<Recency, 2> recency_;
  std::array<size_t, 2> bytes_{};
  Recency unusedNodes_;  // list nodes kept for reuse
  PagePtr spare_;
};

}  // namespace zor::tarnwick
