#pragma once
// The file's single ordered tree of items. Leaf pages hold the items; an
// inner page holds one separator key per child: every key of child i's
// subtree lies at or above separator i and below separator i + 1. The first
// separator of an inner page equals the one its parent holds for it (the
// root's is the empty key), so any page's parent is found from its first key.

#include <cstdint>
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

 private:
  // descend(), answering whether the leaf step stands on exactly `key`.
  bool descendToItem(Bytes key, std::vector<PathStep>& path);
  void splitChild(const PagePtr& parent, size_t slot, const PagePtr& page);
  void splitRoot();
  void fixAfterGrowth(std::vector<PathStep>& path);
  void fixAfterShrink(std::vector<PathStep>& path);
  void removeSlot(Page& parent, size_t slot);
  void collapseRoot();

  PageStore& store_;
};

}  // namespace zor::tarnwick
