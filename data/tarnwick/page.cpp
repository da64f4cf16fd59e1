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
  arena_.insert(arena_.end(), key.begin(), key.end());
  arena_.insert(arena_.end(), data.begin(), data.end());
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
  std::vector<uint8_t> fresh;
  fresh.reserve(arena_.size() - garbage_);
  for (Slot& slot : slots_) {
    const uint32_t offset = static_cast<uint32_t>(fresh.size());
    fresh.insert(fresh.end(), arena_.begin() + slot.offset,
                 arena_.begin() + slot.offset + slot.total);
    slot.offset = offset;
  }
  arena_.swap(fresh);
  garbage_ = 0;
}

void Page::encodeBody(std::vector<uint8_t>& out) const {
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
    uint8_t flag = static_cast<uint8_t>(shared);
    const bool first = previous == nullptr;
    if (first || slot.total != previousTotal) flag |= 0x80;
    if (first || slot.keyLength != previousKey) flag |= 0x40;
    out.push_back(flag);
    uint8_t number[2];
    if (flag & 0x80) {
      store16(number, slot.total);
      out.insert(out.end(), number, number + 2);
    }
    if (flag & 0x40) {
      store16(number, slot.keyLength);
      out.insert(out.end(), number, number + 2);
    }
    out.insert(out.end(), bytes + shared, bytes + slot.total);
    previous = bytes;
    previousTotal = slot.total;
    previousKey = slot.keyLength;
  }
}

void Page::prepareStoredBody() const {
  if (unitsCache_ != 0) return;
  const size_t prefix = kPageHeaderSize + (isLeaf() ? 0 : 4 * children_.size());
  std::vector<uint8_t> body;
  body.reserve(measure_);
  encodeBody(body);
  unpackedLength_ = static_cast<uint32_t>(prefix + body.size());
  storedBody_.clear();
  packRuns(body.data(), body.size(), storedBody_);
  if (storedBody_.size() >= body.size()) storedBody_.swap(body);  // packing gains nothing
  const size_t stored = prefix + storedBody_.size();
  if (stored > kMaxPageBytes) internalFailure(FailurePlace::PageTooLarge);
  unitsCache_ = static_cast<uint32_t>((stored + kUnitSize - 1) / kUnitSize);
}

void Page::encode(uint32_t home, std::vector<uint8_t>& out) const {
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
  store16(header + 10, static_cast<uint32_t>(slots_.size()));
  header[12] = level_;
  for (size_t i = 0; i < childBytes / 4; ++i) {
    store32(header + kPageHeaderSize + 4 * i, static_cast<uint32_t>(children_[i]));
  }
  if (!storedBody_.empty()) std::memcpy(header + prefix, storedBody_.data(), storedBody_.size());
}

uint32_t Page::unitsNeeded() const {
  prepareStoredBody();
  return unitsCache_;
}

PageFault PageCodec::decode(const uint8_t* bytes, size_t size, uint32_t expectedHome, Page& page) {
  if (size < kPageHeaderSize) return PageFault::Length;
  const uint32_t stored = load16(bytes + 4);
  if (stored < kPageHeaderSize || (stored + kUnitSize - 1) / kUnitSize * kUnitSize != size) {
    return PageFault::Length;
  }
  if (load32(bytes) != expectedHome) return PageFault::Home;
  const uint32_t unpacked = load16(bytes + 6);
  const uint32_t count = load16(bytes + 10);
  page.clear();
  page.setLevel(bytes[12]);
  const uint32_t childBytes = page.isLeaf() ? 0 : 4 * count;
  const uint32_t prefix = kPageHeaderSize + childBytes;
  if (prefix > stored || prefix > unpacked || stored > unpacked) return PageFault::Items;
  if (!page.isLeaf() && count == 0) return PageFault::Items;

  // Unpacked bodies go through one buffer per thread: pages are decoded on
  // every cache miss.
  thread_local std::vector<uint8_t> body;
  const uint8_t* in = bytes + prefix;
  const size_t bodyLength = unpacked - prefix;
  if (stored < unpacked) {
    body.resize(bodyLength);
    if (!unpackRuns(bytes + prefix, stored - prefix, body.data(), bodyLength)) {
      return PageFault::RunLength;
    }
    in = body.data();
  }

  const uint8_t* end = in + bodyLength;
  page.arena_.reserve(bodyLength + 16 * count);
  page.slots_.reserve(count);
  uint32_t previousTotal = 0;
  uint32_t previousKey = 0;
  uint32_t previousOffset = 0;
  for (uint32_t i = 0; i < count; ++i) {
    if (in == end) return PageFault::Items;
    const uint8_t flag = *in++;
    const uint32_t shared = flag & 63u;
    uint32_t total = previousTotal;
    uint32_t keyLength = previousKey;
    if (flag & 0x80) {
      if (end - in < 2) return PageFault::Items;
      total = load16(in);
      in += 2;
    }
    if (flag & 0x40) {
      if (end - in < 2) return PageFault::Items;
      keyLength = load16(in);
      in += 2;
    }
    if (total >= kItemLengthLimit || keyLength > total || shared > total) return PageFault::Items;
    if (shared > previousTotal || (i == 0 && shared != 0)) return PageFault::Items;
    if (static_cast<size_t>(end - in) < total - shared) return PageFault::Items;
    const uint32_t offset = static_cast<uint32_t>(page.arena_.size());
    page.arena_.resize(offset + total);
    uint8_t* out = page.arena_.data() + offset;
    if (shared != 0) std::memcpy(out, page.arena_.data() + previousOffset, shared);
    if (total != shared) std::memcpy(out + shared, in, total - shared);
    in += total - shared;
    page.slots_.push_back({offset, static_cast<uint16_t>(total), static_cast<uint16_t>(keyLength)});
    page.measure_ += page.itemMeasure(total);
    previousTotal = total;
    previousKey = keyLength;
    previousOffset = offset;
  }
  if (in != end) return PageFault::Items;
  page.children_.resize(page.isLeaf() ? 0 : count);
  for (uint32_t i = 0; i < page.children_.size(); ++i) {
    const uint32_t child = load32(bytes + kPageHeaderSize + 4 * i);
    if (child == 0) return PageFault::Items;
    page.children_[i] = child;
  }
  return PageFault::None;
}

}  // namespace zor::tarnwick
