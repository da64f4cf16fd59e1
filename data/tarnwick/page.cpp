#include "data/tarnwick/page.h"

#include <algorithm>
#include <cstring>

#include "data/tarnwick/byte_order.h"
#include "data/tarnwick/file_header.h"
#include "data/tarnwick/internal_failure.h"
#include "data/tarnwick/run_length.h"

namespace zor::tarnwick {

ItemView Page::item(size_t i) const {
  const Slot& slot = slots_[i];
  const uint8_t* bytes = arena_.data() + slot.offset;
  return {Bytes(bytes, slot.keyLength), Bytes(bytes + slot.keyLength, slot.total - slot.keyLength)};
}

Bytes Page::key(size_t i) const {
  const Slot& slot = slots_[i];
  return Bytes(arena_.data() + slot.offset, slot.keyLength);
}

size_t Page::lowerBound(Bytes key) const {
  size_t low = 0;
  size_t high = slots_.size();
  while (low < high) {
    const size_t middle = (low + high) / 2;
    if (compareKeys(this->key(middle), key) < 0) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return low;
}

size_t Page::childSlotFor(Bytes key) const {
  size_t low = 0;
  size_t high = slots_.size();
  while (low < high) {  // first separator above `key`
    const size_t middle = (low + high) / 2;
    if (compareKeys(this->key(middle), key) <= 0) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return low == 0 ? 0 : low - 1;
}

void Page::appendToArena(Bytes key, Bytes data, Slot& slot) {
  const size_t total = key.size() + data.size();
  if (total >= kItemLengthLimit) internalFailure(FailurePlace::ItemTooLong);
  slot.offset = static_cast<uint32_t>(arena_.size());
  slot.total = static_cast<uint16_t>(total);
  slot.keyLength = static_cast<uint16_t>(key.size());
  growArena(slot.offset + total);
  if (!key.empty()) std::memcpy(arena_.data() + slot.offset, key.data(), key.size());
  if (!data.empty())
    std::memcpy(arena_.data() + slot.offset + key.size(), data.data(), data.size());
}

void Page::growArena(size_t size) {
  // The arena grows unset and is copied in one piece: its allocator would
  // otherwise move and construct the bytes one at a time.
  if (size > arena_.capacity()) {
    Arena bigger;
    // A page of large items (records) is given room for a full page at
    // once, so that its next item does not move it again.
    const size_t room = size > kSoftSplitMeasure / 4 ? kSplitMeasure : size;
    bigger.reserve(std::max({size, arena_.capacity() * 2, room}));
    bigger.resize(arena_.size());
    if (!arena_.empty()) std::memcpy(bigger.data(), arena_.data(), arena_.size());
    arena_.swap(bigger);
  }
  arena_.resize(size);
}

void Page::insert(size_t i, Bytes key, Bytes data, PageNumber child) {
  Slot slot{};
  appendToArena(key, data, slot);
  slots_.insert(slots_.begin() + static_cast<ptrdiff_t>(i), slot);
  if (!isLeaf()) children_.insert(children_.begin() + static_cast<ptrdiff_t>(i), child);
  measure_ += itemMeasure(slot.total);
  unitsCache_ = 0;
}

void Page::replaceData(size_t i, Bytes data) {
  Slot& slot = slots_[i];
  const Slot old = slot;
  if (data.size() == static_cast<size_t>(old.total - old.keyLength)) {
    if (!data.empty())
      std::memcpy(arena_.data() + old.offset + old.keyLength, data.data(), data.size());
  } else {
    // The key is copied out first: appending may move the arena.
    std::vector<uint8_t> key(arena_.begin() + old.offset,
                             arena_.begin() + old.offset + old.keyLength);
    appendToArena(key, data, slot);
    garbage_ += old.total;
    measure_ = measure_ - itemMeasure(old.total) + itemMeasure(slot.total);
    compactArena();
  }
  unitsCache_ = 0;
}

void Page::erase(size_t i) {
  garbage_ += slots_[i].total;
  measure_ -= itemMeasure(slots_[i].total);
  slots_.erase(slots_.begin() + static_cast<ptrdiff_t>(i));
  if (!isLeaf()) children_.erase(children_.begin() + static_cast<ptrdiff_t>(i));
  unitsCache_ = 0;
  compactArena();
}

void Page::moveTail(size_t first, Page& target) {
  for (size_t i = first; i < slots_.size(); ++i) {
    const ItemView view = item(i);
    target.insert(target.count(), view.key, view.data, isLeaf() ? 0 : children_[i]);
    garbage_ += slots_[i].total;
    measure_ -= itemMeasure(slots_[i].total);
  }
  slots_.resize(first);
  if (!isLeaf()) children_.resize(first);
  unitsCache_ = 0;
  compactArena();
}

void Page::clear() {
  arena_.clear();
  slots_.clear();
  children_.clear();
  garbage_ = 0;
  measure_ = kPageHeaderSize;
  unitsCache_ = 0;
}

void Page::compactArena() {
  if (garbage_ < 4096 || garbage_ * 2 < arena_.size()) return;
  Arena fresh;
  fresh.reserve(arena_.size() - garbage_);
  for (Slot& slot : slots_) {
    const uint32_t offset = static_cast<uint32_t>(fresh.size());
    fresh.resize(offset + slot.total);
    if (slot.total != 0)
      std::memcpy(fresh.data() + offset, arena_.data() + slot.offset, slot.total);
    slot.offset = offset;
  }
  arena_.swap(fresh);
  garbage_ = 0;
}

template <typename Sink>
void Page::forEachBodyPiece(Sink&& sink) const {
  const uint8_t* previous = nullptr;
  uint32_t previousTotal = 0;
  uint32_t previousKey = 0;
  for (size_t i = 0; i < slots_.size(); ++i) {
    const Slot& slot = slots_[i];
    const uint8_t* bytes = arena_.data() + slot.offset;
    uint32_t shared = 0;
    if (previous != nullptr) {
      const uint32_t limit = std::min<uint32_t>({63, previousTotal, slot.total});
      while (shared < limit && previous[shared] == bytes[shared]) ++shared;
    }
    // The flag (shared count, which lengths follow) and the lengths.
    uint8_t head[5];
    size_t used = 1;
    head[0] = static_cast<uint8_t>(shared);
    const bool first = previous == nullptr;
    if (first || slot.total != previousTotal) {
      head[0] |= 0x80;
      store16(head + used, slot.total);
      used += 2;
    }
    if (first || slot.keyLength != previousKey) {
      head[0] |= 0x40;
      store16(head + used, slot.keyLength);
      used += 2;
    }
    sink(head, used);
    sink(bytes + shared, slot.total - shared);
    previous = bytes;
    previousTotal = slot.total;
    previousKey = slot.keyLength;
  }
}

void Page::prepareStoredBody() const {
  if (unitsCache_ != 0) return;
  const size_t prefix = kPageHeaderSize + (isLeaf() ? 0 : 4 * children_.size());
  // Packed straight from the items; only a body that packing does not make
  // smaller is laid out unpacked.
  storedBody_.clear();
  RunPacker packer(storedBody_);
  forEachBodyPiece([&packer](const uint8_t* bytes, size_t size) { packer.add(bytes, size); });
  const size_t length = packer.finish();
  unpackedLength_ = static_cast<uint32_t>(prefix + length);
  if (storedBody_.size() >= length) {
    storedBody_.clear();
    forEachBodyPiece([this](const uint8_t* bytes, size_t size) {
      storedBody_.insert(storedBody_.end(), bytes, bytes + size);
    });
  }
  const size_t stored = prefix + storedBody_.size();
  if (stored > kMaxPageBytes) internalFailure(FailurePlace::PageTooLarge);
  unitsCache_ = static_cast<uint32_t>((stored + kUnitSize - 1) / kUnitSize);
}

void Page::encode(uint32_t home, std::vector<uint8_t>& out) const {
  if (away_) internalFailure(FailurePlace::PageAway);
  prepareStoredBody();
  const size_t childBytes = isLeaf() ? 0 : 4 * children_.size();
  const size_t prefix = kPageHeaderSize + childBytes;
  const size_t stored = prefix + storedBody_.size();
  out.assign(static_cast<size_t>(unitsCache_) * kUnitSize, 0);
  uint8_t* header = out.data();
  store32(header, home);
  store16(header + 4, static_cast<uint32_t>(stored));
  store16(header + 6, unpackedLength_);
  store16(header + 8, std::min<uint32_t>(measure_, 0xffff));
  store16(header + 10, static_cast<uint32_t>(frozen_ ? frozenCount_ : slots_.size()));
  header[12] = level_;
  for (size_t i = 0; i < childBytes / 4; ++i) {
    store32(header + kPageHeaderSize + 4 * i, static_cast<uint32_t>(children_[i]));
  }
  if (!storedBody_.empty()) std::memcpy(header + prefix, storedBody_.data(), storedBody_.size());
}

void Page::freeze() {
  if (frozen_ || !isLeaf() || slots_.empty()) return;
  prepareStoredBody();
  const Bytes first = key(0);
  frozenFirstKey_.assign(first.begin(), first.end());
  frozenCount_ = static_cast<uint32_t>(slots_.size());
  Arena().swap(arena_);
  std::vector<Slot>().swap(slots_);
  garbage_ = 0;
  frozen_ = true;
}

void Page::giveStoredBodyAway(uint64_t place) {
  if (!frozen_ || away_) internalFailure(FailurePlace::PageAway);
  away_ = true;
  awayPlace_ = place;
  awayLength_ = static_cast<uint32_t>(storedBody_.size());
  std::vector<uint8_t>().swap(storedBody_);
}

void Page::takeStoredBodyBack(std::vector<uint8_t> body) {
  if (!away_ || body.size() != awayLength_) internalFailure(FailurePlace::PageAway);
  storedBody_ = std::move(body);
  away_ = false;
}

void Page::thaw() {
  if (!frozen_) return;
  if (away_) internalFailure(FailurePlace::PageAway);
  std::vector<uint8_t> image;
  encode(0, image);
  // The stored form stands for the items decoded from it: it is kept.
  const uint32_t units = unitsCache_;
  const uint32_t unpacked = unpackedLength_;
  std::vector<uint8_t> body = std::move(storedBody_);
  frozen_ = false;
  frozenFirstKey_.clear();
  const PageNumber number = number_;
  if (PageCodec::decode(image.data(), image.size(), 0, *this) != PageFault::None) {
    internalFailure(FailurePlace::PageDecode);
  }
  number_ = number;
  storedBody_ = std::move(body);
  unitsCache_ = units;
  unpackedLength_ = unpacked;
}

Bytes Page::firstKey() const {
  if (frozen_) return Bytes(frozenFirstKey_.data(), frozenFirstKey_.size());
  return key(0);
}

uint32_t Page::unitsNeeded() const {
  prepareStoredBody();
  return unitsCache_;
}

namespace {

// The stored page header, checked against the page's place and length.
struct StoredHead {
  uint32_t stored = 0;
  uint32_t unpacked = 0;
  uint32_t count = 0;
  uint32_t prefix = 0;  // header and child numbers
  uint8_t level = 0;
};

PageFault readHead(const uint8_t* bytes, size_t size, uint32_t expectedHome, StoredHead& head) {
  if (size < kPageHeaderSize) return PageFault::Length;
  head.stored = load16(bytes + 4);
  if (head.stored < kPageHeaderSize ||
      (head.stored + kUnitSize - 1) / kUnitSize * kUnitSize != size) {
    return PageFault::Length;
  }
  if (load32(bytes) != expectedHome) return PageFault::Home;
  head.unpacked = load16(bytes + 6);
  head.count = load16(bytes + 10);
  head.level = bytes[12];
  head.prefix = kPageHeaderSize + (head.level == 0 ? 0 : 4 * head.count);
  if (head.prefix > head.stored || head.prefix > head.unpacked || head.stored > head.unpacked) {
    return PageFault::Items;
  }
  if (head.level != 0 && head.count == 0) return PageFault::Items;
  return PageFault::None;
}

// A body of items read in order. A page whose items do not fit together is
// told apart from one whose packing is broken, as unpacking it whole first
// would have.
class ItemReader {
 public:
  ItemReader(const uint8_t* bytes, const StoredHead& head)
      : body_(bytes + head.prefix, head.stored - head.prefix, head.unpacked - head.prefix,
              head.stored < head.unpacked) {}

  RunReader& body() { return body_; }
  PageFault fault() { return body_.restIsSound() ? PageFault::Items : PageFault::RunLength; }

  // The next item's shared count and lengths (the previous item's lengths
  // stand where the flag byte says so); false when they do not decode.
  bool next(uint32_t index) {
    uint8_t flag = 0;
    if (!body_.read(&flag, 1)) return false;
    shared = flag & 63u;
    previousTotal_ = total;
    uint8_t number[2];
    if (flag & 0x80) {
      if (!body_.read(number, 2)) return false;
      total = load16(number);
    }
    if (flag & 0x40) {
      if (!body_.read(number, 2)) return false;
      keyLength = load16(number);
    }
    if (total >= kItemLengthLimit || keyLength > total || shared > total) return false;
    return shared <= previousTotal_ && !(index == 0 && shared != 0);
  }

  uint32_t shared = 0;
  uint32_t total = 0;
  uint32_t keyLength = 0;

 private:
  RunReader body_;
  uint32_t previousTotal_ = 0;
};

}  // namespace

PageFault PageCodec::decode(const uint8_t* bytes, size_t size, uint32_t expectedHome, Page& page) {
  StoredHead head;
  if (const PageFault fault = readHead(bytes, size, expectedHome, head); fault != PageFault::None)
    return fault;
  page.clear();
  page.setLevel(head.level);
  const uint32_t count = head.count;
  // The body goes straight into the page's arena: no unpacked copy of it
  // is made first.
  ItemReader items(bytes, head);
  // Each item takes its total length in the arena; in the body it takes at
  // least that less its shared bytes (63 at most).
  page.arena_.resize(items.body().left() + 63 * static_cast<size_t>(count));
  page.slots_.reserve(count);
  uint32_t previousOffset = 0;
  uint32_t offset = 0;
  for (uint32_t i = 0; i < count; ++i) {
    if (!items.next(i)) return items.fault();
    const uint32_t shared = items.shared;
    const uint32_t total = items.total;
    uint8_t* out = page.arena_.data() + offset;
    if (shared != 0) std::memcpy(out, page.arena_.data() + previousOffset, shared);
    if (total != shared && !items.body().read(out + shared, total - shared)) return items.fault();
    page.slots_.push_back(
        {offset, static_cast<uint16_t>(total), static_cast<uint16_t>(items.keyLength)});
    page.measure_ += page.itemMeasure(total);
    previousOffset = offset;
    offset += total;
  }
  page.arena_.resize(offset);
  if (items.body().left() != 0) return items.fault();
  page.children_.resize(page.isLeaf() ? 0 : count);
  for (uint32_t i = 0; i < page.children_.size(); ++i) {
    const uint32_t child = load32(bytes + kPageHeaderSize + 4 * i);
    if (child == 0) return PageFault::Items;
    page.children_[i] = child;
  }
  return PageFault::None;
}

void Page::keepStoredForm(const uint8_t* bytes, size_t size, uint32_t prefix, uint32_t stored,
                          uint32_t unpacked) {
  storedBody_.assign(bytes + prefix, bytes + stored);
  unpackedLength_ = unpacked;
  unitsCache_ = static_cast<uint32_t>(size / kUnitSize);
}

PageFault PageCodec::decodeFrozen(const uint8_t* bytes, size_t size, uint32_t expectedHome,
                                  Page& page) {
  StoredHead head;
  if (const PageFault fault = readHead(bytes, size, expectedHome, head); fault != PageFault::None)
    return fault;
  const uint32_t measure = load16(bytes + 8);
  // The measure field saturates: such a page's is known only from its items.
  if (head.level != 0 || head.count == 0 || measure == 0xffff) {
    const PageFault fault = decode(bytes, size, expectedHome, page);
    // The stored form stands for the items decoded from it: a page that
    // only moves is not packed again.
    if (fault == PageFault::None)
      page.keepStoredForm(bytes, size, head.prefix, head.stored, head.unpacked);
    return fault;
  }
  ItemReader items(bytes, head);
  std::vector<uint8_t> firstKey;
  if (!items.next(0)) return items.fault();
  firstKey.resize(items.keyLength);
  if (!items.body().read(firstKey.data(), firstKey.size()) || !items.body().restIsSound())
    return items.fault();
  page.clear();
  page.setLevel(0);
  page.measure_ = measure;
  page.keepStoredForm(bytes, size, head.prefix, head.stored, head.unpacked);
  page.frozenFirstKey_ = std::move(firstKey);
  page.frozenCount_ = head.count;
  page.frozen_ = true;
  return PageFault::None;
}

PageFault PageCodec::findInLeaf(const uint8_t* bytes, size_t size, uint32_t expectedHome, Bytes key,
                                std::vector<uint8_t>* data, bool& found) {
  found = false;
  StoredHead head;
  if (const PageFault fault = readHead(bytes, size, expectedHome, head); fault != PageFault::None)
    return fault;
  if (head.level != 0) return PageFault::Items;
  ItemReader items(bytes, head);
  // The beginning of the item in hand: its key, and at least the 63 bytes
  // the next item may share with it.
  // Kept between calls (one per record read) with their capacity.
  thread_local std::vector<uint8_t> start;
  thread_local std::vector<uint8_t> previous;
  for (uint32_t i = 0; i < head.count; ++i) {
    if (!items.next(i)) return items.fault();
    const uint32_t shared = items.shared;  // never more than the previous item kept
    const uint32_t keyLength = items.keyLength;
    const uint32_t kept = std::min(items.total, std::max<uint32_t>(keyLength, 63));
    start.swap(previous);
    start.resize(kept);
    if (shared != 0) std::memcpy(start.data(), previous.data(), shared);
    if (kept > shared && !items.body().read(start.data() + shared, kept - shared))
      return items.fault();
    // The bytes past the kept beginning are read into `data` for the item
    // sought and skipped for every other one. The whole page is walked, so
    // that it is checked as thoroughly as when it is decoded.
    const uint32_t rest = items.total - kept;
    if (!found && compareKeys(Bytes(start.data(), keyLength), key) == 0) {
      found = true;
      if (data != nullptr) {
        data->resize(items.total - keyLength);
        if (kept > keyLength) std::memcpy(data->data(), start.data() + keyLength, kept - keyLength);
        if (rest != 0 && !items.body().read(data->data() + (kept - keyLength), rest))
          return items.fault();
        continue;
      }
    }
    if (rest != 0 && !items.body().skip(rest)) return items.fault();
  }
  if (items.body().left() != 0) return items.fault();
  return PageFault::None;
}

}  // namespace zor::tarnwick
