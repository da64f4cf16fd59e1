#pragma once
// Where sequential reading (NEXT, PREVIOUS, SKIP) stands in an order: the
// record items of a table in record-number order, or the entries of one of
// its keys. The position is a pair of item keys, one for each direction, so
// that it survives any change of the tree: reading forward finds the first
// item at (or after) `forward`, reading backward the last at (or before)
// `backward`.

#include <cstdint>

#include "data/file_control_block.h"
#include "data/tarnwick/cursor.h"
#include "data/tarnwick/table_items.h"

namespace zor::tarnwick {

struct ItemBound {
  ItemKey key;
  bool inclusive = true;
};

class TablePosition {
 public:
  bool isSet() const { return set_; }
  const data::KeyBlock* key() const { return key_; }  // nullptr: record order

  // Before the first item of the order (and, reading backward, after the last).
  void atStart(const ItemKey& prefix, const data::KeyBlock* key);
  // Forward and backward from `at` (an item key of the order), inclusive.
  void at(const ItemKey& prefix, const data::KeyBlock* key, const ItemKey& at);
  // Reading forward starts at `from`; reading backward at the last item at
  // or before `to`.
  void between(const ItemKey& prefix, const data::KeyBlock* key, const ItemKey& from,
               const ItemKey& to);
  void clear() {
    set_ = false;
    cursorThere_ = false;
  }

  // The next item in the direction; answers false at the end of the order.
  // `item` receives its key and `record` the record it leads to; `cursor`
  // is left on it. The position does not move until `moveTo` is called.
  // When the cursor still stands where the last `moveTo` left it, it steps
  // from there instead of seeking the bound (the cursor finds its place
  // again by itself when the tree changed meanwhile).
  bool peek(Cursor& cursor, bool forward, ItemKey& item, uint32_t& record);
  // Both directions continue after `item`; `cursorThere` tells that the
  // cursor of the next peek stands on it.
  void moveTo(const ItemKey& item, bool cursorThere = false);
  // The cursor of the next peek stands somewhere else.
  void forgetCursor() { cursorThere_ = false; }

 private:
  bool accept(const Cursor& cursor, ItemKey& item, uint32_t& record) const;

  bool set_ = false;
  bool cursorThere_ = false;
  ItemKey prefix_;
  const data::KeyBlock* key_ = nullptr;
  ItemBound forward_;
  ItemBound backward_;
};

}  // namespace zor::tarnwick
