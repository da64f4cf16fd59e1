#include "data/tarnwick/page_store.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "data/tarnwick/byte_order.h"
#include "data/tarnwick/error_numbers.h"
#include "data/tarnwick/internal_failure.h"

namespace zor::tarnwick {

namespace {

uint32_t roundUnits(uint32_t bytes) {
  return (bytes + kUnitSize - 1) / kUnitSize * kUnitSize;
}

FailurePlace failurePlaceOf(PageFault fault) {
  switch (fault) {
    case PageFault::Length:
      return FailurePlace::PageLength;
    case PageFault::Home:
      return FailurePlace::PageHome;
    case PageFault::RunLength:
      return FailurePlace::RunLength;
    default:
      return FailurePlace::PageDecode;
  }
}

}  // namespace

bool PageStore::plausible(const FileHeader& header) {
  // Zones in order, a root inside them, and every page within the file (the
  // pages of a change reach the file before the header naming them does).
  uint64_t size = 0;
  return header.zonesValid() && (header.rootUnit == 0 || header.zoneOf(header.rootUnit) != 0) &&
         file_.size(size) == 0 &&
         header.logicalEnd() <= std::max<uint64_t>(size, kHeaderSize + kUnitSize);
}

int PageStore::readHeader() {
  if (headerCurrent_) return kOk;
  uint8_t bytes[kHeaderSize];
  size_t done = 0;
  const int error = file_.read(0, bytes, kHeaderSize, done);
  if (error != 0) return error;
  // The header as this store last wrote or accepted it: nothing has changed
  // since, so neither decoding nor checking it again is needed. This is the
  // cost of every access of a shared file.
  if (rawKnown_ && done == kHeaderSize && std::memcmp(bytes, raw_.data(), kHeaderSize) == 0) {
    headerCurrent_ = true;
    return kOk;
  }
  rawKnown_ = false;
  if (done == 0) {  // an empty file is a new one
    header_ = diskHeader_ = FileHeader::fresh();
    root_ = 0;
    headerOnDisk_ = false;
    headerValid_ = true;
    headerCurrent_ = true;
    cache_.clear();
    touch();
    return kOk;
  }
  FileHeader disk;
  if (done < kHeaderSize || !disk.decode(bytes)) return kInvalidDataFile;
  // A header with a pending change may be half written; its newer copy in
  // the pending region is checked instead.
  if (!disk.pending() && !plausible(disk)) return kInvalidDataFile;
  headerOnDisk_ = true;
  headerCurrent_ = true;
  if (!disk.pending()) {
    std::memcpy(raw_.data(), bytes, kHeaderSize);
    rawKnown_ = true;
  }
  if (headerValid_ && pendingMap_.empty() && disk.changeCounter == diskHeader_.changeCounter) {
    // Nobody else has completed a change: the cache stands. A pending
    // header announces a change under way (or interrupted) over this state.
    header_.pendingStart = diskHeader_.pendingStart = disk.pendingStart;
    header_.pendingEnd = diskHeader_.pendingEnd = disk.pendingEnd;
    return kOk;
  }
  cache_.clear();
  pendingMap_.clear();
  header_ = diskHeader_ = disk;
  root_ = disk.rootUnit;
  headerValid_ = true;
  touch();
  return kOk;
}

bool PageStore::headerUnchanged() {
  if (!rawKnown_) return false;
  uint8_t bytes[kHeaderSize];
  size_t done = 0;
  if (file_.read(0, bytes, kHeaderSize, done) != 0 || done != kHeaderSize ||
      std::memcmp(bytes, raw_.data(), kHeaderSize) != 0) {
    return false;
  }
  headerCurrent_ = true;
  return true;
}

void PageStore::beforeFileRead() {
  if (readGuard_ == nullptr) return;
  ReadGuard* guard = readGuard_;
  readGuard_ = nullptr;
  guard->beforeFileRead();
}

const uint8_t* PageStore::windowBytes(uint32_t unit, size_t size) {
  const uint64_t offset = unitOffset(unit);
  if (readGuard_ != nullptr && !windows_.holds(offset, size, diskHeader_.changeCounter)) {
    beforeFileRead();
  }
  return windows_.find(file_, offset, size, diskHeader_.changeCounter);
}

const uint8_t* PageStore::storedPage(uint32_t unit, size_t size) {
  if (pendingMap_.empty()) {
    if (const uint8_t* bytes = windowBytes(unit, size)) return bytes;
  }
  beforeFileRead();
  const auto pending = pendingMap_.find(unit);
  const uint64_t offset = pending == pendingMap_.end() ? unitOffset(unit) : pending->second;
  readBuffer_.resize(size);
  size_t done = 0;
  if (file_.read(offset, readBuffer_.data(), size, done) != 0 || done != size) {
    internalFailure(FailurePlace::PageRead);
  }
  return readBuffer_.data();
}

int PageStore::readAroundLiveChange() {
  if (!header_.pending() || pendingLoaded()) return kOk;
  // The header announces the region of a change its writer is still
  // making; everything else in it is the state at home, which stays as it
  // is until the writer has every reader out.
  header_.pendingStart = header_.pendingEnd = static_cast<uint32_t>(header_.logicalEnd());
  if (!plausible(header_)) {
    headerCurrent_ = headerValid_ = false;
    return kInvalidDataFile;
  }
  diskHeader_ = header_;
  return kOk;
}

FileHeader& PageStore::headerForChange() {
  headerChanged_ = true;
  return header_;
}

bool PageStore::loadPending() {
  pendingMap_.clear();
  windows_.clear();
  const uint64_t start = header_.pendingStart;
  const uint64_t end = header_.pendingEnd;
  uint64_t fileSize = 0;
  if (start < kHeaderSize || end < start || (start - kHeaderSize) % kUnitSize != 0 ||
      (end - start) % kUnitSize != 0 || file_.size(fileSize) != 0 || end > fileSize) {
    return false;
  }
  FileHeader newer = header_;
  std::map<uint32_t, std::pair<uint64_t, uint32_t>> found;  // home -> offset, length
  uint8_t bytes[kHeaderSize];
  for (uint64_t position = start; position < end;) {
    const size_t want = static_cast<size_t>(std::min<uint64_t>(kHeaderSize, end - position));
    size_t done = 0;
    if (file_.read(position, bytes, want, done) != 0 || done != want) return false;
    const uint32_t home = load32(bytes);
    const uint32_t stored = load16(bytes + 4);
    if (home == 0) {
      if (want < kHeaderSize || !newer.decode(bytes)) return false;
      position += kHeaderSize;
      continue;
    }
    const uint32_t length = roundUnits(stored);
    if (stored < kPageHeaderSize || length > kMaxPageBytes || position + length > end) return false;
    found[home] = {position, length};
    position += length;
  }
  if (!plausible(newer)) return false;
  for (const auto& [home, place] : found) {
    const int zone = newer.zoneOf(home);
    if (zone == 0 || place.second != static_cast<uint32_t>(zone) * kUnitSize) return false;
    pendingMap_[home] = place.first;
  }
  newer.pendingStart = static_cast<uint32_t>(start);
  newer.pendingEnd = static_cast<uint32_t>(end);
  header_ = diskHeader_ = newer;
  root_ = newer.rootUnit;
  headerValid_ = true;
  cache_.clear();
  touch();
  return true;
}

int PageStore::rollForward() {
  windows_.clear();
  int error = writeHeaderAt0(header_);
  std::vector<uint8_t> bytes;
  for (const auto& [home, offset] : pendingMap_) {
    if (error != 0) break;
    bytes.resize(static_cast<size_t>(header_.zoneOf(home)) * kUnitSize);
    size_t done = 0;
    // The first unit, then the rest of the page.
    error = file_.read(offset, bytes.data(), kUnitSize, done);
    if (error == 0 && done == kUnitSize && bytes.size() > kUnitSize) {
      error =
          file_.read(offset + kUnitSize, bytes.data() + kUnitSize, bytes.size() - kUnitSize, done);
      done += kUnitSize;
    }
    if (error == 0 && done != bytes.size()) internalFailure(FailurePlace::PageRead);
    if (error == 0) error = file_.write(unitOffset(home), bytes.data(), bytes.size());
  }
  if (error == 0) error = completeChange(header_);
  pendingMap_.clear();
  cache_.clear();
  touch();
  return error;
}

int PageStore::dropPending(bool write) {
  pendingMap_.clear();
  windows_.clear();
  headerCurrent_ = false;
  headerValid_ = false;
  uint8_t bytes[kHeaderSize];
  size_t done = 0;
  int error = file_.read(0, bytes, kHeaderSize, done);
  if (error != 0) return error;
  FileHeader disk;
  if (done < kHeaderSize || !disk.decode(bytes) || !plausible(disk)) return kInvalidDataFile;
  header_ = diskHeader_ = disk;
  root_ = disk.rootUnit;
  headerValid_ = headerCurrent_ = true;
  cache_.clear();
  touch();
  return write ? completeChange(header_) : kOk;
}

void PageStore::setRoot(PageNumber root) {
  root_ = root;
  headerChanged_ = true;
}

PagePtr PageStore::page(PageNumber number) {
  if (!dirty_.empty()) {
    if (auto it = dirty_.find(number); it != dirty_.end()) {
      it->second->thaw();
      return it->second;
    }
  }
  if (PagePtr cached = cache_.find(number)) return cached;
  if (number <= 0) internalFailure(FailurePlace::UnitInNoZone);
  const uint32_t unit = static_cast<uint32_t>(number);
  const int zone = header_.zoneOf(unit);
  if (zone == 0) internalFailure(FailurePlace::UnitInNoZone);
  const size_t size = static_cast<size_t>(zone) * kUnitSize;
  return decodeIntoCache(number, storedPage(unit, size), size);
}

PagePtr PageStore::decodeIntoCache(PageNumber number, const uint8_t* bytes, size_t size) {
  const auto unit = static_cast<uint32_t>(number);
  cache_.trim();  // before the load, which may then reuse a trimmed page
  PagePtr loaded = cache_.takeSpare();
  if (loaded) {
    loaded->setNumber(number);
  } else {
    loaded = std::make_shared<Page>(number, 0);
  }
  const PageFault fault = PageCodec::decode(bytes, size, unit, *loaded);
  if (fault != PageFault::None) internalFailure(failurePlaceOf(fault));
  cache_.add(loaded);
  return loaded;
}

std::optional<bool> PageStore::findInLargeLeaf(PageNumber number, Bytes key,
                                               std::vector<uint8_t>* data) {
  // Leaves of at most this many items, unpacked to more than a soft split's
  // measure, are read this way.
  constexpr uint32_t kFewItems = 4;
  if (number <= 0 || !pendingMap_.empty()) return std::nullopt;
  if (!dirty_.empty() && dirty_.count(number) != 0) return std::nullopt;
  if (cache_.find(number)) return std::nullopt;
  const uint32_t unit = static_cast<uint32_t>(number);
  const int zone = header_.zoneOf(unit);
  if (zone == 0) return std::nullopt;
  const size_t size = static_cast<size_t>(zone) * kUnitSize;
  const uint8_t* bytes = storedPage(unit, size);
  if (bytes[12] != 0 || load16(bytes + 10) > kFewItems || load16(bytes + 6) <= kSoftSplitMeasure) {
    // Any other page is cached as page() would, without reading it again.
    decodeIntoCache(number, bytes, size);
    return std::nullopt;
  }
  bool found = false;
  const PageFault fault = PageCodec::findInLeaf(bytes, size, unit, key, data, found);
  if (fault != PageFault::None) internalFailure(failurePlaceOf(fault));
  return found;
}

bool PageStore::readStoredPage(uint32_t unit, std::vector<uint8_t>& bytes) {
  const int zone = header_.zoneOf(unit);
  if (zone == 0) return false;
  bytes.resize(static_cast<size_t>(zone) * kUnitSize);
  beforeFileRead();
  const auto pending = pendingMap_.find(unit);
  const uint64_t offset = pending == pendingMap_.end() ? unitOffset(unit) : pending->second;
  size_t done = 0;
  return file_.read(offset, bytes.data(), bytes.size(), done) == 0 && done == bytes.size();
}

PagePtr PageStore::pageForChange(PageNumber number) {
  if (auto it = dirty_.find(number); it != dirty_.end()) {
    it->second->thaw();
    return it->second;
  }
  PagePtr found = page(number);
  cache_.remove(number);
  dirty_.emplace(number, found);
  return found;
}

PagePtr PageStore::pageForChange(const PagePtr& page) {
  if (auto it = dirty_.find(page->number()); it != dirty_.end()) {
    it->second->thaw();
    return it->second;
  }
  cache_.remove(page->number());
  dirty_.emplace(page->number(), page);
  return page;
}

PagePtr PageStore::newPage(uint8_t level) {
  const PageNumber number = nextTemporary_--;
  auto created = std::make_shared<Page>(number, level);
  dirty_.emplace(number, created);
  return created;
}

void PageStore::freePage(PageNumber number) {
  dirty_.erase(number);
  cache_.remove(number);
  if (number > 0) freed_.push_back(static_cast<uint32_t>(number));
}

void PageStore::renumber(const PagePtr& moved, PageNumber number) {
  dirty_.erase(moved->number());
  cache_.remove(moved->number());
  moved->setNumber(number);
  dirty_[number] = moved;
}

void PageStore::keepChangeSmall() {
  if (dirty_.size() < nextFreeze_) return;
  for (auto& entry : dirty_) {
    if (entry.second.use_count() == 1) entry.second->freeze();
  }
  nextFreeze_ = dirty_.size() + kFreezeEvery;
}

std::vector<uint8_t> PageStore::anchorKey(const Page& page) {
  if (page.isLeaf() && page.frozen()) {
    const Bytes key = page.firstKey();
    return std::vector<uint8_t>(key.begin(), key.end());
  }
  if (page.count() == 0) internalFailure(FailurePlace::EmptyPage);
  if (page.isLeaf() || page.count() >= 2) {
    const Bytes key = page.key(page.isLeaf() ? 0 : 1);
    return std::vector<uint8_t>(key.begin(), key.end());
  }
  PagePtr only = this->page(page.child(0));
  if (only->level() + 1 != page.level()) internalFailure(FailurePlace::TreeLevel);
  return anchorKey(*only);
}

PagePtr PageStore::findParent(const Page& child, size_t& slot) {
  if (child.number() == root_) return nullptr;
  const std::vector<uint8_t> key = anchorKey(child);
  PagePtr current = page(root_);
  while (true) {
    if (current->level() <= child.level()) internalFailure(FailurePlace::ParentNotFound);
    size_t s = current->childSlotFor(key);
    if (current->level() == child.level() + 1) {
      if (current->child(s) != child.number()) {
        for (s = 0; s < current->count() && current->child(s) != child.number(); ++s) {
        }
        if (s == current->count()) internalFailure(FailurePlace::ParentNotFound);
      }
      slot = s;
      return current;
    }
    PagePtr next = page(current->child(s));
    if (next->level() + 1 != current->level()) internalFailure(FailurePlace::TreeLevel);
    current = std::move(next);
  }
}

void PageStore::pointParentAt(const Page& child, PageNumber number) {
  size_t slot = 0;
  PagePtr parent = findParent(child, slot);
  if (!parent) {
    setRoot(number);
    return;
  }
  pageForChange(parent->number())->setChild(slot, number);
}

void PageStore::movePage(uint32_t from, uint32_t to) {
  PagePtr moved = page(from);
  pointParentAt(*moved, to);
  renumber(moved, to);
}

void PageStore::assignUnits() {
  ZoneAllocator allocator(header_, *this);
  auto snapshot = [this] {
    std::vector<PagePtr> pages;
    pages.reserve(dirty_.size());
    for (const auto& entry : dirty_) pages.push_back(entry.second);
    // A fixed order keeps runs of the same change reproducible.
    std::sort(pages.begin(), pages.end(),
              [](const PagePtr& a, const PagePtr& b) { return a->number() < b->number(); });
    return pages;
  };
  // Pages whose size changed leave their zone: they get temporary numbers
  // and their old units join the freed ones.
  for (const PagePtr& changed : snapshot()) {
    if (changed->number() <= 0) continue;
    const uint32_t unit = static_cast<uint32_t>(changed->number());
    if (changed->unitsNeeded() == static_cast<uint32_t>(header_.zoneOf(unit))) continue;
    freed_.push_back(unit);
    const PageNumber temporary = nextTemporary_--;
    pointParentAt(*changed, temporary);
    renumber(changed, temporary);
  }
  // Freed units go back highest first, so that the last page of a zone,
  // which fills a hole, is always a live one.
  std::vector<std::pair<int, uint32_t>> released;
  for (uint32_t unit : freed_) released.emplace_back(header_.zoneOf(unit), unit);
  std::sort(released.begin(), released.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first < b.first : a.second > b.second;
  });
  for (const auto& [zone, unit] : released) {
    if (zone == 0) internalFailure(FailurePlace::UnitInNoZone);
    allocator.release(unit, zone);
  }
  freed_.clear();
  for (const PagePtr& placed : snapshot()) {
    if (placed->number() > 0) continue;
    const uint32_t unit = allocator.allocate(static_cast<int>(placed->unitsNeeded()));
    pointParentAt(*placed, unit);
    renumber(placed, unit);
  }
}

int PageStore::writeAt(uint64_t offset, const uint8_t* bytes, size_t length) {
  const int error = file_.write(offset, bytes, length);
  if (error == 0) windows_.patch(offset, bytes, length);
  return error;
}

int PageStore::writeHeaderAt0(const FileHeader& header) {
  uint8_t bytes[kHeaderSize];
  header.encode(bytes);
  return writeAt(0, bytes, kHeaderSize);
}

int PageStore::completeChange(FileHeader& header) {
  int error = file_.flush();
  if (error != 0) return error;
  header.pendingStart = header.pendingEnd = static_cast<uint32_t>(header.logicalEnd());
  ++header.changeCounter;
  header.encode(raw_.data());
  rawKnown_ = false;
  error = writeAt(0, raw_.data(), kHeaderSize);
  if (error == 0) error = file_.flush();
  if (error != 0) return error;
  rawKnown_ = true;
  diskHeader_ = header;
  // The pending region is spent: the file ends where its pages end, so that
  // it shrinks when they do. A failure here costs only space.
  uint64_t size = 0;
  if (file_.size(size) == 0 && size > header.logicalEnd())
    file_.file().truncate(header.logicalEnd());
  return kOk;
}

int PageStore::writeDurable() {
  assignUnits();
  header_.rootUnit = static_cast<uint32_t>(root_);
  // The region lies past both the old and the new state, so writing it can
  // harm neither.
  const uint64_t start = std::max(diskHeader_.logicalEnd(), header_.logicalEnd());
  region_.assign(kHeaderSize, 0);
  placed_.clear();
  std::vector<uint8_t> encoded;
  std::vector<PagePtr> pages;
  for (const auto& entry : dirty_) pages.push_back(entry.second);
  std::sort(pages.begin(), pages.end(),
            [](const PagePtr& a, const PagePtr& b) { return a->number() < b->number(); });
  for (const PagePtr& written : pages) {
    const uint32_t home = static_cast<uint32_t>(written->number());
    written->encode(home, encoded);
    if (encoded.size() != static_cast<size_t>(header_.zoneOf(home)) * kUnitSize) {
      internalFailure(FailurePlace::PageLength);
    }
    placed_.push_back({home, region_.size(), encoded.size()});
    region_.insert(region_.end(), encoded.begin(), encoded.end());
  }
  if (start + region_.size() > UINT32_MAX) internalFailure(FailurePlace::ZoneFull);
  header_.pendingStart = static_cast<uint32_t>(start);
  header_.pendingEnd = static_cast<uint32_t>(start + region_.size());
  header_.encode(region_.data());
  store16(region_.data() + 4, kHeaderSize);  // the header copy: home 0, 512 bytes

  int error = 0;
  if (!headerOnDisk_) {  // a new file gets its header before anything else
    error = writeHeaderAt0(diskHeader_);
    if (error != 0) return error;
    headerOnDisk_ = true;
  }
  // 1. The pending region.
  error = writeAt(start, region_.data(), region_.size());
  // 2. Made durable and announced in the header.
  if (error == 0) error = file_.flush();
  if (error == 0) {
    FileHeader announced = diskHeader_;
    announced.pendingStart = header_.pendingStart;
    announced.pendingEnd = header_.pendingEnd;
    error = writeHeaderAt0(announced);
  }
  if (error == 0) error = file_.flush();
  return error;
}

int PageStore::writeHome() {
  // 3. The header copy and every page at home.
  int error = writeHeaderAt0(header_);
  for (const Placed& page : placed_) {
    if (error != 0) break;
    error = writeAt(unitOffset(page.home), region_.data() + page.position, page.length);
  }
  if (error == 0) error = completeChange(header_);
  return error;
}

int PageStore::makeDurable() {
  if (durable_ || !changing()) return kOk;
  int error = file_.stickyError();
  if (error == 0 && !file_.writable()) error = kAccessDenied;
  if (error == 0) error = writeDurable();
  if (error != 0) {
    reloadAfterFailure();
    return error;
  }
  durable_ = true;
  return kOk;
}

int PageStore::completeDurable() {
  if (!durable_) return kOk;
  const uint32_t before = diskHeader_.changeCounter;
  const int error = writeHome();
  // Every page written went into the windows too: they stay, now showing
  // the change just completed.
  if (error == 0) windows_.carryOver(before, diskHeader_.changeCounter);
  durable_ = false;
  region_.clear();
  region_.shrink_to_fit();
  placed_.clear();
  if (error != 0) {
    reloadAfterFailure();
    return error;
  }
  for (auto& entry : dirty_) {
    // A frozen leaf is read again if it is wanted.
    if (!entry.second->frozen()) cache_.add(std::move(entry.second));
  }
  dirty_.clear();
  nextFreeze_ = kFreezeEvery;
  headerChanged_ = false;
  return kOk;
}

int PageStore::commit() {
  if (!changing()) return kOk;
  const int error = makeDurable();
  return error != 0 ? error : completeDurable();
}

void PageStore::forgetChange() {
  dirty_.clear();
  nextFreeze_ = kFreezeEvery;
  freed_.clear();
  headerChanged_ = false;
  header_ = diskHeader_;
  root_ = header_.rootUnit;
  touch();
}

int PageStore::rollback() {
  if (durable_) {
    // The header on disk announces the region: it is set back, so that no
    // later open rolls the change forward.
    durable_ = false;
    region_.clear();
    placed_.clear();
    forgetChange();
    const int error = dropPending();
    if (error != 0) reloadAfterFailure();
    return error;
  }
  forgetChange();
  // Pages moved out of the cache into the change were changed in place;
  // the cache holds only untouched pages.
  return kOk;
}

void PageStore::reloadAfterFailure() {
  windows_.clear();
  durable_ = false;
  region_.clear();
  placed_.clear();
  rawKnown_ = false;
  dirty_.clear();
  nextFreeze_ = kFreezeEvery;
  freed_.clear();
  headerChanged_ = false;
  cache_.clear();
  pendingMap_.clear();
  headerCurrent_ = false;
  headerValid_ = false;
  // Show the file as the next open will find it (without writing to it).
  if (readHeader() == kOk && header_.pending() && !loadPending()) {
    pendingMap_.clear();
    header_ = diskHeader_;
  }
  root_ = header_.rootUnit;
  touch();
}

void PageStore::close() {
  file_.close();
  durable_ = false;
  region_.clear();
  placed_.clear();
  rawKnown_ = false;
  cache_.clear();
  windows_.clear();
  dirty_.clear();
  freed_.clear();
  pendingMap_.clear();
  header_ = diskHeader_ = FileHeader::fresh();
  root_ = 0;
  headerCurrent_ = headerChanged_ = headerOnDisk_ = headerValid_ = false;
  touch();
}

}  // namespace zor::tarnwick
