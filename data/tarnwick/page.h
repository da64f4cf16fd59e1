#pragma once
// A page in memory: its items in key order (and, in an inner page, the child
// page each item leads to), kept in one byte arena with a slot per item.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "data/tarnwick/item_key.h"

namespace zor::tarnwick {

// Page numbers in memory: a unit number (>= 1) once the page has been placed
// in the file, a temporary negative number before that.
using PageNumber = int64_t;

inline constexpr uint32_t kPageHeaderSize = 13;
inline constexpr uint32_t kSplitMeasure = 15094;  // above this a page must split
inline constexpr uint32_t kSoftSplitMeasure = 4096;
inline constexpr uint32_t kSoftSplitItems = 20;

// An allocator whose growth leaves bytes unset: decoding sizes the arena
// for a page first and then writes every byte it keeps.
template <typename T>
struct GrowUnsetAllocator : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = GrowUnsetAllocator<U>;
  };
  GrowUnsetAllocator() = default;
  template <typename U>
  GrowUnsetAllocator(const GrowUnsetAllocator<U>&) noexcept {}
  template <typename U>
  void construct(U* place) noexcept {
    ::new (static_cast<void*>(place)) U;
  }
  template <typename U, typename... Args>
  void construct(U* place, Args&&... args) {
    ::new (static_cast<void*>(place)) U(std::forward<Args>(args)...);
  }
};

class Page {
 public:
  Page(PageNumber number, uint8_t level) : number_(number), level_(level) {}

  PageNumber number() const { return number_; }
  void setNumber(PageNumber number) { number_ = number; }
  uint8_t level() const { return level_; }
  void setLevel(uint8_t level) { level_ = level; }
  bool isLeaf() const { return level_ == 0; }

  size_t count() const { return slots_.size(); }
  ItemView item(size_t i) const;
  Bytes key(size_t i) const;
  PageNumber child(size_t i) const { return children_[i]; }
  void setChild(size_t i, PageNumber child) { children_[i] = child; }
  // Every child has its unit (none has a temporary number).
  bool childrenPlaced() const {
    return std::all_of(children_.begin(), children_.end(), [](PageNumber c) { return c > 0; });
  }

  // First index whose key is >= `key` (count() when none).
  size_t lowerBound(Bytes key) const;
  // Inner pages: the slot whose subtree holds `key` (the last separator at
  // or below it; slot 0 when every separator is above it).
  size_t childSlotFor(Bytes key) const;

  void insert(size_t i, Bytes key, Bytes data, PageNumber child = 0);
  void replaceData(size_t i, Bytes data);
  void erase(size_t i);
  // Moves the items from `first` on to the end of `target`.
  void moveTail(size_t first, Page& target);
  void clear();

  // 13 plus, per item, its total length + 5 (+ 4 in an inner page).
  uint32_t measure() const { return measure_; }
  bool mustSplit() const { return measure_ > kSplitMeasure && count() >= 2; }
  bool shouldSplit() const {
    return mustSplit() || (measure_ > kSoftSplitMeasure && count() > kSoftSplitItems);
  }
  // Whether the page would split once it held one more item of `total`
  // bytes (key and data).
  bool wouldSplitWith(size_t total) const {
    const size_t measure = measure_ + itemMeasure(static_cast<uint32_t>(total));
    return measure > kSplitMeasure ||
           (measure > kSoftSplitMeasure && count() + 1 > kSoftSplitItems);
  }

  // Stored form: header, child numbers, prefix-compressed items, packed when
  // that is smaller, zero-padded to whole units. `home` is written as the
  // page's own unit number.
  void encode(uint32_t home, std::vector<uint8_t>& out) const;
  // Units the stored form needs (cached until the page changes).
  uint32_t unitsNeeded() const;

  // A leaf changed by a long change (a transaction) that is not in use may
  // give up its items and keep only their stored form, until thaw() brings
  // them back: the change then holds a few hundred bytes for such a leaf
  // instead of its unpacked items. A frozen page answers only number(),
  // level(), measure(), firstKey() and its stored form.
  void freeze();
  void thaw();
  bool frozen() const { return frozen_; }
  // A frozen leaf may give its stored form away as well, to be kept out of
  // memory by the store (at `place`, of storedBody().size() bytes) until
  // it is handed back; meanwhile neither thaw() nor encode() may be used.
  const std::vector<uint8_t>& storedBody() const { return storedBody_; }
  void giveStoredBodyAway(uint64_t place);
  void takeStoredBodyBack(std::vector<uint8_t> body);
  bool storedBodyAway() const { return away_; }
  uint64_t awayPlace() const { return awayPlace_; }
  uint32_t awayLength() const { return awayLength_; }
  // The first item's key (the page must hold one).
  Bytes firstKey() const;

 private:
  struct Slot {
    uint32_t offset;
    uint16_t total;
    uint16_t keyLength;
  };
  uint32_t itemMeasure(uint32_t total) const { return total + (isLeaf() ? 5 : 9); }
  void appendToArena(Bytes key, Bytes data, Slot& slot);
  void growArena(size_t size);
  void compactArena();
  // Hands the unpacked body to `sink` (pointer, length) piece by piece.
  template <typename Sink>
  void forEachBodyPiece(Sink&& sink) const;

  PageNumber number_;
  uint8_t level_;
  using Arena = std::vector<uint8_t, GrowUnsetAllocator<uint8_t>>;
  Arena arena_;
  std::vector<Slot> slots_;
  std::vector<PageNumber> children_;
  size_t garbage_ = 0;
  uint32_t measure_ = kPageHeaderSize;
  // The stored form of the items (packed or not), kept until they change:
  // a change of child numbers alone leaves it as it is.
  void prepareStoredBody() const;
  // Takes the stored form of the page as read (`size` bytes, the body from
  // `prefix` to `stored`) as its own.
  void keepStoredForm(const uint8_t* bytes, size_t size, uint32_t prefix, uint32_t stored,
                      uint32_t unpacked);
  mutable uint32_t unitsCache_ = 0;  // 0: not prepared
  mutable uint32_t unpackedLength_ = 0;
  mutable std::vector<uint8_t> storedBody_;
  bool frozen_ = false;
  uint32_t frozenCount_ = 0;
  std::vector<uint8_t> frozenFirstKey_;
  bool away_ = false;
  uint64_t awayPlace_ = 0;
  uint32_t awayLength_ = 0;

  friend class PageCodec;
};

using PagePtr = std::shared_ptr<Page>;

// Decoding the stored form, with the reason when it does not decode.
enum class PageFault {
  None,
  Length,     // rounded stored length differs from the zone's page size
  Home,       // the page names another unit as its home
  RunLength,  // the packed body does not unpack to the unpacked length
  Items,      // the items do not decode to exactly the unpacked length
};

class PageCodec {
 public:
  // `bytes` is the whole page as read (units × 256 bytes).
  static PageFault decode(const uint8_t* bytes, size_t size, uint32_t expectedHome, Page& page);
  // A leaf of items is read only as far as its first key and kept frozen
  // with the stored form as it stands (its packing checked, its items not
  // until it thaws): a page that only moves is neither unpacked nor packed
  // again, and encodes to the same bytes at its new home. Any other page is
  // decoded whole.
  static PageFault decodeFrozen(const uint8_t* bytes, size_t size, uint32_t expectedHome,
                                Page& page);
  // Looks for the item with exactly `key` in a stored leaf page without
  // decoding the page, filling `data` (when given) with its data. The page
  // is checked as decode() checks it.
  static PageFault findInLeaf(const uint8_t* bytes, size_t size, uint32_t expectedHome, Bytes key,
                              std::vector<uint8_t>* data, bool& found);
};

}  // namespace zor::tarnwick
