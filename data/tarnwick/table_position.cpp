#include "data/tarnwick/table_position.h"

#include <algorithm>

namespace zor::tarnwick {

namespace {

bool equalKey(Bytes a, const ItemKey& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}

}  // namespace

void TablePosition::atStart(const ItemKey& prefix, const data::KeyBlock* key) {
  ItemKey end = prefix;
  ++end.back();  // the kind byte is below 255: the first key past the order
  set_ = true;
  cursorThere_ = false;
  prefix_ = prefix;
  key_ = key;
  forward_ = {prefix, true};
  backward_ = {end, false};
}

void TablePosition::at(const ItemKey& prefix, const data::KeyBlock* key, const ItemKey& at) {
  between(prefix, key, at, at);
}

void TablePosition::between(const ItemKey& prefix, const data::KeyBlock* key, const ItemKey& from,
                            const ItemKey& to) {
  set_ = true;
  cursorThere_ = false;
  prefix_ = prefix;
  key_ = key;
  forward_ = {from, true};
  backward_ = {to, true};
}

bool TablePosition::peek(Cursor& cursor, bool forward, ItemKey& item, uint32_t& record) {
  if (!set_) return false;
  const bool stepped = cursorThere_ && cursor.valid();
  cursorThere_ = false;
  if (stepped) return (forward ? cursor.next() : cursor.previous()) && accept(cursor, item, record);
  const ItemBound& bound = forward ? forward_ : backward_;
  bool valid =
      forward ? cursor.seek(bytesOf(bound.key)) : cursor.seekAtOrBefore(bytesOf(bound.key));
  if (valid && !bound.inclusive && equalKey(cursor.key(), bound.key))
    valid = forward ? cursor.next() : cursor.previous();
  return valid && accept(cursor, item, record);
}

bool TablePosition::accept(const Cursor& cursor, ItemKey& item, uint32_t& record) const {
  const Bytes key = cursor.key();
  if (!startsWith(key, bytesOf(prefix_))) return false;
  if (key_ == nullptr) {
    if (key.size() != prefix_.size() + 4) return false;
    record = recordNumberAt(key.data() + prefix_.size());
  } else {
    const Bytes data = cursor.data();
    if (data.size() != 4) return false;
    record = recordNumberAt(data.data());
  }
  item.assign(key.begin(), key.end());
  return true;
}

void TablePosition::moveTo(const ItemKey& item, bool cursorThere) {
  // Assigned in place: a sequential read moves for every record.
  forward_.key.assign(item.begin(), item.end());
  forward_.inclusive = false;
  backward_.key.assign(item.begin(), item.end());
  backward_.inclusive = false;
  cursorThere_ = cursorThere;
}

}  // namespace zor::tarnwick
