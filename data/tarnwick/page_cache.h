#pragma once
// The page cache of one open file: pages found through a hash of 100 buckets
// on the unit number, trimmed before each load by recency of use. Reading a
// record from a leaf of a few large records does not go through the cache
// (see PageStore::findInLargeLeaf), so what it holds is mostly the inner
// pages and key entries that every lookup passes through.

#include <array>
#include <cstdint>
#include <list>
#include <vector>

#include "data/tarnwick/page.h"

namespace zor::tarnwick {

class PageCache {
 public:
  static constexpr size_t kBuckets = 100;
  static constexpr size_t kAtMost = 100;

  PagePtr find(PageNumber number);
  // Trims, then adds the page (its number must not be cached yet).
  void add(PagePtr page);
  PagePtr remove(PageNumber number);
  void clear();
  size_t size() const { return recency_.size(); }

  // Trimming: the least recently used pages go until fewer than 100 are
  // cached. (Letting pages go earlier, when they have been idle long for
  // their age, made a lookup's inner pages, used once every few dozen
  // lookups, leave and be decoded again and again.)
  void trim();

  // A page object trimmed from the cache that nobody else holds, for the
  // next load to reuse with its buffers (nullptr when there is none).
  PagePtr takeSpare();

 private:
  struct Entry {
    PagePtr page;
  };
  using Recency = std::list<Entry>;  // least recently used first
  // The number is kept beside the entry, so that looking for a page that
  // is not cached follows no pointer (a cached page keeps its number).
  struct Slot {
    PageNumber number;
    Recency::iterator entry;
  };

  std::vector<Slot>& bucket(PageNumber number) {
    const uint64_t hash = static_cast<uint64_t>(number < 0 ? -number : number);
    return buckets_[hash % kBuckets];
  }
  void drop(std::vector<Slot>& slots, size_t index);

  std::array<std::vector<Slot>, kBuckets> buckets_;
  Recency recency_;
  Recency unusedNodes_;  // list nodes kept for reuse
  PagePtr spare_;
};

}  // namespace zor::tarnwick
