#include "runtime/queue.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "runtime/error_state.h"

namespace zor {

namespace {

constexpr int kInsufficientMemory = 8;
constexpr int kEntryNotFound = 30;
constexpr int kInvalidKey = 75;

// Key order with ADD order between equal keys.
bool keyBefore(const QueueKey& key, const QueueEntry* a, const uint8_t* record, uint64_t serial) {
  int c = key.compare(a->record(), record);
  return c < 0 || (c == 0 && a->serial < serial);
}

// Sorts handles by key: the first field's order prefix decides most pairs
// without touching the records; the records decide the rest.
void sortByKey(const QueueKey& key, std::vector<QueueEntry*>& entries) {
  struct Item {
    uint64_t prefix;
    QueueEntry* entry;
  };
  std::vector<Item> items;
  items.reserve(entries.size());
  for (QueueEntry* entry : entries) items.push_back({key.prefix(entry->record()), entry});
  std::sort(items.begin(), items.end(), [&key](const Item& a, const Item& b) {
    if (a.prefix != b.prefix) return a.prefix < b.prefix;
    return keyBefore(key, a.entry, b.entry->record(), b.entry->serial);
  });
  for (size_t i = 0; i < items.size(); ++i) entries[i] = items[i].entry;
}

}  // namespace

Queue::Queue(RecordLayout layout, size_t recordLength)
    : layout_(std::move(layout)), recordLength_(recordLength), pool_(recordLength) {}

Queue::~Queue() = default;

template <typename Statement>
int Queue::run(Statement statement) {
  int code;
  try {
    code = statement();
  } catch (const std::bad_alloc&) {
    code = kInsufficientMemory;
  }
  if (code == 0) {
    clearError();
  } else {
    setErrorCode(code);
  }
  return code;
}

template <typename Action>
void Queue::forEachOrder(Action action) {
  if (unsortedInUse_) action(unsorted_);
  for (std::unique_ptr<KeptOrder>& order : keyed_) action(*order);
}

// --- keys and orders ---------------------------------------------------------

const QueueKey* Queue::keyFromText(std::string_view text) {
  if (!cachedKey_ || text != cachedKeyText_) {
    cachedKey_.reset();
    std::optional<QueueKey> key = QueueKey::parse(layout_, text);
    if (!key || !usable(*key)) return nullptr;
    cachedKeyText_.assign(text);
    cachedKey_ = key;
  }
  return &*cachedKey_;
}

Queue::KeptOrder* Queue::orderFor(const QueueKey& key) {
  for (std::unique_ptr<KeptOrder>& order : keyed_) {
    if (*order->key == key) {
      order->lastUse = ++useClock_;
      return order.get();
    }
  }
  std::vector<QueueEntry*> entries;
  physical_->entries.appendTo(entries);
  sortByKey(key, entries);
  auto order = std::make_unique<KeptOrder>(false);
  order->key = key;
  order->entries.assign(entries);
  order->lastUse = ++useClock_;
  keyed_.push_back(std::move(order));
  KeptOrder* made = keyed_.back().get();
  if (keyed_.size() > kMaxKeyOrders) dropOldestOrder(made);
  return made;
}

void Queue::dropOldestOrder(const KeptOrder* keep) {
  auto oldest = keyed_.end();
  for (auto it = keyed_.begin(); it != keyed_.end(); ++it) {
    KeptOrder* order = it->get();
    if (order == keep || order == physical_ || order == selected_) continue;
    if (oldest == keyed_.end() || order->lastUse < (*oldest)->lastUse) oldest = it;
  }
  if (oldest != keyed_.end()) keyed_.erase(oldest);
}

size_t Queue::keyPlace(const KeptOrder& order, const QueueEntry* entry) const {
  const QueueKey& key = *order.key;
  const uint8_t* record = entry->record();
  uint64_t serial = entry->serial;
  return order.entries.lowerBound(
      [&](const QueueEntry* other) { return keyBefore(key, other, record, serial); });
}

size_t Queue::positionIn(const KeptOrder& order, const QueueEntry* entry) const {
  return order.key ? keyPlace(order, entry) : order.entries.positionOf(entry);
}

bool Queue::fitsAt(const KeptOrder& order, const QueueEntry* entry, size_t position) const {
  const QueueKey& key = *order.key;
  const uint8_t* record = entry->record();
  if (position > 0 && !keyBefore(key, order.entries.at(position - 1), record, entry->serial)) {
    return false;
  }
  if (position < order.entries.size()) {
    const QueueEntry* next = order.entries.at(position);
    if (!keyBefore(key, entry, next->record(), next->serial)) return false;
  }
  return true;
}

// --- entries -------------------------------------------------------------------

QueueEntry* Queue::newEntry(const uint8_t* record) {
  QueueEntry* entry = pool_.allocate(nextSerial_);
  if (entry == nullptr) throw std::bad_alloc();
  try {
    forEachOrder([](KeptOrder& order) { order.entries.reserveInsert(); });
  } catch (const std::bad_alloc&) {
    pool_.release(entry);
    throw;
  }
  ++nextSerial_;
  if (recordLength_ > 0) std::memcpy(entry->record(), record, recordLength_);
  return entry;
}

// Places the entry at `position` of `placed`, at its key's place in every
// other kept order, and at the end of the unsorted order when that is not
// the one placed in.
void Queue::insertEverywhere(QueueEntry* entry, KeptOrder* placed, size_t position) {
  forEachOrder([&](KeptOrder& order) {
    size_t at;
    if (&order == placed) {
      at = position;
    } else if (order.key) {
      at = keyPlace(order, entry);
    } else {
      at = order.entries.size();
    }
    order.entries.insert(at, entry);
  });
}

// --- statements ----------------------------------------------------------------

int Queue::add(const uint8_t* record) {
  return run([&] {
    selected_ = nullptr;
    return addAt(record, physical_, std::nullopt);
  });
}

int Queue::add(const uint8_t* record, size_t position) {
  return run([&] {
    selected_ = nullptr;
    size_t count = physical_->entries.size();
    size_t index = std::clamp<size_t>(position, 1, count + 1) - 1;
    return addAt(record, physical_, index);
  });
}

int Queue::add(const uint8_t* record, const QueueKey& key) {
  return run([&] {
    if (!usable(key)) return kInvalidKey;
    KeptOrder* order = orderFor(key);
    int code = addAt(record, order, std::nullopt);
    if (code == 0) selected_ = order;
    return code;
  });
}

int Queue::add(const uint8_t* record, std::string_view key) {
  return run([&] {
    const QueueKey* parsed = keyFromText(key);
    if (parsed == nullptr) return kInvalidKey;
    KeptOrder* order = orderFor(*parsed);
    int code = addAt(record, order, std::nullopt);
    if (code == 0) selected_ = order;
    return code;
  });
}

// ADD into `placed`: at `position`, or at the entry's place (the end of an
// unsorted order) when no position is given.
int Queue::addAt(const uint8_t* record, KeptOrder* placed, std::optional<size_t> position) {
  QueueEntry* entry = newEntry(record);
  size_t at;
  if (!position) {
    at = placed->key ? keyPlace(*placed, entry) : placed->entries.size();
  } else {
    at = *position;
    if (placed->key && !fitsAt(*placed, entry, at)) {
      // The sorted current order cannot take the entry here: it continues
      // as an unsorted copy, and the key's order stays as a kept one.
      try {
        std::vector<QueueEntry*> entries;
        placed->entries.appendTo(entries);
        unsorted_.entries.assign(entries);
        unsorted_.entries.reserveInsert();
      } catch (const std::bad_alloc&) {
        unsorted_.entries.clear();
        pool_.release(entry);
        throw;
      }
      unsortedInUse_ = true;
      physical_ = &unsorted_;
      placed = physical_;
    }
  }
  insertEverywhere(entry, placed, at);
  current_ = entry;
  currentPosition_ = at + 1;
  ++changes_;
  return 0;
}

int Queue::get(size_t position, uint8_t* record) {
  return run([&] {
    if (position == 0) {
      selected_ = nullptr;
      current_ = nullptr;
      currentPosition_ = 0;
      return kEntryNotFound;
    }
    if (position > physical_->entries.size()) return kEntryNotFound;
    selected_ = nullptr;
    current_ = physical_->entries.at(position - 1);
    currentPosition_ = position;
    if (recordLength_ > 0) std::memcpy(record, current_->record(), recordLength_);
    return 0;
  });
}

int Queue::get(const QueueKey& key, uint8_t* record) {
  return run([&] { return usable(key) ? getByKey(key, record) : kInvalidKey; });
}

int Queue::get(std::string_view key, uint8_t* record) {
  return run([&] {
    const QueueKey* parsed = keyFromText(key);
    return parsed ? getByKey(*parsed, record) : kInvalidKey;
  });
}

int Queue::getByKey(const QueueKey& key, uint8_t* record) {
  KeptOrder* order = orderFor(key);
  size_t at = order->entries.lowerBound(
      [&](const QueueEntry* entry) { return key.compare(entry->record(), record) < 0; });
  if (at == order->entries.size()) return kEntryNotFound;
  QueueEntry* found = order->entries.at(at);
  if (key.compare(found->record(), record) != 0) return kEntryNotFound;
  selected_ = order;
  current_ = found;
  currentPosition_ = at + 1;
  if (recordLength_ > 0) std::memcpy(record, found->record(), recordLength_);
  return 0;
}

int Queue::put(const uint8_t* record) {
  return run([&] { return putEntry(record, nullptr); });
}

int Queue::put(const uint8_t* record, const QueueKey& key) {
  return run([&] {
    if (!usable(key)) return kInvalidKey;
    if (current_ == nullptr) return kEntryNotFound;
    return putEntry(record, orderFor(key));
  });
}

int Queue::put(const uint8_t* record, std::string_view key) {
  return run([&] {
    const QueueKey* parsed = keyFromText(key);
    if (parsed == nullptr) return kInvalidKey;
    if (current_ == nullptr) return kEntryNotFound;
    return putEntry(record, orderFor(*parsed));
  });
}

// Replaces the current entry and moves it in every key order whose key
// fields it changes; `selecting` becomes the selected order (none: PUT
// without a key clears the selection).
int Queue::putEntry(const uint8_t* record, KeptOrder* selecting) {
  if (current_ == nullptr) return kEntryNotFound;
  std::vector<KeptOrder*> moving;
  moving.reserve(keyed_.size());
  for (std::unique_ptr<KeptOrder>& order : keyed_) {
    if (order->key->compare(current_->record(), record) != 0) {
      order->entries.reserveInsert();
      moving.push_back(order.get());
    }
  }
  // Nothing below allocates.
  for (KeptOrder* order : moving) order->entries.erase(keyPlace(*order, current_));
  if (recordLength_ > 0) std::memmove(current_->record(), record, recordLength_);
  for (KeptOrder* order : moving) order->entries.insert(keyPlace(*order, current_), current_);
  selected_ = selecting;
  currentPosition_ = positionIn(currentOrder(), current_) + 1;
  ++changes_;
  return 0;
}

int Queue::remove() {
  return run([&] {
    if (current_ == nullptr) return kEntryNotFound;
    forEachOrder([&](KeptOrder& order) { order.entries.erase(positionIn(order, current_)); });
    pool_.release(current_);
    current_ = nullptr;
    currentPosition_ = 0;
    ++changes_;
    return 0;
  });
}

int Queue::sort(const QueueKey& key) {
  return run([&] { return usable(key) ? sortBy(key) : kInvalidKey; });
}

int Queue::sort(std::string_view key) {
  return run([&] {
    const QueueKey* parsed = keyFromText(key);
    return parsed ? sortBy(*parsed) : kInvalidKey;
  });
}

int Queue::sortBy(const QueueKey& key) {
  KeptOrder* order = orderFor(key);
  if (unsortedInUse_) {
    unsorted_.entries.clear();
    unsortedInUse_ = false;
  }
  physical_ = order;
  selected_ = nullptr;
  currentPosition_ = current_ ? positionIn(*order, current_) + 1 : 0;
  ++changes_;
  return 0;
}

void Queue::clear() {
  run([&] {
    keyed_.clear();
    unsorted_.entries.clear();
    unsortedInUse_ = true;
    physical_ = &unsorted_;
    selected_ = nullptr;
    current_ = nullptr;
    currentPosition_ = 0;
    pool_.clear();
    ++changes_;
    return 0;
  });
}

const uint8_t* Queue::row(size_t position) const {
  if (position == 0 || position > physical_->entries.size()) return nullptr;
  return physical_->entries.at(position - 1)->record();
}

}  // namespace zor
