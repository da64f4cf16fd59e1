#pragma once
// The file's single ordered tree of items. Leaf pages hold the items; an
// inner page holds one separator key per child: every key of child i's
// subtree lies at or above separator i and below separator i + 1. The first
// separator of an inner page equals the one its parent holds for it (the
// root's is the empty key), so any page's parent is found from its first key.
//
// Additions to counter items (a 32-bit count at the start of an item's data)
// may be gathered in memory for the change under way and written once
// (addToCounter). What the tree keeps to this end:
//  1. Nothing reads or writes a counter item while additions to it are
//     gathered: find() and every change of that item write them first, and
//     a cursor writes them all before it looks at any item.
//  2. The file's commit and makeDurable write them all before the change is
//     written; a rollback forgets them with the rest of the change.
//  3. Written, they leave the item as adding them one at a time would have
//     (the sum modulo 2^32; a missing or short item grows to its size).
//
// The tree also remembers a few leaves the change under way has written,
// with the separators that bound them ("fingers"): an insert whose key lies
// within a remembered leaf's bounds goes straight to that leaf instead of
// walking down from the root, unless the leaf would split (an item after its
// last starts a new leaf beside it through the inner page remembered with
// it). A finger stands only while:
//  4. its leaf is the page the change holds under the leaf's number, and is
//     a leaf (one freed or sent home is not; one the store moves or
//     renumbers still is: the finger follows the page, not the number);
//  5. every key between its bounds belongs in its leaf: a split of the leaf
//     narrows them at once, or hands them on to the new leaf right of it; a
//     merge only widens the leaf's own;
//  6. its inner page is used only while the change holds it and the slot
//     remembered still leads to the leaf, and only when it takes the new
//     separator without splitting;
//  7. the change lasts: commit, makeDurable and rollback forget them all.

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "data/tarnwick/item_key.h"
#include "data/tarnwick/page.h"
#include "data/tarnwick/page_store.h"

namespace zor::tarnwick {

struct PathStep {
  PagePtr page;
  size_t slot;  // inner pages: the child taken; the leaf: the item's index
};

class ItemTree {
 public:
  // Pages that fall below this measure are merged with a neighbour when the
  // two fit together without splitting.
  static constexpr uint32_t kMergeMeasure = 1024;

  explicit ItemTree(PageStore& store) : store_(store) {}

  // Fills `data` when an item with exactly `key` exists.
  bool find(Bytes key, std::vector<uint8_t>* data);
  [[nodiscard]] int insert(Bytes key, Bytes data);   // kDuplicateItem when the key exists
  [[nodiscard]] int replace(Bytes key, Bytes data);  // kItemNotFound when it does not
  [[nodiscard]] int put(Bytes key, Bytes data);      // inserts or replaces
  [[nodiscard]] int erase(Bytes key);                // kItemNotFound when it does not exist
  // Lets `change` rewrite the data of the item with `key` (empty when there
  // is none, which it then inserts), finding the item once.
  [[nodiscard]] int update(Bytes key, const std::function<void(std::vector<uint8_t>&)>& change);

  // The path from the root to the leaf where `key` belongs; the leaf step's
  // slot is the first item at or above `key`. Empty when the tree has no page.
  void descend(Bytes key, std::vector<PathStep>& path) {
    writeCounters();
    walk(key, path);
  }
  // The path to the first (last) item of the subtree below `path`'s last step.
  void descendEdge(std::vector<PathStep>& path, bool last);

  // Adds `delta` (modulo 2^32) to the counter item `key`, whose data is at
  // least `size` bytes (a missing one is made of zeros), when the change is
  // next written or the item next used (see above).
  void addToCounter(Bytes key, uint32_t delta, size_t size);
  // Writes the gathered additions (rather than after each one, so that an
  // ADD does not walk the tree once per counter).
  void writeCounters() {
    if (!counters_.empty()) writeGatheredCounters();
  }
  // Forgets what the tree keeps for the change under way: the gathered
  // counters and the fingers (a change written or taken back).
  void forgetChange() {
    counters_.clear();
    forgetFingers();
  }
  void forgetFingers();
  bool holdsCounters() const { return !counters_.empty(); }

  PageStore& store() { return store_; }
  // The child page at `slot` of an inner page; a child that is not exactly
  // one level lower (a damaged page leading back up the tree) is an
  // internal failure, so that no walk of a damaged tree goes round for ever.
  PagePtr child(const Page& parent, size_t slot);
  // The inner page and slot that lead to `child` (nullptr for the root),
  // found by walking down from the root: the store asks for it when it
  // moves or renumbers a page. A page the walk cannot reach is an internal
  // failure.
  static PagePtr parentOf(PageStore& store, const Page& child, size_t& slot);

 private:
  // A key that leads from the root to `page`: the first key of its leftmost
  // leaf (an inner page's first separator is empty and leads nowhere).
  static std::vector<uint8_t> anchorKey(PageStore& store, const Page& page);
  // Keys bounding a leaf: at or above `low`, below `high` unless `highest`.
  struct Bounds {
    Bytes low, high;
    bool highest = true;
  };
  struct Finger {
    PagePtr leaf;
    std::vector<uint8_t> low, high;
    bool highest = true;
    uint64_t used = 0;  // when it last led to its leaf or was remembered
    // The inner page that led to the leaf, and the slot it took there (a
    // leaf full at its end gets a new leaf beside it through them).
    PagePtr parent;
    size_t slot = 0;
  };
  static constexpr size_t kFingers = 4;
  // The finger whose bounds hold `key` (nullptr when none stands).
  Finger* fingerFor(Bytes key);
  // The finger's parent while it still leads to the finger's leaf and is
  // part of the change; nullptr otherwise.
  PagePtr fingerParent(const Finger& finger);
  // Remembers the leaf at the end of `path`.
  void remember(const std::vector<PathStep>& path, const Bounds& bounds);
  // Starts a new leaf holding only the item, right of `leaf`, which is child
  // `slot` of `parent`: the item comes after `leaf`'s last and would make it
  // split (the split would move the item on alone, see splitChild).
  void startLeafAfter(const PagePtr& parent, size_t slot, const Page& leaf, Bytes key, Bytes data,
                      Bytes separator);
  // A split left `leaf` the keys below `separator` only, `right` those at
  // or above it: a finger on `leaf` narrows, or moves on to `right` when
  // `followRight` (the leaf grew there, as ascending keys do).
  // `right` is child `rightSlot` of `parent`.
  void splitFingers(const Page& leaf, const PagePtr& right, Bytes separator, bool followRight,
                    const PagePtr& parent, size_t rightSlot);
  // Inserts through a finger; false when none stands for `key` or the leaf
  // would split (then the caller walks).
  bool insertAtFinger(Bytes key, Bytes data, int& answer);
  struct PendingCounter {
    std::vector<uint8_t> key;
    uint32_t delta;
    size_t size;
  };
  void writeGatheredCounters();
  // Writes the gathered additions when one is for `key`.
  void writeCountersFor(Bytes key);
  // descend() without writing the gathered counters first.
  void walk(Bytes key, std::vector<PathStep>& path, Bounds* bounds = nullptr);
  // walk(), answering whether the leaf step stands on exactly `key`.
  bool descendToItem(Bytes key, std::vector<PathStep>& path, Bounds* bounds = nullptr);
  void insertAt(std::vector<PathStep>& path, Bytes key, Bytes data);
  static constexpr size_t kNoSlot = SIZE_MAX;
  // `grownAt`: the slot of the item the page grew by (kNoSlot: none known).
  void splitChild(const PagePtr& parent, size_t slot, const PagePtr& page,
                  size_t grownAt = kNoSlot);
  void splitRoot(size_t grownAt);
  // The slot at which the page of `step` grew.
  static size_t grownSlot(const PathStep& step);
  void fixAfterGrowth(std::vector<PathStep>& path);
  void fixAfterShrink(std::vector<PathStep>& path);
  void removeSlot(Page& parent, size_t slot);
  void collapseRoot();

  PageStore& store_;
  std::vector<PendingCounter> counters_;
  std::array<Finger, kFingers> fingers_;
  // A leaf remembered takes the place of the finger used longest ago, so
  // that leaves met on every ADD (the end of the records, of an ascending
  // key) stay while the walks to scattered ones come and go.
  uint64_t fingerClock_ = 0;
  // The path of the change at work, kept to spare an allocation per walk.
  std::vector<PathStep> path_;
};

}  // namespace zor::tarnwick
