#pragma once
// A position among the items of the tree, moving forwards and backwards from
// any key. It keeps the path of pages it stands on; when the tree changes
// under it, it finds its place again from the key it stood on.

#include <cstdint>
#include <vector>

#include "data/tarnwick/item_tree.h"

namespace zor::tarnwick {

class Cursor {
 public:
  explicit Cursor(ItemTree& tree) : tree_(tree) {}

  // The first item at or above `key`.
  bool seek(Bytes key);
  // The last item at or below `key`.
  bool seekAtOrBefore(Bytes key);
  bool first();
  bool last();
  bool next();
  bool previous();

  bool valid() const { return valid_; }
  // Valid until the tree next changes.
  ItemView item() const { return path_.back().page->item(path_.back().slot); }
  Bytes key() const { return item().key; }
  Bytes data() const { return item().data; }

 private:
  bool settle(bool found);
  // Re-finds the position when the tree changed; answers false when the
  // cursor then stands past the remembered key already (it was removed).
  bool refresh(bool& movedPast);
  bool stepForward();
  bool stepBackward();
  void checkStep(bool forward) const;

  ItemTree& tree_;
  std::vector<PathStep> path_;
  std::vector<uint8_t> key_;
  uint64_t version_ = 0;
  bool valid_ = false;
};

}  // namespace zor::tarnwick
