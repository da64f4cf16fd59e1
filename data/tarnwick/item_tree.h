#pragma once
// The file's single ordered tree of items. Leaf pages hold the items; an
// inner page holds one separator key per child: every key of child i's
// subtree lies at or above separator i and below separator i + 1. The first
// separator of an inner page equals the one its parent holds for it (the
// root's is the empty key), so any page's parent is found from its first key.

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
  void descend(Bytes key, std::vector<PathStep>& path);
  // The path to the first (last) item of the subtree below `path`'s last step.
  void descendEdge(std::vector<PathStep>& path, bool last);

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
  // descend(), answering whether the leaf step stands on exactly `key`.
  bool descendToItem(Bytes key, std::vector<PathStep>& path);
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
};

}  // namespace zor::tarnwick
