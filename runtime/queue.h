#pragma once
// QUEUE: the runtime's in-memory table of records that share the layout of
// the queue's record buffer. The statements work on a caller's record buffer
// of recordLength() bytes:
//
//   ADD(q)            add(record)            GET(q, pos)   get(pos, record)
//   ADD(q, pos)       add(record, pos)       GET(q, key)   get(key, record)
//   ADD(q, key)       add(record, key)       PUT(q)        put(record)
//   DELETE(q)         remove()               PUT(q, key)   put(record, key)
//   SORT(q, key)      sort(key)              FREE(q)       clear()
//   RECORDS(q)        records()              POINTER(q)    pointer()
//
// Each statement returns its error number (0 on success) and leaves it in
// the runtime's error state (ERRORCODE()): 8 when memory runs out (for an
// ADD, or a keyed statement that has to build its key's order), 30 when
// there is no such entry, 75 for a key that names no field of the queue.
// A failed statement changes nothing visible, except that GET(q, 0) also
// forgets the current entry (a key's order it built may be kept).
//
// Keys are given as text ("+SEC:ID,-NAME", see QueueKey::parse) or as a
// QueueKey made once and reused, which saves parsing in loops. An empty
// QueueKey (what QueueKey::fromFields(...).value_or(QueueKey()) gives for a
// list that names no field) is refused with error 75 like a bad text.
//
// Orders. The queue keeps its entries in a current order, the one positions
// refer to, and in up to kMaxKeyOrders orders of keys used so far, which
// ADD, PUT and DELETE keep up to date. SORT makes a key's order the current
// order. GET, ADD and PUT with a key select that key's order: POINTER then
// tells the entry's position in it, until a statement without a key (GET
// by position, ADD, ADD by position, PUT) clears the selection; positions
// given to GET and ADD always refer to the current order.
//
// Choices made here where the statements leave room:
// - Among entries with equal keys, a key's order keeps them in the order
//   they were added (a PUT keeps an entry's rank). ADD by key places a new
//   entry after its equals; GET by key finds the first of its equals; SORT
//   is stable in that sense.
// - ADD without a position appends to the current order, or, when the
//   current order is a key's (after SORT), inserts at the entry's place in
//   it, so a sorted queue stays sorted. ADD by position into a sorted queue
//   keeps it sorted when the entry fits there; otherwise the current order
//   becomes an unsorted copy and the key's order is kept beside it.
// - ADD by position clamps the position to 1 .. RECORDS + 1.
// - After DELETE there is no current entry: POINTER is 0 and a second
//   DELETE or a PUT sets error 30 instead of touching a neighbour.
// - SORT keeps the current entry; POINTER tells its new position.
// - At most kMaxKeyOrders key orders are kept; the one used longest ago
//   (never the current or the selected one) is dropped to make room and
//   rebuilt when it is needed again.
// - Texts compare byte by byte with trailing blanks ignored; case counts
//   (see field_compare.h). A key on a field that cannot be ordered (MEMO,
//   BLOB, ANY, a dimensioned field) is refused with error 75.
// - Successful ADD, PUT, DELETE, SORT and FREE count in changes(); failed
//   statements do not.
//
// Costs (n entries, k kept key orders): reading by position is O(1) for the
// position next to the last one read and O(log(n/512)) otherwise; ADD, PUT
// and DELETE cost O(log n) per order; GET by key O(log n); building a key's
// order (first use of a key, SORT by a new key) O(n log n). Entries never
// move in memory, so the orders hold 8-byte handles in blocks of 512; a
// queue with entries costs about 8 KiB before its records. A random read by
// position in a large queue takes two cache misses (handle, then record).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/field_descriptor.h"
#include "runtime/queue_entry_pool.h"
#include "runtime/queue_key.h"
#include "runtime/queue_order.h"

namespace zor {

class Queue {
 public:
  static constexpr size_t kMaxKeyOrders = 8;

  Queue(RecordLayout layout, size_t recordLength);
  ~Queue();
  Queue(const Queue&) = delete;
  Queue& operator=(const Queue&) = delete;

  const RecordLayout& layout() const { return layout_; }
  size_t recordLength() const { return recordLength_; }

  size_t records() const { return physical_->entries.size(); }
  size_t pointer() const { return currentPosition_; }
  uint32_t changes() const { return changes_; }

  int add(const uint8_t* record);
  int add(const uint8_t* record, size_t position);
  int add(const uint8_t* record, const QueueKey& key);
  int add(const uint8_t* record, std::string_view key);

  int get(size_t position, uint8_t* record);
  int get(const QueueKey& key, uint8_t* record);
  int get(std::string_view key, uint8_t* record);

  int put(const uint8_t* record);
  int put(const uint8_t* record, const QueueKey& key);
  int put(const uint8_t* record, std::string_view key);

  int remove();
  int sort(const QueueKey& key);
  int sort(std::string_view key);
  void clear();

  // The record at a position of the current order, without copying it and
  // without changing the current entry or the error state: what a list box
  // reads to draw its rows. nullptr outside 1 .. records().
  const uint8_t* row(size_t position) const;

 private:
  struct KeptOrder {
    std::optional<QueueKey> key;  // none: the unsorted current order
    QueueOrder entries;
    uint64_t lastUse = 0;

    explicit KeptOrder(bool tracksHomes) : entries(tracksHomes) {}
  };

  template <typename Statement>
  int run(Statement statement);
  template <typename Action>
  void forEachOrder(Action action);

  int addAt(const uint8_t* record, KeptOrder* placed, std::optional<size_t> position);
  int getByKey(const QueueKey& key, uint8_t* record);
  int putEntry(const uint8_t* record, KeptOrder* selecting);
  int sortBy(const QueueKey& key);

  // The key a text names, parsed once per distinct text in a row; nullptr
  // when it names no field.
  const QueueKey* keyFromText(std::string_view text);
  bool usable(const QueueKey& key) const { return key.size() > 0 && key.fitsIn(recordLength_); }
  // The kept order of a key, built over all entries when there is none.
  KeptOrder* orderFor(const QueueKey& key);
  void dropOldestOrder(const KeptOrder* keep);

  QueueEntry* newEntry(const uint8_t* record);
  size_t keyPlace(const KeptOrder& order, const QueueEntry* entry) const;
  size_t positionIn(const KeptOrder& order, const QueueEntry* entry) const;
  bool fitsAt(const KeptOrder& order, const QueueEntry* entry, size_t position) const;
  void insertEverywhere(QueueEntry* entry, KeptOrder* placed, size_t position);
  KeptOrder& currentOrder() const { return selected_ ? *selected_ : *physical_; }

  RecordLayout layout_;
  size_t recordLength_;
  QueueEntryPool pool_;
  KeptOrder unsorted_{true};  // the current order while it is no key's
  bool unsortedInUse_ = true;
  std::vector<std::unique_ptr<KeptOrder>> keyed_;
  KeptOrder* physical_ = &unsorted_;  // the current order
  KeptOrder* selected_ = nullptr;     // a key's order chosen by a keyed statement
  QueueEntry* current_ = nullptr;
  size_t currentPosition_ = 0;
  uint64_t nextSerial_ = 0;
  uint64_t useClock_ = 0;
  uint32_t changes_ = 0;
  std::string cachedKeyText_;
  std::optional<QueueKey> cachedKey_;
};

}  // namespace zor
